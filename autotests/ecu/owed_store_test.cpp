#include "ecu/owed_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "environment.h"

namespace ecuprobe::ecu {
namespace {

namespace fs = std::filesystem;

class FileStore : public ::testing::Test {
protected:
    void SetUp() override { fs::remove_all(folder); }
    void TearDown() override { fs::remove_all(folder); }

    fs::path fileOf(const std::string& port) const {
        return folder / FileOwedStore::fileName(port);
    }

    const fs::path folder = testing_support::processScratch() / "ecuprobe_owed_store";
    FileOwedStore store{folder};
    OwedControls cutInjector1 = [] {
        OwedControls owed;
        owed.held[4] = 0x01;
        return owed;
    }();
};

TEST_F(FileStore, KeepsEachPortApartAndRemovesTheFileWhenNothingIsOwed) {
    ASSERT_EQ(store.save("/dev/ttyUSB0", cutInjector1), "");
    EXPECT_TRUE(fs::exists(fileOf("/dev/ttyUSB0")));
    EXPECT_EQ(FileOwedStore(folder).load("/dev/ttyUSB0").owed, cutInjector1);
    EXPECT_TRUE(store.load("/dev/ttyUSB1").owed.empty());
    ASSERT_EQ(store.save("/dev/ttyUSB0", {}), "");
    EXPECT_FALSE(fs::exists(fileOf("/dev/ttyUSB0")));
}

TEST_F(FileStore, NamesEveryPathAsOnePlainFile) {
    EXPECT_EQ(FileOwedStore::fileName("/dev/ttyUSB0"), "owed-%2Fdev%2FttyUSB0");
    EXPECT_EQ(FileOwedStore::fileName("\\\\.\\COM10"), "owed-%5C%5C.%5CCOM10");
    EXPECT_NE(FileOwedStore::fileName("/dev/tty_1"), FileOwedStore::fileName("/dev/tty/1"));
}

TEST_F(FileStore, ACorruptRecordIsToldOnceCountsAsNothingAndGoes) {
    fs::create_directories(folder);
    std::ofstream(fileOf("COM1")) << "ecuprobe owed controls 1\nport COM1\n0x0D";
    const OwedStore::Loaded first = store.load("COM1");
    EXPECT_TRUE(first.owed.empty());
    EXPECT_NE(first.problem.find("повреждён и удалён"), std::string::npos) << first.problem;
    EXPECT_NE(first.problem.find(FileOwedStore::fileName("COM1")), std::string::npos);
    EXPECT_FALSE(fs::exists(fileOf("COM1")));
    std::ofstream(fileOf("COM1")) << "garbage";
    EXPECT_EQ(store.load("COM1").problem, "");
}

TEST_F(FileStore, AFolderThatCannotBeWrittenIsToldOnce) {
    fs::create_directories(folder.parent_path());
    std::ofstream(folder) << "a file where the folder should be";
    EXPECT_NE(store.save("COM1", cutInjector1), "");
    EXPECT_EQ(store.save("COM1", cutInjector1), "");
    fs::remove(folder);
}

}  // namespace
}  // namespace ecuprobe::ecu
