// The voices of an Emulator II bank: every voice is a 256-byte voice block in the parameter
// area, at the bank offset that the voice table gives. GetEmuIIBankVoiceDetails checks a block
// against the fixed layout, decodes it into a VoiceOverview and binds it to its sample.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"

constexpr int32_t kVoiceBlockSize = 256;

// ValidCode of a voice whose block does not lie wholly inside the parameter bytes; the block is
// not read. Codes 1..43 name the first voice check that failed.
constexpr int8_t kVoiceBlockOutside = 44;

// The Param slots that the rest of the system reads.
constexpr int32_t kVoiceSampleNumberSlot = 45;
constexpr int32_t kVoicePlayStartSlot = 50;  // bank offset of the first byte played
constexpr int32_t kVoicePlayEndSlot = 51;    // bank offset just past the last byte played
constexpr int32_t kVoiceLoopStartSlot = 52;  // relative to the start of the voice's sample
constexpr int32_t kVoiceLoopLengthSlot = 53;
constexpr int32_t kVoiceLoopOnSlot = 59;  // 1 when the voice loops

// Reads the voice block at bank offset voiceOffset of `parameters` (image bytes
// 0..header.StartSampleAddress - 1) into `voice` as voice voiceNumber (1-based), and binds it to
// the sample of `samples` that starts and ends where the block says. Success when every check
// passes (ValidCode 99); otherwise ValidCode holds the code of the first failed check and the
// status is 593 "Voice %d contains invalid parameters. Errorcode is %d.". Decoding stops at the
// first failed check: slots decoded before it keep their values, later slots are not written.
StatusRecord GetEmuIIBankVoiceDetails(int8_t trace, int32_t context, uint8_t passThrough,
                                      const uint8_t* parameters, int32_t voiceNumber, int32_t voiceOffset,
                                      VoiceOverview* voice, const SampleOverview* samples,
                                      BankBasicDetails header);

// The check of the block's first 26 bytes: 0 when they hold the fixed voice header, else the
// subcode of the first failing test, in the order 1 (bytes 0 and 1), 5, 9, 8, 13, 17, 18, 16,
// 21, 22 (bytes 22..25).
int32_t VoiceHeaderSubcode(const uint8_t* block);
