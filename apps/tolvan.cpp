#include "floppy/tolvan.h"

#include "floppy/platform_driver.h"

int main(int argc, char** argv) {
    const int exitCode = RunTolvan(argc, argv, ProgramFloppyDriver(argc, argv));
    EndProgramFloppyDriver();
    return exitCode;
}
