#include "tests/faults/fault_test_support.h"

#include <algorithm>
#include <filesystem>

#include "platform/folder.h"
#include "tests/support/console_capture.h"
#include "tests/support/emu_bank_blocks.h"

std::string RunConverter(ConverterProgram program, const std::vector<std::string>& arguments) {
    std::vector<const char*> argv = {"program"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    StartConsoleCapture();
    program(static_cast<int>(argv.size()), argv.data());
    return StopConsoleCapture();
}

std::vector<uint8_t> GoodBankImage() {
    EmuBankBuilder bank;
    std::vector<uint8_t> rising(600);
    for (size_t i = 0; i < rising.size(); ++i) rising[i] = static_cast<uint8_t>(i % 9 == 0 ? 0x86 : 0x03);
    const int32_t first = bank.AddSample(rising);
    const int32_t second = bank.AddSample(std::vector<uint8_t>(300, 0x7E));
    bank.AddVoice(VoiceBlock::Playing(first, 600).LoopOn(first + 50, 400));
    bank.AddVoice(VoiceBlock::Playing(second, 300));
    bank.AddPreset(PresetBlock().Add(KeyAreaRecord::Both(61, 1, 2)));
    return bank.Build().bytes();
}

std::vector<std::string> PlatformListing() {
    std::vector<std::string> names;
    FolderListing listing;
    FolderEntry entry;
    if (!StartFolderListing(&listing, &entry)) return names;
    do {
        names.push_back(entry.name);
    } while (NextFolderEntry(&listing, &entry));
    EndFolderListing(&listing);
    return names;
}

std::vector<std::string> FilesHere() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::current_path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string WithNames(const std::string& text, const std::string& in, const std::string& out) {
    std::string result = text;
    const std::pair<std::string, std::string> names[] = {{"{in}", in}, {"{out}", out}};
    for (const auto& [token, name] : names)
        for (size_t at = result.find(token); at != std::string::npos;
             at = result.find(token, at + name.size()))
            result.replace(at, token.size(), name);
    return result;
}
