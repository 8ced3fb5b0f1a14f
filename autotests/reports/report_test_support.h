#pragma once

#include <gtest/gtest.h>

#include "environment.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

// What the file tests share: a fresh working folder (detail files land in the
// current folder), UTC as the local time, and byte strings written by hand.
namespace ecuprobe::reports::testing {

// Bytes from hex pairs separated by blanks: "D4 E0 E9 EB".
inline std::string hex(std::string_view pairs) {
    std::string bytes;
    std::istringstream in{std::string(pairs)};
    for (std::string pair; in >> pair;) {
        bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
    }
    return bytes;
}

inline std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Local time as the TZ text describes it ("UTC0", "MSK-3").
inline void useTimeZone(const std::string& zone) {
    ecuprobe::testing_support::setEnvironment("TZ", zone);
#ifdef _WIN32
    _tzset();
#else
    tzset();
#endif
}

// A fresh working folder for one test, with UTC as the local time, left
// behind on destruction.
class ScratchFolder {
public:
    ScratchFolder() : previous(std::filesystem::current_path()) {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() /
               ("ecuprobe_" + std::string(test->test_suite_name()) + "_" + test->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        std::filesystem::current_path(path);
        useTimeZone("UTC0");
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(path);
    }

    std::filesystem::path path;

private:
    std::filesystem::path previous;
};

class InScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        scratch.emplace();
        folder = scratch->path;
    }
    void TearDown() override { scratch.reset(); }

    std::optional<ScratchFolder> scratch;
    std::filesystem::path folder;
};

}  // namespace ecuprobe::reports::testing
