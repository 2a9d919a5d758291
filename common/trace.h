// Diagnostic trace lines. Every library operation takes a trace level first; the delivered
// programs hold it at kProgramTraceLevel, so they print no trace line and make no trace key wait.
#pragma once

#include <cstdint>

#ifndef SUITE_TRACE_LEVEL
#define SUITE_TRACE_LEVEL 0
#endif

constexpr int8_t kProgramTraceLevel = SUITE_TRACE_LEVEL;

// The two pass-through values that the bank-model operations carry after the trace level: a
// context number and a byte. No operation reads them; callers always pass these.
constexpr int32_t kContextNumber = 0;
constexpr uint8_t kPassThroughByte = 22;

// Printed levels: 1 = entry and exit lines, 2 = also the Init operations, 3 = detail lines.
constexpr int8_t kTraceCalls = 1;
constexpr int8_t kTraceInits = 2;
constexpr int8_t kTraceDetails = 3;

// "--<name>--" when trace >= kTraceCalls.
void TraceEnter(int8_t trace, const char* name);
// "--END: <name>--" when trace >= kTraceCalls.
void TraceEnd(int8_t trace, const char* name);
// "--<name>--" and "--END <name>--" of the Init operations, from kTraceInits.
void TraceInitEnter(int8_t trace, const char* name);
void TraceInitEnd(int8_t trace, const char* name);
// A formatted detail line printed when trace >= threshold.
void TraceLine(int8_t trace, int8_t threshold, const char* format, ...) __attribute__((format(printf, 3, 4)));
// A key wait made only when trace >= threshold.
void TraceWait(int8_t trace, int8_t threshold);
