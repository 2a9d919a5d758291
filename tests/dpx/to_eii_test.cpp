#include "dpx/to_eii.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "common/trace.h"
#include "dpx/companding.h"
#include "dpx/layout.h"
#include "dpx/temporary_image.h"
#include "dpx/to_dpx.h"
#include "dpx/writers.h"
#include "eii/image.h"
#include "platform/files.h"
#include "tests/dpx/test_bank.h"
#include "tests/support/console_capture.h"
#include "tests/support/emu_image_builder.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr size_t kEmuImageBytes = 485887;
constexpr size_t kDataSpaceBytes = 819200;
constexpr size_t kDpxImageBytes = 901120;
constexpr size_t kTrackBytes = 5632;
constexpr size_t kTrackDataBytes = 5120;
constexpr size_t kFileSystemOffset = 5120;

struct Translation {
    StatusRecord status;
    std::vector<uint8_t> image;
    std::string console;
};

// The output buffer starts filled with 0xEE, so that every byte the translation leaves alone shows.
Translation TranslateBack(int8_t trace, const std::string& dpxPath, const ImageOverview& overview,
                          Bank* bank) {
    Translation translation{InitStatusRecord(), std::vector<uint8_t>(kEmuImageBytes, 0xEE), ""};
    StartConsoleCapture();
    translation.status = TranslateDPXToEII(trace, dpxPath.c_str(), overview, bank, translation.image.data());
    translation.console = StopConsoleCapture();
    return translation;
}

// The temporary image as MORVEX names it: the short name in messages, the full path to open.
ImageOverview TemporaryOverview(const TempFolder& folder) {
    ImageOverview overview = OverviewOf(folder.File("_MORVEXTMP_.IMG"));
    std::snprintf(overview.Name, sizeof overview.Name, "%s", "_MORVEXTMP_.IMG");
    return overview;
}

// A leading-area byte that tells its offset apart and is never zero at the sequence fields.
uint8_t LeadingByte(size_t offset) {
    return static_cast<uint8_t>((offset * 7 + 3) % 251 + 1);
}

// A DPX image built field by field: the file-system block fields a reader takes back and the
// data space, which is what the temporary image holds.
struct HandImage {
    std::vector<uint8_t> block = std::vector<uint8_t>(512, 0);
    std::vector<uint8_t> data = std::vector<uint8_t>(kDataSpaceBytes, 0);

    // sampleData is the disk address (cylinder, sector, head) at block offsets 76..78, the
    // amplitude the field at 383..384. Two voices, the voice table at 4,096 (0, 4, 0).
    HandImage(std::vector<uint8_t> sampleData, uint8_t amplitudeHigh, uint8_t amplitudeLow,
              size_t leadingArea = 1280) {
        const std::string id = "(c)1987 Oberheim/ECC DPX-1  ";
        std::copy(id.begin(), id.end(), block.begin());
        block[66] = 0x00;
        block[67] = 0x50;
        block[68] = 0;
        block[69] = 4;
        block[70] = 0;
        std::copy(sampleData.begin(), sampleData.end(), block.begin() + 76);
        block[383] = amplitudeHigh;
        block[384] = amplitudeLow;
        for (size_t offset = 0; offset < leadingArea; ++offset) data[offset] = LeadingByte(offset);
    }

    // Two 12-bit points packed into the 3-byte group at a data address.
    void Group(size_t address, int32_t first, int32_t second) {
        data[address] = static_cast<uint8_t>(first & 0xFF);
        data[address + 1] = static_cast<uint8_t>(((first >> 8) << 4) | (second >> 8));
        data[address + 2] = static_cast<uint8_t>(second & 0xFF);
    }

    // The DPX file (data sectors of every track, the block in the 512-byte sector of track 0)
    // and the temporary image.
    void WriteTo(const std::string& dpxPath, const std::string& temporaryPath) const {
        std::vector<uint8_t> image(kDpxImageBytes, 0);
        for (size_t track = 0; track < 160; ++track)
            std::copy(data.begin() + static_cast<std::ptrdiff_t>(track * kTrackDataBytes),
                      data.begin() + static_cast<std::ptrdiff_t>((track + 1) * kTrackDataBytes),
                      image.begin() + static_cast<std::ptrdiff_t>(track * kTrackBytes));
        std::copy(block.begin(), block.end(), image.begin() + kFileSystemOffset);
        WriteWholeFile(dpxPath, image);
        WriteWholeFile(temporaryPath, data);
    }
};

// The leading area as it comes back: the sequence table (1,016..1,213) empty and the sequence
// area starting at 485,888 (0x00 0x00 0x08 at 1,221..1,223), wherever these lie below S.
uint8_t ExpectedLeadingByte(const std::vector<uint8_t>& source, size_t offset) {
    if (offset >= 1016 && offset <= 1213) return 0;
    if (offset == 1221 || offset == 1222) return 0x00;
    if (offset == 1223) return 0x08;
    return source[offset];
}

// The small image worked out by hand. The field 0x29FF gives M = trunc(671 x 16 x 32,768 /
// 10,751) = 32,722 and NormFactor = 32,767 / 32,722. Sample 1 at 1,280..1,283, a gap of two
// bytes, sample 2 at 1,286..1,288; the points from data address 5,120 (0, 0, 1) are 2,048, 2,560,
// 3,000, 1,000 | 1,500, 1,500 | 2,048, 4,095, 0. The odd last point leaves the rest of its group
// unused: the bytes there are junk that must not be read.
HandImage SmallImage() {
    HandImage image({0, 0, 1}, 0x29, 0xFF);
    image.Group(5120, 2048, 2560);
    image.Group(5123, 3000, 1000);
    image.Group(5126, 1500, 1500);
    image.Group(5129, 2048, 4095);
    image.Group(5132, 0, 0x777);
    return image;
}

BankPointer SmallBank() {
    return MakeTestBank(1280, 1289, {{1, 1280, 4}, {2, 1286, 3}},
                        {{1, 1, 1280, 1284, 0, 0, 0}, {2, 2, 1286, 1289, 0, 0, 0}});
}

// The values v and codes of the small image:
//   2,048 -> 0: code 0x80 (a zero step is coded 0x80);
//   2,560 -> 8,192 / NormFactor = 8,180: nearest step 8,231 (0x72); R = 8,231;
//   3,000 -> 15,211, wanted change 6,980, leak 161: 6,998 - 161 (0x6F); R = 15,068;
//   1,000 -> -16,744, wanted -31,812: beyond every step, the largest fall 0xFF; R = 719;
//   gap: 1,500 -> -8,755, wanted -9,474: -9,575 - 14 (0xF5); R = -8,870, going on from
//   sample 1; then wanted 115, leak -173: -59 + 173 (0x90);
//   sample 2 restarts at 0: 0x80, then 4,095 -> 32,707 (0x7F), then 0 -> -32,722 (0xFF).
const std::vector<uint8_t> kSmallImageSampleBytes = {0x80, 0x72, 0x6F, 0xFF, 0xF5, 0x90, 0x80, 0x7F, 0xFF};

}  // namespace

TEST(TranslateDPXToEIITest, SmallImageByteByByte) {
    TempFolder folder;
    std::string dpx = folder.File("SMALL.DPX");
    ImageOverview temporary = TemporaryOverview(folder);
    HandImage source = SmallImage();
    source.WriteTo(dpx, temporary.Path);
    BankPointer bank = SmallBank();
    Translation translation = TranslateBack(0, dpx, temporary, bank.get());
    ASSERT_EQ(translation.status.code, 0) << translation.status.message;
    EXPECT_EQ(translation.console, "");
    for (size_t offset = 0; offset < 1280; ++offset)
        ASSERT_EQ(translation.image[offset], ExpectedLeadingByte(source.data, offset)) << offset;
    for (size_t index = 0; index < kSmallImageSampleBytes.size(); ++index)
        EXPECT_EQ(translation.image[1280 + index], kSmallImageSampleBytes[index]) << "sample byte " << index;
    for (size_t offset = 1289; offset < kEmuImageBytes; ++offset)
        ASSERT_EQ(translation.image[offset], 0) << offset;
}

TEST(TranslateDPXToEIITest, TraceLinesOfTheSmallImage) {
    struct Case {
        int8_t trace;
        std::string console;
    };
    const Case cases[] = {
        {0, ""},
        {kTraceCalls, "--TranslateDPXToEII--\n--END: TranslateDPXToEII--\n"},
        {kTraceInits, "--TranslateDPXToEII--\n--END: TranslateDPXToEII--\n"},
        {kTraceDetails,
         "--TranslateDPXToEII--\n"
         "VoiceAddress = 4096, SampleAddress = 5120, NoOfDPXVoices = 2\n"
         "MaxAmpl = 32722, NormFactor = 1.001375\n"
         "(Bank: NoOfSamples = 2, NoOfVoices = 2)\n"
         "--Sorted sample list (2 samples)--\n"
         "1 1280 1284 0 0 \n"
         "2 1286 1289 2 0 \n"
         "Sample 1:\n"
         "(12)2048  (16)0  -->  POS-EII = 1280: (8) 80, GAP = 0\n"
         "(12)2560  (16)8180  -->  POS-EII = 1281: (8) 72, GAP = 8180\n"
         "(12)3000  (16)15211  -->  POS-EII = 1282: (8) 6F, GAP = 6980\n"
         "(12)1000  (16)-16744  -->  POS-EII = 1283: (8) FF, GAP = -31812\n"
         "(12)1500  (16)-8755  -->  POS-EII = 1284: (8) F5, GAP = -9474\n"
         "(12)1500  (16)-8755  -->  POS-EII = 1285: (8) 90, GAP = 115\n"
         "Sample 2:\n"
         "(12)2048  (16)0  -->  POS-EII = 1286: (8) 80, GAP = 0\n"
         "(12)4095  (16)32707  -->  POS-EII = 1287: (8) 7F, GAP = 32707\n"
         "(12)0  (16)-32722  -->  POS-EII = 1288: (8) FF, GAP = -46776\n"
         "--END: TranslateDPXToEII--\n"},
    };
    TempFolder folder;
    std::string dpx = folder.File("SMALL.DPX");
    ImageOverview temporary = TemporaryOverview(folder);
    SmallImage().WriteTo(dpx, temporary.Path);
    for (const Case& c : cases) {
        BankPointer bank = SmallBank();
        Translation translation = TranslateBack(c.trace, dpx, temporary, bank.get());
        ASSERT_EQ(translation.status.code, 0) << static_cast<int>(c.trace);
        EXPECT_EQ(translation.console, c.console) << static_cast<int>(c.trace);
    }
}

TEST(TranslateDPXToEIITest, OnlyTheFirstTenSampleBytesAreTraced) {
    TempFolder folder;
    std::string dpx = folder.File("TEN.DPX");
    ImageOverview temporary = TemporaryOverview(folder);
    HandImage source({0, 0, 1}, 0x29, 0xFF);
    for (size_t group = 0; group < 6; ++group) source.Group(5120 + 3 * group, 2048, 2048);
    source.WriteTo(dpx, temporary.Path);
    BankPointer bank = MakeTestBank(1280, 1292, {{1, 1280, 12}}, {{1, 1, 1280, 1292, 0, 0, 0}});
    Translation translation = TranslateBack(kTraceDetails, dpx, temporary, bank.get());
    ASSERT_EQ(translation.status.code, 0);
    EXPECT_NE(translation.console.find("POS-EII = 1289:"), std::string::npos) << translation.console;
    EXPECT_EQ(translation.console.find("POS-EII = 1290:"), std::string::npos) << translation.console;
    for (size_t offset = 1280; offset < 1292; ++offset) EXPECT_EQ(translation.image[offset], 0x80) << offset;
}

TEST(TranslateDPXToEIITest, LeadingAreaIsMadeFreeOfSequences) {
    struct Case {
        const char* what;
        int32_t start;  // S; two silent points follow it
    };
    const Case cases[] = {
        {"the whole header before the samples", 1280},
        {"samples right after the sequence area start", 1224},
        {"samples from the second byte of the sequence area start", 1222},
        {"samples inside the sequence table", 1100},
        {"samples where the sequence table starts", 1016},
        {"no leading area", 0},
    };
    TempFolder folder;
    std::string dpx = folder.File("LEAD.DPX");
    ImageOverview temporary = TemporaryOverview(folder);
    for (const Case& c : cases) {
        HandImage source({0, 0, 1}, 0x29, 0xFF, 1300);
        source.Group(5120, 2048, 2048);
        source.WriteTo(dpx, temporary.Path);
        BankPointer bank =
            MakeTestBank(c.start, c.start + 2, {{1, c.start, 2}}, {{1, 1, c.start, c.start + 2, 0, 0, 0}});
        Translation translation = TranslateBack(0, dpx, temporary, bank.get());
        ASSERT_EQ(translation.status.code, 0) << c.what;
        const size_t start = static_cast<size_t>(c.start);
        for (size_t offset = 0; offset < start; ++offset)
            ASSERT_EQ(translation.image[offset], ExpectedLeadingByte(source.data, offset))
                << c.what << ", " << offset;
        // The bytes at S and after are sample bytes, whatever header field they overlay.
        EXPECT_EQ(translation.image[start], 0x80) << c.what;
        EXPECT_EQ(translation.image[start + 1], 0x80) << c.what;
        for (size_t offset = start + 2; offset < kEmuImageBytes; ++offset)
            ASSERT_EQ(translation.image[offset], 0) << c.what << ", " << offset;
    }
}

TEST(TranslateDPXToEIITest, EveryBlockOfTheSampleDataStartsANewGroup) {
    struct Case {
        const char* what;
        std::vector<uint8_t> diskAddress;
        size_t sampleData;
    };
    const Case cases[] = {
        {"sample data at the start of track image 1", {0, 0, 1}, 5120},
        {"sample data in the last sector of track image 1", {0, 4, 1}, 9216},
        {"sample data in cylinder 2", {2, 1, 0}, 21504},
    };
    // Points 0..678 are silent, 679..681 loud, the last points of the first block; byte 1,023 of
    // the block is junk. The loud points scale to 32,707: from 0 the largest rise 0x7F (R =
    // 14,054), again 0x7F (wanted 18,653, R = 27,833), then wanted 4,874 with leak 545: 5,430 -
    // 545 (0x68). Sample 2 starts with point 682, the first of the second block: 2,560 scales to
    // 8,180, from 0 coded 0x72 (R = 8,231); then 2,048 scales to 0, wanted -8,231 with leak 161:
    // -8,231 + 161 (0xF2).
    const std::vector<uint8_t> boundaryBytes = {0x80, 0x7F, 0x7F, 0x68, 0x72, 0xF2};
    TempFolder folder;
    std::string dpx = folder.File("BLOCKS.DPX");
    ImageOverview temporary = TemporaryOverview(folder);
    for (const Case& c : cases) {
        HandImage source(c.diskAddress, 0x29, 0xFF);
        for (size_t group = 0; group < 339; ++group) source.Group(c.sampleData + 3 * group, 2048, 2048);
        source.Group(c.sampleData + 3 * 339, 2048, 4095);
        source.Group(c.sampleData + 3 * 340, 4095, 4095);
        source.data[c.sampleData + 1023] = 0x5A;
        source.Group(c.sampleData + 1024, 2560, 2048);
        source.WriteTo(dpx, temporary.Path);
        BankPointer bank = MakeTestBank(1280, 1280 + 684, {{1, 1280, 682}, {2, 1280 + 682, 2}},
                                        {{1, 1, 1280, 1962, 0, 0, 0}, {2, 2, 1962, 1964, 0, 0, 0}});
        Translation translation = TranslateBack(0, dpx, temporary, bank.get());
        ASSERT_EQ(translation.status.code, 0) << c.what << ": " << translation.status.message;
        for (size_t offset = 1280; offset < 1280 + 678; ++offset)
            ASSERT_EQ(translation.image[offset], 0x80) << c.what << ", " << offset;
        for (size_t index = 0; index < boundaryBytes.size(); ++index)
            EXPECT_EQ(translation.image[1280 + 678 + index], boundaryBytes[index]) << c.what << ", " << index;
        EXPECT_EQ(translation.image[1280 + 684], 0) << c.what;
    }
}

TEST(TranslateDPXToEIITest, AmplitudeFieldSetsTheScale) {
    struct Case {
        const char* what;
        uint8_t high;
        uint8_t low;
        int32_t point;
        int32_t peak;
        const char* peakLine;
        const char* byteLine;  // of the first sample byte
    };
    const Case cases[] = {
        // 10,751 = 671 x 16 + 15: 10,736 x 32,768 / 10,751 = 32,722.28.
        {"the field of a full-scale bank", 0x29, 0xFF, 4095, 32722,
         "MaxAmpl = 32722, NormFactor = 1.001375\n",
         "(12)4095  (16)32707  -->  POS-EII = 1280: (8) 7F, GAP = 32707\n"},
        // 560 x 32,768 / 10,751 = 1,706.8; 32,752 / 19.2069... = 1,705.2.
        {"a quiet bank, loud point", 0x02, 0x3F, 4095, 1706, "MaxAmpl = 1706, NormFactor = 19.206917\n",
         "(12)4095  (16)1705  -->  POS-EII = 1280: (8) 4F, GAP = 1705\n"},
        {"a quiet bank, a point below silence", 0x02, 0x3F, 1000, 1706,
         "MaxAmpl = 1706, NormFactor = 19.206917\n",
         "(12)1000  (16)-873  -->  POS-EII = 1280: (8) C0, GAP = -873\n"},
        // 16,912 / (32,767 / 12,679) is 6,543.99..., while 16,912 x 12,679 / 32,767 is exactly
        // 6,544: the value is divided by the factor, in double precision.
        {"a value just below a whole number", 0x10, 0x4F, 3105, 12679,
         "MaxAmpl = 12679, NormFactor = 2.584352\n",
         "(12)3105  (16)6543  -->  POS-EII = 1280: (8) 6D, GAP = 6543\n"},
        {"a negative value just below a whole number", 0x10, 0x4F, 991, 12679,
         "MaxAmpl = 12679, NormFactor = 2.584352\n",
         "(12)991  (16)-6543  -->  POS-EII = 1280: (8) ED, GAP = -6543\n"},
        // The smallest field above silence: 16 x 32,768 / 10,751 = 48.8.
        {"field 31", 0x00, 0x1F, 4095, 48, "MaxAmpl = 48, NormFactor = 682.645833\n",
         "(12)4095  (16)47  -->  POS-EII = 1280: (8) E, GAP = 47\n"},
        {"field 30", 0x00, 0x1E, 4095, 0, "MaxAmpl = 0, NormFactor = 0.000000\n",
         "(12)4095  (16)0  -->  POS-EII = 1280: (8) 80, GAP = 0\n"},
        {"field 0", 0x00, 0x00, 0, 0, "MaxAmpl = 0, NormFactor = 0.000000\n",
         "(12)0  (16)0  -->  POS-EII = 1280: (8) 80, GAP = 0\n"},
        // A field no VELTRA image holds: 65,520 x 32,768 / 10,751 = 199,698.6. 32,752 scales to
        // 199,606, which wraps once to 134,070; far beyond every step, it still gets the nearest.
        {"the largest field, loud point", 0xFF, 0xFF, 4095, 199698,
         "MaxAmpl = 199698, NormFactor = 0.164083\n",
         "(12)4095  (16)134070  -->  POS-EII = 1280: (8) 7F, GAP = 134070\n"},
        // 8,192 scales to 49,926 and wraps to -15,610.
        {"the largest field, a point wrapping to a fall", 0xFF, 0xFF, 2560, 199698,
         "MaxAmpl = 199698, NormFactor = 0.164083\n",
         "(12)2560  (16)-15610  -->  POS-EII = 1280: (8) FF, GAP = -15610\n"},
        // Negative values never wrap.
        {"the largest field, lowest point", 0xFF, 0xFF, 0, 199698,
         "MaxAmpl = 199698, NormFactor = 0.164083\n",
         "(12)0  (16)-199704  -->  POS-EII = 1280: (8) FF, GAP = -199704\n"},
    };
    TempFolder folder;
    std::string dpx = folder.File("AMPL.DPX");
    ImageOverview temporary = TemporaryOverview(folder);
    for (const Case& c : cases) {
        EXPECT_EQ(PeakAmplitudeFromField(c.high * 256 + c.low), c.peak) << c.what;
        HandImage source({0, 0, 1}, c.high, c.low);
        source.Group(5120, c.point, 0);
        source.WriteTo(dpx, temporary.Path);
        BankPointer bank = MakeTestBank(1280, 1281, {{1, 1280, 1}}, {{1, 1, 1280, 1281, 0, 0, 0}});
        Translation translation = TranslateBack(kTraceDetails, dpx, temporary, bank.get());
        ASSERT_EQ(translation.status.code, 0) << c.what;
        EXPECT_NE(translation.console.find(c.peakLine), std::string::npos) << c.what << "\n"
                                                                           << translation.console;
        EXPECT_NE(translation.console.find(c.byteLine), std::string::npos) << c.what << "\n"
                                                                           << translation.console;
    }
}

TEST(TranslateDPXToEIITest, AmplitudeBelow31CodesEveryByteAsSilence) {
    const std::vector<uint8_t> fields = {0x00, 0x0F, 0x1E};
    TempFolder folder;
    std::string dpx = folder.File("SILENT.DPX");
    ImageOverview temporary = TemporaryOverview(folder);
    for (uint8_t field : fields) {
        // Loud points in both samples and in the gap between them: without a peak every value
        // is 0, so every byte is coded from a wanted change of -R = 0.
        HandImage source({0, 0, 1}, 0x00, field);
        source.Group(5120, 4095, 0);
        source.Group(5123, 3000, 1000);
        source.Group(5126, 4095, 17);
        source.WriteTo(dpx, temporary.Path);
        BankPointer bank = MakeTestBank(1280, 1286, {{1, 1280, 2}, {2, 1284, 2}},
                                        {{1, 1, 1280, 1282, 0, 0, 0}, {2, 2, 1284, 1286, 0, 0, 0}});
        Translation translation = TranslateBack(0, dpx, temporary, bank.get());
        ASSERT_EQ(translation.status.code, 0) << static_cast<int>(field);
        for (size_t offset = 1280; offset < 1286; ++offset)
            EXPECT_EQ(translation.image[offset], 0x80) << static_cast<int>(field) << ", " << offset;
        EXPECT_EQ(translation.image[1286], 0) << static_cast<int>(field);
    }
}

TEST(TranslateDPXToEIITest, SampleDataPastTheDataSpaceIsRefused) {
    struct Case {
        const char* what;
        std::vector<uint8_t> diskAddress;
        int32_t points;  // E - S
        int32_t code;
    };
    const Case cases[] = {
        // The last sector (cylinder 79, sector 4, head 1) holds one block: 682 points.
        {"one block in the last sector", {79, 4, 1}, 682, 0},
        {"one point more than the last sector holds", {79, 4, 1}, 683, 11013},
        {"a block that runs one point into the end", {79, 3, 1}, 1365, 11013},
        {"two blocks in the last two sectors", {79, 3, 1}, 1364, 0},
        {"a cylinder past the disk", {80, 0, 0}, 1, 11013},
        {"every byte at its largest", {255, 255, 255}, 1, 11013},
        {"an address past the disk, no points", {255, 255, 255}, 0, 11013},
        {"a sector number beyond the track, still inside the data space", {0, 7, 0}, 2, 0},
    };
    TempFolder folder;
    std::string dpx = folder.File("ADDRESS.DPX");
    ImageOverview temporary = TemporaryOverview(folder);
    for (const Case& c : cases) {
        HandImage source(c.diskAddress, 0x29, 0xFF);
        source.WriteTo(dpx, temporary.Path);
        BankPointer bank = MakeTestBank(1280, 1280 + c.points, {{1, 1280, c.points}},
                                        {{1, 1, 1280, 1280 + c.points, 0, 0, 0}});
        Translation translation = TranslateBack(0, dpx, temporary, bank.get());
        EXPECT_EQ(translation.status.code, c.code) << c.what;
        if (c.code == 0) {
            // All points 0: the sample data reads as the lowest value.
            if (c.points > 0) {
                EXPECT_EQ(translation.image[1280], 0xFF) << c.what;
            }
            continue;
        }
        EXPECT_EQ(translation.status.severity, 'E') << c.what;
        EXPECT_EQ(std::string(translation.status.message),
                  "DPX file " + dpx + " has an invalid sample data address.")
            << c.what;
    }
}

TEST(TranslateDPXToEIITest, InconsistentBankIsRefused) {
    struct Case {
        const char* what;
        void (*change)(Bank*);
    };
    const Case cases[] = {
        {"negative start", [](Bank* bank) { bank->StartSampleAddress = -1; }},
        {"sample area ends before it starts",
         [](Bank* bank) {
             bank->EndSampleAddress = 1279;
             bank->TotalSampleSize = -1;
         }},
        {"sample area beyond the image",
         [](Bank* bank) {
             bank->EndSampleAddress = 485888;
             bank->TotalSampleSize = 485888 - 1280;
         }},
        {"total size disagrees with the addresses", [](Bank* bank) { bank->TotalSampleSize = 100000; }},
        {"100 samples", [](Bank* bank) { bank->NumberOfSamples = 100; }},
        {"negative sample count", [](Bank* bank) { bank->NumberOfSamples = -1; }},
    };
    TempFolder folder;
    std::string dpx = folder.File("SMALL.DPX");
    ImageOverview temporary = TemporaryOverview(folder);
    SmallImage().WriteTo(dpx, temporary.Path);
    for (const Case& c : cases) {
        BankPointer bank = SmallBank();
        c.change(bank.get());
        Translation translation = TranslateBack(0, dpx, temporary, bank.get());
        EXPECT_EQ(translation.status.code, 803) << c.what;
        EXPECT_EQ(translation.status.severity, 'F') << c.what;
        EXPECT_STREQ(translation.status.message, "Inconsistency error.") << c.what;
    }
}

TEST(TranslateDPXToEIITest, FilesThatCannotBeOpenedOrReadAreReported) {
    enum Change {
        kNoDpx,
        kDpxHeld,
        kDpxCutInTheBlock,
        kDpxWithoutBlock,
        kNoTemporary,
        kTemporaryHeld,
        kTemporaryShort
    };
    struct Case {
        const char* what;
        Change change;
        int32_t code;
        const char* message;  // %s stands for the file named; a text ending in "is " is a prefix
    };
    const Case cases[] = {
        {"no DPX file", kNoDpx, 11012, "Problem opening file %s. Error is "},
        {"DPX file held by another program", kDpxHeld, 11012,
         "File %s is probably in use by another program. Error is 32."},
        {"DPX file ending inside the file-system block", kDpxCutInTheBlock, 11011,
         "Problem reading file %s. Error is 0."},
        {"DPX file ending before the file-system block", kDpxWithoutBlock, 11011,
         "Problem reading file %s. Error is 0."},
        {"no temporary image", kNoTemporary, 11022, "Problem opening file %s. Error is "},
        {"temporary image held by another program", kTemporaryHeld, 11022,
         "File %s is probably in use by another program. Error is 32."},
        {"temporary image one byte short", kTemporaryShort, 11021, "Problem reading file %s. Error is 0."},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        std::string dpx = folder.File("IN.DPX");
        ImageOverview temporary = TemporaryOverview(folder);
        HandImage source = SmallImage();
        source.WriteTo(dpx, temporary.Path);
        std::string named = dpx;
        FileHandle held;
        switch (c.change) {
            case kNoDpx:
                DeleteNamedFile(dpx.c_str());
                break;
            case kDpxHeld:
                ASSERT_TRUE(OpenForReadingUnshared(dpx.c_str(), &held));
                break;
            case kDpxCutInTheBlock:
                WriteWholeFile(dpx, std::vector<uint8_t>(5631, 0));
                break;
            case kDpxWithoutBlock:
                WriteWholeFile(dpx, std::vector<uint8_t>(5120, 0));
                break;
            case kNoTemporary:
                DeleteNamedFile(temporary.Path);
                named = temporary.Name;
                break;
            case kTemporaryHeld:
                ASSERT_TRUE(OpenForReadingUnshared(temporary.Path, &held));
                named = temporary.Name;
                break;
            case kTemporaryShort:
                WriteWholeFile(temporary.Path,
                               std::vector<uint8_t>(source.data.begin(), source.data.end() - 1));
                named = temporary.Name;
                break;
        }
        BankPointer bank = SmallBank();
        Translation translation = TranslateBack(0, dpx, temporary, bank.get());
        CloseFile(held);
        EXPECT_EQ(translation.status.code, c.code) << c.what;
        EXPECT_EQ(translation.status.severity, 'E') << c.what;
        std::string expected = c.message;
        expected.replace(expected.find("%s"), 2, named);
        const std::string message = translation.status.message;
        if (expected.size() >= 3 && expected.compare(expected.size() - 3, 3, "is ") == 0)
            EXPECT_EQ(message.rfind(expected, 0), 0u) << c.what << ": " << message;
        else
            EXPECT_EQ(message, expected) << c.what;
        // Neither file is left open: both can be held again.
        FileHandle again;
        if (c.change != kNoDpx) {
            EXPECT_TRUE(OpenForReadingUnshared(dpx.c_str(), &again)) << c.what;
            CloseFile(again);
        }
        if (c.change != kNoTemporary) {
            EXPECT_TRUE(OpenForReadingUnshared(temporary.Path, &again)) << c.what;
            CloseFile(again);
        }
    }
}

namespace {

// ---- Round trips: Emulator II image -> DPX image -> temporary image -> Emulator II image ----

enum class Wave { kTriangle, kRamp, kWalk, kSilence };

struct GeneratedSample {
    int32_t start;
    int32_t size;
    Wave wave;
    int32_t amplitude;
};

struct GeneratedBank {
    EmuImageBuilder image;
    std::vector<TestSample> samples;
    std::vector<TestVoice> voices;
    int32_t start = 0;
    int32_t end = 0;
};

// A bank with a patterned leading area, a full sequence table and a sequence area, samples of
// the waves asked for (coded with the encoder towards a target, or random small steps) and gaps
// of zero steps, in which the running value only leaks toward 0. One voice per sample and a
// looping voice that shares sample 1.
GeneratedBank GenerateBank(int32_t start, int32_t end, const std::vector<GeneratedSample>& samples) {
    GeneratedBank bank;
    bank.start = start;
    bank.end = end;
    for (int32_t offset = 1280; offset < start; ++offset)
        bank.image.Set(offset, static_cast<uint8_t>(offset * 29 + 11));
    for (int32_t entry = 0; entry < 99; ++entry)
        bank.image.SequenceEntry(entry, static_cast<uint8_t>(entry + 1), static_cast<uint8_t>(0x40 + entry));
    bank.image.SequenceStart(470000);
    bank.image.SampleArea(start, end);
    for (int32_t offset = start; offset < end; ++offset)
        bank.image.Set(offset, static_cast<uint8_t>(offset % 2 == 0 ? 0x00 : 0x80));

    uint32_t random = 2024;
    InitCompandingTable();
    int32_t number = 0;
    for (const GeneratedSample& sample : samples) {
        ++number;
        int32_t running = 0;
        for (int32_t index = 0; index < sample.size; ++index) {
            int32_t target = 0;
            switch (sample.wave) {
                case Wave::kTriangle: {
                    // Starts at 0, rises to the amplitude, falls to its negative, returns to 0.
                    const int32_t period = 80;
                    const int32_t phase = (index + 1) % period;
                    const int32_t quarter = period / 4;
                    if (phase <= quarter)
                        target = sample.amplitude * phase / quarter;
                    else if (phase <= 3 * quarter)
                        target = sample.amplitude * (2 * quarter - phase) / quarter;
                    else
                        target = sample.amplitude * (phase - 4 * quarter) / quarter;
                    break;
                }
                case Wave::kRamp:
                    target = static_cast<int32_t>(static_cast<int64_t>(sample.amplitude) * (index + 1) /
                                                  sample.size);
                    break;
                case Wave::kWalk:
                case Wave::kSilence:
                    break;
            }
            uint8_t byte = 0x00;
            if (sample.wave == Wave::kWalk) {
                random = random * 1664525u + 1013904223u;
                byte = static_cast<uint8_t>((random >> 24) & 0xBF);  // steps of at most 824
            } else if (sample.wave != Wave::kSilence) {
                EncodedSample encoded{};
                byte = static_cast<uint8_t>(EncodeCompandedSample(0, running, target - running, &encoded));
                running += encoded.step;
            }
            bank.image.Set(sample.start + index, byte);
        }
        bank.samples.push_back({number, sample.start, sample.size});
        bank.voices.push_back({number, number, sample.start, sample.start + sample.size, 0, 0, 0});
    }
    const TestSample& first = bank.samples.front();
    bank.voices.push_back({number + 1, first.number, first.start, first.start + first.size, 1, 5, 20});
    return bank;
}

struct RoundTrip {
    StatusRecord status;       // of the first stage that failed, or success
    std::vector<uint8_t> dpx;  // the DPX image VELTRA's translation made
    std::vector<uint8_t> eii;  // the Emulator II image made back from it
};

// Translates the source forward, writes the DPX file, makes the temporary image and translates
// back with backBank (the bank as read from the temporary image).
RoundTrip RunRoundTrip(const TempFolder& folder, const EmuImageBuilder& source, Bank* bank, Bank* backBank) {
    RoundTrip trip{InitStatusRecord(), std::vector<uint8_t>(kDpxImageBytes, 0),
                   std::vector<uint8_t>(kEmuImageBytes, 0xEE)};
    const std::string eiiPath = folder.File("SOURCE.EII");
    const std::string dpxPath = folder.File("SOURCE.DPX");
    const ImageOverview temporary = TemporaryOverview(folder);
    source.WriteTo(eiiPath);
    trip.status = TranslateEIIToDPX(0, OverviewOf(eiiPath), bank, trip.dpx.data());
    if (trip.status.code == 0) trip.status = WriteDPXImage(0, dpxPath.c_str(), trip.dpx.data());
    uint8_t block[kDpxFileSystemSize];
    if (trip.status.code == 0) trip.status = CreateTemporaryImage(0, dpxPath.c_str(), temporary.Path, block);
    if (trip.status.code == 0)
        trip.status = TranslateDPXToEII(0, dpxPath.c_str(), temporary, backBank, trip.eii.data());
    // MORVEX's way: the file-system block kept from the DPX file and the temporary image held in
    // memory once read give the same image as reading both from their files.
    if (trip.status.code == 0) {
        std::vector<uint8_t> held = ReadWholeFile(temporary.Path);
        ImageContents contents{held.data(), static_cast<int32_t>(held.size())};
        ImageOverview heldOverview = temporary;
        heldOverview.Contents = &contents;
        std::vector<uint8_t> fromMemory(kEmuImageBytes, 0x11);
        trip.status = TranslateDPXToEII(0, dpxPath.c_str(), heldOverview, backBank, fromMemory.data(), block);
        if (trip.status.code == 0 && fromMemory != trip.eii)
            trip.status = MakeStatus(1, 'E', "The held image translates differently.");
    }
    return trip;
}

// The values an instrument plays from the sample area: the running value restarts at every
// sample start, and a gap goes on from the sample before it.
std::vector<int32_t> DecodeSampleArea(const std::vector<uint8_t>& image, int32_t start, int32_t end,
                                      const std::vector<TestSample>& samples) {
    std::vector<int32_t> values;
    int32_t running = 0;
    for (int32_t address = start; address < end; ++address) {
        for (const TestSample& sample : samples)
            if (sample.start == address) running = 0;
        running = DecodeCompandedSample(0, running, image[static_cast<size_t>(address)]);
        values.push_back(running);
    }
    return values;
}

// The peak that the forward translation normalises to: the largest magnitude of any sample
// decoded from its own start.
int32_t SamplePeak(const std::vector<uint8_t>& image, const std::vector<TestSample>& samples) {
    int32_t peak = 0;
    for (const TestSample& sample : samples) {
        int32_t running = 0;
        for (int32_t index = 0; index < sample.size; ++index) {
            running = DecodeCompandedSample(0, running, image[static_cast<size_t>(sample.start + index)]);
            peak = std::max(peak, running < 0 ? -running : running);
        }
    }
    return peak;
}

// Half the widest distance between two neighbouring steps of the table: the farthest any wanted
// change lies from its nearest step, while it lies within the table's range.
int32_t EncoderError() {
    std::vector<int32_t> steps(CompandingTable.begin(), CompandingTable.end());
    std::sort(steps.begin(), steps.end());
    int32_t widest = 0;
    for (size_t index = 1; index < steps.size(); ++index)
        widest = std::max(widest, steps[index] - steps[index - 1]);
    return widest / 2;
}

// How far the values coming back may lie from the originals d (|d| <= M, the forward peak).
// Forward: v1 = trunc(d x 32,767 / M) and the point keeps v1 to a multiple of 16 below it, so
// w = 16p - 32,768 lies within 16 of d x 32,767 / M. Back: the peak read from the amplitude
// field is M' <= M, and v2 = trunc(w x M' / 32,767) lies within (M - M') + 16 + 1 of d. The
// encoder then reaches v2 up to the encoder error, as long as every wanted change stays within
// the steps of the table (the generated samples change by far less than the largest step).
int32_t RoundTripTolerance(int32_t peak, int32_t peakReadBack) {
    return EncoderError() + (peak - peakReadBack) + 17;
}

int32_t PeakReadBack(const std::vector<uint8_t>& dpx) {
    const int32_t field = dpx[kFileSystemOffset + 383] * 256 + dpx[kFileSystemOffset + 384];
    const int32_t steps = (field - 15) / 16;
    return static_cast<int32_t>(static_cast<double>(steps * 16) * 32768.0 / 10751.0);
}

int32_t LargestDeviation(const std::vector<int32_t>& expected, const std::vector<int32_t>& actual) {
    int32_t largest = 0;
    for (size_t index = 0; index < expected.size(); ++index)
        largest = std::max(largest, std::abs(expected[index] - actual[index]));
    return largest;
}

}  // namespace

TEST(TranslateDPXToEIITest, EncoderErrorOfTheTable) {
    // The widest neighbours are 10,918 and 11,367 (and -10,918, -11,366 ... -11,815): 449 apart.
    EXPECT_EQ(EncoderError(), 224);
}

TEST(TranslateDPXToEIITest, RoundTripGivesTheBankBack) {
    struct Case {
        const char* what;
        int32_t start;
        int32_t end;
        std::vector<GeneratedSample> samples;
        std::vector<std::pair<int32_t, int32_t>> silentRanges;  // [first, last) coming back as 0x80 bytes
    };
    const Case cases[] = {
        {"samples with gaps between them",
         1280,
         5000,
         {{1300, 900, Wave::kTriangle, 20000},
          {2260, 700, Wave::kWalk, 0},
          {2990, 1500, Wave::kRamp, 25000},
          {4500, 480, Wave::kTriangle, 9000}},
         {}},
        {"samples back to back, the first ending loud",
         7168,
         9000,
         {{7168, 600, Wave::kRamp, 22000}, {7768, 800, Wave::kTriangle, 15000}, {8568, 432, Wave::kWalk, 0}},
         {}},
        // Point 682 is the first of the second block of the sample data, point 1,364 of the third.
        {"samples starting at block boundaries of the sample data",
         1280,
         1280 + 2100,
         {{1280, 682, Wave::kRamp, 24000},
          {1280 + 682, 682, Wave::kTriangle, 18000},
          {1280 + 1364, 700, Wave::kRamp, 12000}},
         {}},
        {"a silent sample between loud ones",
         1280,
         3000,
         {{1280, 700, Wave::kTriangle, 21000},
          {1990, 300, Wave::kSilence, 0},
          {2300, 690, Wave::kRamp, 16000}},
         {{1990, 2290}}},
        // The amplitude field loses more of a small peak: M' lies up to about 50 below M.
        {"a quiet bank",
         1280,
         2500,
         {{1290, 600, Wave::kTriangle, 1700}, {1900, 590, Wave::kRamp, -1500}},
         {}},
        // Peak 0: the DPX image holds silence and the field 15, which codes every byte as 0x80.
        {"a silent bank",
         1280,
         1800,
         {{1280, 200, Wave::kSilence, 0}, {1500, 250, Wave::kSilence, 0}},
         {{1280, 1800}}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        GeneratedBank source = GenerateBank(c.start, c.end, c.samples);
        BankPointer bank = MakeTestBank(c.start, c.end, source.samples, source.voices);
        BankPointer backBank = MakeTestBank(c.start, c.end, source.samples, source.voices);
        RoundTrip trip = RunRoundTrip(folder, source.image, bank.get(), backBank.get());
        ASSERT_EQ(trip.status.code, 0) << c.what << ": " << trip.status.message;

        const std::vector<uint8_t>& original = source.image.bytes();
        for (size_t offset = 0; offset < static_cast<size_t>(c.start); ++offset)
            ASSERT_EQ(trip.eii[offset], ExpectedLeadingByte(original, offset)) << c.what << ", " << offset;
        for (size_t offset = static_cast<size_t>(c.end); offset < kEmuImageBytes; ++offset)
            ASSERT_EQ(trip.eii[offset], 0) << c.what << ", " << offset;
        for (const auto& range : c.silentRanges)
            for (int32_t offset = range.first; offset < range.second; ++offset)
                ASSERT_EQ(trip.eii[static_cast<size_t>(offset)], 0x80) << c.what << ", " << offset;

        const int32_t peak = SamplePeak(original, source.samples);
        const int32_t peakReadBack = PeakReadBack(trip.dpx);
        ASSERT_LE(peakReadBack, peak) << c.what;
        std::vector<int32_t> expected = DecodeSampleArea(original, c.start, c.end, source.samples);
        std::vector<int32_t> actual = DecodeSampleArea(trip.eii, c.start, c.end, source.samples);
        // The bound holds for values within the peak (the gaps of zero steps only decay) that
        // change by far less than the largest step (14,054 less a leak of at most 642).
        for (size_t index = 0; index < expected.size(); ++index) {
            ASSERT_LE(std::abs(expected[index]), peak) << c.what << ", " << index;
            bool sampleStart = index == 0;
            for (const TestSample& sample : source.samples)
                sampleStart = sampleStart || sample.start == c.start + static_cast<int32_t>(index);
            const int32_t previous = sampleStart ? 0 : expected[index - 1];
            ASSERT_LE(std::abs(expected[index] - previous), 12000) << c.what << ", " << index;
        }
        const int32_t tolerance = RoundTripTolerance(peak, peakReadBack);
        EXPECT_LE(LargestDeviation(expected, actual), tolerance) << c.what << ", peak " << peak;
    }
}

TEST(TranslateDPXToEIITest, RoundTripCheckCatchesMisplacedBytes) {
    // Two samples of the same size back to back; the first ends high, at 20,000.
    const std::vector<GeneratedSample> samples = {{1280, 500, Wave::kRamp, 20000},
                                                  {1780, 500, Wave::kTriangle, 18000}};
    struct Case {
        const char* what;
        bool listSecondSample;  // in the bank the translation back is given
        void (*change)(std::vector<uint8_t>* eii);
        bool withinTolerance;
    };
    const Case cases[] = {
        {"the translation as it is", true, [](std::vector<uint8_t>*) {}, true},
        // Without sample 2 in the bank's list the running value is not reset at its start: its
        // bytes then go on from the end of sample 1.
        {"no reset at the second sample's start", false, [](std::vector<uint8_t>*) {}, false},
        {"the two samples' bytes exchanged", true,
         [](std::vector<uint8_t>* eii) {
             std::swap_ranges(eii->begin() + 1280, eii->begin() + 1780, eii->begin() + 1780);
         },
         false},
        {"every byte one place late", true,
         [](std::vector<uint8_t>* eii) {
             std::rotate(eii->begin() + 1280, eii->begin() + 2279, eii->begin() + 2280);
         },
         false},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        GeneratedBank source = GenerateBank(1280, 2280, samples);
        BankPointer bank = MakeTestBank(1280, 2280, source.samples, source.voices);
        std::vector<TestSample> backSamples = source.samples;
        if (!c.listSecondSample) backSamples.pop_back();
        BankPointer backBank = MakeTestBank(1280, 2280, backSamples, source.voices);
        RoundTrip trip = RunRoundTrip(folder, source.image, bank.get(), backBank.get());
        ASSERT_EQ(trip.status.code, 0) << c.what;
        c.change(&trip.eii);
        const int32_t tolerance =
            RoundTripTolerance(SamplePeak(source.image.bytes(), source.samples), PeakReadBack(trip.dpx));
        const int32_t deviation =
            LargestDeviation(DecodeSampleArea(source.image.bytes(), 1280, 2280, source.samples),
                             DecodeSampleArea(trip.eii, 1280, 2280, source.samples));
        EXPECT_EQ(deviation <= tolerance, c.withinTolerance)
            << c.what << ": deviation " << deviation << ", tolerance " << tolerance;
    }
}
