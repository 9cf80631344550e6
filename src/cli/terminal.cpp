// The terminal queries of the command line: the only platform calls it makes.

#include "terminal.hpp"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace quorvane::cli {

namespace {
constexpr int kDefaultColumns = 80;
}

#if defined(_WIN32)

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
bool standardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

int terminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return kDefaultColumns;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

#else

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }
bool standardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

int terminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return kDefaultColumns;
    return size.ws_col;
}

#endif

}  // namespace quorvane::cli
