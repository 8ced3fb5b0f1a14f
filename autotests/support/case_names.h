#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

// How a parameterised test shows its case: in its listing (--gtest_list_tests) and
// in the CTest names taken from that listing, which would otherwise carry a dump of
// the case's bytes that changes from build to build. A case with a name prints the
// name: a test file brings that in with `using ecuprobe::case_names::PrintTo;` in the
// namespace of its case structs. A case without one prints what tells it from the
// others with the helpers below; CTest names the test by that text, so it must
// differ from every other case's.
namespace ecuprobe::case_names {

template <typename Case>
concept NamedCase = requires(const Case& c) {
    std::string_view(c.name);
};

template <NamedCase Case>
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

// A typed text in quotes on one line: control characters escaped ("\r", "\x00"),
// a long text told by its length.
inline void printText(std::string_view text, std::ostream* out) {
    constexpr std::size_t longest = 40;
    if (text.size() > longest) {
        *out << '<' << text.size() << " characters>";
        return;
    }
    static constexpr char digits[] = "0123456789ABCDEF";
    *out << '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\t' || c == '\n') {
            *out << '\\' << (c == '\r' ? 'r' : c == '\t' ? 't' : 'n');
        } else if (byte < 0x20) {
            *out << "\\x" << digits[byte >> 4] << digits[byte & 0x0F];
        } else {
            *out << c;
        }
    }
    *out << '"';
}

// Words of a command line, each as printText shows it.
inline void printWords(std::span<const std::string> words, std::ostream* out) {
    *out << '{';
    for (const std::string& word : words) {
        *out << ' ';
        printText(word, out);
    }
    *out << " }";
}

// Bytes as hex pairs: "62 0D 00".
inline void printBytes(std::span<const std::uint8_t> bytes, std::ostream* out) {
    static constexpr char digits[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        *out << (i == 0 ? "" : " ") << digits[bytes[i] >> 4] << digits[bytes[i] & 0x0F];
    }
}

}  // namespace ecuprobe::case_names
