#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "ecu/owed_controls.h"
#include "platform/state_files.h"

namespace ecuprobe::ecu {

// Where the owed controls of each port (its device path as given) are kept
// between sessions.
class OwedStore {
public:
    struct Loaded {
        OwedControls owed;
        // Why what was kept could not be read, for the person: what it named is
        // unknown, so everything counts as owed. Given once per port, empty after.
        std::string problem;
    };

    virtual ~OwedStore() = default;
    virtual Loaded load(const std::string& port) = 0;
    // What a port owes, only looked at: for the person before a connection.
    // Nothing is told, taken or kept again; a record that cannot be read owes
    // everything, as load() would find.
    virtual OwedControls peek(const std::string& port) = 0;
    // Empty when kept; otherwise why not, given once per port, empty after.
    virtual std::string save(const std::string& port, const OwedControls& owed) = 0;
};

// For the life of the process: what a closed or lost session left owed, the next
// session on the same port still owes.
class MemoryOwedStore final : public OwedStore {
public:
    Loaded load(const std::string& port) override;
    OwedControls peek(const std::string& port) override;
    std::string save(const std::string& port, const OwedControls& owed) override;
    void forgetAll();

private:
    // The window looks at it from its own thread while the link thread keeps it.
    std::mutex guard;
    std::map<std::string, OwedControls> byPort;
};

// One small file per device in a state folder, so that what a killed run or a
// machine switched off left owed is paid by the next run, whichever name of the
// adapter it is given. Nothing owed leaves no file.
class FileOwedStore final : public OwedStore {
public:
    explicit FileOwedStore(std::filesystem::path folder) : files(std::move(folder)) {}

    Loaded load(const std::string& port) override;
    OwedControls peek(const std::string& port) override;
    std::string save(const std::string& port, const OwedControls& owed) override;
    // What a port's record is kept by: the identity of its device
    // (platform::deviceIdentity), the same for every spelling of its path.
    static std::string keyOf(const std::string& port);
    // The file of a key: "owed-" and the key with every character but letters,
    // digits, '.', '_' and '-' as %XX, so that any key names one plain file.
    // Earlier versions kept each port under its path as given, in the same form.
    static std::string fileName(const std::string& key);
    const platform::StateFiles& stateFiles() const { return files; }

private:
    const std::string& cachedKey(const std::string& port);
    // The record of one file, read as kept for recordPort; unknown, and so
    // everything, when it cannot be read or is damaged.
    Loaded readRecord(const std::string& name, const std::string& recordPort);
    // Records an earlier version kept under another path of the same device:
    // taken into this one and removed, or only read.
    Loaded takeOlderRecords(const std::string& key, bool remove = true);
    // Writes the record of a key (removes it when nothing is owed); why not, else empty.
    std::string keptAs(const std::string& key, const OwedControls& owed);
    std::string once(const std::string& key, std::string problem);

    std::mutex guard;
    platform::StateFiles files;
    std::map<std::string, std::string> keys;
    std::set<std::string> told;
};

// The store every session uses: the process's memory, unless a program has put
// its ports on files.
OwedStore& owedStore();
// nullptr: back to the memory.
void useOwedStore(OwedStore* store);
// The memory store itself, which a test empties between cases.
MemoryOwedStore& processOwedMemory();

}  // namespace ecuprobe::ecu
