#pragma once

#include <cstdint>
#include <string>

namespace ecuprobe::platform {

// How claiming a new file name went.
enum class NewFile : std::uint8_t {
    created,  // the file did not exist and is now there, empty
    taken,    // something is there already: nothing was touched
    failed,   // the folder refuses it (missing, read-only, no space, a bad name)
};

// Creates an empty file under a name (a UTF-8 path) that nothing holds yet, in one step
// of the file system: of two programs asking for the same name, one gets it and
// the other learns it is taken, so neither ever appends to the other's file.
NewFile createNewFile(const std::string& name);

}  // namespace ecuprobe::platform
