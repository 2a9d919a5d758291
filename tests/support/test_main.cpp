// The entry point of every test executable. Standard input is the null device, so that every
// key wait of the code under test returns at once.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/run_program.h"

int main(int argc, char** argv) {
#ifdef _WIN32
    std::FILE* input = std::freopen("NUL", "r", stdin);
#else
    std::FILE* input = std::freopen("/dev/null", "r", stdin);
#endif
    (void)input;
    RememberProgramFolder(argv[0]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
