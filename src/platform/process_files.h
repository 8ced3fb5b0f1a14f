#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

namespace ecuprobe::platform {

// Opens /dev/null on each of the descriptors 0..2 that is closed, as daemons do, so
// that no device or file opened later takes the place of stdin, stdout or stderr
// and receives what the program prints: the tester's text must never go onto the
// K-line as requests. First thing in main, before anything is opened; false when
// that cannot be done. Windows never hands a file the standard handles' places;
// there a program of the desktop started from a console writes into it.
bool reserveStandardDescriptors();

// Whether two paths lead to the same file or device: the same device and inode
// once links are followed (a /dev/serial/by-id name, a link of one's own); where
// either is missing, the same path once made absolute. On Windows a COM port's
// name in any folder and with any extension ("COM3", "\\.\COM3", "c:\com3.txt")
// opens the port itself.
bool sameFile(const std::string& a, const std::string& b);

// Whether the standard output (1) or error (2) of this process writes into the
// file or device at path, as sameFile tells. On Windows only a COM port can be
// told, by its handle being one: any COM port counts.
bool standardStreamIs(int stream, const std::string& path);

// What names a serial device however its path is spelt (a /dev/serial/by-id
// link, the /dev node), to keep a record per adapter: a USB adapter's vendor,
// product and serial number where it has one, which stay when it comes back as
// another ttyUSB; otherwise the path with every link resolved and the device's
// number. The path as given when it leads to nothing; on Windows the COM port's name.
std::string deviceIdentity(const std::string& path);

// A small file read whole without waiting: opened so that a FIFO or a device in
// its place neither blocks nor is read (only a regular file is), and refused
// past maxSize.
struct RegularFileText {
    enum class Found : std::uint8_t { text, none, unreadable };
    Found found = Found::none;
    std::string text;
    std::string problem;  // with unreadable: why
};
RegularFileText readRegularFile(const std::filesystem::path& path, std::size_t maxSize);

// A file opened to append to, created when missing; null when it cannot be opened.
// On POSIX a write that blocks (a terminal held with Ctrl-S, a pipe nobody reads)
// waits in poll(), and a signal taken by a handler meanwhile gives it up and fails
// the stream, so that Ctrl-C is never ignored; the open neither waits for a
// modem's carrier nor makes a terminal the controlling one.
std::unique_ptr<std::ostream> openAppendFile(const std::string& path);

}  // namespace ecuprobe::platform
