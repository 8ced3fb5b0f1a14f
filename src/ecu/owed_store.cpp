#include "ecu/owed_store.h"

#include <charconv>
#include <optional>
#include <system_error>

#include "platform/process_files.h"

namespace ecuprobe::ecu {

namespace {

OwedStore* installed = nullptr;

constexpr std::string_view filePrefix = "owed-";

bool keptAsItIs(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

// The key a record's file name stands for; nullopt for another file.
std::optional<std::string> keyOfFileName(std::string_view name) {
    if (!name.starts_with(filePrefix)) {
        return std::nullopt;
    }
    name.remove_prefix(filePrefix.size());
    std::string key;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '%') {
            key += name[i];
            continue;
        }
        unsigned char byte = 0;
        const char* digits = name.data() + i + 1;
        if (i + 2 >= name.size() ||
            std::from_chars(digits, digits + 2, byte, 16).ptr != digits + 2) {
            return std::nullopt;
        }
        key += static_cast<char>(byte);
        i += 2;
    }
    return key;
}

// "a; b", either alone when the other is empty.
std::string joined(const std::string& a, const std::string& b) {
    return a.empty() || b.empty() ? a + b : a + "; " + b;
}

std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

constexpr std::string_view countedAsEverything =
    ": неизвестно, что тестер удерживал; при подключении ЭБУ будет возвращено всё "
    "(0x09–0x0E)";

}  // namespace

OwedStore::Loaded MemoryOwedStore::load(const std::string& port) {
    return {peek(port), {}};
}

OwedControls MemoryOwedStore::peek(const std::string& port) {
    const std::lock_guard lock(guard);
    const auto found = byPort.find(port);
    return found == byPort.end() ? OwedControls{} : found->second;
}

void MemoryOwedStore::forgetAll() {
    const std::lock_guard lock(guard);
    byPort.clear();
}

std::string MemoryOwedStore::save(const std::string& port, const OwedControls& owed) {
    const std::lock_guard lock(guard);
    if (owed.empty()) {
        byPort.erase(port);
    } else {
        byPort[port] = owed;
    }
    return {};
}

std::string FileOwedStore::keyOf(const std::string& port) {
    return platform::deviceIdentity(port);
}

std::string FileOwedStore::fileName(const std::string& key) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string name(filePrefix);
    for (const char c : key) {
        if (keptAsItIs(c)) {
            name += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            name += {'%', digits[byte >> 4], digits[byte & 0x0F]};
        }
    }
    return name;
}

const std::string& FileOwedStore::cachedKey(const std::string& port) {
    auto found = keys.find(port);
    if (found == keys.end()) {
        found = keys.emplace(port, keyOf(port)).first;
    }
    return found->second;
}

std::string FileOwedStore::once(const std::string& key, std::string problem) {
    return told.insert(key).second ? problem : std::string();
}

// Damaged or unreadable, a record may have named anything the tester holds.
OwedStore::Loaded FileOwedStore::readRecord(const std::string& name,
                                            const std::string& recordPort) {
    const std::string path = pathText(files.pathOf(name));
    const platform::StateFiles::ReadResult read = files.read(name);
    switch (read.found) {
        case platform::StateFiles::Found::none:
            return {};
        case platform::StateFiles::Found::unreadable:
            return {OwedControls::everything(), "файл состояния " + path + " не читается (" +
                                                    read.problem + ")" +
                                                    std::string(countedAsEverything)};
        case platform::StateFiles::Found::text:
            break;
    }
    if (const std::optional<OwedControls> owed = parseOwedRecord(recordPort, read.text)) {
        return {*owed, {}};
    }
    return {OwedControls::everything(),
            "файл состояния " + path + " повреждён" + std::string(countedAsEverything)};
}

OwedStore::Loaded FileOwedStore::takeOlderRecords(const std::string& key, bool remove) {
    Loaded taken;
    std::error_code error;
    for (std::filesystem::directory_iterator it(files.folder(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = pathText(it->path().filename());
        const std::optional<std::string> older = keyOfFileName(name);
        if (!older || name == fileName(key) || keyOf(*older) != key) {
            continue;
        }
        Loaded record = readRecord(name, *older);
        taken.owed = taken.owed.with(record.owed);
        taken.problem = joined(taken.problem, record.problem);
        if (remove) {
            files.remove(name);
        }
    }
    return taken;
}

// What is kept under the device's key, with what earlier versions kept under
// other paths of it. Whatever was taken from elsewhere or could not be read is
// kept again at once, as a record of its own, until it is paid.
OwedControls FileOwedStore::peek(const std::string& port) {
    const std::lock_guard lock(guard);
    const std::string& key = cachedKey(port);
    return readRecord(fileName(key), key).owed.with(takeOlderRecords(key, false).owed);
}

OwedStore::Loaded FileOwedStore::load(const std::string& port) {
    const std::lock_guard lock(guard);
    const std::string& key = cachedKey(port);
    Loaded loaded = readRecord(fileName(key), key);
    const Loaded older = takeOlderRecords(key);
    loaded.owed = loaded.owed.with(older.owed);
    std::string problem = joined(loaded.problem, older.problem);
    if (!problem.empty() || !older.owed.empty()) {
        problem = joined(problem, keptAs(key, loaded.owed));
    }
    loaded.problem = problem.empty() ? std::string() : once(key, problem);
    return loaded;
}

std::string FileOwedStore::keptAs(const std::string& key, const OwedControls& owed) {
    const std::string name = fileName(key);
    const std::string problem =
        owed.empty() ? files.remove(name) : files.replace(name, owedRecordText(key, owed));
    if (problem.empty()) {
        return {};
    }
    return "не удалось записать файл состояния " + pathText(files.pathOf(name)) + " (" + problem +
           "): после перезапуска тестер не узнает, что удерживал";
}

std::string FileOwedStore::save(const std::string& port, const OwedControls& owed) {
    const std::lock_guard lock(guard);
    const std::string& key = cachedKey(port);
    const std::string problem = keptAs(key, owed);
    return problem.empty() ? problem : once(key, problem);
}

MemoryOwedStore& processOwedMemory() {
    static MemoryOwedStore memory;
    return memory;
}

OwedStore& owedStore() {
    return installed != nullptr ? *installed : processOwedMemory();
}

void useOwedStore(OwedStore* store) {
    installed = store;
}

}  // namespace ecuprobe::ecu
