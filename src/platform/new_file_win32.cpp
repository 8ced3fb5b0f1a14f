#include <windows.h>

#include "platform/new_file.h"
#include "platform/utf8_path.h"

namespace ecuprobe::platform {

NewFile createNewFile(const std::string& name) {
    const std::filesystem::path path = utf8Path(name);
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFile::taken
                                                                           : NewFile::failed;
    }
    CloseHandle(file);
    return NewFile::created;
}

}  // namespace ecuprobe::platform
