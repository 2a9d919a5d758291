#include "eii/bank_header.h"

#include <array>
#include <cstddef>
#include <vector>

#include "common/bytes.h"
#include "common/trace.h"
#include "eii/image.h"

namespace {

// Header offsets.
constexpr int32_t kNameOffset = 692;
constexpr int32_t kRecentPresetOffset = 718;
constexpr int32_t kVoiceTableOffset = 719;
constexpr int32_t kPresetTableOffset = 818;
constexpr int32_t kSequenceTableOffset = 1016;
constexpr int32_t kParameterSizeOffset = 1214;
constexpr int32_t kSampleStartOffset = 1216;
constexpr int32_t kSampleEndOffset = 1218;
constexpr int32_t kSequenceStartOffset = 1221;

// The largest parameter area and the first offset past the image.
constexpr int32_t kMaxParameterAreaSize = 26880;
constexpr int32_t kImageEnd = 485888;
// Sequence entries count down from the top of the image.
constexpr int32_t kSequenceBase = 420352;
// Table bytes at or above this high byte address a block; below it they are invalid.
constexpr uint8_t kLowestBlockHighByte = 155;
// The voice block bytes that hold the three-byte sample start address.
constexpr int32_t kVoiceSampleStartOffset = 199;

// One range rule of the current preset area: every byte of first..last must lie in low..high,
// or equal `alsoAllowed` when that is not -1.
struct PresetAreaRule {
    int32_t code;
    int32_t first;
    int32_t last;
    int32_t low;
    int32_t high;
    int32_t alsoAllowed;
};

// The rules in the order they are applied; the first broken one gives the code.
constexpr std::array<PresetAreaRule, 19> kPresetAreaRules{{
    {1, 8, 11, 32, 32, -1},      // four spaces
    {2, 12, 72, 0, 99, -1},      // 61 bytes, one per key
    {3, 73, 133, 155, 255, 0},   // 0 or at least 155
    {4, 134, 194, 0, 60, -1},    //
    {5, 195, 255, 0, 99, -1},    //
    {6, 256, 316, 155, 255, 0},  //
    {7, 317, 377, 0, 60, -1},    //
    {8, 378, 499, 0, 119, 255},  // 122 bytes: at most 119, or 255
    {9, 561, 621, 0, 15, -1},    //
    {10, 718, 718, 0, 99, -1},   // recent preset
    {11, 692, 703, 0, 127, -1},  // bank name, 7-bit characters
    {12, 704, 704, 0, 15, -1},   //
    {13, 705, 705, 0, 63, -1},   // bits 6 and 7 clear
    {14, 712, 712, 0, 0, -1},    //
    {15, 715, 715, 0, 0, -1},    //
    {16, 713, 713, 0, 5, -1},    //
    {17, 714, 714, 0, 2, -1},    //
    {18, 716, 716, 0, 127, -1},  //
    {19, 717, 717, 0, 7, -1},    //
}};

bool RuleHolds(const PresetAreaRule& rule, const uint8_t* bytes) {
    for (int32_t offset = rule.first; offset <= rule.last; ++offset) {
        int32_t value = bytes[offset];
        bool inRange = value >= rule.low && value <= rule.high;
        if (!inRange && value != rule.alsoAllowed) return false;
    }
    return true;
}

// Decodes one table into addresses (-1 for an empty entry), counting the used entries. Stops at
// the first invalid entry and returns false. Entries 99 and 100 are always -1.
bool DecodePresetTable(const uint8_t* bytes, int32_t* addresses, int32_t* count) {
    for (int32_t entry = 0; entry < kEmuAddressEntries; ++entry) addresses[entry] = -1;
    *count = 0;
    for (int32_t entry = 0; entry < kEmuTableSlots; ++entry) {
        const uint8_t* pair = bytes + kPresetTableOffset + 2 * entry;
        if (pair[0] == 0 && pair[1] == 0) continue;
        if (pair[1] < kLowestBlockHighByte) return false;
        addresses[entry] = DecodeEmuAddress16(pair);
        ++*count;
    }
    return true;
}

bool DecodeVoiceTable(const uint8_t* bytes, int32_t* addresses, int32_t* count) {
    for (int32_t entry = 0; entry < kEmuAddressEntries; ++entry) addresses[entry] = -1;
    *count = 0;
    for (int32_t entry = 0; entry < kEmuTableSlots; ++entry) {
        uint8_t highByte = bytes[kVoiceTableOffset + entry];
        if (highByte == 0) continue;
        if (highByte < kLowestBlockHighByte) return false;
        const uint8_t pair[2] = {0, highByte};
        addresses[entry] = DecodeEmuAddress16(pair);
        ++*count;
    }
    return true;
}

void DecodeSequenceTable(const uint8_t* bytes, int32_t* addresses, int32_t* count) {
    for (int32_t entry = 0; entry < kEmuAddressEntries; ++entry) addresses[entry] = -1;
    *count = 0;
    for (int32_t entry = 0; entry < kEmuTableSlots; ++entry) {
        const uint8_t* pair = bytes + kSequenceTableOffset + 2 * entry;
        if (pair[0] == 0 && pair[1] == 0) continue;
        addresses[entry] = kSequenceBase + ReadLittle16(pair);
        ++*count;
    }
}

void TraceAddressTable(int8_t trace, const char* format, const int32_t* addresses) {
    for (int32_t entry = 0; entry < kEmuTableSlots; ++entry)
        TraceLine(trace, kTraceDetails, format, entry + 1, addresses[entry]);
}

void TraceHeaderDetails(int8_t trace, const BankBasicDetails* header) {
    if (trace < kTraceDetails) return;
    TraceLine(trace, kTraceDetails, "Emu II Bank basic parameters (cont'nd):\n");
    TraceLine(trace, kTraceDetails, " ImageNumber = %d -- Recent Preset = %d\n", header->ImageNumber,
              header->RecentPreset);
    TraceLine(trace, kTraceDetails, " RecentSample = %d -- RecentSequence = %d\n", header->RecentSample,
              header->RecentSequence);
    TraceLine(trace, kTraceDetails, " NumberOfReqDisks = %d -- NumberOfImages = %d -- BackupStatus = %X\n",
              header->NumberOfReqDisks, header->NumberOfImages, header->BackupStatus);
    TraceLine(trace, kTraceDetails, " NumberOfSamples = %d -- NumberOfPresets = %d\n",
              header->NumberOfSamples, header->NumberOfPresets);
    TraceLine(trace, kTraceDetails, " NumberOfVoices = %d -- NumberOfSequences = %d\n",
              header->NumberOfVoices, header->NumberOfSequences);
    TraceLine(trace, kTraceDetails, " ImageName = %s -- ImageType = %d\n", header->ImageOverview->Name,
              header->ImageOverview->ImageType);
    TraceLine(trace, kTraceDetails, " Preset Addresses:\n");
    TraceAddressTable(trace, "P%d:%d ", header->PresetAddress);
    TraceLine(trace, kTraceDetails, "\n Voice Addresses:\n");
    TraceAddressTable(trace, "V%d:%d ", header->VoiceAddress);
    TraceLine(trace, kTraceDetails, "\n Sequence Addresses:\n");
    TraceAddressTable(trace, "S%d:%d ", header->SequenceAddress);
    TraceLine(trace, kTraceDetails, "\n");
    TraceWait(trace, kTraceDetails);
}

// Decodes the sample start of every voice from the parameter area and counts the distinct
// starts. A voice whose start field does not lie inside the area, or whose start decodes
// outside the image, makes the header invalid (572).
StatusRecord CountSamples(int8_t trace, const std::vector<uint8_t>& parameters, BankBasicDetails* header) {
    std::array<int32_t, kEmuTableSlots> starts{};
    int32_t distinct = 0;
    for (int32_t voice = 0; voice < kEmuTableSlots; ++voice) {
        int32_t block = header->VoiceAddress[voice];
        if (block == -1) continue;
        int32_t field = block + kVoiceSampleStartOffset;
        bool fieldInside = field >= 0 && field + 2 < static_cast<int32_t>(parameters.size());
        int32_t start = fieldInside ? DecodeEmuAddress24(&parameters[field]) : -1;
        if (fieldInside)
            TraceLine(trace, kTraceDetails, "Calculated Sample Address for voice %d is %d\n", voice, start);
        if (!fieldInside || start < 0 || start > kEmuImageSize)
            return MakeStatus(572, 'E', "Emulator II Bank contains invalid sample addresses.");
        bool seen = false;
        for (int32_t earlier = 0; earlier < distinct; ++earlier) seen = seen || starts[earlier] == start;
        if (!seen) starts[distinct++] = start;
    }
    header->NumberOfSamples = distinct;
    return InitStatusRecord();
}

}  // namespace

uint8_t FilterNameChar(uint8_t byte) {
    bool letter = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
    bool digit = byte >= '0' && byte <= '9';
    if (letter || digit || byte == ' ' || byte == '#') return byte;
    return ' ';
}

int32_t ValidateEmuIICurrentPresetArea(int8_t trace, const uint8_t* headerBytes) {
    TraceEnter(trace, "ValidateEmuIICurrentPresetArea");
    int32_t code = 0;
    for (const PresetAreaRule& rule : kPresetAreaRules) {
        if (!RuleHolds(rule, headerBytes)) {
            code = rule.code;
            break;
        }
    }
    if (trace >= kTraceDetails) {
        TraceLine(trace, kTraceDetails, "Result current preset validation: %d\n", code);
        for (int32_t offset = kNameOffset; offset < kNameOffset + kEmuNameLength; ++offset)
            TraceLine(trace, kTraceDetails, "%c", headerBytes[offset]);
        TraceLine(trace, kTraceDetails, "\n");
        TraceWait(trace, kTraceDetails);
    }
    TraceEnd(trace, "ValidateEmuIICurrentPresetArea");
    return code;
}

StatusRecord GetEmuIIBankBasicDetails(int8_t trace, ImageOverview overview, BankBasicDetails* header) {
    TraceEnter(trace, "GetEmuIIBankBasicDetails");
    TraceLine(trace, kTraceCalls, "Getting basic details for bank in image %s\n", overview.Name);
    TraceWait(trace, kTraceCalls);

    header->Number = 0;
    header->Type = 5;
    header->BankSize = kEmuImageSize;
    header->ImageNumber = 1;
    header->RecentSequence = 1;
    header->RecentSample = 0;
    header->NumberOfReqDisks = 1;
    header->NumberOfImages = 1;
    header->BackupStatus = 0x80;
    ImageOverview* copy = InitImageOverview(trace, kContextNumber, kPassThroughByte);
    *copy = overview;
    copy->next = nullptr;
    header->ImageOverview = copy;

    std::vector<uint8_t> bytes(kEmuHeaderSize);
    StatusRecord status = ReadImageData(trace, overview, 0, kEmuHeaderSize - 1, bytes.data());
    if (status.code != 0) return status;

    int32_t presetAreaCode = ValidateEmuIICurrentPresetArea(trace, bytes.data());
    if (presetAreaCode != 0)
        return MakeStatus(567, 'E',
                          "Emulator II Bank contains invalid current preset parameters. Errorcode is %d.",
                          presetAreaCode);

    header->RecentPreset = bytes[kRecentPresetOffset];
    for (int32_t index = 0; index < kEmuNameLength; ++index)
        header->Name[index] = static_cast<char>(FilterNameChar(bytes[kNameOffset + index]));
    header->Name[kEmuNameLength] = '\0';

    if (!DecodePresetTable(bytes.data(), header->PresetAddress, &header->NumberOfPresets))
        return MakeStatus(568, 'E', "Emulator II Bank contains invalid preset addresses.");

    bool voicesValid = DecodeVoiceTable(bytes.data(), header->VoiceAddress, &header->NumberOfVoices);
    if (trace >= kTraceDetails) {
        TraceLine(trace, kTraceDetails, "Sample addresses for bank %s:\n", header->Name);
        for (int32_t entry = 0; entry < kEmuAddressEntries; ++entry)
            TraceLine(trace, kTraceDetails, "%d -> %d\n", entry, header->VoiceAddress[entry]);
        TraceWait(trace, kTraceDetails);
    }
    if (!voicesValid) return MakeStatus(569, 'E', "Emulator II Bank contains invalid voice addresses.");

    DecodeSequenceTable(bytes.data(), header->SequenceAddress, &header->NumberOfSequences);

    int32_t parameterAreaSize = DecodeEmuAddress16(&bytes[kParameterSizeOffset]);
    header->StartSampleAddress = DecodeEmuAddress16(&bytes[kSampleStartOffset]);
    header->EndSampleAddress = DecodeEmuAddress24(&bytes[kSampleEndOffset]);
    int32_t sequenceStart = DecodeEmuAddress24(&bytes[kSequenceStartOffset]);
    header->TotalSampleSize = header->EndSampleAddress - header->StartSampleAddress;
    header->SequenceSize = kEmuImageSize - sequenceStart;
    if (header->SequenceSize < 0) header->SequenceSize = 0;

    if (trace >= kTraceDetails) {
        TraceLine(trace, kTraceDetails, "Emu II Bank basic parameters:\n");
        TraceLine(trace, kTraceDetails, " Number: %d -- Name: %s -- Type: %d\n", header->Number, header->Name,
                  header->Type);
        TraceLine(trace, kTraceDetails, " Start Sample Address = %d -- End Sample Address+1 = %d\n",
                  header->StartSampleAddress, header->EndSampleAddress);
        TraceLine(trace, kTraceDetails, " TotalSampleSize = %d -- SequenceSize = %d -- BankSize = %d\n",
                  header->TotalSampleSize, header->SequenceSize, header->BankSize);
        TraceWait(trace, kTraceDetails);
    }

    auto withinImage = [](int32_t address) { return address >= 0 && address <= kEmuImageSize; };
    bool addressesValid = withinImage(header->EndSampleAddress) && withinImage(header->StartSampleAddress) &&
                          withinImage(header->TotalSampleSize) && sequenceStart >= 0 &&
                          sequenceStart <= kImageEnd && parameterAreaSize >= 0 &&
                          parameterAreaSize <= kMaxParameterAreaSize;
    if (!addressesValid) return MakeStatus(571, 'E', "Emulator II Bank contains invalid main addresses.");

    std::vector<uint8_t> parameters(static_cast<size_t>(parameterAreaSize));
    status = ReadImageData(trace, overview, 0, parameterAreaSize - 1, parameters.data());
    if (status.code != 0) return status;
    status = CountSamples(trace, parameters, header);
    if (status.code != 0) return status;

    TraceHeaderDetails(trace, header);
    TraceEnd(trace, "GetEmuIIBankBasicDetails");
    return InitStatusRecord();
}
