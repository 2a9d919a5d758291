#include "floppy/nimrose.h"

#include "floppy/platform_driver.h"

int main(int argc, char** argv) {
    const int exitCode = RunNimrose(argc, argv, ProgramFloppyDriver(argc, argv));
    EndProgramFloppyDriver();
    return exitCode;
}
