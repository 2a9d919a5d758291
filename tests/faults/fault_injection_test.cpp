// The platform layer failing on demand: exactly the chosen call of a kind fails, with the chosen
// error number, and leaves the file as it was; short transfers move half the bytes and succeed.
#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/folder.h"
#include "tests/faults/fault_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using FaultInjectionTest = FaultTest;

constexpr uint32_t kTransferBytes = 100;
const char kDataFile[] = "DATA.BIN";  // 200 bytes, there before every call
const char kOutFile[] = "OUT.BIN";

struct CallResult {
    bool ok;
    uint32_t moved;  // bytes a read delivered or a write took; 0 for other calls
};

// Makes one call of the kind on the files of the current folder, with whatever opening or
// listing it needs around it.
CallResult MakeCall(PlatformCall call) {
    FileHandle file;
    CallResult result{false, 0};
    std::vector<uint8_t> buffer(kTransferBytes, 0x5A);
    switch (call) {
        case PlatformCall::kOpenForReading:
            result.ok = OpenForReadingUnshared(kDataFile, &file);
            if (result.ok) CloseFile(file);
            break;
        case PlatformCall::kCreateForWriting:
            result.ok = CreateForWritingUnshared(kOutFile, &file);
            if (result.ok) CloseFile(file);
            break;
        case PlatformCall::kQueryFileSize: {
            uint32_t low = 0;
            uint32_t high = 0;
            if (!OpenForReadingUnshared(kDataFile, &file)) break;
            result.ok = QueryFileSize(file, &low, &high) && low == 200 && high == 0;
            CloseFile(file);
            break;
        }
        case PlatformCall::kMoveFilePosition:
            if (!OpenForReadingUnshared(kDataFile, &file)) break;
            result.ok = MoveFilePosition(file, 10);
            CloseFile(file);
            break;
        case PlatformCall::kReadFromFile:
        case PlatformCall::kShortRead:
            if (!OpenForReadingUnshared(kDataFile, &file)) break;
            result.ok = ReadFromFile(file, buffer.data(), kTransferBytes, &result.moved);
            CloseFile(file);
            break;
        case PlatformCall::kWriteToFile:
        case PlatformCall::kShortWrite:
            if (!CreateForWritingUnshared(kOutFile, &file)) break;
            result.ok = WriteToFile(file, buffer.data(), kTransferBytes, &result.moved);
            CloseFile(file);
            break;
        case PlatformCall::kDeleteFile:
            WriteWholeFile(kOutFile, {1, 2, 3});
            result.ok = DeleteNamedFile(kOutFile);
            break;
        case PlatformCall::kStartFolderListing: {
            FolderListing listing;
            FolderEntry entry;
            result.ok = StartFolderListing(&listing, &entry);
            if (result.ok) EndFolderListing(&listing);
            break;
        }
        case PlatformCall::kQueryIdentity: {
            PathKind kind = PathKind::kMissing;
            FileIdentity identity;
            result.ok = QueryPathKind(kDataFile, &kind, &identity) && kind == PathKind::kRegularFile;
            break;
        }
        case PlatformCall::kCreateExclusively:
            std::filesystem::remove(kOutFile);
            result.ok = CreateExclusively(kOutFile, &file);
            if (result.ok) CloseFile(file);
            break;
        case PlatformCall::kFlushToDisk:
            if (!CreateForWritingUnshared(kOutFile, &file)) break;
            result.ok = FlushToDisk(file);
            CloseFile(file);
            break;
        case PlatformCall::kRenameFile:
            WriteWholeFile(kOutFile, {1, 2, 3});
            result.ok = ReplaceNamedFile(kOutFile, "RENAMED.BIN");
            break;
        case PlatformCall::kNextFolderEntry: {
            FolderListing listing;
            FolderEntry entry;
            if (!StartFolderListing(&listing, &entry)) break;
            result.ok = NextFolderEntry(&listing, &entry);
            EndFolderListing(&listing);
            break;
        }
    }
    return result;
}

// A folder with the data file and a few more entries, so that a listing has a next entry.
void FillFolder() {
    WriteWholeFile(kDataFile, std::vector<uint8_t>(200, 0x11));
    WriteWholeFile("MORE1.BIN", {1});
    WriteWholeFile("MORE2.BIN", {2});
}

}  // namespace

TEST_F(FaultInjectionTest, OnlyTheChosenCallOfTheKindFails) {
    struct Case {
        const char* what;
        PlatformCall call;
        int32_t occurrence;
        uint32_t errorNumber;
        bool shortTransfer;
    };
    const Case cases[] = {
        {"open for reading, next call", PlatformCall::kOpenForReading, 1, 2, false},
        {"open for reading, sharing violation", PlatformCall::kOpenForReading, 3, kSharingViolation, false},
        {"create for writing", PlatformCall::kCreateForWriting, 2, 5, false},
        {"size query", PlatformCall::kQueryFileSize, 4, 6, false},
        {"positioning", PlatformCall::kMoveFilePosition, 2, 131, false},
        {"read", PlatformCall::kReadFromFile, 1, 23, false},
        {"short read", PlatformCall::kShortRead, 2, 0, true},
        {"write", PlatformCall::kWriteToFile, 3, 112, false},
        {"short write", PlatformCall::kShortWrite, 1, 0, true},
        {"delete", PlatformCall::kDeleteFile, 2, 5, false},
        {"listing start", PlatformCall::kStartFolderListing, 1, 3, false},
        {"listing next", PlatformCall::kNextFolderEntry, 3, 59, false},
        {"identity query", PlatformCall::kQueryIdentity, 2, 5, false},
        {"exclusive create", PlatformCall::kCreateExclusively, 1, 17, false},
        {"flush to disk", PlatformCall::kFlushToDisk, 4, 5, false},
        {"rename", PlatformCall::kRenameFile, 2, 18, false},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.Enter();
        FillFolder();
        InjectFault(c.call, c.occurrence, c.errorNumber);
        for (int32_t number = 1; number <= 5; ++number) {
            const CallResult result = MakeCall(c.call);
            const bool transfer = c.call == PlatformCall::kReadFromFile ||
                                  c.call == PlatformCall::kShortRead ||
                                  c.call == PlatformCall::kWriteToFile || c.call == PlatformCall::kShortWrite;
            const bool chosen = number == c.occurrence;
            if (chosen && !c.shortTransfer) {
                EXPECT_FALSE(result.ok) << c.what << ", call " << number;
                EXPECT_EQ(LastSystemError(), c.errorNumber) << c.what;
                EXPECT_EQ(result.moved, 0u) << c.what;
                continue;
            }
            EXPECT_TRUE(result.ok) << c.what << ", call " << number;
            const uint32_t expectedMoved = !transfer ? 0 : chosen ? kTransferBytes / 2 : kTransferBytes;
            EXPECT_EQ(result.moved, expectedMoved) << c.what << ", call " << number;
        }
    }
}

TEST_F(FaultInjectionTest, ArmedFaultsCountTheirOwnKindAndFireOnce) {
    struct Case {
        const char* what;
        std::vector<FaultPlan> faults;
        std::vector<PlatformCall> calls;
        std::vector<bool> expectedOk;
        std::vector<uint32_t> expectedMoved;
    };
    const PlatformCall kRead = PlatformCall::kReadFromFile;
    const PlatformCall kWrite = PlatformCall::kWriteToFile;
    const Case cases[] = {
        {"a read fault ignores writes",
         {{PlatformCall::kReadFromFile, 2, 30}},
         {kWrite, kRead, kWrite, kRead, kRead},
         {true, true, true, false, true},
         {100, 100, 100, 0, 100}},
        {"short and failing reads count the same reads",
         {{PlatformCall::kShortRead, 1, 0}, {PlatformCall::kReadFromFile, 2, 23}},
         {kRead, kRead, kRead},
         {true, false, true},
         {50, 0, 100}},
        {"a failure and a short transfer on the same call: the call fails",
         {{PlatformCall::kShortWrite, 2, 0}, {PlatformCall::kWriteToFile, 2, 112}},
         {kWrite, kWrite, kWrite},
         {true, false, true},
         {100, 0, 100}},
        {"an occurrence below 1 arms nothing",
         {{PlatformCall::kReadFromFile, 0, 23}, {PlatformCall::kWriteToFile, -1, 23}},
         {kRead, kWrite},
         {true, true},
         {100, 100}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.Enter();
        FillFolder();
        for (const FaultPlan& fault : c.faults) InjectFault(fault.call, fault.occurrence, fault.errorNumber);
        for (size_t index = 0; index < c.calls.size(); ++index) {
            const CallResult result = MakeCall(c.calls[index]);
            EXPECT_EQ(result.ok, c.expectedOk[index]) << c.what << ", call " << index + 1;
            EXPECT_EQ(result.moved, c.expectedMoved[index]) << c.what << ", call " << index + 1;
        }
    }
}

TEST_F(FaultInjectionTest, ClearingDisarmsEveryFault) {
    const PlatformCall calls[] = {PlatformCall::kOpenForReading, PlatformCall::kCreateForWriting,
                                  PlatformCall::kShortRead, PlatformCall::kDeleteFile,
                                  PlatformCall::kStartFolderListing};
    for (const PlatformCall call : calls) {
        TempFolder folder;
        folder.Enter();
        FillFolder();
        InjectFault(call, 1, 5);
        ClearInjectedFaults();
        const CallResult result = MakeCall(call);
        EXPECT_TRUE(result.ok) << static_cast<int>(call);
        if (call == PlatformCall::kShortRead) {
            EXPECT_EQ(result.moved, kTransferBytes);
        }
    }
}

TEST_F(FaultInjectionTest, ARefusedCallLeavesTheFileAsItWas) {
    struct Case {
        const char* what;
        PlatformCall call;
    };
    const Case cases[] = {
        {"create refused: the old contents stay", PlatformCall::kCreateForWriting},
        {"delete refused: the file stays", PlatformCall::kDeleteFile},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.Enter();
        const std::vector<uint8_t> old = {9, 8, 7, 6};
        WriteWholeFile(kOutFile, old);
        InjectFault(c.call, 1, 5);
        FileHandle file;
        const bool ok = c.call == PlatformCall::kCreateForWriting ? CreateForWritingUnshared(kOutFile, &file)
                                                                  : DeleteNamedFile(kOutFile);
        EXPECT_FALSE(ok) << c.what;
        EXPECT_EQ(LastSystemError(), 5u) << c.what;
        EXPECT_TRUE(ReadWholeFile(folder.File(kOutFile)) == old) << c.what;
    }
}
