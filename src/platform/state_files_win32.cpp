#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/state_files.h"

namespace ecuprobe::platform {

namespace {

std::string lastError(const char* what) {
    return std::string(what) + ": Windows error " + std::to_string(GetLastError());
}

bool writeAll(HANDLE file, std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 20));
        if (!WriteFile(file, text.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

}  // namespace

// Read as UTF-16: a Cyrillic user name would not survive the ANSI code page.
std::filesystem::path userStateFolder() {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || *local == L'\0') {
        return {};
    }
    return std::filesystem::path(local) / "ecuprobe";
}

std::string replaceFileAtomically(const std::filesystem::path& temporary,
                                  const std::filesystem::path& target, std::string_view text) {
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lastError("cannot create");
    }
    const bool written = writeAll(file, text) && FlushFileBuffers(file);
    const std::string problem = written ? std::string() : lastError("cannot write");
    CloseHandle(file);
    if (!written) {
        DeleteFileW(temporary.c_str());
        return problem;
    }
    if (!MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::string moveProblem = lastError("cannot rename");
        DeleteFileW(temporary.c_str());
        return moveProblem;
    }
    return {};
}

}  // namespace ecuprobe::platform
