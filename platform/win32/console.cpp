#include "platform/console.h"

#include <conio.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// True when the stream is a console window. The null device and other character devices are
// not, although the C runtime calls them terminals.
bool IsConsole(std::FILE* stream) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

void ClearConsole() {
    std::fflush(stdout);
    if (IsConsole(stdout)) {
        int ignored = std::system("cls");
        (void)ignored;
    }
}

void WaitForKey() {
    std::fflush(stdout);
    if (IsConsole(stdin)) {
        _getch();
        return;
    }
    // Redirected input: take one byte when there is one; return at the end of the input.
    unsigned char key = 0;
    int ignored = _read(_fileno(stdin), &key, 1);
    (void)ignored;
}

bool StandardErrorIsConsole() {
    return IsConsole(stderr);
}
