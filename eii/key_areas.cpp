#include "eii/key_areas.h"

#include <initializer_list>

#include "eii/preset.h"

namespace {

// KeyAreaData entries.
constexpr int32_t kLowKey = 0;
constexpr int32_t kHighKey = 1;
constexpr int32_t kUnused = 2;
constexpr int32_t kModeFlag = 3;
constexpr int32_t kMode = 4;
constexpr int32_t kFirstVoice = 5;
constexpr int32_t kSecondVoice = 6;
constexpr int32_t kFirstVoiceFlag = 7;
constexpr int32_t kFirstVoiceKey = 8;  // followed by the two nibbles of the first voice
constexpr int32_t kSecondVoiceFlag = 11;
constexpr int32_t kSecondVoiceKey = 12;  // followed by the two nibbles of the second voice

// Record types in bits 7..6 of byte 0: bit 7 carries a first voice, bit 6 a second voice.
constexpr uint8_t kCarriesFirstVoice = 0x80;
constexpr uint8_t kCarriesSecondVoice = 0x40;
constexpr uint8_t kWidthBits = 0x3F;
constexpr uint8_t kModeBits = 0x07;
constexpr uint8_t kMarkedBit = 0x08;
// The key byte of a voice counts down from this key offset.
constexpr int32_t kVoiceKeyBase = 31;

int32_t RecordSize(uint8_t type) {
    if (type == (kCarriesFirstVoice | kCarriesSecondVoice)) return 8;
    return type == 0 ? 2 : 5;
}

// The voice a record carries (number, key byte, nibbles byte) and the voice that stays current.
struct CurrentVoice {
    uint8_t number;
    uint8_t keyByte;
    uint8_t nibbles;
};

// Entries key, high nibble and low nibble of one voice of a key area, and what they carry on.
struct VoiceKey {
    int32_t key;
    int32_t highNibble;
    int32_t lowNibble;
};

constexpr VoiceKey kCarriedBeforeAnyArea{kLowestKey, 7, 0};

// The key entries of a voice that the record sets: from the voice when there is one, else the
// low key with nibbles 7 and 0.
VoiceKey KeyOfSetVoice(const CurrentVoice& voice, int32_t keyOffset) {
    if (voice.number == 0) return {kLowestKey + keyOffset, 7, 0};
    return {keyOffset + kVoiceKeyBase - voice.keyByte, voice.nibbles >> 4, voice.nibbles & 0x0F};
}

void StoreVoiceKey(const VoiceKey& key, int32_t* entries) {
    entries[0] = key.key;
    entries[1] = key.highNibble;
    entries[2] = key.lowNibble;
}

int32_t CountBits(uint8_t bits) {
    int32_t count = 0;
    for (; bits != 0; bits = static_cast<uint8_t>(bits >> 1)) count += bits & 1;
    return count;
}

// 1, 2 or 3 for the lowest of flag bits 0..2 that is set; 0 when none is.
int32_t ModeOf(uint8_t flags) {
    for (int32_t bit = 0; bit < 3; ++bit) {
        if ((flags >> bit) & 1) return bit + 1;
    }
    return 0;
}

void CountVoiceUse(uint8_t voice, std::array<int32_t, kVoiceUseCounters>* uses) {
    if (voice < kVoiceUseCounters) ++(*uses)[voice];
}

bool SameSettings(const KeyArea& merged, const KeyArea& next) {
    for (int32_t entry = kUnused; entry < kKeyAreaDataEntries; ++entry) {
        if (entry == kFirstVoiceKey && next.KeyAreaData[kFirstVoice] == kNoVoice) continue;
        if (entry == kSecondVoiceKey && next.KeyAreaData[kSecondVoice] == kNoVoice) continue;
        if (next.KeyAreaData[entry] != merged.KeyAreaData[entry]) return false;
    }
    return true;
}

bool HasVoice(const VoiceOverview* voices, int32_t number) {
    for (; voices != nullptr; voices = voices->next) {
        if (voices->VoiceNumber == number) return true;
    }
    return false;
}

bool NamedByKeyArea(const KeyArea* first, int32_t number) {
    for (; first != nullptr; first = first->next) {
        if (first->KeyAreaData[kFirstVoice] == number || first->KeyAreaData[kSecondVoice] == number)
            return true;
    }
    return false;
}

}  // namespace

bool ReadKeyAreaRecord(const uint8_t* block, int32_t length, int32_t offset, int32_t keyOffset,
                       KeyAreaRecordView* record) {
    if (keyOffset >= kKeyboardKeys || offset >= length) return false;
    int32_t width = block[offset] & kWidthBits;
    if (width == 0 || width > kKeyboardKeys) return false;
    record->offset = offset;
    record->type = block[offset] & (kCarriesFirstVoice | kCarriesSecondVoice);
    record->size = RecordSize(record->type);
    record->width = width;
    record->keyOffset = keyOffset;
    // A record that would run past the end of the block ends the list like a terminating byte.
    if (offset + record->size > length) return false;
    record->flags = block[offset + 1];
    return true;
}

void FindMarkedRegion(const uint8_t* block, int32_t length, int32_t* lowKey, int32_t* highKey) {
    bool inRegion = false;
    KeyAreaRecordView record;
    int32_t offset = kPresetRecordsOffset;
    for (int32_t keyOffset = 0; ReadKeyAreaRecord(block, length, offset, keyOffset, &record);
         keyOffset += record.width, offset += record.size) {
        bool marked = (record.flags & kMarkedBit) != 0;
        if (!inRegion && marked) {
            *lowKey = kLowestKey + keyOffset;
            inRegion = true;
        } else if (inRegion && !marked) {
            *highKey = kLowestKey + keyOffset - 1;
            return;
        }
    }
}

KeyAreaScan ScanKeyAreas(int8_t trace, int32_t context, uint8_t passThrough, const uint8_t* block,
                         int32_t length) {
    KeyAreaScan scan{nullptr, 0, 0, {}};
    KeyArea* last = nullptr;
    CurrentVoice first{0, 0, 0};
    CurrentVoice second{0, 0, 0};
    VoiceKey firstCarried = kCarriedBeforeAnyArea;
    VoiceKey secondCarried = kCarriedBeforeAnyArea;

    KeyAreaRecordView record;
    int32_t offset = kPresetRecordsOffset;
    for (int32_t keyOffset = 0; ReadKeyAreaRecord(block, length, offset, keyOffset, &record);
         keyOffset += record.width, offset += record.size) {
        const uint8_t* bytes = block + record.offset;
        bool setsFirst = (record.type & kCarriesFirstVoice) != 0;
        bool setsSecond = (record.type & kCarriesSecondVoice) != 0;
        if (setsFirst) first = {bytes[2], bytes[3], bytes[4]};
        // The second voice follows the first in a record that carries both.
        if (setsSecond)
            second = setsFirst ? CurrentVoice{bytes[5], bytes[6], bytes[7]}
                               : CurrentVoice{bytes[2], bytes[3], bytes[4]};
        if (first.number == 0 && second.number == 0) continue;

        KeyArea* area = InitKeyArea(trace, context, passThrough);
        if (last == nullptr)
            scan.first = area;
        else
            last->next = area;
        last = area;
        CountVoiceUse(first.number, &scan.voiceUses);
        CountVoiceUse(second.number, &scan.voiceUses);
        area->KeyAreaNumber = scan.count;
        area->KeyAreaIndex = scan.count;
        area->KeyAreaStatus = kValidRecord;
        ++scan.count;

        int32_t* data = area->KeyAreaData;
        data[kLowKey] = kLowestKey + keyOffset;
        data[kHighKey] = kLowestKey + keyOffset + record.width - 1;
        data[kUnused] = 0;
        data[kMode] = ModeOf(record.flags);
        int32_t modeBits = CountBits(record.flags & kModeBits);
        if (modeBits > 1) {
            scan.error = 10;
            break;
        }
        data[kModeFlag] = modeBits == 1 ? (record.flags >> 4) & 1 : 0;
        data[kFirstVoice] = first.number != 0 ? first.number : kNoVoice;
        data[kSecondVoice] = second.number != 0 ? second.number : kNoVoice;
        data[kFirstVoiceFlag] = first.number != 0 ? (record.flags >> 5) & 1 : 1;
        data[kSecondVoiceFlag] = second.number != 0 ? (record.flags >> 6) & 1 : 1;
        if (setsFirst) firstCarried = KeyOfSetVoice(first, keyOffset);
        if (setsSecond) secondCarried = KeyOfSetVoice(second, keyOffset);
        StoreVoiceKey(firstCarried, data + kFirstVoiceKey);
        StoreVoiceKey(secondCarried, data + kSecondVoiceKey);
    }
    return scan;
}

KeyArea* MergeKeyAreas(int8_t trace, int32_t context, uint8_t passThrough, const KeyArea* scanned,
                       int32_t* count) {
    *count = 0;
    KeyArea* first = nullptr;
    KeyArea* last = nullptr;
    for (; scanned != nullptr; scanned = scanned->next) {
        if (last != nullptr && SameSettings(*last, *scanned) &&
            scanned->KeyAreaData[kLowKey] == last->KeyAreaData[kHighKey] + 1) {
            last->KeyAreaData[kHighKey] = scanned->KeyAreaData[kHighKey];
            continue;
        }
        KeyArea* copy = InitKeyArea(trace, context, passThrough);
        *copy = *scanned;
        copy->next = nullptr;
        copy->KeyAreaNumber = *count;
        copy->KeyAreaIndex = *count;
        if (last == nullptr)
            first = copy;
        else
            last->next = copy;
        last = copy;
        ++*count;
    }
    return first;
}

void BuildKeyMap(const KeyArea* first, int32_t* keyMap) {
    for (int32_t key = 0; key < kPresetKeyMapKeys; ++key) {
        keyMap[key] = kNoVoice;
        if (key < kLowestKey || key > kHighestKey) continue;
        for (const KeyArea* area = first; area != nullptr; area = area->next) {
            if (area->KeyAreaData[kLowKey] <= key && key <= area->KeyAreaData[kHighKey]) {
                keyMap[key] = area->KeyAreaNumber;
                break;
            }
        }
    }
}

bool CheckKeyAreaVoices(KeyArea* first, const VoiceOverview* voices) {
    bool allFound = true;
    for (KeyArea* area = first; area != nullptr; area = area->next) {
        for (int32_t entry : {kFirstVoice, kSecondVoice}) {
            int32_t number = area->KeyAreaData[entry];
            if (number == kNoVoice || HasVoice(voices, number)) continue;
            area->KeyAreaStatus = 1;
            allFound = false;
            break;
        }
    }
    return allFound;
}

VoiceOverview* CollectPresetVoices(int8_t trace, int32_t context, uint8_t passThrough, const KeyArea* first,
                                   const VoiceOverview* voices) {
    VoiceOverview* head = nullptr;
    VoiceOverview* last = nullptr;
    for (; voices != nullptr; voices = voices->next) {
        if (!NamedByKeyArea(first, voices->VoiceNumber)) continue;
        VoiceOverview* copy = InitVoiceOverview(trace, context, passThrough);
        *copy = *voices;
        copy->next = nullptr;
        if (last == nullptr)
            head = copy;
        else
            last->next = copy;
        last = copy;
    }
    return head;
}
