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
