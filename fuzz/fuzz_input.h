// How a fuzz input stands for a whole image file. The images are large and mostly zero, and the
// bytes that steer the readers (bank header, voice and preset blocks, file-system block) sit at
// their start, so an input holds only that part: input byte 0 is the fill byte, the input bytes
// after it are the image bytes from offset 0 on, and every image byte past them holds the fill
// byte. An input longer than the image is cut to the image size; the file always has the image
// size, so the readers see a complete image file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One image file of a fuzz target, written in full by its first input and then rewritten in
// place: only the bytes that may differ from what the file holds are written again.
struct FuzzImageFile {
    std::string path;
    int32_t size;
    int32_t fill;                // the fill byte the file holds past its prefix; -1 before the first write
    int32_t prefixEnd;           // the number of image bytes the last input gave
    std::vector<uint8_t> bytes;  // the image being written, as large as the file
};

FuzzImageFile InitFuzzImageFile(const std::string& path, int32_t size);

// Makes the file hold the image that the input describes. A file that cannot be written ends the
// process with a message: no input can be judged without it.
void WriteFuzzImageFile(FuzzImageFile* file, const uint8_t* data, size_t size);

// The shortest input that describes the image with fill byte 0: the image without its trailing
// zero bytes, after the fill byte.
std::vector<uint8_t> DescribeImage(const std::vector<uint8_t>& image);
