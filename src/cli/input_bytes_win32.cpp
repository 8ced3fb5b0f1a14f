#include <io.h>
#include <windows.h>

#include <array>
#include <string>

#include "cli/input_bytes.h"
#include "cli/queued_input.h"
#include "cli/wide_text.h"

namespace ecuprobe::cli {

namespace {

// A console hands typed text over as UTF-16 whatever its code page, so that
// Cyrillic typed in arrives as the UTF-8 the rest of the tester speaks.
std::optional<std::string> readConsole(HANDLE console) {
    std::array<wchar_t, InputBytes::chunkBytes / 4> typed{};
    DWORD got = 0;
    while (got == 0) {
        // Ctrl-C ends a read with nothing in it; the stop flag tells the loop.
        if (::ReadConsoleW(console, typed.data(), static_cast<DWORD>(typed.size()), &got,
                           nullptr) == 0) {
            return std::nullopt;
        }
    }
    const std::string text = utf8FromWide({typed.data(), got});
    // Ctrl-Z at the start of a line is the console's end of input.
    if (!text.empty() && text.front() == '\x1a') {
        return std::nullopt;
    }
    return text;
}

// A pipe or a file: the bytes as they are. A closed pipe and the end of a file end the input.
std::optional<std::string> readStream(HANDLE stream) {
    std::array<char, InputBytes::chunkBytes> chunk{};
    DWORD got = 0;
    if (::ReadFile(stream, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) == 0 ||
        got == 0) {
        return std::nullopt;
    }
    return std::string(chunk.data(), got);
}

}  // namespace

std::unique_ptr<InputBytes> inputBytesFrom(int descriptor) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode) != 0) {
        return std::make_unique<QueuedInput>([handle] { return readConsole(handle); });
    }
    return std::make_unique<QueuedInput>([handle] { return readStream(handle); });
}

}  // namespace ecuprobe::cli
