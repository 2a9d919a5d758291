#include "floppy/breska.h"

#include "floppy/platform_driver.h"

int main(int argc, char** argv) {
    return RunBreska(argc, argv, PlatformFloppyDriver());
}
