#include "floppy/tolvan.h"

#include "floppy/platform_driver.h"

int main(int argc, char** argv) {
    return RunTolvan(argc, argv, PlatformFloppyDriver());
}
