#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/new_file.h"
#include "platform/utf8_path.h"

namespace ecuprobe::platform {

NewFile createNewFile(const std::string& name) {
    const std::filesystem::path path = utf8Path(name);
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return errno == EEXIST ? NewFile::taken : NewFile::failed;
    }
    ::close(fd);
    return NewFile::created;
}

}  // namespace ecuprobe::platform
