#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "case_names.h"
#include "ecu/ecu_session.h"
#include "measure/run_sampler.h"
#include "scripted_ecu.h"

namespace ecuprobe::ecu::testing {
namespace {

using ecuprobe::case_names::PrintTo;
using ecuprobe::testing::LateEcho;

// One service, what the ECU answers it, and what the service made of the answer
// (a value, a list, a reply), which must be the answer's and never the request's.
struct Service {
    const char* name;
    std::function<std::optional<Bytes>(const Bytes& payload)> ecuAnswer;
    std::function<std::string(EcuSession&)> run;
    std::string fromTheAnswer;
};

std::string replyName(WriteReply reply) {
    return reply == WriteReply::acknowledged ? "acknowledged" : "not acknowledged";
}

const Service services[] = {
    {"Type", [](const Bytes&) { return Bytes{0x09}; },
     [](EcuSession& s) {
         s.identifyEcuType();
         return s.identity().ecuName;
     },
     "Микас 5.4"},
    {"FaultList",
     [](const Bytes&) {
         return Bytes{0x02, 13, 0x20, 131, 0x60};
     },
     [](EcuSession& s) {
         s.readFaults();
         std::string text;
         s.faultListShort(text);
         return text;
     },
     " 013:20, 131:60,"},
    {"LiveRead", [](const Bytes& p) { return Bytes(p.size() == 32 ? 35 : 29, 0x50); },
     [](EcuSession& s) {
         return s.readLiveData() == ReadResult::read ? std::to_string(s.liveData().TWAT) : "failed";
     },
     "40"},
    {"Equipment", [](const Bytes&) { return Bytes{0x41, 0, 0, 0, 0, 0}; },
     [](EcuSession& s) {
         std::string text;
         s.readEquipment(text);
         return text;
     },
     "постоянное питание блока, \r\nдатчик скорости, "},
    {"Sample", [](const Bytes& p) { return p[0] == 0x63 ? testDataSet(840) : Bytes{0x00}; },
     [](EcuSession& s) {
         measure::TestSampler sampler(s);
         measure::TestSample sample;
         if (sampler.requestSample() != measure::SampleRequest::answered) {
             return std::string("failed");
         }
         sampler.fillSample(sample);
         sampler.endSampling();
         return std::to_string(sample.freq) + " rpm, " + std::to_string(sample.twat) + " °C";
     },
     "840 rpm, 90 °C"},
    {"Write", [](const Bytes&) { return Bytes{0x00}; },
     [](EcuSession& s) {
         std::int32_t state = 1;
         s.switchInjector(1, state);
         return replyName(s.lastWriteReply()) + ", injector " + std::to_string(state);
     },
     "acknowledged, injector 0"},
    {"HandBack", [](const Bytes&) { return Bytes{0x00}; },
     [](EcuSession& s) {
         s.releaseControls();
         return std::string(s.lastHandBack().complete() ? "complete" : "incomplete");
     },
     "complete"},
};

struct Delivery {
    const char* name;
    LateEcho late;
};

const Delivery deliveries[] = {
    {"Whole30Before", {30, 0, 15}},   {"Whole30Together", {30, 0, 0}},
    {"Whole60Before", {60, 0, 15}},   {"Whole60Together", {60, 0, 0}},
    {"Whole100Before", {100, 0, 15}}, {"Whole100Together", {100, 0, 0}},
    {"Split30Before", {30, 2, 15}},   {"Split30Together", {30, 2, 0}},
    {"Split60Before", {60, 1, 15}},   {"Split60Together", {60, 1, 0}},
    {"Split100Before", {100, 2, 15}}, {"Split100Together", {100, 2, 0}},
};

class LateEchoes : public SessionTest,
                   public ::testing::WithParamInterface<std::tuple<Service, Delivery>> {};

// Every request is itself a valid frame: an echo that misses its window and
// comes with the answer must be passed over, never read as the answer.
TEST_P(LateEchoes, LeaveEveryServiceTheEcusAnswer) {
    const auto& [service, delivery] = GetParam();
    openConnected();
    ecu.echoLate(clock, delivery.late);
    ecu.reply = service.ecuAnswer;
    EXPECT_EQ(service.run(session), service.fromTheAnswer);
    exchangeBusy = 0;
}

INSTANTIATE_TEST_SUITE_P(Services, LateEchoes,
                         ::testing::Combine(::testing::ValuesIn(services),
                                            ::testing::ValuesIn(deliveries)),
                         [](const auto& testCase) {
                             return std::string(std::get<0>(testCase.param).name) +
                                    std::get<1>(testCase.param).name;
                         });

}  // namespace
}  // namespace ecuprobe::ecu::testing
