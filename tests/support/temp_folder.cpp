#include "tests/support/temp_folder.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::random_device seed;
    std::mt19937_64 random(
        seed() ^ static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (;;) {
        fs::path candidate =
            fs::temp_directory_path() / ("suite-test-" + std::to_string(random() % 1000000000));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate;
            return;
        }
    }
}

TempFolder::~TempFolder() {
    std::error_code error;
    if (entered_) fs::current_path(previous_, error);
    fs::remove_all(path_, error);
}

std::string TempFolder::File(const std::string& name) const {
    return (path_ / name).string();
}

void TempFolder::Enter() {
    if (!entered_) previous_ = fs::current_path();
    fs::current_path(path_);
    entered_ = true;
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
