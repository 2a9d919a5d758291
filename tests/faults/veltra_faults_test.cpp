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
    // (size 1); the bank header (open 2, move 1, read 1) and the parameter area (open 3, move 2,
    // read 2) are read to recognise it; the whole bank is read (open 4, move 3, read 3); the
    // translation reads the leading area (open 5, move 4, read 4), each of the two samples for the
    // peak (reads 5 and 6) and the sample area (read 7); the DPX image is created (create 1) and
    // written in one call (write 1).
    struct Case {
        const char* what;
        FaultPlan fault;
        std::string report;  // what the first file prints
    };
    const Case cases[] = {
        {"size check cannot open the file",
         {PlatformCall::kOpenForReading, 1, 2},
         "ERROR: Problem opening file {in}. Error is 2. (566)\n"},
        {"size check finds the file held by another program",
         {PlatformCall::kOpenForReading, 1, 32},
         "ERROR: File {in} is probably in use by another program. Error is 32. (566)\n"},
        {"size query fails",
         {PlatformCall::kQueryFileSize, 1, 5},
         "ERROR: Problem reading size of file {in}. Error is 5. (565)\n"},
        {"header read cannot open the file",
         {PlatformCall::kOpenForReading, 2, 5},
         "ERROR: Problem opening file {in}. Error is 5. (9)\n"},
        {"header read cannot position",
         {PlatformCall::kMoveFilePosition, 1, 131},
         "ERROR: Problem positioning file read {in}. Error is 131. (12)\n"},
        {"header read fails",
         {PlatformCall::kReadFromFile, 1, 23},
         "ERROR: Problem reading file {in}. Error is 23. (11)\n"},
        {"header read ends early",
         {PlatformCall::kShortRead, 1, 0},
         "ERROR: Problem reading file {in}. Error is 0. (11)\n"},
        {"parameter area cannot be opened",
         {PlatformCall::kOpenForReading, 3, 5},
         "ERROR: Problem opening file {in}. Error is 5. (9)\n"},
        {"parameter area read ends early",
         {PlatformCall::kShortRead, 2, 0},
         "ERROR: Problem reading file {in}. Error is 0. (11)\n"},
        {"bank read cannot open the file",
         {PlatformCall::kOpenForReading, 4, 5},
         kProcessing + "ERROR: Problem opening file {in}. Error is 5. (9)\n"},
        {"bank read cannot position",
         {PlatformCall::kMoveFilePosition, 3, 131},
         kProcessing + "ERROR: Problem positioning file read {in}. Error is 131. (12)\n"},
        {"bank read fails",
         {PlatformCall::kReadFromFile, 3, 23},
         kProcessing + "ERROR: Problem reading file {in}. Error is 23. (11)\n"},
        {"leading area read fails",
         {PlatformCall::kReadFromFile, 4, 23},
         kProcessing + "ERROR: Problem reading file {in}. Error is 23. (11)\n"},
        {"first sample read for the peak ends early",
         {PlatformCall::kShortRead, 5, 0},
         kProcessing + "ERROR: Problem reading file {in}. Error is 0. (11)\n"},
        {"second sample read for the peak cannot be opened",
         {PlatformCall::kOpenForReading, 7, 5},
         kProcessing + "ERROR: Problem opening file {in}. Error is 5. (9)\n"},
        {"sample area read fails",
         {PlatformCall::kReadFromFile, 7, 30},
         kProcessing + "ERROR: Problem reading file {in}. Error is 30. (11)\n"},
        {"sample area read ends early",
         {PlatformCall::kShortRead, 7, 0},
         kProcessing + "ERROR: Problem reading file {in}. Error is 0. (11)\n"},
        {"DPX image cannot be created",
         {PlatformCall::kCreateExclusively, 1, 5},
         kProcessing + "ERROR: Problem writing file {out}. Error is 5. (804)\n"},
        {"DPX image held by another program",
         {PlatformCall::kCreateExclusively, 1, 32},
         kProcessing + "ERROR: Problem writing file {out}. Error is 32. (804)\n"},
        {"DPX image write fails: disk full",
         {PlatformCall::kWriteToFile, 1, 112},
         kProcessing + "ERROR: Problem writing file {out}. Error is 112. (805)\n"},
        {"DPX image write takes half the image",
         {PlatformCall::kShortWrite, 1, 0},
         kProcessing + "ERROR: Problem writing file {out}. Error is 0. (805)\n"},
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
            VeltraSummary(1);
        EXPECT_EQ(output, expected) << c.what;
        const std::vector<std::string> left = FilesHere();
        std::vector<std::string> expectedLeft = {"ONE.EII", "TWO.EII", DpxName(second)};
        std::sort(expectedLeft.begin(), expectedLeft.end());
        EXPECT_EQ(left, expectedLeft) << c.what;
        EXPECT_TRUE(ReadWholeFile(DpxName(second)) == reference) << c.what;
    }
}
