// The result record of every fallible operation, and its console report.
#pragma once

#include <cstdint>

// Capacity of the inline message text, terminator included.
constexpr int32_t kStatusMessageSize = 803;

struct StatusRecord {
    int32_t code;   // 0 = success
    char severity;  // 'E' error, 'W' warning, 'F' fatal, ' ' when fresh
    char message[kStatusMessageSize];
};

// A fresh success record: code 0, blank severity, empty message.
StatusRecord InitStatusRecord();

// A failure record with all three fields set together. The message is formatted with a bound:
// a text longer than the record's capacity is cut, never overflowed.
StatusRecord MakeStatus(int32_t code, char severity, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// The refusal of a file open, with the system's error number: a sharing violation (another
// program holds the file) gives "File %s is probably in use by another program. Error is %u.",
// any other error "Problem opening file %s. Error is %u.". Severity 'E'.
StatusRecord MakeOpenFailure(int32_t code, const char* path, uint32_t error);

// Prints "<WORD>: <message> (<code>)" and, when waitForKey is 1, an empty line, "Press a key..."
// and a wait for one key.
void ReportStatus(StatusRecord status, int32_t waitForKey);

// The severity word of a record: ERROR, FATAL or WARNING ("ERROR" for anything else).
const char* SeverityWord(char severity);
