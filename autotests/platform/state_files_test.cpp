#include "platform/state_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "environment.h"

namespace ecuprobe::platform {
namespace {

namespace fs = std::filesystem;

class StateFilesTest : public ::testing::Test {
protected:
    void SetUp() override { fs::remove_all(folder); }
    void TearDown() override { fs::remove_all(folder); }

    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            found.push_back(entry.path().filename().string());
        }
        return found;
    }

    const fs::path folder = testing_support::processScratch() / "ecuprobe_state_files" / "deeper";
    StateFiles files{folder};
};

TEST_F(StateFilesTest, ReplaceMakesTheFolderAndLeavesOnlyTheWholeNewText) {
    EXPECT_EQ(files.read("owed-COM1").found, StateFiles::Found::none);
    ASSERT_EQ(files.replace("owed-COM1", "first, the longer text\n"), "");
    ASSERT_EQ(files.replace("owed-COM1", "second\n"), "");
    const StateFiles::ReadResult read = files.read("owed-COM1");
    EXPECT_EQ(read.found, StateFiles::Found::text);
    EXPECT_EQ(read.text, "second\n");
    EXPECT_EQ(names(), std::vector<std::string>{"owed-COM1"});
}

TEST_F(StateFilesTest, ATemporaryFileLeftByAKilledRunIsWrittenOverAndGone) {
    fs::create_directories(folder);
    std::ofstream(folder / "owed-COM1.new") << "half a reco";
    std::ofstream(folder / "owed-COM1") << "old\n";
    ASSERT_EQ(files.replace("owed-COM1", "new\n"), "");
    EXPECT_EQ(files.read("owed-COM1").text, "new\n");
    EXPECT_EQ(names(), std::vector<std::string>{"owed-COM1"});
}

TEST_F(StateFilesTest, AFileTooLongToBeTheTestersIsUnreadableAndRemoveIsQuietWhenGone) {
    ASSERT_EQ(files.replace("big", std::string(StateFiles::maxFileSize + 1, 'x')), "");
    EXPECT_EQ(files.read("big").found, StateFiles::Found::unreadable);
    EXPECT_EQ(files.remove("big"), "");
    EXPECT_EQ(files.remove("big"), "");
    EXPECT_EQ(files.read("big").found, StateFiles::Found::none);
}

}  // namespace
}  // namespace ecuprobe::platform
