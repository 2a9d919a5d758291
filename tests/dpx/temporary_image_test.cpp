#include "dpx/temporary_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr size_t kImageSize = 901120;
constexpr size_t kTrackSize = 5632;
constexpr size_t kTrackDataSize = 5120;

// A DPX image whose data bytes tell their data address apart and whose file-system block begins
// with the identification text given.
std::vector<uint8_t> DpxImage(const char* identification, size_t size = kImageSize) {
    std::vector<uint8_t> image(size, 0);
    for (size_t offset = 0; offset < size; ++offset) {
        size_t track = offset / kTrackSize;
        size_t within = offset % kTrackSize;
        image[offset] = within < kTrackDataSize
                            ? static_cast<uint8_t>((track * kTrackDataSize + within) % 251)
                            : static_cast<uint8_t>(0xA5);
    }
    if (size >= kTrackDataSize + std::strlen(identification))
        std::memcpy(&image[kTrackDataSize], identification, std::strlen(identification));
    return image;
}

std::string TextOf(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(CreateTemporaryImageTest, WritesTheDataSpaceInTrackOrder) {
    TempFolder folder;
    std::string dpx = folder.File("BANK.DPX");
    std::string temporary = folder.File("_MORVEXTMP_.IMG");
    WriteWholeFile(dpx, DpxImage("(c)1987 Oberheim/ECC DPX-1  "));

    std::vector<uint8_t> block(512, 0);
    StatusRecord status = CreateTemporaryImage(0, dpx.c_str(), temporary.c_str(), block.data());
    ASSERT_EQ(status.code, 0) << status.message;
    std::vector<uint8_t> data = ReadWholeFile(temporary);
    ASSERT_EQ(data.size(), 819200u);
    for (size_t address = 0; address < data.size(); ++address)
        ASSERT_EQ(data[address], static_cast<uint8_t>(address % 251)) << address;
    // The file-system block comes with it, from the one read of the DPX file.
    const std::vector<uint8_t> image = DpxImage("(c)1987 Oberheim/ECC DPX-1  ");
    EXPECT_TRUE(std::equal(block.begin(), block.end(), image.begin() + kTrackDataSize));
}

TEST(CreateTemporaryImageTest, RefusesFilesThatAreNoDpxImage) {
    struct Case {
        const char* what;
        const char* identification;
        size_t size;
        int32_t code;
        char severity;
        const char* message;  // %s stands for the DPX path
    };
    const Case cases[] = {
        {"one byte short", "(c)1987 Oberheim", kImageSize - 1, 11001, 'W',
         "%s is not a DPX file (wrong size)"},
        {"one byte long", "(c)1987 Oberheim", kImageSize + 1, 11001, 'W',
         "%s is not a DPX file (wrong size)"},
        {"empty", "", 0, 11001, 'W', "%s is not a DPX file (wrong size)"},
        {"maker in capitals", "(c)1987 OBERHEIM", kImageSize, 11004, 'E',
         "File %s is not a DPX file (wrong ID)"},
        {"no identification", "", kImageSize, 11004, 'E', "File %s is not a DPX file (wrong ID)"},
        {"maker one byte late", "(c)1987  Oberheim", kImageSize, 11004, 'E',
         "File %s is not a DPX file (wrong ID)"},
        {"only the maker's name checked", "XXXXXXXXOberheimXX", kImageSize, 0, ' ', ""},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        std::string dpx = folder.File("IN.DPX");
        std::string temporary = folder.File("_MORVEXTMP_.IMG");
        WriteWholeFile(dpx, DpxImage(c.identification, c.size));
        StatusRecord status = CreateTemporaryImage(0, dpx.c_str(), temporary.c_str());
        EXPECT_EQ(status.code, c.code) << c.what;
        EXPECT_EQ(status.severity, c.severity) << c.what;
        std::string expected = c.message;
        if (expected.find("%s") != std::string::npos) expected.replace(expected.find("%s"), 2, dpx);
        EXPECT_EQ(std::string(status.message), expected) << c.what;
    }
}

TEST(CreateTemporaryImageTest, OpenAndCreateFailuresNameTheirFile) {
    TempFolder folder;
    std::string dpx = folder.File("IN.DPX");
    std::string temporary = folder.File("_MORVEXTMP_.IMG");
    std::string missing = folder.File("MISSING.DPX");
    std::string nowhere = folder.File("no folder/_MORVEXTMP_.IMG");
    WriteWholeFile(dpx, DpxImage("(c)1987 Oberheim"));

    StatusRecord status = CreateTemporaryImage(0, missing.c_str(), temporary.c_str());
    EXPECT_EQ(status.code, 11002);
    EXPECT_EQ(std::string(status.message).rfind("Problem opening file " + missing + ". Error is ", 0), 0u);

    status = CreateTemporaryImage(0, dpx.c_str(), nowhere.c_str());
    EXPECT_EQ(status.code, 11006);
    EXPECT_EQ(std::string(status.message).rfind("Problem opening file " + nowhere + ". Error is ", 0), 0u);

    FileHandle held;
    ASSERT_TRUE(OpenForReadingUnshared(dpx.c_str(), &held));
    status = CreateTemporaryImage(0, dpx.c_str(), temporary.c_str());
    CloseFile(held);
    EXPECT_EQ(status.code, 11002);
    EXPECT_EQ(std::string(status.message),
              "File " + dpx + " is probably in use by another program. Error is 32.");
}

TEST(CreateTemporaryImageTest, ANameInUseIsLeftAsItIsAndTheFileRefused) {
    enum class InTheWay { kOtherFile, kTheInput, kDanglingLink };
    struct Case {
        const char* what;
        InTheWay inTheWay;
        int32_t code;
        const char* message;  // {dpx} and {tmp} stand for the paths
    };
    const Case cases[] = {
        {"a file of the user's", InTheWay::kOtherFile, 11015,
         "A file {tmp} that MORVEX did not make is in the way; {dpx} has not been converted."},
        {"the DPX image itself", InTheWay::kTheInput, 11016,
         "The input file {dpx} is the temporary image of MORVEX."},
#ifndef _WIN32
        {"a link that leads nowhere", InTheWay::kDanglingLink, 11015,
         "A file {tmp} that MORVEX did not make is in the way; {dpx} has not been converted."},
#endif
    };
    const std::vector<uint8_t> image = DpxImage("(c)1987 Oberheim");
    for (const Case& c : cases) {
        TempFolder folder;
        std::string temporary = folder.File("_MORVEXTMP_.IMG");
        std::string dpx = c.inTheWay == InTheWay::kTheInput ? temporary : folder.File("IN.DPX");
        WriteWholeFile(dpx, image);
        if (c.inTheWay == InTheWay::kOtherFile) WriteTextFile(temporary, "the user's own");
        if (c.inTheWay == InTheWay::kDanglingLink)
            std::filesystem::create_symlink(folder.File("nowhere"), temporary);
        TemporaryImage made{temporary.c_str(), false, {}};
        StatusRecord status = CreateTemporaryImage(0, dpx.c_str(), &made);
        EXPECT_EQ(status.code, c.code) << c.what;
        std::string expected = c.message;
        for (const auto& [token, path] :
             {std::pair{std::string("{dpx}"), dpx}, std::pair{std::string("{tmp}"), temporary}})
            if (expected.find(token) != std::string::npos)
                expected.replace(expected.find(token), token.size(), path);
        EXPECT_EQ(std::string(status.message), expected) << c.what;
        EXPECT_FALSE(made.created) << c.what;
        RemoveTemporaryImage(&made);
        // Whatever was in the way is still there, as it was.
        const bool left = c.inTheWay == InTheWay::kOtherFile  ? TextOf(temporary) == "the user's own"
                          : c.inTheWay == InTheWay::kTheInput ? ReadWholeFile(dpx) == image
                                                              : std::filesystem::is_symlink(temporary);
        EXPECT_TRUE(left) << c.what;
    }
}

TEST(CreateTemporaryImageTest, OnlyTheFileThisRunMadeIsDeleted) {
    enum class Then { kNothing, kReplacedByAnother, kDeleteFailsOnce };
    struct Case {
        const char* what;
        Then then;
        bool leftAfterFirstRemove;
        const char* finalContent;  // of the name after the second remove; "" when gone
    };
    const Case cases[] = {
        {"its own image is deleted", Then::kNothing, false, ""},
        {"a file that took its name stays", Then::kReplacedByAnother, true, "another program's"},
        {"a failed delete is tried again", Then::kDeleteFailsOnce, true, ""},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        std::string dpx = folder.File("IN.DPX");
        std::string temporary = folder.File("_MORVEXTMP_.IMG");
        WriteWholeFile(dpx, DpxImage("(c)1987 Oberheim"));
        TemporaryImage made{temporary.c_str(), false, {}};
        ASSERT_EQ(CreateTemporaryImage(0, dpx.c_str(), &made).code, 0) << c.what;
        EXPECT_TRUE(made.created) << c.what;
        if (c.then == Then::kReplacedByAnother) {
            // Moved away rather than deleted, so that the new file cannot get the same inode.
            std::filesystem::rename(temporary, folder.File("MOVED.IMG"));
            WriteTextFile(temporary, "another program's");
        }
        if (c.then == Then::kDeleteFailsOnce) InjectFault(PlatformCall::kDeleteFile, 1, 5);
        RemoveTemporaryImage(&made);
        ClearInjectedFaults();
        EXPECT_EQ(std::filesystem::exists(temporary), c.leftAfterFirstRemove) << c.what;
        RemoveTemporaryImage(&made);
        EXPECT_FALSE(made.created) << c.what;
        EXPECT_EQ(std::filesystem::exists(temporary) ? TextOf(temporary) : "", c.finalContent) << c.what;
    }
}
