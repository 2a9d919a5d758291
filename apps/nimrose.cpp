#include "floppy/nimrose.h"

#include "floppy/platform_driver.h"

int main(int argc, char** argv) {
    return RunNimrose(argc, argv, PlatformFloppyDriver());
}
