#include "convert/morvex.h"

int main(int argc, char** argv) {
    return RunMorvex(argc, argv);
}
