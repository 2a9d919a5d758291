// Both converters when the folder listing of a batch fails: a listing that cannot start ends the
// run with code 750 and a key wait; an error while the listing goes on ends the listing, and the
// batch converts the files listed before it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "convert/morvex.h"
#include "convert/veltra.h"
#include "tests/faults/fault_test_support.h"
#include "tests/programs/program_texts.h"
#include "tests/support/temp_folder.h"

namespace {

using ListingFaultTest = FaultTest;

struct Converter {
    const char* name;
    ConverterProgram program;
    const std::string* banner;
    std::string (*summary)(int converted);
    const char* inputExtension;
    const char* outputExtension;
};

const Converter kConverters[] = {
    {"VELTRA", RunVeltra, &kVeltraBanner, VeltraSummary, ".EII", ".DPX"},
    {"MORVEX", RunMorvex, &kMorvexBanner, MorvexSummary, ".DPX", ".EII"},
};

// The good bank as an input of the converter.
std::vector<uint8_t> InputImage(const Converter& converter) {
    if (std::string(converter.inputExtension) == ".EII") return GoodBankImage();
    TempFolder folder;
    folder.Enter();
    WriteWholeFile("BANK.EII", GoodBankImage());
    RunConverter(RunVeltra, {"S", "BANK.EII"});
    return ReadWholeFile("BANK.DPX");
}

}  // namespace

TEST_F(ListingFaultTest, AListingThatCannotStartEndsTheRun) {
    for (const Converter& converter : kConverters) {
        const std::vector<uint8_t> input = InputImage(converter);
        TempFolder folder;
        folder.Enter();
        WriteWholeFile(std::string("ONE") + converter.inputExtension, input);
        InjectFault(PlatformCall::kStartFolderListing, 1, 3);
        const std::string output = RunConverter(converter.program, {"b"});
        EXPECT_EQ(output,
                  *converter.banner +
                      "ERROR: Can not search files in current folder. Error is 3. (750)\n\nPress a key...\n")
            << converter.name;
        EXPECT_EQ(FilesHere(), std::vector<std::string>{std::string("ONE") + converter.inputExtension})
            << converter.name;
    }
}

TEST_F(ListingFaultTest, AnErrorDuringTheListingKeepsTheFilesListedBeforeIt) {
    for (const Converter& converter : kConverters) {
        const std::vector<uint8_t> input = InputImage(converter);
        TempFolder folder;
        folder.Enter();
        const std::string inputs[] = {std::string("ONE") + converter.inputExtension,
                                      std::string("TWO") + converter.inputExtension};
        for (const std::string& name : inputs) WriteWholeFile(name, input);
        // Every entry the listing delivers, hidden ones included; the n-th next entry failing
        // leaves the first n.
        const std::vector<std::string> listing = PlatformListing();
        for (int32_t failing = 1; failing <= static_cast<int32_t>(listing.size()); ++failing) {
            std::string processed;
            int converted = 0;
            std::vector<std::string> expectedLeft(std::begin(inputs), std::end(inputs));
            for (int32_t index = 0; index < failing; ++index) {
                const std::string& name = listing[static_cast<size_t>(index)];
                if (name[0] == '.') continue;
                const std::string out = name.substr(0, name.size() - 4) + converter.outputExtension;
                processed += "Processing file " + name + "...\n..." +
                             std::string(converter.outputExtension + 1) + " file " + out +
                             " has been created.\n";
                expectedLeft.push_back(out);
                ++converted;
            }
            std::sort(expectedLeft.begin(), expectedLeft.end());

            InjectFault(PlatformCall::kNextFolderEntry, failing, 59);
            const std::string output = RunConverter(converter.program, {"B"});
            ClearInjectedFaults();
            EXPECT_EQ(output, *converter.banner + processed + converter.summary(converted))
                << converter.name << ", next entry " << failing;
            EXPECT_EQ(FilesHere(), expectedLeft) << converter.name << ", next entry " << failing;
            for (const std::string& name : FilesHere())
                if (name != inputs[0] && name != inputs[1]) std::filesystem::remove(name);
        }
    }
}
