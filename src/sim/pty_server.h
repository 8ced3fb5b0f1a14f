#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/pseudo_terminal.h"
#include "sim/idle_wait.h"
#include "sim/served_line.h"

namespace ecuprobe::sim {

// Serves a SimulatedEcu (or any ServedLine) on a pseudo-terminal in real time, the
// slave side held open by the server itself (see PseudoTerminal). The served line
// must run on a real clock when pacing. Between events the server rests in its
// IdleWait until the tester writes or the line has something due, so an idle line
// costs no wake-ups.
class PtyServer {
public:
    struct Options {
        // Pace every echoed and answered byte at 9600 bit/s, 10 bits a byte.
        bool pacing = false;
        // Symlink made to the slave path: removed while the line has vanished, as
        // a pulled adapter's node goes, and made again to the new slave when it is
        // back; empty for none. It is made only where nothing is, or a dangling
        // link, or a link to a pseudo-terminal such as a server makes; anything
        // else there is never replaced, and only the server's own link is removed.
        std::string linkPath;
    };

    // Told about settings of the tester's side that are not raw 9600 8N1, and
    // about the line going and coming back ("gone", "back /dev/pts/N").
    using Notice = std::function<void(const std::string&)>;

    // `rest` replaces the poll(2) rest, for tests on a fake clock.
    PtyServer(ServedLine& line, Options options, Notice notice = {},
              std::unique_ptr<IdleWait> rest = nullptr);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal and its link; false with error() set when either
    // cannot be made.
    bool open();
    std::string slavePath() const;
    const std::string& error() const { return lastError; }

    // Serves on a background thread until stop() or destruction.
    void start();
    void stop();

private:
    void serve();
    int restMs() const;
    bool createPty();
    void serveChunk();
    void sendDue();
    void writePaced(const std::uint8_t* bytes, std::size_t count);
    void checkLineSettings();
    void reappear();
    bool relink();
    bool ownsLink() const;
    void removeLink();

    ServedLine& ecu;
    Options options;
    Notice notice;
    std::unique_ptr<IdleWait> rest;
    platform::PseudoTerminal pty;
    std::string path;
    mutable std::mutex pathMutex;
    // The slave path that the link was last made to.
    std::string linkedTo;
    std::string lastError;
    std::string lastSettingsWarning;
    int vanishesSeen = 0;
    double nextByteUs = 0;
    std::atomic<bool> stopRequested{false};
    std::thread worker;
};

}  // namespace ecuprobe::sim
