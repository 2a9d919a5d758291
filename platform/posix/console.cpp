#include "platform/console.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>

void ClearConsole() {
    std::fflush(stdout);
    if (isatty(STDOUT_FILENO)) {
        std::fputs("\033[H\033[2J", stdout);
        std::fflush(stdout);
    }
}

void WaitForKey() {
    std::fflush(stdout);
    unsigned char key = 0;
    if (!isatty(STDIN_FILENO)) {
        // Redirected input: take one byte when there is one; return at the end of the input.
        ssize_t ignored = read(STDIN_FILENO, &key, 1);
        (void)ignored;
        return;
    }
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return;
    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    ssize_t ignored = read(STDIN_FILENO, &key, 1);
    (void)ignored;
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
}

bool StandardErrorIsConsole() {
    return isatty(STDERR_FILENO) != 0;
}
