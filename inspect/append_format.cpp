#include "inspect/append_format.h"

#include <cstdio>

void AppendFormatList(std::string* text, const char* format, va_list arguments) {
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    if (length > 0) {
        const size_t end = text->size();
        text->resize(end + static_cast<size_t>(length) + 1);
        std::vsnprintf(&(*text)[end], static_cast<size_t>(length) + 1, format, again);
        text->resize(end + static_cast<size_t>(length));
    }
    va_end(again);
}

void AppendFormat(std::string* text, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    AppendFormatList(text, format, arguments);
    va_end(arguments);
}
