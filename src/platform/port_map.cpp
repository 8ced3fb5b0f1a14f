#include "platform/port_map.h"

#include <cctype>
#include <cstdlib>

namespace ecuprobe::platform {

PortMap::PortMap() {
    for (int i = 0; i < portCount; ++i) {
#ifdef _WIN32
        paths[static_cast<std::size_t>(i)] = "COM" + std::to_string(i + 1);
#else
        paths[static_cast<std::size_t>(i)] = "/dev/ttyS" + std::to_string(i);
#endif
    }
}

PortMap PortMap::fromEnvironment() {
    PortMap map;
    for (int i = 0; i < portCount; ++i) {
        const std::string variable = "ECUPROBE_COM" + std::to_string(i + 1);
        if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0') {
            map.setPath(i, value);
        }
    }
    return map;
}

const std::string& PortMap::path(int comIndex) const {
    return paths.at(static_cast<std::size_t>(comIndex));
}

void PortMap::setPath(int comIndex, std::string devicePath) {
    paths.at(static_cast<std::size_t>(comIndex)) = std::move(devicePath);
}

std::optional<int> PortMap::comIndexOf(std::string_view name) {
    if (name.size() != 4) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
            return std::nullopt;
        }
    }
    const int number = name[3] - '0';
    if (number < 1 || number > portCount) {
        return std::nullopt;
    }
    return number - 1;
}

}  // namespace ecuprobe::platform
