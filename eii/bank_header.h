// The bank header: image bytes 0..1279 hold the current preset area, the bank name, the voice,
// preset and sequence tables and the addresses that bound the parameter, sample and sequence
// areas. GetEmuIIBankBasicDetails reads, checks and decodes them.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"
#include "eii/image_overview.h"

// Reads and checks the header of the image into header, which comes from InitBankBasicDetails.
// The header's ImageOverview list is attached before the first check, so that
// FreeBankBasicDetailsMem releases it whatever the outcome.
StatusRecord GetEmuIIBankBasicDetails(int8_t trace, ImageOverview overview, BankBasicDetails* header);

// The range rules of the current preset area: 0 when all hold, else the code 1..19 of the
// first rule broken. headerBytes holds the 1280 header bytes.
int32_t ValidateEmuIICurrentPresetArea(int8_t trace, const uint8_t* headerBytes);

// Letters, digits, space and '#' stay; every other byte (128..255 included) becomes a space.
uint8_t FilterNameChar(uint8_t byte);
