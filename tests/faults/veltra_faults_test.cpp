// VELTRA through failing file calls: a batch of two good banks in which a call fails while the
// first is processed. The failure is reported with its code and message, the first file leaves
// no DPX image behind, nothing stays allocated (the sanitizer build checks for leaks), and the
// second bank still converts exactly as it does without a fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "convert/veltra.h"
#include "tests/faults/fault_test_support.h"
#include "tests/programs/program_texts.h"
#include "tests/support/temp_folder.h"

namespace {

using VeltraFaultTest = FaultTest;

const std::string kProcessing = "Processing file {in}...\n";

// The DPX image VELTRA makes of the good bank when nothing fails.
std::vector<uint8_t> ReferenceDpx() {
    TempFolder folder;
    folder.Enter();
    WriteWholeFile("BANK.EII", GoodBankImage());
    RunConverter(RunVeltra, {"S", "BANK.EII"});
    return ReadWholeFile("BANK.DPX");
}

// The output name VELTRA derives for an input of the batch.
std::string DpxName(const std::string& eiiName) {
    return eiiName.substr(0, eiiName.size() - 4) + ".DPX";
}

}  // namespace

TEST_F(VeltraFaultTest, AFailingCallSkipsTheFileAndTheBatchGoesOn) {
    // The calls one bank makes, in order: the size check opens the file (open 1) and asks its size
    // (size 1); the whole image is then read once (open 2, read 1), without positioning, and the
    // bank header, the bank and the translation are served from it; the DPX image is created
    // (create 1) and written in one call (write 1).
    struct Case {
        const char* what;
        FaultPlan fault;
        std::string report;  // what the first file prints
        bool firstConverted;
    };
    const Case cases[] = {
        {"size check cannot open the file",
         {PlatformCall::kOpenForReading, 1, 2},
         "ERROR: Problem opening file {in}. Error is 2. (566)\n",
         false},
        {"size check finds the file held by another program",
         {PlatformCall::kOpenForReading, 1, 32},
         "ERROR: File {in} is probably in use by another program. Error is 32. (566)\n",
         false},
        {"size query fails",
         {PlatformCall::kQueryFileSize, 1, 5},
         "ERROR: Problem reading size of file {in}. Error is 5. (565)\n",
         false},
        {"image read cannot open the file",
         {PlatformCall::kOpenForReading, 2, 5},
         "ERROR: Problem opening file {in}. Error is 5. (9)\n",
         false},
        {"image read finds the file held by another program",
         {PlatformCall::kOpenForReading, 2, 32},
         "ERROR: Problem opening file {in}. Error is 32. (9)\n",
         false},
        {"image read fails",
         {PlatformCall::kReadFromFile, 1, 23},
         "ERROR: Problem reading file {in}. Error is 23. (11)\n",
         false},
        {"image read fails: device error",
         {PlatformCall::kReadFromFile, 1, 30},
         "ERROR: Problem reading file {in}. Error is 30. (11)\n",
         false},
        {"image read ends early",
         {PlatformCall::kShortRead, 1, 0},
         "ERROR: Problem reading file {in}. Error is 0. (11)\n",
         false},
        // The bank, the leading area and the samples come from the image read once.
        {"nothing is positioned",
         {PlatformCall::kMoveFilePosition, 1, 131},
         kProcessing + "...DPX file {out} has been created.\n",
         true},
        {"DPX image cannot be created",
         {PlatformCall::kCreateExclusively, 1, 5},
         kProcessing + "ERROR: Problem writing file {out}. Error is 5. (804)\n",
         false},
        {"DPX image held by another program",
         {PlatformCall::kCreateExclusively, 1, 32},
         kProcessing + "ERROR: Problem writing file {out}. Error is 32. (804)\n",
         false},
        {"DPX image write fails: disk full",
         {PlatformCall::kWriteToFile, 1, 112},
         kProcessing + "ERROR: Problem writing file {out}. Error is 112. (805)\n",
         false},
        {"DPX image write takes half the image",
         {PlatformCall::kShortWrite, 1, 0},
         kProcessing + "ERROR: Problem writing file {out}. Error is 0. (805)\n",
         false},
    };
    const std::vector<uint8_t> reference = ReferenceDpx();
    for (const Case& c : cases) {
        TempFolder folder;
        folder.Enter();
        WriteWholeFile("ONE.EII", GoodBankImage());
        WriteWholeFile("TWO.EII", GoodBankImage());
        // The batch meets the banks in listing order.
        std::vector<std::string> banks;
        for (const std::string& name : PlatformListing())
            if (name == "ONE.EII" || name == "TWO.EII") banks.push_back(name);
        ASSERT_EQ(banks.size(), 2u);
        const std::string& first = banks[0];
        const std::string& second = banks[1];

        InjectFault(c.fault.call, c.fault.occurrence, c.fault.errorNumber);
        const std::string output = RunConverter(RunVeltra, {"B"});
        ClearInjectedFaults();

        const std::string expected =
            kVeltraBanner + WithNames(c.report, first, DpxName(first)) +
            WithNames(kProcessing + "...DPX file {out} has been created.\n", second, DpxName(second)) +
            VeltraSummary(c.firstConverted ? 2 : 1);
        EXPECT_EQ(output, expected) << c.what;
        const std::vector<std::string> left = FilesHere();
        std::vector<std::string> expectedLeft = {"ONE.EII", "TWO.EII", DpxName(second)};
        if (c.firstConverted) expectedLeft.push_back(DpxName(first));
        std::sort(expectedLeft.begin(), expectedLeft.end());
        EXPECT_EQ(left, expectedLeft) << c.what;
        EXPECT_TRUE(ReadWholeFile(DpxName(second)) == reference) << c.what;
        if (c.firstConverted) {
            EXPECT_TRUE(ReadWholeFile(DpxName(first)) == reference) << c.what;
        }
    }
}
