#include "fuzz/fuzz_input.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void StopOnFileFault(const FuzzImageFile& file, const char* what) {
    std::fprintf(stderr, "fuzz: cannot %s the image file %s\n", what, file.path.c_str());
    std::abort();
}

// Writes image bytes 0..end - 1; a file not written before is created.
void WriteImageStart(const FuzzImageFile& file, int32_t end, bool create) {
    std::FILE* stream = std::fopen(file.path.c_str(), create ? "wb" : "r+b");
    if (stream == nullptr) StopOnFileFault(file, "open");
    const size_t count = static_cast<size_t>(end);
    const bool written = std::fwrite(file.bytes.data(), 1, count, stream) == count;
    if (std::fclose(stream) != 0 || !written) StopOnFileFault(file, "write");
}

}  // namespace

FuzzImageFile InitFuzzImageFile(const std::string& path, int32_t size) {
    return FuzzImageFile{path, size, -1, 0, std::vector<uint8_t>(static_cast<size_t>(size), 0)};
}

void WriteFuzzImageFile(FuzzImageFile* file, const uint8_t* data, size_t size) {
    const int32_t fill = size > 0 ? data[0] : 0;
    const size_t given = size > 0 ? std::min(size - 1, static_cast<size_t>(file->size)) : 0;
    const int32_t prefixEnd = static_cast<int32_t>(given);
    if (given > 0) std::memcpy(file->bytes.data(), data + 1, given);

    // With the same fill byte only the bytes that this input or the one before gave can differ.
    const bool create = file->fill < 0;
    const int32_t end = fill == file->fill ? std::max(prefixEnd, file->prefixEnd) : file->size;
    std::fill(file->bytes.begin() + prefixEnd, file->bytes.begin() + end, static_cast<uint8_t>(fill));
    WriteImageStart(*file, end, create);
    file->fill = fill;
    file->prefixEnd = prefixEnd;
}

std::vector<uint8_t> DescribeImage(const std::vector<uint8_t>& image) {
    size_t end = image.size();
    while (end > 0 && image[end - 1] == 0) --end;
    std::vector<uint8_t> input{0};
    input.insert(input.end(), image.begin(), image.begin() + static_cast<std::ptrdiff_t>(end));
    return input;
}
