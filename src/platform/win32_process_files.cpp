#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/process_files.h"
#include "platform/utf8_path.h"

namespace ecuprobe::platform {

namespace {

// "COM3" for "COM3", "\\.\com3" or "c:\logs\COM3.txt"; empty when the name is no COM port's.
std::string comPortName(const std::string& path) {
    const std::size_t folderEnd = path.find_last_of("\\/:");
    std::string name = path.substr(folderEnd == std::string::npos ? 0 : folderEnd + 1);
    name = name.substr(0, name.find('.'));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const bool numbered = name.size() > 3 && name.starts_with("COM") &&
                          std::all_of(name.begin() + 3, name.end(),
                                      [](unsigned char c) { return std::isdigit(c) != 0; });
    return numbered ? name : std::string();
}

}  // namespace

// A program of the desktop has no standard handles of its own: started from a
// console (ecuprobe.exe --help), it writes into that console instead.
bool reserveStandardDescriptors() {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::FILE* ignored = nullptr;
        ::freopen_s(&ignored, "CONOUT$", "w", stdout);
        ::freopen_s(&ignored, "CONOUT$", "w", stderr);
    }
    return true;
}

bool sameFile(const std::string& a, const std::string& b) {
    const std::string port = comPortName(a);
    if (!port.empty() && port == comPortName(b)) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(utf8Path(a), utf8Path(b), error);
}

std::string deviceIdentity(const std::string& path) {
    const std::string port = comPortName(path);
    return port.empty() ? path : port;
}

// A console or a file is no COM port: only a handle that takes a line's settings is.
bool standardStreamIs(int stream, const std::string& path) {
    const HANDLE handle = GetStdHandle(stream == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DCB settings{};
    settings.DCBlength = sizeof settings;
    return !comPortName(path).empty() && handle != INVALID_HANDLE_VALUE && handle != nullptr &&
           GetFileType(handle) == FILE_TYPE_CHAR && GetCommState(handle, &settings) != 0;
}

// Windows has no FIFO in a folder: a regular file is checked for, then read.
RegularFileText readRegularFile(const std::filesystem::path& path, std::size_t maxSize) {
    using Found = RegularFileText::Found;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return error ? RegularFileText{Found::unreadable, {}, error.message()} : RegularFileText{};
    }
    std::ifstream in(path, std::ios::binary);
    if (!std::filesystem::is_regular_file(path, error) || !in) {
        return {Found::unreadable, {}, "not a regular file or cannot be opened"};
    }
    std::string text(maxSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return {Found::unreadable, {}, "read error"};
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > maxSize) {
        return {Found::unreadable, {}, "too long"};
    }
    return {Found::text, std::move(text), {}};
}

std::unique_ptr<std::ostream> openAppendFile(const std::string& path) {
    auto file = std::make_unique<std::ofstream>(utf8Path(path), std::ios::out | std::ios::app);
    if (!*file) {
        return nullptr;
    }
    return file;
}

}  // namespace ecuprobe::platform
