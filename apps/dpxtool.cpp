#include "dpxtool/dpxtool.h"

int main(int argc, char** argv) {
    return RunDpxtool(argc, argv);
}
