#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <vector>

#include "sim/sim_types.h"

namespace ecuprobe::sim {

// The requests the ECU has taken, oldest first, for the checks of what the tester
// sent and when. Only the most recent `capacity` are kept, so that a simulator
// left serving for days holds a fixed amount: the default covers about seventeen
// minutes of polling at sixteen requests a second, longer than any check looks back.
class RequestHistory {
public:
    static constexpr std::size_t defaultCapacity = 16384;

    explicit RequestHistory(std::size_t kept = defaultCapacity)
        : capacity(std::max<std::size_t>(kept, 1)) {}

    void add(LoggedRequest request) {
        if (requests.size() == capacity) {
            requests.pop_front();
        }
        requests.push_back(std::move(request));
    }
    void markLatestAnswered() {
        if (!requests.empty()) {
            requests.back().answered = true;
        }
    }
    std::vector<LoggedRequest> all() const { return {requests.begin(), requests.end()}; }

private:
    std::size_t capacity;
    std::deque<LoggedRequest> requests;
};

}  // namespace ecuprobe::sim
