#include "review/line_reader.h"

#include "platform/code_pages.h"

namespace ecuprobe::review {

bool LineReader::readOne() {
    if (rest.empty()) {
        return false;
    }
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    window.push_back({convert ? platform::cp1251ToUtf8(line) : std::string(line),
                      end != std::string_view::npos});
    return true;
}

const std::string* LineReader::peek(std::size_t ahead) {
    while (window.size() <= ahead) {
        if (!readOne()) {
            return nullptr;
        }
    }
    return &window[ahead].text;
}

bool LineReader::ended(std::size_t ahead) {
    return peek(ahead) == nullptr || window[ahead].ended;
}

void LineReader::advance() {
    if (peek() != nullptr) {
        passedEnded = window.front().ended;
        window.pop_front();
        ++current;
    }
}

}  // namespace ecuprobe::review
