#include "platform/device_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace ecuprobe::platform {

namespace {

// "rw-rw----", as ls shows the permission bits.
std::string modeText(unsigned mode) {
    std::string text;
    for (int bit = 8; bit >= 0; --bit) {
        text += ((mode >> bit) & 1U) != 0 ? "rwx"[(8 - bit) % 3] : '-';
    }
    return text;
}

std::string userName(uid_t uid) {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found);
    return found != nullptr ? found->pw_name : std::to_string(uid);
}

std::string groupName(gid_t gid) {
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found);
    return found != nullptr ? found->gr_name : std::to_string(gid);
}

bool inGroup(gid_t gid) {
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    groups.resize(static_cast<std::size_t>(std::max(getgroups(count, groups.data()), 0)));
    return getegid() == gid || std::find(groups.begin(), groups.end(), gid) != groups.end();
}

}  // namespace

OpenFailure refusedAccess(const DeviceAccess& device) {
    if (device.group == "dialout" && !device.callerInGroup) {
        return {OpenFailureCause::permission, {}};
    }
    return {OpenFailureCause::modeDenied, "владелец " + device.owner + ", группа " + device.group +
                                              ", права " + modeText(device.mode)};
}

std::optional<DeviceAccess> readDeviceAccess(const std::string& path) {
    struct stat node {};
    if (::stat(path.c_str(), &node) != 0) {
        return std::nullopt;
    }
    return DeviceAccess{userName(node.st_uid), groupName(node.st_gid), node.st_mode & 0777U,
                        inGroup(node.st_gid)};
}

}  // namespace ecuprobe::platform
