#include "ecu/ecu_session.h"

namespace ecuprobe::ecu {

namespace {

constexpr std::uint8_t slowGroupInterval = 10;

}  // namespace

ReadResult EcuSession::readLiveData() {
    LiveData& data = held.liveData;
    bool refreshed = false;
    if (held.connected != 0) {
        sleepMs(100);
        const bool withSlowGroup = data.slowCountdown == 0;
        std::array<std::uint8_t, liveRequestLengthWithSlow> request{};
        const std::size_t length = buildLiveRequest(withSlowGroup, request);
        if (!exchange(std::span(request).first(length))) {
            resetState();
        } else if (answerData().size() >=
                   (withSlowGroup ? liveAnswerLengthWithSlow : liveAnswerLengthShort)) {
            // A shorter answer would put its checksum and terminator into the
            // fields; it is dropped like a lost one, without declaring the link lost.
            decodeLiveData(currentLink->response(), withSlowGroup, data);
            if (withSlowGroup) {
                data.slowCountdown = slowGroupInterval;
            }
            refreshed = true;
        }
    }
    if (refreshed) {
        if (data.slowCountdown != 0) {
            --data.slowCountdown;
        }
        return ReadResult::read;
    }
    data.slowCountdown = data.slowCountdown != 0 ? static_cast<std::uint8_t>(data.slowCountdown - 1)
                                                 : slowGroupInterval;
    return ReadResult::failed;
}

}  // namespace ecuprobe::ecu
