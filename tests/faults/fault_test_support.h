// What the fault tests share: a fixture that leaves no fault armed behind, the converters run
// in-process in the current folder, the bank they convert, and the listing a batch will see.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fault_injection.h"

// Every test starts and ends with no fault armed, whatever it asserted on the way.
class FaultTest : public testing::Test {
  protected:
    void SetUp() override { ClearInjectedFaults(); }
    void TearDown() override { ClearInjectedFaults(); }
};

// One armed fault: the occurrence-th call of the kind from now fails with the error number.
struct FaultPlan {
    PlatformCall call;
    int32_t occurrence;
    uint32_t errorNumber;
};

using ConverterProgram = int (*)(int argc, const char* const* argv);

// Runs the program with the arguments after its name in the current folder and returns what it
// printed.
std::string RunConverter(ConverterProgram program, const std::vector<std::string>& arguments);

// A valid Emulator II bank of two looped and unlooped voices over two samples and one preset.
std::vector<uint8_t> GoodBankImage();

// The names the platform listing of the current folder delivers, in its order, hidden entries
// included: the order in which a batch meets them.
std::vector<std::string> PlatformListing();
// The names of the files in the current folder, sorted.
std::vector<std::string> FilesHere();

// The text with every "{in}" and "{out}" replaced by the names.
std::string WithNames(const std::string& text, const std::string& in, const std::string& out);
