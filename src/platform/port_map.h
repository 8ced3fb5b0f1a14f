#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace ecuprobe::platform {

// COM1..COM4 to device paths, so that a USB K-line cable works without renaming
// devices. Defaults /dev/ttyS0../dev/ttyS3, on Windows the ports COM1..COM4
// themselves; ECUPROBE_COM1..ECUPROBE_COM4 override.
class PortMap {
public:
    static constexpr int portCount = 4;

    PortMap();
    static PortMap fromEnvironment();

    // comIndex 0..3 stands for COM1..COM4.
    const std::string& path(int comIndex) const;
    void setPath(int comIndex, std::string devicePath);

    // "COM1".."COM4" (any case) to 0..3.
    static std::optional<int> comIndexOf(std::string_view name);

private:
    std::array<std::string, portCount> paths;
};

}  // namespace ecuprobe::platform
