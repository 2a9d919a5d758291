// Writes the full-size bank of the benchmarks as an Emulator II image file, so that the programs
// can be timed as whole processes beside a plain copy of their input (bench/compare_with_copy.sh).
//
//   write_full_size_bank <file>
#include <cstdio>
#include <cstring>

#include "bench/full_size_bank.h"
#include "tests/support/temp_folder.h"

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::printf(
            "usage: write_full_size_bank <file>\n"
            "  writes the benchmarks' full-size Emulator II bank (99 voices, the largest\n"
            "  sample area) to <file>\n");
        return argc == 2 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
    }
    WriteWholeFile(argv[1], BuildFullSizeBank().image);
    return 0;
}
