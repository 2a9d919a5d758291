#include "platform/console.h"

#include <conio.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

void ClearConsole() {
    std::fflush(stdout);
    if (_isatty(_fileno(stdout))) {
        int ignored = std::system("cls");
        (void)ignored;
    }
}

void WaitForKey() {
    std::fflush(stdout);
    if (_isatty(_fileno(stdin))) {
        _getch();
        return;
    }
    // Redirected input: take one byte when there is one; return at the end of the input.
    unsigned char key = 0;
    int ignored = _read(_fileno(stdin), &key, 1);
    (void)ignored;
}
