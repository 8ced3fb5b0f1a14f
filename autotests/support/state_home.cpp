// Linked into every test program: the tester keeps what it may still hold over
// an ECU in the user's state folder, and a test must never read or leave
// anything there, nor meet what another test left. So each test process, and
// every program it starts, gets a fresh empty folder of its own, removed at exit.

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "environment.h"

namespace {

class FreshStateHome {
public:
    FreshStateHome() {
        std::random_device seed;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        do {
            folder = base / ("ecuprobe-test-state-" + std::to_string(seed()));
        } while (!std::filesystem::create_directory(folder));
        const std::string path = folder.string();
        ecuprobe::testing_support::setEnvironment("XDG_STATE_HOME", path);
        ecuprobe::testing_support::setEnvironment("LOCALAPPDATA", path);
    }
    FreshStateHome(const FreshStateHome&) = delete;
    FreshStateHome& operator=(const FreshStateHome&) = delete;
    ~FreshStateHome() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

private:
    std::filesystem::path folder;
};

const FreshStateHome freshStateHome;

}  // namespace
