#include "common/trace.h"

#include <cstdarg>
#include <cstdio>

#include "platform/console.h"

void TraceEnter(int8_t trace, const char* name) {
    if (trace >= kTraceCalls) std::printf("--%s--\n", name);
}

void TraceEnd(int8_t trace, const char* name) {
    if (trace >= kTraceCalls) std::printf("--END: %s--\n", name);
}

void TraceInitEnter(int8_t trace, const char* name) {
    if (trace >= kTraceInits) std::printf("--%s--\n", name);
}

void TraceInitEnd(int8_t trace, const char* name) {
    if (trace >= kTraceInits) std::printf("--END %s--\n", name);
}

void TraceLine(int8_t trace, int8_t threshold, const char* format, ...) {
    if (trace < threshold) return;
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
}

void TraceWait(int8_t trace, int8_t threshold) {
    if (trace >= threshold) WaitForKey();
}
