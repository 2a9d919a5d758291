#include "convert/veltra.h"

int main(int argc, char** argv) {
    return RunVeltra(argc, argv);
}
