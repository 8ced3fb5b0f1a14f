#include <gtest/gtest.h>

#include <cstdlib>
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

}  // namespace
}  // namespace ecuprobe::platform
