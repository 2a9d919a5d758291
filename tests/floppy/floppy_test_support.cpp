#include "tests/floppy/floppy_test_support.h"

#include "tests/support/console_capture.h"

FloppyRun RunFloppyProgram(FloppyProgram program, const std::vector<std::string>& arguments,
                           VirtualFloppyDriver& driver) {
    std::vector<const char*> argv = {"program"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    StartConsoleCapture();
    const int exitCode = program(static_cast<int>(argv.size()), argv.data(), driver);
    return FloppyRun{exitCode, StopConsoleCapture()};
}

std::vector<uint8_t> PatternImage() {
    std::vector<uint8_t> image(kDiskBytes);
    for (size_t at = 0; at < image.size(); ++at)
        image[at] = static_cast<uint8_t>((at % 251) + at / kTrackBytes * 3 + at % kTrackBytes / 1024);
    return image;
}

std::string ProgressUpTo(int32_t cylinder) {
    return "\n0" + std::string(40, '-') + "100\n" + std::string(1 + cylinder / 2 + 1, '|');
}

std::string FullProgress() {
    return ProgressUpTo(78) + "|||\n\n";
}

std::string Report(int32_t code, const std::string& message) {
    return "  ERROR: " + std::to_string(code) + ": " + message + "\n\nPress a key...\n";
}
