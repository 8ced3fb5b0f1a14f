#include "review/run_notes.h"

#include <filesystem>
#include <optional>
#include <variant>

#include "review/read_error.h"
#include "review/saved_file.h"

namespace ecuprobe::review {

namespace {

constexpr std::string_view identityFirst = "Тип блока управления:";
constexpr std::string_view identityEnd = "Комплектация:";

bool isStateReport(const DumpEntry& entry) {
    return entry.text.find(identityFirst) != std::string::npos;
}

// The fields of one identification line. Its tabs part the labels from the
// values and the two fields that share a line: "Номер двигателя:\t\t<value>",
// " Паспрот программы\t:<value>", "Тип блока управления:<value>".
void addFields(std::string_view line, std::vector<std::string>& fields) {
    std::optional<std::string> label;
    const auto close = [&](std::string_view value) {
        fields.push_back(*label + ": " + std::string(value));
        label.reset();
    };
    for (std::size_t from = 0; from <= line.size();) {
        const std::size_t tab = std::min(line.find('\t', from), line.size());
        const std::string_view token = trimmed(line.substr(from, tab - from));
        from = tab + 1;
        if (token.empty()) {
            continue;
        }
        const std::size_t colon = token.find(':');
        if (label && (colon == std::string_view::npos || colon == 0)) {
            close(trimmed(token.substr(colon == 0 ? 1 : 0)));
        } else {
            if (label) {
                close("");
            }
            label = std::string(trimmed(token.substr(0, colon)));
            if (colon != std::string_view::npos && colon + 1 < token.size()) {
                close(trimmed(token.substr(colon + 1)));
            }
        }
    }
    if (label) {
        close("");
    }
}

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::vector<std::string> identityOf(const DumpEntry& stateReport) {
    std::vector<std::string> fields;
    const std::string& text = stateReport.text;
    std::size_t at = text.find(identityFirst);
    const std::size_t end = std::min(text.find(identityEnd, at), text.size());
    while (at < end) {
        const std::size_t lineEnd = std::min(text.find('\n', at), end);
        addFields(std::string_view(text.data() + at, lineEnd - at), fields);
        at = lineEnd + 1;
    }
    return fields;
}

RunNotes notesFromDump(const std::vector<DumpEntry>& entries, const std::string& sampleFileName) {
    RunNotes notes;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].sampleFile != sampleFileName) {
            continue;
        }
        notes.comment = entries[i].comment;
        // The nearest state report before the run, else the nearest after it.
        for (std::size_t back = i; back-- > 0;) {
            if (isStateReport(entries[back])) {
                notes.identity = identityOf(entries[back]);
                return notes;
            }
        }
        for (std::size_t next = i + 1; next < entries.size(); ++next) {
            if (isStateReport(entries[next])) {
                notes.identity = identityOf(entries[next]);
                return notes;
            }
        }
        return notes;
    }
    return notes;
}

RunNotes notesBeside(const std::string& utf8SamplePath) {
    const std::filesystem::path sample = pathOf(utf8SamplePath);
    const std::string name = utf8Of(sample.filename());
    std::error_code failed;
    std::filesystem::directory_iterator folder(
        sample.has_parent_path() ? sample.parent_path() : std::filesystem::path("."), failed);
    for (; !failed && folder != std::filesystem::directory_iterator(); folder.increment(failed)) {
        const std::filesystem::path& candidate = folder->path();
        if (candidate.extension() != ".tdm" || !folder->is_regular_file(failed)) {
            continue;
        }
        ReadError error;
        const std::optional<SavedContent> dump = readSavedFile(utf8Of(candidate), error);
        const auto* entries = dump ? std::get_if<std::vector<DumpEntry>>(&*dump) : nullptr;
        if (entries == nullptr) {
            continue;
        }
        RunNotes notes = notesFromDump(*entries, name);
        if (!notes.comment.empty() || !notes.identity.empty()) {
            return notes;
        }
    }
    return {};
}

}  // namespace ecuprobe::review
