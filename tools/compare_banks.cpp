// Tells how close the samples of an Emulator II bank came back after a conversion: both banks'
// samples are decoded and the signal-to-noise ratio of their difference printed in dB.
//
//   compare_banks <original.EII> <converted.EII>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/bank_snr.h"

int main(int argc, char** argv) {
    if (argc != 3 || argv[1][0] == '-' || argv[2][0] == '-') {
        const bool help =
            argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
        std::fprintf(help ? stdout : stderr,
                     "usage: compare_banks <original.EII> <converted.EII>\n"
                     "  decodes the samples of both Emulator II banks and prints the signal-to-noise\n"
                     "  ratio of the converted bank's samples against the original's, in dB\n");
        return help ? 0 : 2;
    }
    std::vector<int32_t> original;
    std::vector<int32_t> converted;
    for (int32_t index = 0; index < 2; ++index) {
        const StatusRecord status = DecodeBankSamples(argv[1 + index], index == 0 ? &original : &converted);
        if (status.code != 0) {
            std::fprintf(stderr, "compare_banks: %s (%d)\n", status.message, static_cast<int>(status.code));
            return 1;
        }
    }
    if (original.size() != converted.size()) {
        std::fprintf(stderr, "compare_banks: the banks hold %d and %d sample points\n",
                     static_cast<int>(original.size()), static_cast<int>(converted.size()));
        return 1;
    }
    const double snr = SignalToNoiseDb(original, converted);
    if (std::isinf(snr))
        std::printf("identical samples (%d points)\n", static_cast<int>(original.size()));
    else
        std::printf("%.1f dB signal-to-noise over %d sample points\n", snr,
                    static_cast<int>(original.size()));
    return 0;
}
