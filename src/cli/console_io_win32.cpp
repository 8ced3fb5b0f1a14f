#include <windows.h>

#include <shellapi.h>

#include "cli/console_io.h"
#include "cli/wide_text.h"

namespace ecuprobe::cli {

namespace {

HANDLE handleOf(StandardStream stream) {
    switch (stream) {
        case StandardStream::input:
            return ::GetStdHandle(STD_INPUT_HANDLE);
        case StandardStream::output:
            return ::GetStdHandle(STD_OUTPUT_HANDLE);
        case StandardStream::error:
            return ::GetStdHandle(STD_ERROR_HANDLE);
    }
    return INVALID_HANDLE_VALUE;
}

bool takesEscapes(HANDLE console) {
    DWORD mode = 0;
    if (::GetConsoleMode(console, &mode) == 0) {
        return false;
    }
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace

void prepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    takesEscapes(handleOf(StandardStream::output));
    takesEscapes(handleOf(StandardStream::error));
}

// A console older than Windows 10 shows escape sequences as text: the output is
// then written as to a file, without redraws.
bool isTerminal(StandardStream stream) {
    if (stream == StandardStream::input) {
        DWORD mode = 0;
        return ::GetConsoleMode(handleOf(stream), &mode) != 0;
    }
    return takesEscapes(handleOf(stream));
}

std::vector<std::string> commandArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return {argv + 1, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(utf8FromWide(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

}  // namespace ecuprobe::cli
