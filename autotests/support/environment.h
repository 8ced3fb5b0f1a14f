#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace ecuprobe::testing_support {

// Sets a variable of this process's environment for the code under test.
inline void setEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    // The C runtime keeps no empty variables: an empty value removes it.
    _putenv_s(name.c_str(), value.c_str());
#else
    setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void clearEnvironment(const std::string& name) {
#ifdef _WIN32
    _putenv_s(name.c_str(), "");
#else
    unsetenv(name.c_str());
#endif
}

// The fresh folder this test process was given (state_home.cpp): tests of the same
// fixture run side by side, so a fixed name under the temp folder would be shared.
inline std::filesystem::path processScratch() {
    const char* folder = std::getenv("XDG_STATE_HOME");
    return folder != nullptr ? std::filesystem::path(folder)
                             : std::filesystem::temp_directory_path();
}

}  // namespace ecuprobe::testing_support
