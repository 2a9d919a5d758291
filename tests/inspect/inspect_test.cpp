#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dpx/companding.h"
#include "dpx/layout.h"
#include "dpx/to_dpx.h"
#include "inspect/bank_file.h"
#include "inspect/bank_listing.h"
#include "inspect/report_html.h"
#include "inspect/wav.h"
#include "tests/dpx/test_bank.h"
#include "tests/support/emu_bank_blocks.h"
#include "tests/support/temp_folder.h"

namespace {

// A bank file written to a temporary folder and opened through the bank reader.
struct OpenedBank {
    TempFolder folder;
    BankFile file;
    ~OpenedBank() { CloseBankFile(0, &file); }
};

void OpenWritten(OpenedBank* opened, const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = opened->folder.File(name);
    WriteWholeFile(path, bytes);
    StatusRecord status = OpenBankFile(0, path.c_str(), &opened->file);
    ASSERT_EQ(status.code, 0) << status.message;
}

// The DPX-1 image VELTRA makes of the Emulator II image.
std::vector<uint8_t> TranslatedImage(const EmuImageBuilder& image) {
    OpenedBank source;
    OpenWritten(&source, "SOURCE.EII", image.bytes());
    std::vector<uint8_t> dpx(kDpxImageSize);
    StatusRecord status =
        TranslateEIIToDPX(0, OverviewOf(source.folder.File("SOURCE.EII")), source.file.bank, dpx.data());
    EXPECT_EQ(status.code, 0) << status.message;
    return dpx;
}

uint32_t Little32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// The body of the named chunk of a WAV file, or empty.
std::vector<uint8_t> Chunk(const std::vector<uint8_t>& wav, const char* tag) {
    for (size_t at = 12; at + 8 <= wav.size(); at += 8 + Little32(wav, at + 4))
        if (std::memcmp(&wav[at], tag, 4) == 0)
            return std::vector<uint8_t>(wav.begin() + static_cast<long>(at + 8),
                                        wav.begin() + static_cast<long>(at + 8 + Little32(wav, at + 4)));
    return {};
}

std::vector<int16_t> DataValues(const std::vector<uint8_t>& wav) {
    const std::vector<uint8_t> data = Chunk(wav, "data");
    std::vector<int16_t> values;
    for (size_t at = 0; at + 1 < data.size(); at += 2)
        values.push_back(static_cast<int16_t>(data[at] | data[at + 1] << 8));
    return values;
}

// Two samples one after the other, played by voices 1 and 2.
const std::vector<uint8_t> kFirstSample = {0x05, 0x7F, 0x7F, 0x90, 0xFF, 0x00, 0x40};
const std::vector<uint8_t> kSecondSample = {0x7F, 0x7F, 0x7F, 0x7F, 0x81, 0xC0};

EmuImageBuilder TwoVoiceBank() {
    EmuBankBuilder bank;
    const int32_t first = bank.AddSample(kFirstSample);
    const int32_t second = bank.AddSample(kSecondSample);
    VoiceBlock one = VoiceBlock::Playing(first, static_cast<int32_t>(kFirstSample.size()));
    one.name = "ONE";
    bank.AddVoice(one);
    VoiceBlock two = VoiceBlock::Playing(second, static_cast<int32_t>(kSecondSample.size()));
    two.name = "TWO/2";
    bank.AddVoice(two);
    return bank.Build();
}

TEST(VoiceWavTest, HoldsTheSampleAsTheConvertersDecodeIt) {
    InitCompandingTable();
    const EmuImageBuilder image = TwoVoiceBank();
    struct Case {
        const char* file;
        bool dpx;
    };
    for (const Case& test : {Case{"BANK.EII", false}, Case{"BANK.DPX", true}}) {
        SCOPED_TRACE(test.file);
        OpenedBank opened;
        OpenWritten(&opened, test.file, test.dpx ? TranslatedImage(image) : image.bytes());
        const WavExport result =
            WriteVoiceWavs(0, opened.file, BuildBankListing(opened.file), opened.folder.path().string());
        ASSERT_EQ(result.written, 2) << result.failure.message;
        // The running value starts at 0 at each sample; DPX values are the 12-bit points.
        const std::vector<uint8_t> dpx =
            test.dpx ? ReadWholeFile(opened.folder.File(test.file)) : std::vector<uint8_t>();
        const int32_t sampleData = opened.file.sampleDataAddress;
        int32_t point = 0;
        for (const auto& [name, bytes] :
             {std::make_pair("01 ONE.wav", kFirstSample), std::make_pair("02 TWO_2.wav", kSecondSample)}) {
            std::vector<int16_t> expected;
            int32_t running = 0;
            for (uint8_t byte : bytes) {
                running = DecodeCompandedSample(0, running, byte);
                expected.push_back(
                    static_cast<int16_t>(test.dpx ? 16 * PointAt(dpx, sampleData, point) - 32768 : running));
                ++point;
            }
            const std::vector<uint8_t> wav = ReadWholeFile(opened.folder.File(name));
            EXPECT_EQ(DataValues(wav), expected) << name;
            const std::vector<uint8_t> format = Chunk(wav, "fmt ");
            ASSERT_EQ(format.size(), 16u);
            EXPECT_EQ(Little32(format, 4), 27778u) << "sample rate";
        }
    }
}

TEST(VoiceWavTest, SmplChunkCarriesTheVoiceLoop) {
    struct Case {
        const char* name;
        bool loopOn;
        int32_t loopOffset;  // from the sample start
        int32_t loopLength;
        bool chunk;
    };
    const Case cases[] = {
        {"loop over the second half", true, 50, 50, true},
        {"loop over one frame", true, 10, 1, true},
        {"loop over the whole sample", true, 0, 100, true},
        {"loop off", false, 0, 100, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EmuBankBuilder bank;
        const int32_t start = bank.AddSample(std::vector<uint8_t>(100, 0x81));
        VoiceBlock voice = VoiceBlock::Playing(start, 100);
        if (test.loopOn) voice.LoopOn(start + test.loopOffset, test.loopLength);
        bank.AddVoice(voice);
        OpenedBank opened;
        OpenWritten(&opened, "LOOP.EII", bank.Build().bytes());
        const WavExport result =
            WriteVoiceWavs(0, opened.file, BuildBankListing(opened.file), opened.folder.path().string());
        ASSERT_EQ(result.written, 1);
        const std::vector<uint8_t> smpl = Chunk(ReadWholeFile(opened.folder.File("01 VOICE.wav")), "smpl");
        if (!test.chunk) {
            EXPECT_TRUE(smpl.empty());
            continue;
        }
        ASSERT_EQ(smpl.size(), 60u);
        EXPECT_EQ(Little32(smpl, 28), 1u) << "one loop";
        EXPECT_EQ(Little32(smpl, 44), static_cast<uint32_t>(test.loopOffset)) << "loop start frame";
        EXPECT_EQ(Little32(smpl, 48), static_cast<uint32_t>(test.loopOffset + test.loopLength - 1))
            << "last frame of the loop";
    }
}

TEST(BankListingTest, DamagedBankListsEveryProblemOnItsOwnLine) {
    struct Case {
        const char* name;
        int32_t brokenVoiceCheck;   // 0 = none
        int32_t brokenPresetCheck;  // 0 = none
        std::vector<std::string> problems;
    };
    const Case cases[] = {
        {"sound bank", 0, 0, {}},
        {"voice 2 with a bad name",
         33,
         0,
         {"voice 2: check 33: name has a byte of 0x80 or above",
          "the converters refuse this bank: EII Bank is corrupt (Voice=2, Reason=33)."}},
        {"voice 2 with a bad loop and preset 1 with a bad byte 23",
         40,
         4,
         {"preset 1 (KEYS): check 4: byte 23 above 15",
          "voice 2 (SECOND): check 40: loop runs past the end of the sample",
          "the converters refuse this bank: EII Bank is corrupt (Voice=2, Reason=40)."}},
        {"preset naming a missing voice",
         0,
         11,
         {"preset 1 (KEYS): check 11: a key area names a voice the bank lacks",
          "preset 1 keys 36-75 A3-C7: names a voice the bank lacks"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EmuBankBuilder bank;
        const int32_t start = bank.AddSample(std::vector<uint8_t>(64, 0x80));
        VoiceBlock first = VoiceBlock::Playing(start, 64);
        first.name = "FIRST";
        bank.AddVoice(first);
        VoiceBlock second = VoiceBlock::Playing(start, 64);
        second.name = "SECOND";
        if (test.brokenVoiceCheck == 40)
            second.LoopOn(start + 10, 64);
        else if (test.brokenVoiceCheck != 0)
            second.Break(test.brokenVoiceCheck);
        bank.AddVoice(second);
        PresetBlock preset;
        preset.name = "KEYS";
        preset.Add(KeyAreaRecord::First(21, 1))
            .Add(KeyAreaRecord::First(40, test.brokenPresetCheck == 11 ? 9 : 2));
        if (test.brokenPresetCheck != 0 && test.brokenPresetCheck != 11) preset.Break(test.brokenPresetCheck);
        bank.AddPreset(preset);
        OpenedBank opened;
        OpenWritten(&opened, "DAMAGED.EII", bank.Build().bytes());

        const BankListing listing = BuildBankListing(opened.file);
        EXPECT_EQ(listing.problems, test.problems);
        const std::string text = FormatListingText(listing);
        for (const std::string& problem : test.problems)
            EXPECT_NE(text.find("\n  " + problem + "\n"), std::string::npos) << problem;
        EXPECT_EQ(listing.voices.size(), 2u) << "every voice is listed, damaged or not";
        const std::string json = FormatListingJson(listing);
        for (const std::string& problem : test.problems)
            EXPECT_NE(json.find("\"" + problem + "\""), std::string::npos) << problem;
    }
}

// Whether every element is closed in order (the page is written as XML-compatible HTML).
bool WellFormed(const std::string& html, std::string* fault) {
    std::vector<std::string> open;
    for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
        const size_t end = html.find('>', at);
        if (end == std::string::npos) return *fault = "unclosed tag", false;
        const std::string tag = html.substr(at + 1, end - at - 1);
        if (tag.empty() || tag[0] == '!' || tag.back() == '/') continue;
        const size_t nameEnd = tag.find_first_of(" \n");
        if (tag[0] == '/') {
            if (open.empty() || open.back() != tag.substr(1))
                return *fault = "stray </" + tag.substr(1) + ">", false;
            open.pop_back();
        } else {
            open.push_back(tag.substr(0, nameEnd));
        }
    }
    if (!open.empty()) return *fault = "<" + open.back() + "> not closed", false;
    return true;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(ReportHtmlTest, PageIsWellFormedWithOneKeyboardPerPreset) {
    struct Case {
        const char* name;
        int32_t presets;
        bool damagedVoice;
    };
    for (const Case& test : {Case{"no preset", 0, false}, Case{"one preset", 1, false},
                             Case{"three presets & a damaged voice", 3, true}}) {
        SCOPED_TRACE(test.name);
        EmuBankBuilder bank;
        const int32_t start = bank.AddSample(std::vector<uint8_t>(300, 0x85));
        VoiceBlock voice = VoiceBlock::Playing(start, 300).LoopOn(start + 100, 200);
        voice.name = "<PAD & \"X\">";
        if (test.damagedVoice) voice.Break(34);
        bank.AddVoice(voice);
        for (int32_t preset = 0; preset < test.presets; ++preset)
            bank.AddPreset(PresetBlock().Add(KeyAreaRecord::Both(30, 1, 1)).Add(KeyAreaRecord::First(31, 1)));
        OpenedBank opened;
        OpenWritten(&opened, "PAGE.EII", bank.Build().bytes());
        const std::string html = BuildReportHtml(0, opened.file, BuildBankListing(opened.file));
        std::string fault;
        EXPECT_TRUE(WellFormed(html, &fault)) << fault;
        EXPECT_EQ(Count(html, "<svg class=\"keyboard\""), static_cast<size_t>(test.presets));
        EXPECT_EQ(Count(html, "<script"), 0u);
        EXPECT_EQ(Count(html, "http"), 0u) << "nothing fetched from elsewhere";
        EXPECT_EQ(Count(html, "<svg class=\"wave\""), test.damagedVoice ? 0u : 1u);
        EXPECT_EQ(Count(html, "class=\"card voice damaged\""), test.damagedVoice ? 1u : 0u);
    }
}

}  // namespace
