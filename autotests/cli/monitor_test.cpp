// The terminal console against the simulated ECU on virtual time: commands typed
// at given moments, the questions of a service answered on a later line while the
// poll runs on.
#include "cli/monitor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "case_names.h"
#include "platform/clock.h"
#include "platform/in_memory_serial_device.h"
#include "platform/port_map.h"
#include "process_link.h"
#include "sim/simulated_ecu.h"

namespace ecuprobe::cli {
namespace {

using ecuprobe::case_names::PrintTo;

using Bytes = std::vector<std::uint8_t>;

// Lines typed at given moments of the virtual clock; the input ends after the last.
class TypedAt final : public LineSource {
public:
    TypedAt(platform::FakeClock& virtualClock,
            std::vector<std::pair<std::uint32_t, std::string>> timedLines)
        : clock(virtualClock), lines(std::move(timedLines)) {}

    std::vector<InputLine> wait(std::uint32_t timeoutMs) override {
        std::vector<InputLine> came;
        if (ended()) {
            return came;
        }
        const std::uint32_t now = clock.tickMs();
        const std::uint32_t due = lines[next].first;
        clock.advance(due <= now ? 0 : std::min(due - now, timeoutMs));
        while (!ended() && lines[next].first <= clock.tickMs()) {
            if (beforeLine) {
                beforeLine(lines[next].second);
            }
            // A line longer than the limit comes without its text, as from stdin.
            const std::string& text = lines[next++].second;
            const bool tooLong = text.size() > InputLines::maxLineBytes;
            came.push_back({tooLong ? std::string() : text, tooLong});
        }
        return came;
    }
    bool ended() const override { return next == lines.size(); }

    // What happens at the line just before it is typed.
    std::function<void(const std::string& line)> beforeLine;

private:
    platform::FakeClock& clock;
    std::vector<std::pair<std::uint32_t, std::string>> lines;
    std::size_t next = 0;
};

class MonitorOnSimulator : public ::testing::Test {
protected:
    void SetUp() override { ecuprobe::testing::attachProcessLink(device, clock, ports); }
    void TearDown() override { ecuprobe::testing::detachProcessLink(); }

    // Starts the monitor with a 0.6 s poll and runs it on the typed lines.
    void run(std::vector<std::pair<std::uint32_t, std::string>> lines,
             std::function<void(const std::string& line)> beforeLine = nullptr) {
        TypedAt typed(clock, std::move(lines));
        typed.beforeLine = std::move(beforeLine);
        Monitor monitor(clock, typed, out, notes, false, [] { return false; });
        monitor.panel().enterPeriod("0");
        monitor.run(monitor.panel().onStart());
        monitor.panel().onDestroy();
    }

    // When each request with this payload was sent, in virtual ms.
    std::vector<std::uint32_t> sentAt(const Bytes& payload) const {
        std::vector<std::uint32_t> times;
        for (const sim::LoggedRequest& request : simulator.requestLog()) {
            if (request.payload == payload) {
                times.push_back(request.atMs);
            }
        }
        return times;
    }

    // Live reads (0x61 with the live request's variables) from one moment to another.
    int liveReadsBetween(std::uint32_t fromMs, std::uint32_t toMs) const {
        int reads = 0;
        for (const sim::LoggedRequest& request : simulator.requestLog()) {
            reads += request.payload.size() > 20 && request.payload[0] == 0x61 &&
                     request.atMs > fromMs && request.atMs < toMs;
        }
        return reads;
    }

    bool said(const std::string& text) const { return out.str().find(text) != std::string::npos; }

    platform::FakeClock clock;
    sim::SimulatedEcu simulator{clock};
    platform::InMemorySerialDevice device{clock, simulator};
    platform::PortMap ports;
    std::ostringstream out;
    std::ostringstream notes;
};

const Bytes storeIgnitionCorrection{0x62, 0x0E, 0x01, 0x7C, 0x03};
const Bytes clearKnockAdaptation{0x62, 0x0E, 0x20};

TEST_F(MonitorOnSimulator, AStoreQuestionIsAnsweredOnALaterLineWhileThePollRunsOn) {
    run({{2000, "store uoz"}, {9000, "да"}, {10000, "quit"}});
    EXPECT_TRUE(
        said("> Сохранение в долговременную память. Сохранить в долговременную память "
             "поправку угла опережения зажигания? [Да/нет]\n"))
        << out.str();
    EXPECT_GE(liveReadsBetween(2000, 9000), 8);
    const std::vector<std::uint32_t> stored = sentAt(storeIgnitionCorrection);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_GE(stored[0], 9000u);
    EXPECT_EQ(simulator.controls().storeCount, 1);
    EXPECT_TRUE(said("> stored: Поправка УОЗ: 0\n")) << out.str();
}

struct AnswerCase {
    const char* name;
    std::vector<std::string> answers;
    int stores;
    const char* shown;
};

class StoreAnswer : public MonitorOnSimulator, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(StoreAnswer, DecidesTheStore) {
    std::vector<std::pair<std::uint32_t, std::string>> lines{{2000, "store rcok"}};
    std::uint32_t at = 4000;
    for (const std::string& answer : GetParam().answers) {
        lines.emplace_back(at, answer);
        at += 2000;
    }
    lines.emplace_back(at, "quit");
    run(lines);
    EXPECT_EQ(simulator.controls().storeCount, GetParam().stores);
    EXPECT_TRUE(said(GetParam().shown)) << out.str();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StoreAnswer,
    ::testing::Values(AnswerCase{"EmptyTakesYes", {""}, 1, "> stored: Коэф. коррекции CO"},
                      AnswerCase{"No", {"нет"}, 0, "> store rcok: not stored\n"},
                      AnswerCase{"CapitalYes", {"ДА"}, 1, "> stored: Коэф. коррекции CO"},
                      AnswerCase{"NonsenseAsksAgain",
                                 {"может быть", "n"},
                                 0,
                                 "> answer да or нет\nСохранение в долговременную память."}),
    [](const auto& param) { return std::string(param.param.name); });

struct RefusedCase {
    const char* name;
    std::vector<std::pair<std::uint32_t, std::string>> lines;
    int stores;
    bool quitRunAsACommand;
};

class RefusedAnswer : public MonitorOnSimulator,
                      public ::testing::WithParamInterface<RefusedCase> {};

// A line typed together with a refused answer was typed before the question was
// asked again: it runs as a command afterwards, it never answers that question.
TEST_P(RefusedAnswer, AsksAgainForALineTypedAfterTheRefusal) {
    run(GetParam().lines);
    EXPECT_EQ(simulator.controls().storeCount, GetParam().stores);
    EXPECT_TRUE(said("> line refused: longer than 4096 bytes\nСохранение в долговременную"))
        << out.str();
    EXPECT_EQ(said("> quit\n"), GetParam().quitRunAsACommand) << out.str();
}

const std::string overlongLine(5000, 'y');

INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedAnswer,
    ::testing::Values(
        RefusedCase{"NextCommandTypedTogether",
                    {{2000, "store rcok"}, {4000, overlongLine}, {4000, "quit"}},
                    0,
                    true},
        RefusedCase{"AnswerTypedLater",
                    {{2000, "store rcok"}, {4000, overlongLine}, {6000, "да"}, {8000, "quit"}},
                    1,
                    true}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(MonitorOnSimulator, LinesTypedTogetherAnswerTheQuestionAndRunOnAfterIt) {
    run({{2000, "reset knock"}, {2000, "да"}, {2000, "quit"}});
    EXPECT_EQ(sentAt(clearKnockAdaptation).size(), 1u);
    EXPECT_EQ(simulator.controls().knockAdaptationResets, 1);
    EXPECT_TRUE(said("> reset knock: cleared\n")) << out.str();
    EXPECT_TRUE(said("> quit\n"));
}

TEST_F(MonitorOnSimulator, InputEndingAtAQuestionAnswersNoAndLeaves) {
    run({{2000, "reset knock"}});
    EXPECT_TRUE(sentAt(clearKnockAdaptation).empty());
    EXPECT_EQ(simulator.controls().knockAdaptationResets, 0);
}

TEST_F(MonitorOnSimulator, SetIdleTakesTheIdleSpeedOverAndTheNextReadsShowIt) {
    run({{2000, "set idle 900"}, {6000, "quit"}});
    EXPECT_EQ(sentAt({0x62, 0x0B, 0x40, 0x2E, 0x5A}).size(), 1u);
    EXPECT_TRUE(said("> Обороты ХХ: 900\n")) << out.str();
}

TEST_F(MonitorOnSimulator, ARefusedValueSendsNothingAndSaysWhy) {
    run({{2000, "set egr 150"}, {3000, "set uoz x"}, {4000, "quit"}});
    for (const sim::LoggedRequest& request : simulator.requestLog()) {
        EXPECT_FALSE(request.payload.size() == 5 && request.payload[0] == 0x62 &&
                     request.payload[1] == 0x0C)
            << "nothing taken over";
    }
    EXPECT_TRUE(
        said("> Степень рецирк.отраб.газов(JEGR): Please enter an integer between 0 and 100.\n"));
    EXPECT_TRUE(said("> Поправка УОЗ: Please enter a number.\n"));
}

TEST_F(MonitorOnSimulator, IdentShowsTheIdentificationUnderThePanel) {
    run({{2000, "ident"}, {6000, "quit"}});
    EXPECT_TRUE(said("> Блок Управления (ЭБУ):   Микас 5.4\nПаспорт программы ЭБУ:   "))
        << out.str();
    EXPECT_TRUE(said("Комплектация:\n  постоянное питание блока,\n"));
}

TEST_F(MonitorOnSimulator, ACancelledDumpFileWritesNoReport) {
    run({{2000, "report"}, {3000, ""}, {4000, "quit"}});
    EXPECT_TRUE(
        said("> Сохранить в файл: Файлы дампов тестера ISO14230 (*.tdm); пустая строка "
             "- отмена:\n"));
    EXPECT_TRUE(said("> Запись: no file chosen: nothing written\n")) << out.str();
}

TEST_F(MonitorOnSimulator, ADumpFileThatCannotBeOpenedIsNamedWithItsCause) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    run({{2000, "report --dump " + folder.string()}, {3000, ""}, {4000, "quit"}});
    EXPECT_TRUE(said("\nЗапись: not written: " + folder.string() + ": ")) << out.str();
}

TEST_F(MonitorOnSimulator, AReportWhoseReadsWentUnansweredIsNotPassedOffAsTheEngineState) {
    const std::filesystem::path dump =
        std::filesystem::temp_directory_path() / "ecuprobe-monitor-silent.tdm";
    std::filesystem::remove(dump);
    run({{2000, "report --dump " + dump.string()}, {3000, ""}, {4000, "quit"}},
        [this](const std::string& line) {
            if (line.starts_with("report")) {
                simulator.addFault({sim::FaultKind::silence, {}, 0});
            }
        });
    std::filesystem::remove(dump);
    EXPECT_TRUE(said("> Запись: дописано в " + dump.string() +
                     ", but the ECU stopped answering: it holds reset values, not readings\n"))
        << out.str();
}

}  // namespace
}  // namespace ecuprobe::cli
