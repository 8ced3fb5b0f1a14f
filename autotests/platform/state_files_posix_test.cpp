#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "environment.h"
#include "platform/state_files.h"

namespace ecuprobe::platform {
namespace {

using testing_support::clearEnvironment;
using testing_support::setEnvironment;

// Puts XDG_STATE_HOME and HOME back as the test program set them.
class StateFolder : public ::testing::Test {
protected:
    void TearDown() override {
        restore("XDG_STATE_HOME", stateHome);
        restore("HOME", home);
    }

    static std::string current(const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? value : "";
    }
    static void restore(const char* name, const std::string& value) {
        if (value.empty()) {
            clearEnvironment(name);
        } else {
            setEnvironment(name, value);
        }
    }

    const std::string stateHome = current("XDG_STATE_HOME");
    const std::string home = current("HOME");
};

TEST_F(StateFolder, IsTheXdgStateHomeElseTheHomesLocalState) {
    setEnvironment("HOME", "/home/mechanic");
    setEnvironment("XDG_STATE_HOME", "/var/state");
    EXPECT_EQ(userStateFolder(), "/var/state/ecuprobe");
    // A relative XDG_STATE_HOME is no folder a user set up.
    setEnvironment("XDG_STATE_HOME", "state");
    EXPECT_EQ(userStateFolder(), "/home/mechanic/.local/state/ecuprobe");
    clearEnvironment("XDG_STATE_HOME");
    EXPECT_EQ(userStateFolder(), "/home/mechanic/.local/state/ecuprobe");
    clearEnvironment("HOME");
    EXPECT_EQ(userStateFolder(), "");
}

// FIFOs in place of the record and of its temporary file: neither read nor replace
// waits for the other end, and the replace leaves a plain record.
TEST(StateFiles, AFifoInPlaceOfTheRecordOrItsTemporaryFileIsNeverWaitedOn) {
    const std::filesystem::path folder = testing_support::processScratch() / "ecuprobe_state_fifo";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    ASSERT_EQ(::mkfifo((folder / "owed-COM1").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "owed-COM1.new").c_str(), 0600), 0);
    const StateFiles files{folder};
    EXPECT_EQ(files.read("owed-COM1").found, StateFiles::Found::unreadable);
    ASSERT_EQ(files.replace("owed-COM1", "new\n"), "");
    EXPECT_EQ(files.read("owed-COM1").text, "new\n");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace ecuprobe::platform
