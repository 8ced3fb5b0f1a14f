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
        return folder / FileOwedStore::fileName(FileOwedStore::keyOf(port));
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

TEST_F(FileStore, NamesEveryKeyAsOnePlainFile) {
    EXPECT_EQ(FileOwedStore::fileName("/dev/ttyUSB0"), "owed-%2Fdev%2FttyUSB0");
    EXPECT_EQ(FileOwedStore::fileName("\\\\.\\COM10"), "owed-%5C%5C.%5CCOM10");
    EXPECT_NE(FileOwedStore::fileName("/dev/tty_1"), FileOwedStore::fileName("/dev/tty/1"));
}

// What a damaged record named is unknown: everything is owed, said once, and kept
// so until it is paid, also by a run that is killed before it pays.
TEST_F(FileStore, ADamagedRecordOwesEverythingIsToldOnceAndKeptUntilPaid) {
    fs::create_directories(folder);
    std::ofstream(fileOf("COM1")) << "ecuprobe owed controls 1\nport COM1\n0x0D";
    // Looked at before a connection, it tells nothing and changes nothing.
    EXPECT_EQ(store.peek("COM1"), OwedControls::everything());
    const OwedStore::Loaded first = store.load("COM1");
    EXPECT_EQ(first.owed, OwedControls::everything());
    EXPECT_NE(first.problem.find("повреждён: неизвестно, что тестер удерживал"), std::string::npos)
        << first.problem;
    EXPECT_NE(first.problem.find(fileOf("COM1").filename().string()), std::string::npos);
    EXPECT_EQ(FileOwedStore(folder).load("COM1").owed, OwedControls::everything());
    std::ofstream(fileOf("COM1")) << "garbage";
    EXPECT_EQ(store.load("COM1").problem, "");
    ASSERT_EQ(store.save("COM1", {}), "");
    EXPECT_FALSE(fs::exists(fileOf("COM1")));
}

// Two names of one device: a link and its node; on Windows two spellings of a COM port.
struct Spellings {
    std::string node;
    std::string byId;
};

Spellings twoNamesOfOneDevice(const fs::path& where) {
#ifdef _WIN32
    static_cast<void>(where);
    return {"COM3", "\\\\.\\COM3"};
#else
    const fs::path node = where / "ecuprobe_owed_node";
    const fs::path byId = where / "ecuprobe_owed_by_id";
    std::ofstream(node) << "";
    fs::remove(byId);
    fs::create_symlink(node, byId);
    return {node.string(), byId.string()};
#endif
}

// Kept under the by-id link, found under the node's own name; and a record an
// earlier version kept under the path as typed is taken over and moved.
TEST_F(FileStore, EverySpellingOfOneDeviceFindsItsRecordAndOldRecordsAreTakenOver) {
    fs::create_directories(folder);
    const auto [node, byId] = twoNamesOfOneDevice(folder.parent_path());
    ASSERT_EQ(store.save(byId, cutInjector1), "");
    EXPECT_EQ(FileOwedStore(folder).load(node).owed, cutInjector1);
    ASSERT_EQ(store.save(byId, {}), "");
    const fs::path old = folder / FileOwedStore::fileName(byId);
    std::ofstream(old, std::ios::binary) << owedRecordText(byId, cutInjector1);
    EXPECT_EQ(FileOwedStore(folder).peek(node), cutInjector1);
    EXPECT_TRUE(fs::exists(old));
    EXPECT_EQ(FileOwedStore(folder).load(node).owed, cutInjector1);
    EXPECT_FALSE(fs::exists(old));
    EXPECT_EQ(FileOwedStore(folder).load(byId).owed, cutInjector1);
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
