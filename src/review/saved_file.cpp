#include "review/saved_file.h"

#include "platform/code_pages.h"

namespace ecuprobe::review {

namespace {

enum class Kind : std::uint8_t { samples, driveLog, dump };

// A sample file opens like a report (a star line and a title between stars) but
// with a sample-file title; a drive log with its names line.
Kind kindOf(std::string_view bytes) {
    const std::size_t begin = bytes.find_first_not_of("\r\n");
    if (begin == std::string_view::npos) {
        return Kind::dump;
    }
    const std::string_view rest = bytes.substr(begin);
    const std::size_t firstEnd = rest.find('\n');
    if (isDriveLogHead(rest.substr(0, firstEnd))) {
        return Kind::driveLog;
    }
    if (firstEnd == std::string_view::npos || !isStarLine(rest.substr(0, firstEnd))) {
        return Kind::dump;
    }
    const std::string_view next = rest.substr(firstEnd + 1);
    const std::string title = platform::cp1251ToUtf8(next.substr(0, next.find('\n')));
    return testOfSampleTitle(title) != nullptr ? Kind::samples : Kind::dump;
}

template <typename Content>
std::optional<SavedContent> wrapped(std::optional<Content> content) {
    std::optional<SavedContent> saved;
    if (content) {
        saved.emplace(std::in_place_type<Content>, std::move(*content));
    }
    return saved;
}

}  // namespace

std::optional<SavedContent> readSaved(std::string_view bytes, ReadError& error) {
    switch (kindOf(bytes)) {
        case Kind::samples:
            return wrapped(readSampleFile(bytes, error));
        case Kind::driveLog:
            return wrapped(readDriveLog(bytes, error));
        case Kind::dump:
            break;
    }
    return wrapped(readTesterDump(bytes, error));
}

std::optional<SavedContent> readSavedFile(const std::string& utf8Path, ReadError& error) {
    const std::optional<std::string> bytes = readFileBytes(utf8Path, error);
    if (!bytes) {
        return std::nullopt;
    }
    return readSaved(*bytes, error);
}

}  // namespace ecuprobe::review
