#include "flux/file_check.h"

#include <cstdarg>
#include <cstdio>

FileCheck FileError(const char* format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    FileCheck check;
    check.error = text;
    return check;
}
