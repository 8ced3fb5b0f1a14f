#include "platform/process_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "environment.h"
#include "platform/descriptor_output.h"
#include "platform/state_files.h"

namespace ecuprobe::platform {
namespace {

namespace fs = std::filesystem;

class ProcessFiles : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::ofstream(folder / "file") << "x";
        std::ofstream(folder / "other") << "x";
        fs::create_symlink(folder / "file", folder / "link");
        fs::create_hard_link(folder / "file", folder / "hard");
        fs::create_symlink("/dev/null", folder / "null");
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string at(const char* name) const { return (folder / name).string(); }

    const fs::path folder = testing_support::processScratch() / "ecuprobe_process_files";
};

TEST_F(ProcessFiles, SameFileFollowsLinksAndComparesMissingPathsByName) {
    const struct {
        std::string a;
        std::string b;
        bool same;
    } cases[] = {
        {at("file"), at("file"), true},
        {at("link"), at("file"), true},
        {at("hard"), at("link"), true},
        {at("null"), "/dev/null", true},
        {at("other"), at("file"), false},
        {at("missing"), (folder / "." / "missing").string(), true},
        {at("missing"), at("file"), false},
        {at("missing"), at("gone"), false},
        {"", at("file"), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sameFile(c.a, c.b), c.same) << c.a << " and " << c.b;
    }
}

// The record of what the tester holds is kept by this: any spelling of one device
// finds it, another device does not.
TEST_F(ProcessFiles, DeviceIdentityIsTheSameForEverySpellingOfOneDevice) {
    EXPECT_EQ(deviceIdentity(at("link")), deviceIdentity(at("file")));
    EXPECT_EQ(deviceIdentity(at("null")), deviceIdentity("/dev/null"));
    EXPECT_EQ(deviceIdentity("/dev/null"), "/dev/null 1:3");
    EXPECT_NE(deviceIdentity(at("other")), deviceIdentity(at("file")));
    EXPECT_EQ(deviceIdentity(at("missing")), at("missing"));
}

// stdout of this test program is ctest's pipe or a terminal: never the file.
TEST_F(ProcessFiles, AStandardStreamIsTheFileOrDeviceItWritesInto) {
    EXPECT_FALSE(standardStreamIs(1, at("file")));
    const int saved = ::dup(2);
    const int file = ::open(at("link").c_str(), O_WRONLY | O_CLOEXEC);
    ::dup2(file, 2);
    const bool onTheFile = standardStreamIs(2, at("file"));
    ::dup2(saved, 2);
    ::close(saved);
    ::close(file);
    EXPECT_TRUE(onTheFile);
}

// A FIFO, a folder or a device in place of a small file is refused at once: an
// open that waited for a writer would hold the tester for good.
TEST_F(ProcessFiles, ARegularFileIsReadWholeAnythingElseRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    using Found = RegularFileText::Found;
    const struct {
        std::string path;
        Found found;
        std::string text;
    } cases[] = {{at("link"), Found::text, "x"},
                 {at("missing"), Found::none, ""},
                 {at("fifo"), Found::unreadable, ""},
                 {folder.string(), Found::unreadable, ""},
                 {"/dev/zero", Found::unreadable, ""}};
    for (const auto& c : cases) {
        const RegularFileText read = readRegularFile(c.path, 16);
        EXPECT_EQ(read.found, c.found) << c.path;
        EXPECT_EQ(read.text, c.text) << c.path;
    }
    std::ofstream(at("long")) << std::string(17, 'x');
    EXPECT_EQ(readRegularFile(at("long"), 16).found, Found::unreadable);
    // The owed record's: a FIFO under its name or its temporary file's is never waited on.
    const StateFiles files{folder};
    ASSERT_EQ(::mkfifo(at("fifo.new").c_str(), 0600), 0);
    ASSERT_EQ(files.replace("fifo", "new\n"), "");
    EXPECT_EQ(files.read("fifo").text, "new\n");
}

TEST_F(ProcessFiles, AppendFileAddsToWhatIsThereAndNeverWaitsForAReader) {
    {
        const std::unique_ptr<std::ostream> file = openAppendFile(at("file"));
        ASSERT_NE(file, nullptr);
        *file << "yz" << std::flush;
        EXPECT_TRUE(*file);
    }
    std::ifstream in(at("file"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "xyz");
    EXPECT_EQ(openAppendFile(at("no/such/folder")), nullptr);
    // A pipe that nobody reads is refused at once rather than waited on for good.
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    EXPECT_EQ(openAppendFile(at("fifo")), nullptr);
}

// A pipe whose write end the buffer writes to, and whose read end the test reads.
class Pipe {
public:
    Pipe() {
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() {
        closeReader();
        ::close(ends[1]);
    }

    int writer() const { return ends[1]; }
    void closeReader() {
        if (ends[0] >= 0) {
            ::close(ends[0]);
            ends[0] = -1;
        }
    }
    // What has come through so far.
    std::string taken() const {
        char text[256];
        const ssize_t got = ::read(ends[0], text, sizeof text);
        return got > 0 ? std::string(text, static_cast<std::size_t>(got)) : std::string();
    }

private:
    int ends[2] = {-1, -1};
};

TEST(DescriptorOutput, LineBufferedWritesOutOnEveryLineEndTheOtherOnFlush) {
    for (const bool lineBuffered : {true, false}) {
        Pipe pipe;
        DescriptorOutput output(pipe.writer(), nullptr, lineBuffered, false);
        std::ostream out(&output);
        out << "ab";
        EXPECT_EQ(pipe.taken(), "");
        out << "c\nd";
        EXPECT_EQ(pipe.taken(), lineBuffered ? "abc\nd" : "");
        out << std::flush;
        EXPECT_EQ(pipe.taken(), lineBuffered ? "" : "abc\nd");
        const std::string longer(10000, 'e');
        out << longer << std::flush;
        std::string through;
        for (std::string part = pipe.taken(); !part.empty(); part = pipe.taken()) {
            through += part;
        }
        EXPECT_EQ(through, longer);
    }
}

TEST(DescriptorOutput, AFailedWriteFailsTheStreamForGood) {
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    Pipe pipe;
    pipe.closeReader();
    DescriptorOutput output(pipe.writer(), nullptr, true, false);
    std::ostream out(&output);
    out << "lost\n";
    EXPECT_FALSE(out);
    out.clear();
    out << "also lost" << std::flush;
    EXPECT_FALSE(out);
    std::signal(SIGPIPE, previous);
}

}  // namespace
}  // namespace ecuprobe::platform
