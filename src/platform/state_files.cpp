#include "platform/state_files.h"

#include <system_error>

#include "platform/process_files.h"

namespace ecuprobe::platform {

std::filesystem::path StateFiles::pathOf(std::string_view name) const {
    return where / std::filesystem::path(std::u8string(name.begin(), name.end()));
}

StateFiles::ReadResult StateFiles::read(std::string_view name) const {
    RegularFileText read = readRegularFile(pathOf(name), maxFileSize);
    switch (read.found) {
        case RegularFileText::Found::text:
            return {Found::text, std::move(read.text), {}};
        case RegularFileText::Found::unreadable:
            return {Found::unreadable, {}, std::move(read.problem)};
        case RegularFileText::Found::none:
            break;
    }
    return {};
}

std::string StateFiles::replace(std::string_view name, std::string_view text) const {
    std::error_code error;
    std::filesystem::create_directories(where, error);
    if (error) {
        return error.message();
    }
    const std::filesystem::path target = pathOf(name);
    std::filesystem::path temporary = target;
    temporary += ".new";
    return replaceFileAtomically(temporary, target, text);
}

std::string StateFiles::remove(std::string_view name) const {
    std::error_code error;
    std::filesystem::remove(pathOf(name), error);
    return error ? error.message() : std::string();
}

}  // namespace ecuprobe::platform
