#include "tools/bank_snr.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/emu_bank_blocks.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(SignalToNoiseDbTest, EnergyOfTheSignalOverEnergyOfTheDifference) {
    struct Case {
        const char* what;
        std::vector<int32_t> reference;
        std::vector<int32_t> test;
        double decibels;
    };
    const Case cases[] = {
        {"a tenth off everywhere", {1000, -1000}, {1100, -900}, 20.0},
        {"a hundredth of the energy", {3000, 4000}, {3300, 4400}, 20.0},
        {"all lost", {10, 10}, {0, 0}, 0.0},
        {"one point of three off by the signal", {100, 100, 100}, {100, 0, 100}, 4.771},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(SignalToNoiseDb(c.reference, c.test), c.decibels, 0.001) << c.what;
    EXPECT_TRUE(std::isinf(SignalToNoiseDb({5, -7}, {5, -7})));
    EXPECT_TRUE(std::isinf(SignalToNoiseDb({}, {})));
}

TEST(DecodeBankSamplesTest, EverySampleDecodedFromItsOwnStart) {
    TempFolder folder;
    EmuBankBuilder bank;
    // Code 127 steps by 14,054, code 255 by -14,054, code 128 by 0, each less a 51st of the
    // running value (rounded toward zero).
    const int32_t first = bank.AddSample({0x7F, 0x7F});
    const int32_t second = bank.AddSample({0xFF, 0x80, 0x7F});
    bank.AddVoice(VoiceBlock::Playing(first, 2));
    bank.AddVoice(VoiceBlock::Playing(second, 3));
    const std::string path = folder.File("BANK.EII");
    bank.Build().WriteTo(path);

    std::vector<int32_t> values;
    const StatusRecord status = DecodeBankSamples(path.c_str(), &values);
    ASSERT_EQ(status.code, 0) << status.message;
    const std::vector<int32_t> expected = {14054, 27833, -14054, -13779, 545};
    EXPECT_EQ(values, expected);

    const std::string missing = folder.File("NONE.EII");
    EXPECT_NE(DecodeBankSamples(missing.c_str(), &values).code, 0);
}

}  // namespace
