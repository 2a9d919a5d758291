// printf-style formatting onto the end of a string, of any length.
#pragma once

#include <cstdarg>
#include <string>

void AppendFormat(std::string* text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendFormatList(std::string* text, const char* format, va_list arguments);
