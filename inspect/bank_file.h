// A bank as dpxtool finds it in a file: an Emulator II image, or a DPX-1 image that carries an
// Emulator II bank (as VELTRA writes them). Both are read through the converters' own chain:
// ValidateImage, GetBankDetails and ValidateBank, and for a DPX-1 image CreateTemporaryImage
// first, so that what dpxtool shows is what the converters see. The whole image stays in memory
// for the sample data; a DPX-1 image's temporary image lives in the system's temporary folder
// only while the bank is read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/status.h"
#include "eii/bank_model.h"
#include "eii/image_overview.h"

enum class BankFileKind {
    kEmuImage,  // an .EII image of 485,887 bytes
    kDpxBank,   // a DPX-1 image whose data space starts with an Emulator II bank
    kDpxOther,  // a DPX-1 image (901,120 bytes, the maker's identification) without a bank
    kOther,     // neither
};

struct BankFile {
    std::string path;  // as the user named it
    BankFileKind kind = BankFileKind::kOther;
    // Filled when the bank header passed its checks; bank also when the rest could be read.
    BankBasicDetails* header = nullptr;
    Bank* bank = nullptr;
    // Why the header, the bank or the bank's check failed (code 0 when it did not).
    StatusRecord headerStatus = InitStatusRecord();
    StatusRecord readStatus = InitStatusRecord();
    StatusRecord validateStatus = InitStatusRecord();
    // The Emulator II image, or the DPX-1 image's data space, and where its sample data starts
    // (the sample area start of an Emulator II image, the sample data address of a DPX-1 image).
    std::vector<uint8_t> bytes;
    int32_t sampleDataAddress = 0;
};

// Reads the named file. A file that cannot be opened or read fails with the reader's status; a
// file that holds no bank, or a bank that is damaged, is no failure: the BankFile says what was
// found. Messages name the user's file, never the temporary image.
StatusRecord OpenBankFile(int8_t trace, const char* path, BankFile* file);

// Releases the header and the bank.
void CloseBankFile(int8_t trace, BankFile* file);

// True when the bank was read (it may still hold invalid records).
inline bool HasBank(const BankFile& file) {
    return file.bank != nullptr && file.readStatus.code == 0;
}

// The sample's values at 27,778 Hz, 16-bit: from an Emulator II image every byte decoded with
// the companding, the running value starting at 0 at the sample's first byte, as the converters
// decode; from a DPX-1 image its 12-bit points (16p - 32,768). False, with nothing in values,
// when the sample is invalid or lies outside the data.
bool DecodeSampleValues(int8_t trace, const BankFile& file, const SampleOverview& sample,
                        std::vector<int16_t>* values);

// The bank's sample with this number, or none.
const SampleOverview* FindSample(const Bank& bank, int32_t sampleNumber);
