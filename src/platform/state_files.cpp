#include "platform/state_files.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace ecuprobe::platform {

std::filesystem::path StateFiles::pathOf(std::string_view name) const {
    return where / std::filesystem::path(std::u8string(name.begin(), name.end()));
}

StateFiles::ReadResult StateFiles::read(std::string_view name) const {
    const std::filesystem::path path = pathOf(name);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        if (error) {
            return {Found::unreadable, {}, error.message()};
        }
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {Found::unreadable, {}, "cannot be opened"};
    }
    std::string text;
    text.resize(maxFileSize + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        return {Found::unreadable, {}, "read error"};
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > maxFileSize) {
        return {Found::unreadable, {}, "too long"};
    }
    return {Found::text, std::move(text), {}};
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
