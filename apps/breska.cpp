#include "floppy/breska.h"

#include "floppy/platform_driver.h"

int main(int argc, char** argv) {
    const int exitCode = RunBreska(argc, argv, ProgramFloppyDriver(argc, argv));
    EndProgramFloppyDriver();
    return exitCode;
}
