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

std::unique_ptr<std::ostream> openAppendFile(const std::string& path) {
    auto file = std::make_unique<std::ofstream>(utf8Path(path), std::ios::out | std::ios::app);
    if (!*file) {
        return nullptr;
    }
    return file;
}

}  // namespace ecuprobe::platform
