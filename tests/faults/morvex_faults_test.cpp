// MORVEX through failing file calls: a batch of two DPX images of a good bank in which a call
// fails while the first is processed. The failure is reported with its code and message, the
// first file leaves neither an EII image nor the temporary image behind, nothing stays allocated
// (the sanitizer build checks for leaks), and the second image still converts exactly as it does
// without a fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "convert/morvex.h"
#include "convert/veltra.h"
#include "tests/faults/fault_test_support.h"
#include "tests/programs/program_texts.h"
#include "tests/support/temp_folder.h"

namespace {

using MorvexFaultTest = FaultTest;

const std::string kProcessing = "Processing file {in}...\n";
const std::string kCreated = "...EII file {out} has been created.\n";

// The DPX image of the good bank, made by VELTRA, and the EII image MORVEX makes of it when
// nothing fails.
struct Reference {
    std::vector<uint8_t> dpx;
    std::vector<uint8_t> eii;
};

Reference MakeReference() {
    TempFolder folder;
    folder.Enter();
    WriteWholeFile("BANK.EII", GoodBankImage());
    RunConverter(RunVeltra, {"S", "BANK.EII"});
    Reference reference;
    reference.dpx = ReadWholeFile("BANK.DPX");
    RunConverter(RunMorvex, {"S", "BANK.DPX", "BACK.EII"});
    reference.eii = ReadWholeFile("BACK.EII");
    return reference;
}

std::string EiiName(const std::string& dpxName) {
    return dpxName.substr(0, dpxName.size() - 4) + ".EII";
}

}  // namespace

TEST_F(MorvexFaultTest, AFailingCallSkipsTheFileAndTheBatchGoesOn) {
    // The calls one DPX image makes, in order. The DPX file is read once: opened (open 1), its size
    // asked (size 1), its first track read for the identification (read 1) and the other tracks in
    // one piece (read 2). The temporary image is created (create 1) and its data space written in
    // one call (write 1). The temporary image is recognised by its size (open 2, size 2) and read
    // once (open 3, read 3); the bank and the translation are served from it, and the file-system
    // block from the DPX file read before. The EII image is created (create 2) and written
    // (write 2); the temporary image is deleted (delete 1; delete 2 when a failed write removed
    // the EII image).
    struct Case {
        const char* what;
        FaultPlan fault;
        std::string report;  // what the first file prints
        bool firstConverted;
    };
    const Case cases[] = {
        {"DPX file cannot be opened",
         {PlatformCall::kOpenForReading, 1, 2},
         "ERROR: Problem opening file {in}. Error is 2. (11002)\n",
         false},
        {"DPX file held by another program",
         {PlatformCall::kOpenForReading, 1, 32},
         "ERROR: File {in} is probably in use by another program. Error is 32. (11002)\n",
         false},
        {"DPX size query fails",
         {PlatformCall::kQueryFileSize, 1, 5},
         "ERROR: Problem reading size of file {in}. Error is 5. (11000)\n",
         false},
        {"identification read fails",
         {PlatformCall::kReadFromFile, 1, 23},
         "ERROR: Problem reading file {in}. Error is 23. (11003)\n",
         false},
        {"identification read ends early",
         {PlatformCall::kShortRead, 1, 0},
         "ERROR: Problem reading file {in}. Error is 0. (11003)\n",
         false},
        // The DPX file is not opened again: the next open is the temporary image's.
        {"second open is the temporary image's",
         {PlatformCall::kOpenForReading, 2, 5},
         "ERROR: Problem opening file _MORVEXTMP_.IMG. Error is 5. (566)\n",
         false},
        {"temporary image cannot be created",
         {PlatformCall::kCreateExclusively, 1, 5},
         "ERROR: Problem opening file _MORVEXTMP_.IMG. Error is 5. (11006)\n",
         false},
        {"temporary image held by another program",
         {PlatformCall::kCreateExclusively, 1, 32},
         "ERROR: File _MORVEXTMP_.IMG is probably in use by another program. Error is 32. (11006)\n",
         false},
        {"read of the other tracks fails",
         {PlatformCall::kReadFromFile, 2, 23},
         "ERROR: Problem reading file {in}. Error is 23. (11007)\n",
         false},
        {"read of the other tracks ends early",
         {PlatformCall::kShortRead, 2, 0},
         "ERROR: Problem reading file {in}. Error is 0. (11007)\n",
         false},
        {"read of the other tracks fails: device error",
         {PlatformCall::kReadFromFile, 2, 30},
         "ERROR: Problem reading file {in}. Error is 30. (11007)\n",
         false},
        {"data space write fails",
         {PlatformCall::kWriteToFile, 1, 112},
         "ERROR: Problem writing file _MORVEXTMP_.IMG. Error is 112. (11008)\n",
         false},
        {"data space write falls short",
         {PlatformCall::kShortWrite, 1, 0},
         "ERROR: Problem writing file _MORVEXTMP_.IMG. Error is 0. (11008)\n",
         false},
        {"temporary image cannot be opened for its size",
         {PlatformCall::kOpenForReading, 2, 32},
         "ERROR: File _MORVEXTMP_.IMG is probably in use by another program. Error is 32. (566)\n",
         false},
        {"temporary image size query fails",
         {PlatformCall::kQueryFileSize, 2, 5},
         "ERROR: Problem reading size of file _MORVEXTMP_.IMG. Error is 5. (565)\n",
         false},
        {"temporary image read cannot open it",
         {PlatformCall::kOpenForReading, 3, 5},
         "ERROR: Problem opening file _MORVEXTMP_.IMG. Error is 5. (9)\n",
         false},
        // Neither the temporary image nor the DPX file is positioned.
        {"nothing is positioned", {PlatformCall::kMoveFilePosition, 1, 131}, kProcessing + kCreated, true},
        {"temporary image read fails",
         {PlatformCall::kReadFromFile, 3, 23},
         "ERROR: Problem reading file _MORVEXTMP_.IMG. Error is 23. (11)\n",
         false},
        {"temporary image read ends early",
         {PlatformCall::kShortRead, 3, 0},
         "ERROR: Problem reading file _MORVEXTMP_.IMG. Error is 0. (11)\n",
         false},
        {"temporary image read finds it held by another program",
         {PlatformCall::kOpenForReading, 3, 32},
         "ERROR: Problem opening file _MORVEXTMP_.IMG. Error is 32. (9)\n",
         false},
        {"temporary image read fails: device error",
         {PlatformCall::kReadFromFile, 3, 30},
         "ERROR: Problem reading file _MORVEXTMP_.IMG. Error is 30. (11)\n",
         false},
        {"EII image cannot be created",
         {PlatformCall::kCreateExclusively, 2, 5},
         kProcessing + "ERROR: Problem writing file {out}. Error is 5. (20030)\n",
         false},
        {"EII image write fails: disk full",
         {PlatformCall::kWriteToFile, 2, 112},
         kProcessing + "ERROR: Problem writing file {out}. Error is 112. (20031)\n",
         false},
        {"EII image write takes half the image",
         {PlatformCall::kShortWrite, 2, 0},
         kProcessing + "ERROR: Problem writing file {out}. Error is 0. (20031)\n",
         false},
        // The next file's temporary image replaces the one left behind, and is deleted in turn.
        {"temporary image cannot be deleted",
         {PlatformCall::kDeleteFile, 1, 5},
         kProcessing + kCreated,
         true},
    };
    const Reference reference = MakeReference();
    for (const Case& c : cases) {
        TempFolder folder;
        folder.Enter();
        WriteWholeFile("ONE.DPX", reference.dpx);
        WriteWholeFile("TWO.DPX", reference.dpx);
        // The batch meets the images in listing order.
        std::vector<std::string> images;
        for (const std::string& name : PlatformListing())
            if (name == "ONE.DPX" || name == "TWO.DPX") images.push_back(name);
        ASSERT_EQ(images.size(), 2u);
        const std::string& first = images[0];
        const std::string& second = images[1];

        InjectFault(c.fault.call, c.fault.occurrence, c.fault.errorNumber);
        const std::string output = RunConverter(RunMorvex, {"B"});
        ClearInjectedFaults();

        const std::string expected = kMorvexBanner + WithNames(c.report, first, EiiName(first)) +
                                     WithNames(kProcessing + kCreated, second, EiiName(second)) +
                                     MorvexSummary(c.firstConverted ? 2 : 1);
        EXPECT_EQ(output, expected) << c.what;
        std::vector<std::string> expectedLeft = {"ONE.DPX", "TWO.DPX", EiiName(second)};
        if (c.firstConverted) expectedLeft.push_back(EiiName(first));
        std::sort(expectedLeft.begin(), expectedLeft.end());
        EXPECT_EQ(FilesHere(), expectedLeft) << c.what;
        EXPECT_TRUE(ReadWholeFile(EiiName(second)) == reference.eii) << c.what;
        if (c.firstConverted) {
            EXPECT_TRUE(ReadWholeFile(EiiName(first)) == reference.eii) << c.what;
        }
    }
}
