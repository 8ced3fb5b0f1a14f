#pragma once

namespace ecuprobe::sim {

// Where a server's loop rests between events: until its descriptor has bytes to
// read, the timeout has passed, or another thread calls wake().
class IdleWait {
public:
    virtual ~IdleWait() = default;
    // True when `fd` has bytes to read; a negative fd is left out, a negative
    // timeout waits without limit.
    virtual bool until(int fd, int timeoutMs) = 0;
    // Ends the current rest, or the next one when none is under way.
    virtual void wake() = 0;
};

// The rest in poll(2), woken through an eventfd.
class PollWait final : public IdleWait {
public:
    PollWait();
    ~PollWait() override;
    PollWait(const PollWait&) = delete;
    PollWait& operator=(const PollWait&) = delete;

    bool until(int fd, int timeoutMs) override;
    void wake() override;

private:
    int wakeFd = -1;
};

}  // namespace ecuprobe::sim
