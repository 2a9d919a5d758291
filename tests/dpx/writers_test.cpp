#include "dpx/writers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/trace.h"
#include "platform/files.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_folder.h"

namespace {

// The error number of a path whose folder does not exist.
#ifdef _WIN32
constexpr uint32_t kPathNotFound = 3;
#else
constexpr uint32_t kPathNotFound = 2;
#endif
constexpr uint32_t kFileTooLarge = 27;

struct ImageKind {
    const char* what;
    StatusRecord (*write)(int8_t, const char*, const uint8_t*, ExistingName);
    size_t size;
    int32_t createFailureCode;
    int32_t writeFailureCode;
    const char* operation;
};

const ImageKind kKinds[] = {
    {"DPX image", WriteDPXImage, 901120, 804, 805, "WriteDPXImage"},
    {"EII image", WriteEIIImage, 485887, 20030, 20031, "WriteEIIImage"},
};

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t index = 0; index < size; ++index)
        bytes[index] = static_cast<uint8_t>(index * 7 + index / 251);
    return bytes;
}

// The names in the folder, hidden ones included.
std::vector<std::string> FolderNames(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string WriteFailure(const std::string& path, uint32_t error) {
    return "Problem writing file " + path + ". Error is " + std::to_string(error) + ".";
}

}  // namespace

TEST(WriteImageTest, WritesTheWholeImageOverAnyExistingFile) {
    struct Case {
        const char* what;
        long existingSize;  // -1: no file before
    };
    const Case cases[] = {
        {"new file", -1}, {"empty file", 0}, {"shorter file", 1000}, {"longer file", 2000000}};
    TempFolder folder;
    for (const ImageKind& kind : kKinds) {
        const std::vector<uint8_t> image = Pattern(kind.size);
        for (const Case& c : cases) {
            std::string path = folder.File("out.img");
            std::filesystem::remove(path);
            if (c.existingSize >= 0)
                WriteWholeFile(path, std::vector<uint8_t>(static_cast<size_t>(c.existingSize), 0x5A));
            StatusRecord status = kind.write(0, path.c_str(), image.data(), ExistingName::kReplace);
            EXPECT_EQ(status.code, 0) << kind.what << ", " << c.what << ": " << status.message;
            EXPECT_TRUE(ReadWholeFile(path) == image) << kind.what << ", " << c.what;
        }
    }
}

TEST(WriteImageTest, MissingFolderIsACreateFailure) {
    TempFolder folder;
    std::string path = folder.File("missing") + "/out.img";
    for (const ImageKind& kind : kKinds) {
        std::vector<uint8_t> image(kind.size, 0);
        StartConsoleCapture();
        StatusRecord status = kind.write(kTraceCalls, path.c_str(), image.data(), ExistingName::kReplace);
        std::string console = StopConsoleCapture();
        EXPECT_EQ(status.code, kind.createFailureCode) << kind.what;
        EXPECT_EQ(status.severity, 'E') << kind.what;
        EXPECT_EQ(std::string(status.message), WriteFailure(path, kPathNotFound)) << kind.what;
        EXPECT_EQ(console, std::string("--") + kind.operation + "--\n") << kind.what;
        EXPECT_FALSE(std::filesystem::exists(folder.File("missing"))) << kind.what;
    }
}

// A file another program holds open is either replaced as a whole (the holder keeps reading the
// old file) or, where the system refuses that, left exactly as it was.
TEST(WriteImageTest, FileHeldByAnotherOpenerIsReplacedWholeOrLeftAlone) {
    TempFolder folder;
    for (const ImageKind& kind : kKinds) {
        std::string path = folder.File("held.img");
        const std::vector<uint8_t> before = Pattern(100);
        WriteWholeFile(path, before);
        FileHandle held;
        ASSERT_TRUE(OpenForReadingUnshared(path.c_str(), &held));
        std::vector<uint8_t> image(kind.size, 0);
        StatusRecord status = kind.write(0, path.c_str(), image.data(), ExistingName::kReplace);
        CloseFile(held);
        EXPECT_TRUE(status.code == 0 ? ReadWholeFile(path) == image : ReadWholeFile(path) == before)
            << kind.what;
        EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"held.img"}) << kind.what;
    }
}

TEST(WriteImageTest, TraceLinesOnSuccess) {
    TempFolder folder;
    for (const ImageKind& kind : kKinds) {
        std::vector<uint8_t> image(kind.size, 0);
        std::string path = folder.File("traced.img");
        StartConsoleCapture();
        StatusRecord status = kind.write(kTraceCalls, path.c_str(), image.data(), ExistingName::kReplace);
        std::string console = StopConsoleCapture();
        EXPECT_EQ(status.code, 0) << kind.what;
        EXPECT_EQ(console, std::string("--") + kind.operation + "--\n--END: " + kind.operation + "--\n")
            << kind.what;
    }
}

// Runs only where the test runner limits the size of the files the test may write (the
// dpx_file_size_limit_tests entry): the limit lies between the two image sizes, so the DPX image
// cannot be written whole while the Emulator II image can.
TEST(WriteImageUnderFileSizeLimitTest, FailedWriteLeavesNoPartialFile) {
    const char* limit = std::getenv("DPX_TESTS_FILE_SIZE_LIMIT");
    if (limit == nullptr) GTEST_SKIP() << "no file size limit in force";
    ASSERT_GT(std::atol(limit), 485887);
    ASSERT_LT(std::atol(limit), 901120);
    TempFolder folder;
    struct Case {
        const char* what;
        const ImageKind& kind;
        bool existing;
        int32_t code;
    };
    const Case cases[] = {
        {"DPX image, new file", kKinds[0], false, 805},
        {"DPX image over an older file", kKinds[0], true, 805},
        {"EII image fits", kKinds[1], false, 0},
    };
    for (const Case& c : cases) {
        std::string path = folder.File("limited.img");
        std::filesystem::remove(path);
        if (c.existing) WriteWholeFile(path, Pattern(1000));
        const std::vector<uint8_t> image = Pattern(c.kind.size);
        StatusRecord status = c.kind.write(0, path.c_str(), image.data(), ExistingName::kReplace);
        EXPECT_EQ(status.code, c.code) << c.what;
        if (c.code == 0) {
            EXPECT_TRUE(ReadWholeFile(path) == image) << c.what;
        } else {
            EXPECT_EQ(status.severity, 'E') << c.what;
            // The system refuses the write that would pass the limit: "file too large".
            EXPECT_EQ(std::string(status.message), WriteFailure(path, kFileTooLarge)) << c.what;
            // An older file stays as it was; nothing else is left behind.
            EXPECT_TRUE(c.existing ? ReadWholeFile(path) == Pattern(1000) : !std::filesystem::exists(path))
                << c.what;
            EXPECT_EQ(FolderNames(folder).size(), c.existing ? 1u : 0u) << c.what;
        }
    }
}
