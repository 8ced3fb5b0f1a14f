#include "ecu/owed_store.h"

namespace ecuprobe::ecu {

namespace {

OwedStore* installed = nullptr;

bool keptAsItIs(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

constexpr std::string_view countedAsNothing = ": считается, что тестер ничего не удерживает";

}  // namespace

OwedStore::Loaded MemoryOwedStore::load(const std::string& port) {
    const auto found = byPort.find(port);
    return {found == byPort.end() ? OwedControls{} : found->second, {}};
}

std::string MemoryOwedStore::save(const std::string& port, const OwedControls& owed) {
    if (owed.empty()) {
        byPort.erase(port);
    } else {
        byPort[port] = owed;
    }
    return {};
}

std::string FileOwedStore::fileName(const std::string& port) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string name = "owed-";
    for (const char c : port) {
        if (keptAsItIs(c)) {
            name += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            name += {'%', digits[byte >> 4], digits[byte & 0x0F]};
        }
    }
    return name;
}

std::string FileOwedStore::once(const std::string& port, std::string problem) {
    return told.insert(port).second ? problem : std::string();
}

// A record that does not read is removed: it counts as nothing owed, and said
// once it is not said again on the next start.
OwedStore::Loaded FileOwedStore::load(const std::string& port) {
    const std::string name = fileName(port);
    const std::string path = pathText(files.pathOf(name));
    const platform::StateFiles::ReadResult read = files.read(name);
    switch (read.found) {
        case platform::StateFiles::Found::none:
            return {};
        case platform::StateFiles::Found::unreadable:
            return {{},
                    once(port, "файл состояния " + path + " не читается (" + read.problem + ")" +
                                   std::string(countedAsNothing))};
        case platform::StateFiles::Found::text:
            break;
    }
    if (const std::optional<OwedControls> owed = parseOwedRecord(port, read.text)) {
        return {*owed, {}};
    }
    files.remove(name);
    return {{},
            once(port,
                 "файл состояния " + path + " повреждён и удалён" + std::string(countedAsNothing))};
}

std::string FileOwedStore::save(const std::string& port, const OwedControls& owed) {
    const std::string name = fileName(port);
    const std::string problem =
        owed.empty() ? files.remove(name) : files.replace(name, owedRecordText(port, owed));
    if (problem.empty()) {
        return {};
    }
    return once(port, "не удалось записать файл состояния " + pathText(files.pathOf(name)) + " (" +
                          problem + "): после перезапуска тестер не узнает, что удерживал");
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
