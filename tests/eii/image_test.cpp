#include "eii/image.h"

#include <gtest/gtest.h>

#include <string>

#include "common/trace.h"
#include "platform/files.h"
#include "tests/support/console_capture.h"
#include "tests/support/emu_image_builder.h"
#include "tests/support/temp_folder.h"

namespace {

struct Validation {
    StatusRecord status;
    uint8_t result;
    int32_t voices;
};

Validation Validate(const std::string& path, int32_t sizeCheck) {
    ImageOverview overview{};
    BankBasicDetails* header = InitBankBasicDetails(0, kContextNumber, kPassThroughByte, nullptr);
    Validation validation{ValidateImage(0, path.c_str(), &overview, header, sizeCheck),
                          overview.ValidationResult, header->NumberOfVoices};
    FreeBankBasicDetailsMem(0, kContextNumber, kPassThroughByte, header);
    delete header;
    return validation;
}

ImageOverview OverviewOf(const std::string& path) {
    ImageOverview overview{};
    std::snprintf(overview.Name, sizeof overview.Name, "%s", path.c_str());
    std::snprintf(overview.Path, sizeof overview.Path, "%s", path.c_str());
    return overview;
}

}  // namespace

TEST(ValidateImageTest, ResultTellsWhyAFileIsNoEmulatorImage) {
    struct Case {
        const char* what;
        void (*change)(EmuImageBuilder&);
        size_t size;
        int32_t sizeCheck;
        uint8_t expected;
    };
    const Case cases[] = {
        {"valid bank", [](EmuImageBuilder&) {}, 485887, 1, 1},
        {"one byte too long", [](EmuImageBuilder&) {}, 485888, 1, 17},
        {"one byte too short", [](EmuImageBuilder&) {}, 485886, 1, 17},
        {"empty file", [](EmuImageBuilder&) {}, 0, 1, 17},
        {"DPX image size", [](EmuImageBuilder&) {}, 901120, 1, 17},
        {"any size without the size check", [](EmuImageBuilder&) {}, 819200, 0, 1},
        {"current preset area", [](EmuImageBuilder& b) { b.Set(9, 'x'); }, 485887, 1, 60},
        {"preset addresses", [](EmuImageBuilder& b) { b.PresetEntry(0, 5, 0); }, 485887, 1, 61},
        {"voice addresses", [](EmuImageBuilder& b) { b.VoiceEntry(0, 154); }, 485887, 1, 62},
        {"main addresses", [](EmuImageBuilder& b) { b.ParameterAreaSize(26881); }, 485887, 1, 64},
        {"sample addresses",
         [](EmuImageBuilder& b) {
             b.ParameterAreaSize(1536).VoiceEntry(0, 155).VoiceSampleFields(1280, 485888, 0);
         },
         485887, 1, 65},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        std::string path = folder.File("bank.eii");
        EmuImageBuilder image;
        c.change(image);
        image.WriteTo(path, c.size);
        Validation validation = Validate(path, c.sizeCheck);
        EXPECT_EQ(validation.status.code, 0) << c.what << ": " << validation.status.message;
        EXPECT_EQ(validation.result, c.expected) << c.what;
    }
}

TEST(ValidateImageTest, FillsTheOverviewDescriptor) {
    TempFolder folder;
    std::string path = folder.File("bank.eii");
    EmuImageBuilder().WriteTo(path);
    ImageOverview overview{};
    BankBasicDetails* header = InitBankBasicDetails(0, kContextNumber, kPassThroughByte, nullptr);
    ASSERT_EQ(ValidateImage(0, path.c_str(), &overview, header, 1).code, 0);
    EXPECT_STREQ(overview.Name, path.c_str());
    EXPECT_STREQ(overview.Path, path.c_str());
    EXPECT_EQ(overview.ImageType, 22);
    EXPECT_EQ(overview.DescriptorSize, 512);
    EXPECT_STREQ(overview.DescriptorText, "HARDDISK");
    ASSERT_NE(header->ImageOverview, nullptr);
    EXPECT_STREQ(header->ImageOverview->Path, path.c_str());
    EXPECT_EQ(header->ImageOverview->next, nullptr);
    FreeBankBasicDetailsMem(0, kContextNumber, kPassThroughByte, header);
    delete header;
}

TEST(ValidateImageTest, OpenFailuresAreErrorsNotResults) {
    TempFolder folder;
    std::string missing = folder.File("missing.eii");
    Validation validation = Validate(missing, 1);
    EXPECT_EQ(validation.status.code, 566);
    EXPECT_EQ(validation.status.severity, 'E');
    EXPECT_EQ(validation.result, 0);
    EXPECT_EQ(
        std::string(validation.status.message).rfind("Problem opening file " + missing + ". Error is ", 0),
        0u)
        << validation.status.message;

    std::string tooLong(300, 'n');
    validation = Validate(tooLong, 1);
    EXPECT_EQ(validation.status.code, kFileNameTooLongCode);
    EXPECT_EQ(validation.status.severity, 'E');
}

TEST(ValidateImageTest, FileHeldByAnotherOpenerIsProbablyInUse) {
    TempFolder folder;
    std::string path = folder.File("held.eii");
    EmuImageBuilder().WriteTo(path);
    FileHandle held;
    ASSERT_TRUE(OpenForReadingUnshared(path.c_str(), &held));
    Validation validation = Validate(path, 1);
    CloseFile(held);
    EXPECT_EQ(validation.status.code, 566);
    EXPECT_EQ(std::string(validation.status.message),
              "File " + path + " is probably in use by another program. Error is 32.");
    EXPECT_EQ(Validate(path, 1).status.code, 0);  // free again once released
}

TEST(GetImageIndexTest, DescribesTheFileAsOneCluster) {
    TempFolder folder;
    std::string path = folder.File("bank.eii");
    EmuImageBuilder().WriteTo(path, 1234);
    ImageIndex index{};
    StartConsoleCapture();
    StatusRecord status = GetImageIndex(kTraceCalls, OverviewOf(path), &index);
    std::string console = StopConsoleCapture();
    ASSERT_EQ(status.code, 0);
    EXPECT_EQ(index.EmaxType, 4);
    EXPECT_EQ(index.DiskCapacity, 1234);
    EXPECT_EQ(index.ClusterSize, 1234);
    EXPECT_EQ(index.NumberOfClusters, 1);
    EXPECT_EQ(index.DataAddr, 0);
    EXPECT_EQ(console, "--GetImageIndex--\nGetImageIndex: Size of " + path + ": 1234 (low) - 0 (high)\n" +
                           "--END: GetImageIndex--\n");
}

// Reads ranges inside, across and past the end of a 1,400-byte image whose byte k is k * 7, and
// checks each buffer: the bytes the file holds, then the fill value.
void ExpectTheRangesOfA1400ByteImage(const ImageOverview& overview) {
    struct Case {
        int32_t first;
        int32_t last;
        int32_t delivered;  // bytes the file holds in the range; the rest keep the fill value
    };
    const Case cases[] = {{0, 1279, 1280}, {1000, 1000, 1}, {1390, 1409, 10}, {1400, 1401, 0}, {5, 4, 0}};
    for (const Case& c : cases) {
        std::vector<uint8_t> buffer(static_cast<size_t>(std::max(c.last - c.first + 1, 0)) + 1, 0xEE);
        ASSERT_EQ(ReadImageData(0, overview, c.first, c.last, buffer.data()).code, 0) << c.first;
        for (int32_t index = 0; index < static_cast<int32_t>(buffer.size()); ++index) {
            uint8_t expected = index < c.delivered ? static_cast<uint8_t>((c.first + index) * 7) : 0xEE;
            ASSERT_EQ(buffer[static_cast<size_t>(index)], expected) << c.first << " index " << index;
        }
    }
}

void Write1400ByteImage(const std::string& path) {
    EmuImageBuilder image;
    for (int32_t offset = 0; offset < 1400; ++offset) image.Set(offset, static_cast<uint8_t>(offset * 7));
    image.WriteTo(path, 1400);
}

TEST(ReadImageDataTest, ReadsTheInclusiveRange) {
    TempFolder folder;
    std::string path = folder.File("bank.eii");
    Write1400ByteImage(path);
    ExpectTheRangesOfA1400ByteImage(OverviewOf(path));
}

TEST(ReadImageDataTest, ImageHeldAfterValidationIsReadOnce) {
    TempFolder folder;
    std::string path = folder.File("bank.eii");
    Write1400ByteImage(path);
    ImageOverview overview{};
    ImageContents contents{nullptr, 0};
    overview.Contents = &contents;
    BankBasicDetails* header = InitBankBasicDetails(0, kContextNumber, kPassThroughByte, nullptr);
    ASSERT_EQ(ValidateImage(0, path.c_str(), &overview, header, 0).code, 0);
    FreeBankBasicDetailsMem(0, kContextNumber, kPassThroughByte, header);
    delete header;
    EXPECT_EQ(contents.Size, 1400);
    // Every later range comes from memory: the file is gone.
    ASSERT_TRUE(DeleteNamedFile(path.c_str()));
    ExpectTheRangesOfA1400ByteImage(overview);
    FreeImageContentsMem(&contents);
    EXPECT_EQ(contents.Bytes, nullptr);

    // A file of the wrong size is not read at all; one too large to hold is read range by range.
    struct Case {
        int32_t size;
        int32_t sizeCheck;
    };
    for (const Case c : {Case{1400, 1}, Case{kLargestImageHeld + 1, 0}}) {
        WriteWholeFile(path, std::vector<uint8_t>(static_cast<size_t>(c.size), 0x80));
        ASSERT_EQ(Validate(path, c.sizeCheck).status.code, 0) << c.size;
        overview.Contents = &contents;
        header = InitBankBasicDetails(0, kContextNumber, kPassThroughByte, nullptr);
        ValidateImage(0, path.c_str(), &overview, header, c.sizeCheck);
        FreeBankBasicDetailsMem(0, kContextNumber, kPassThroughByte, header);
        delete header;
        EXPECT_EQ(contents.Bytes, nullptr) << c.size;
    }
}

TEST(ReadImageDataTest, MissingFileFailsWithCode9) {
    TempFolder folder;
    std::string path = folder.File("gone.eii");
    uint8_t byte = 0;
    StatusRecord status = ReadImageData(0, OverviewOf(path), 0, 0, &byte);
    EXPECT_EQ(status.code, 9);
    EXPECT_EQ(std::string(status.message).rfind("Problem opening file " + path + ". Error is ", 0), 0u);
}
