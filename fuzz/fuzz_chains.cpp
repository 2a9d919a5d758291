#include "fuzz/fuzz_chains.h"

#include <cstdio>
#include <string>
#include <vector>

#include "convert/bank_pipeline.h"
#include "dpx/temporary_image.h"
#include "dpx/to_dpx.h"
#include "dpx/to_eii.h"
#include "inspect/bank_file.h"
#include "inspect/bank_listing.h"
#include "inspect/report_html.h"
#include "inspect/wav.h"

namespace {

// The warnings the converters give for a file that holds no Emulator II bank.
constexpr int32_t kNotAnEiiFileCode = 800;
constexpr int32_t kNotAnEiiDpxFileCode = 11008;

// The targets run without trace lines and without the key waits that come with them.
constexpr int8_t kQuiet = 0;

// The reading chain on a temporary image that exists.
StatusRecord ConvertFromTemporaryImage(const char* dpxPath, const char* temporaryPath, uint8_t* eiiImage) {
    ImageOverview overview{};
    BankInProgress progress{nullptr, nullptr};
    StatusRecord status = ReadRecognisedBank(kQuiet, temporaryPath, dpxPath, 0, kNotAnEiiDpxFileCode,
                                             "EII-DPX", &overview, &progress);
    if (status.code != 0) return status;
    status = TranslateDPXToEII(kQuiet, dpxPath, overview, progress.bank, eiiImage);
    ReleaseBankInProgress(kQuiet, &progress);
    return status;
}

}  // namespace

StatusRecord ConvertEIIImage(const char* eiiPath, uint8_t* dpxImage) {
    ImageOverview overview{};
    BankInProgress progress{nullptr, nullptr};
    StatusRecord status =
        ReadRecognisedBank(kQuiet, eiiPath, eiiPath, 1, kNotAnEiiFileCode, "EII", &overview, &progress);
    if (status.code != 0) return status;
    status = TranslateEIIToDPX(kQuiet, overview, progress.bank, dpxImage);
    ReleaseBankInProgress(kQuiet, &progress);
    return status;
}

StatusRecord ConvertDPXImage(const char* dpxPath, const char* temporaryPath, uint8_t* eiiImage) {
    TemporaryImage temporary{temporaryPath, false, {}};
    StatusRecord status = CreateTemporaryImage(kQuiet, dpxPath, &temporary);
    if (status.code == 0) status = ConvertFromTemporaryImage(dpxPath, temporaryPath, eiiImage);
    RemoveTemporaryImage(&temporary);
    return status;
}

void InspectBankFile(const char* path) {
    BankFile file;
    if (OpenBankFile(kQuiet, path, &file).code == 0) {
        const BankListing listing = BuildBankListing(file);
        (void)FormatListingText(listing);
        (void)FormatListingJson(listing);
        std::vector<int16_t> values;
        for (const VoiceListing& voice : listing.voices) {
            std::string reason;
            if (VoiceSampleValues(kQuiet, file, voice, &values, &reason))
                (void)BuildWavFile(values,
                                   WavLoop{voice.loopKnown && voice.loopOn, voice.loopStart, voice.loopEnd});
        }
        (void)BuildReportHtml(kQuiet, file, listing);
    }
    CloseBankFile(kQuiet, &file);
}

void SilenceConsoleOutput() {
#ifdef _WIN32
    std::FILE* output = std::freopen("NUL", "w", stdout);
#else
    std::FILE* output = std::freopen("/dev/null", "w", stdout);
#endif
    (void)output;
}
