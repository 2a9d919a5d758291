#include "dpx/companding.h"

#include "common/trace.h"

namespace {

// Eight segments of sixteen codes per half; within a segment neighbouring steps differ by
// about 3.5 x 2^segment. Codes 0..127 rise from 0 to +14054, codes 128..255 fall from 0 to
// -14054; the two halves are not exact mirrors of each other.
// clang-format off
constexpr CompandingSteps kCompandingSteps = {
    /*   0-  7 */      0,      4,      7,     11,     14,     17,     21,     24,
    /*   8- 15 */     28,     32,     35,     39,     42,     44,     49,     52,
    /*  16- 23 */     58,     65,     72,     78,     86,     93,    100,    107,
    /*  24- 31 */    113,    121,    128,    135,    142,    149,    157,    163,
    /*  32- 39 */    173,    188,    202,    216,    230,    243,    258,    271,
    /*  40- 47 */    286,    299,    314,    327,    341,    356,    369,    383,
    /*  48- 55 */    404,    433,    460,    488,    516,    544,    573,    600,
    /*  56- 63 */    628,    657,    684,    712,    741,    769,    796,    824,
    /*  64- 71 */    866,    922,    978,   1035,   1091,   1145,   1202,   1259,
    /*  72- 79 */   1315,   1370,   1426,   1482,   1538,   1594,   1650,   1707,
    /*  80- 87 */   1790,   1903,   2014,   2126,   2238,   2351,   2462,   2573,
    /*  88- 95 */   2685,   2798,   2911,   3022,   3134,   3246,   3358,   3470,
    /*  96-103 */   3638,   3863,   4087,   4311,   4534,   4758,   4982,   5206,
    /* 104-111 */   5430,   5654,   5879,   6103,   6327,   6551,   6774,   6998,
    /* 112-119 */   7334,   7783,   8231,   8679,   9126,   9575,  10022,  10471,
    /* 120-127 */  10918,  11367,  11814,  12262,  12710,  13158,  13606,  14054,
    /* 128-135 */      0,     -4,     -7,    -11,    -14,    -18,    -22,    -25,
    /* 136-143 */    -29,    -33,    -36,    -40,    -42,    -46,    -50,    -54,
    /* 144-151 */    -59,    -65,    -71,    -79,    -86,    -94,   -101,   -107,
    /* 152-159 */   -114,   -122,   -128,   -135,   -142,   -150,   -156,   -163,
    /* 160-167 */   -174,   -188,   -202,   -216,   -230,   -245,   -259,   -272,
    /* 168-175 */   -286,   -300,   -314,   -327,   -342,   -355,   -370,   -383,
    /* 176-183 */   -404,   -434,   -460,   -488,   -517,   -545,   -573,   -600,
    /* 184-191 */   -629,   -656,   -685,   -714,   -741,   -769,   -796,   -824,
    /* 192-199 */   -867,   -923,   -979,  -1035,  -1091,  -1146,  -1203,  -1259,
    /* 200-207 */  -1315,  -1371,  -1426,  -1483,  -1538,  -1595,  -1651,  -1707,
    /* 208-215 */  -1791,  -1903,  -2014,  -2126,  -2239,  -2351,  -2462,  -2573,
    /* 216-223 */  -2686,  -2799,  -2910,  -3023,  -3134,  -3246,  -3358,  -3471,
    /* 224-231 */  -3639,  -3862,  -4087,  -4311,  -4534,  -4759,  -4982,  -5206,
    /* 232-239 */  -5430,  -5655,  -5879,  -6103,  -6327,  -6550,  -6774,  -6998,
    /* 240-247 */  -7335,  -7783,  -8231,  -8678,  -9127,  -9575, -10022, -10471,
    /* 248-255 */ -10918, -11366, -11815, -12262, -12710, -13158, -13606, -14054,
};
// clang-format on

int64_t Distance(int64_t a, int64_t b) {
    return a > b ? a - b : b - a;
}

}  // namespace

CompandingSteps CompandingTable = kCompandingSteps;

void InitCompandingTable() {
    CompandingTable = kCompandingSteps;
}

int32_t DecodeCompandedSample(int8_t trace, int32_t prev, int32_t code) {
    int32_t leak = prev / kCompandingLeakDivisor;
    // 64 bits, so that no running value a caller passes can overflow the sum.
    int64_t value = static_cast<int64_t>(prev) + CompandingTable[static_cast<uint32_t>(code) & 0xFF] - leak;
    if (value > kCompandedMaximum) {
        TraceLine(trace, kTraceDetails, "Peek avoided for value %d\n", static_cast<int32_t>(value));
        return kCompandedMaximum;
    }
    if (value < kCompandedMinimum) {
        TraceLine(trace, kTraceDetails, "Peek avoided for value %d\n", static_cast<int32_t>(value));
        return kCompandedMinimum;
    }
    return static_cast<int32_t>(value);
}

int32_t EncodeCompandedSample(int8_t, int32_t prev, int32_t wantedChange, EncodedSample* output) {
    int32_t leak = prev / kCompandingLeakDivisor;
    // The scan keeps the last code at the smallest distance. Starting from an unbounded best
    // gives the same code as starting from 65,535 whenever some code lies within 65,535, and
    // the nearest code otherwise.
    int64_t best = INT64_MAX;
    int32_t chosen = 0;
    for (int32_t code = 0; code < kCompandingCodes; ++code) {
        int64_t distance = Distance(wantedChange, static_cast<int64_t>(CompandingTable[code]) - leak);
        if (distance <= best) {
            chosen = code;
            best = distance;
        }
    }
    output->code = chosen;
    output->step = CompandingTable[chosen] - leak;
    return chosen;
}
