#include "dpx/companding.h"

#include <cstddef>

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

// The distinct steps in ascending order, each with the highest code that holds it: codes 0 and
// 128 share the zero step, which the encoder codes as 128.
struct StepsInOrder {
    std::array<int32_t, kCompandingCodes> steps;
    std::array<uint8_t, kCompandingCodes> codes;
    int32_t count;
};

constexpr StepsInOrder SortSteps(const CompandingSteps& table) {
    // Codes ordered by step; the insertion keeps equal steps in ascending code order.
    std::array<int32_t, kCompandingCodes> byStep{};
    for (int32_t i = 0; i < kCompandingCodes; ++i) {
        int32_t at = i;
        while (at > 0 && table[byStep[at - 1]] > table[i]) {
            byStep[at] = byStep[at - 1];
            --at;
        }
        byStep[at] = i;
    }
    StepsInOrder order{};
    for (int32_t code : byStep) {
        if (order.count > 0 && order.steps[order.count - 1] == table[code]) {
            order.codes[order.count - 1] = static_cast<uint8_t>(code);
        } else {
            order.steps[order.count] = table[code];
            order.codes[order.count] = static_cast<uint8_t>(code);
            ++order.count;
        }
    }
    return order;
}

constexpr StepsInOrder kStepsInOrder = SortSteps(kCompandingSteps);
constexpr int32_t kLowestStep = kStepsInOrder.steps[0];
constexpr int32_t kHighestStep = kStepsInOrder.steps[kStepsInOrder.count - 1];
static_assert(kStepsInOrder.count == kCompandingCodes - 1, "only the zero step is held by two codes");
static_assert(kLowestStep == -14054 && kStepsInOrder.codes[0] == 255, "the smallest step is code 255");
static_assert(kHighestStep == 14054 && kStepsInOrder.codes[kCompandingCodes - 2] == 127,
              "the largest step is code 127");

// The code chosen for every change from the smallest to the largest step (the change being the
// wanted change plus the leak): the nearest step, and of two steps at the same distance the one
// with the higher code. Beyond the ends the smallest or the largest step is the nearest.
using ChoiceTable = std::array<uint8_t, kHighestStep - kLowestStep + 1>;

constexpr ChoiceTable BuildChoiceTable(const StepsInOrder& order) {
    ChoiceTable choices{};
    // A change only moves up through the steps, so the nearest one never moves down.
    int32_t nearest = 0;
    for (int32_t change = kLowestStep; change <= kHighestStep; ++change) {
        while (nearest + 1 < order.count) {
            const int32_t below = change - order.steps[nearest];
            const int32_t above = order.steps[nearest + 1] - change;
            if (above > below || (above == below && order.codes[nearest + 1] < order.codes[nearest])) break;
            ++nearest;
        }
        choices[change - kLowestStep] = order.codes[nearest];
    }
    return choices;
}

constexpr ChoiceTable kChoiceTable = BuildChoiceTable(kStepsInOrder);

// The step of every choice, so that the step is found as soon as the change is known.
using ChosenStepTable = std::array<int16_t, kHighestStep - kLowestStep + 1>;

constexpr ChosenStepTable BuildChosenStepTable(const ChoiceTable& choices) {
    ChosenStepTable steps{};
    for (size_t index = 0; index < choices.size(); ++index)
        steps[index] = static_cast<int16_t>(kCompandingSteps[choices[index]]);
    return steps;
}

constexpr ChosenStepTable kChosenStepTable = BuildChosenStepTable(kChoiceTable);
static_assert(kChoiceTable[0] == kStepsInOrder.codes[0] &&
                  kChoiceTable[kChoiceTable.size() - 1] == kStepsInOrder.codes[kStepsInOrder.count - 1],
              "beyond the ends the choice is that of the end");

}  // namespace

CompandingSteps CompandingTable = kCompandingSteps;

void InitCompandingTable() {
    CompandingTable = kCompandingSteps;
}

int32_t ClampDecodedValue(int8_t trace, int64_t value) {
    TraceLine(trace, kTraceDetails, "Peek avoided for value %d\n", static_cast<int32_t>(value));
    return value > kCompandedMaximum ? kCompandedMaximum : kCompandedMinimum;
}

int32_t EncodeCompandedSample(int8_t, int32_t prev, int32_t wantedChange, EncodedSample* output) {
    const int32_t leak = CompandingLeak(prev);
    // |wantedChange - (step - leak)| = |wantedChange + leak - step|: the distances to all the
    // steps, and so the choice, depend on that sum alone. 64 bits, so that no sum overflows.
    const int64_t change = static_cast<int64_t>(wantedChange) + leak;
    // Beyond the smallest or largest step the choice is that of the end.
    const int64_t held = change < kLowestStep ? kLowestStep : change > kHighestStep ? kHighestStep : change;
    const size_t index = static_cast<size_t>(held - kLowestStep);
    const int32_t chosen = kChoiceTable[index];
    output->code = chosen;
    output->step = kChosenStepTable[index] - leak;
    return chosen;
}

int32_t EncodeCompandedSampleByScan(int8_t, int32_t prev, int32_t wantedChange, EncodedSample* output) {
    int32_t leak = prev / kCompandingLeakDivisor;
    // The scan keeps the last code at the smallest distance. Starting from an unbounded best
    // gives the same code as starting from 65,535 whenever some code lies within 65,535, and
    // the nearest code otherwise. Distances in 64 bits, so that no wanted change overflows them.
    const int32_t* steps = CompandingTable.data();
    int64_t best = INT64_MAX;
    int32_t chosen = 0;
    for (int32_t code = 0; code < kCompandingCodes; ++code) {
        const int64_t difference = static_cast<int64_t>(wantedChange) - (steps[code] - leak);
        const int64_t distance = difference < 0 ? -difference : difference;
        if (distance <= best) {
            chosen = code;
            best = distance;
        }
    }
    output->code = chosen;
    output->step = CompandingTable[chosen] - leak;
    return chosen;
}
