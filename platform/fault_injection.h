// Failing disks on demand, for the tests: a test arms a fault ("the second read from now fails
// with error 23"), runs the code under test and sees the path that a failing disk or a full
// folder would take. The platform implementations of files.h and folder.h ask at the top of
// every call whether it is to fail; while nothing is armed that costs one test of a counter.
// Nothing in the programs arms a fault: no command line, file or setting reaches this.
#pragma once

#include <cstdint>

// The platform calls that can be made to fail, named after the operations of files.h and folder.h.
enum class PlatformCall : int32_t {
    kOpenForReading,      // OpenForReadingUnshared
    kCreateForWriting,    // CreateForWritingUnshared
    kQueryFileSize,       // QueryFileSize
    kMoveFilePosition,    // MoveFilePosition
    kReadFromFile,        // ReadFromFile fails
    kShortRead,           // ReadFromFile delivers half the bytes asked and reports success
    kWriteToFile,         // WriteToFile fails
    kShortWrite,          // WriteToFile writes half the bytes asked and reports success
    kDeleteFile,          // DeleteNamedFile
    kStartFolderListing,  // StartFolderListing
    kNextFolderEntry,     // NextFolderEntry: an error while the listing goes on
    kQueryIdentity,       // QueryPathKind and QueryOpenFileIdentity
    kCreateExclusively,   // CreateExclusively
    kFlushToDisk,         // FlushToDisk
    kRenameFile,          // ReplaceNamedFile and RenameWithoutReplacing
};

// The most faults that can be armed at the same time.
constexpr int32_t kMaxInjectedFaults = 8;

// Arms a fault: the occurrence-th call of that kind from now (1 = the very next one) fails and
// leaves errorNumber as the system's last error. A short read or write instead moves half the
// bytes asked and reports success; a read counts towards kReadFromFile and kShortRead faults
// alike, a write towards kWriteToFile and kShortWrite. Each fault fires once. An occurrence below
// 1, or a fault beyond kMaxInjectedFaults armed ones, arms nothing.
void InjectFault(PlatformCall call, int32_t occurrence, uint32_t errorNumber);
// Disarms every fault that has not fired yet.
void ClearInjectedFaults();

// The check at the top of every platform call: counts the call and returns false when an armed
// fault makes it fail; its error number is then recorded as the last system error. For reads and
// writes (count given), an armed short transfer halves *count instead and the call goes on.
bool PassesInjectedFaults(PlatformCall call, uint32_t* count = nullptr);
