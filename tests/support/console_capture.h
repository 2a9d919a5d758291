// Capturing what code under test prints on standard output.
#pragma once

#include <string>

void StartConsoleCapture();
// Everything printed since StartConsoleCapture, with line ends as "\n" on every platform.
std::string StopConsoleCapture();
