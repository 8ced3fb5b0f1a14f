#pragma once

#include <filesystem>
#include <map>
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
        // Why what was kept could not be taken, for the person; it counts as
        // nothing owed. Given once per port, empty after.
        std::string problem;
    };

    virtual ~OwedStore() = default;
    virtual Loaded load(const std::string& port) = 0;
    // Empty when kept; otherwise why not, given once per port, empty after.
    virtual std::string save(const std::string& port, const OwedControls& owed) = 0;
};

// For the life of the process: what a closed or lost session left owed, the next
// session on the same port still owes.
class MemoryOwedStore final : public OwedStore {
public:
    Loaded load(const std::string& port) override;
    std::string save(const std::string& port, const OwedControls& owed) override;
    void forgetAll() { byPort.clear(); }

private:
    std::map<std::string, OwedControls> byPort;
};

// One small file per port in a state folder, so that what a killed run or a
// machine switched off left owed is paid by the next run. Nothing owed leaves no file.
class FileOwedStore final : public OwedStore {
public:
    explicit FileOwedStore(std::filesystem::path folder) : files(std::move(folder)) {}

    Loaded load(const std::string& port) override;
    std::string save(const std::string& port, const OwedControls& owed) override;
    // The file of a port: "owed-" and the path with every character but letters,
    // digits, '.', '_' and '-' as %XX, so that any path names one plain file.
    static std::string fileName(const std::string& port);
    const platform::StateFiles& stateFiles() const { return files; }

private:
    std::string once(const std::string& port, std::string problem);

    platform::StateFiles files;
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
