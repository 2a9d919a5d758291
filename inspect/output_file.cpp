#include "inspect/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// A name beside the target that no file has yet.
bool ChooseSiblingName(const std::string& path, std::string* sibling) {
    for (int32_t attempt = 0; attempt < 1000; ++attempt) {
        *sibling = path + ".part" + std::to_string(attempt);
        std::FILE* existing = std::fopen(sibling->c_str(), "rb");
        if (existing == nullptr) return true;
        std::fclose(existing);
    }
    return false;
}

StatusRecord Failure(const std::string& path, int error) {
    return MakeStatus(kOutputFileCode, 'E', "Problem writing file %s: %s.", path.c_str(),
                      std::strerror(error));
}

}  // namespace

StatusRecord WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string sibling;
    if (!ChooseSiblingName(path, &sibling)) return Failure(path, EEXIST);
    std::FILE* file = std::fopen(sibling.c_str(), "wb");
    if (file == nullptr) return Failure(path, errno);
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = errno;
    const bool flushed = written && std::fflush(file) == 0;
    if (written && !flushed) error = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && flushed && !closed) error = errno;
    if (!written || !flushed || !closed || std::rename(sibling.c_str(), path.c_str()) != 0) {
        if (written && flushed && closed) error = errno;
        std::remove(sibling.c_str());
        return Failure(path, error);
    }
    return InitStatusRecord();
}
