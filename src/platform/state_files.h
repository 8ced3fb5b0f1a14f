#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ecuprobe::platform {

// Where the tester keeps what must outlive a run: $XDG_STATE_HOME/ecuprobe, else
// ~/.local/state/ecuprobe; on Windows %LOCALAPPDATA%\ecuprobe. Empty when the
// environment names no such folder.
std::filesystem::path userStateFolder();

// Small text files in one folder, each read and replaced whole. A reader finds
// the old text or the new one, never a part: a run killed in the middle of a
// write leaves the previous file.
class StateFiles {
public:
    explicit StateFiles(std::filesystem::path stateFolder) : where(std::move(stateFolder)) {}

    enum class Found { text, none, unreadable };
    struct ReadResult {
        Found found = Found::none;
        std::string text;
        std::string problem;  // with Found::unreadable: why
    };

    // Files longer than this are not the tester's: read as unreadable, as is
    // anything but a regular file (a FIFO is not waited on).
    static constexpr std::size_t maxFileSize = 4096;

    const std::filesystem::path& folder() const { return where; }
    std::filesystem::path pathOf(std::string_view name) const;
    ReadResult read(std::string_view name) const;
    // Writes the text to a temporary file beside it, flushes it to the disk and
    // renames it over the file; the folder is made first when missing. Empty on
    // success, otherwise why not.
    std::string replace(std::string_view name, std::string_view text) const;
    // Empty when the file is gone (or was never there), otherwise why not.
    std::string remove(std::string_view name) const;

private:
    std::filesystem::path where;
};

// Writes text to temporary and renames it over target in one step of the file
// system; empty on success, otherwise the system's reason. One per system.
std::string replaceFileAtomically(const std::filesystem::path& temporary,
                                  const std::filesystem::path& target, std::string_view text);

}  // namespace ecuprobe::platform
