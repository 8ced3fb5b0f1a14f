#pragma once

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

// A file opened to append to, created when missing; null when it cannot be opened.
// On POSIX a write that blocks (a terminal held with Ctrl-S, a pipe nobody reads)
// waits in poll(), and a signal taken by a handler meanwhile gives it up and fails
// the stream, so that Ctrl-C is never ignored; the open neither waits for a
// modem's carrier nor makes a terminal the controlling one.
std::unique_ptr<std::ostream> openAppendFile(const std::string& path);

}  // namespace ecuprobe::platform
