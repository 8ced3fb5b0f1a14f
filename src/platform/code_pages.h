#pragma once

#include <string>
#include <string_view>

namespace ecuprobe::platform {

// Conversions between UTF-8 and the DOS (CP866) and Windows (CP1251) code pages.
// The ECU sends its identification texts in CP866; the dump and sample files are
// written in CP1251. Bytes 0x00..0x7F are ASCII in all three.
//
// Encoding: a character the code page lacks, and every malformed UTF-8 sequence,
// becomes '?'. Decoding: a byte the code page leaves undefined (CP1251 0x98)
// becomes U+FFFD.

std::string cp866ToUtf8(std::string_view dos);
std::string utf8ToCp866(std::string_view utf8);
std::string cp1251ToUtf8(std::string_view ansi);
std::string utf8ToCp1251(std::string_view utf8);

// The characters of a UTF-8 text that CP1251 lacks (a malformed sequence as
// U+FFFD), each once in the order they come, with a blank between them; empty
// when the whole text can be written.
std::string lackingInCp1251(std::string_view utf8);

}  // namespace ecuprobe::platform
