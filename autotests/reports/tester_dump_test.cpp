#include "reports/tester_dump.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "case_names.h"
#include "platform/code_pages.h"
#include "report_test_support.h"
#include "scripted_ecu.h"
#include "scripted_prompts.h"

namespace ecuprobe::reports {
namespace {

using ecuprobe::case_names::PrintTo;

using ecu::testing::Bytes;
using testing::fileBytes;
using testing::hex;

Bytes text(std::string_view ascii) {
    return Bytes(ascii.begin(), ascii.end());
}

// An ECU with a warm idling engine (the live answer with its slow group), a few
// faults, every identification text and the equipment bytes 01 00 00 00 01 02.
class StateReport : public ecu::testing::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        scratch.emplace();
        openConnected();
        answers = {
            {{0x01}, Bytes{9}},
            {{0x51}, text("PROG-1")},
            {{0x52}, text("PROG-2")},
            {{0x53}, text("PROG-3")},
            {{0x54}, text("DATA-1")},
            {{0x55}, text("DATA-2")},
            {{0x56}, text("DATA-3")},
            {{0x57}, text("DATA-4")},
            {{0x58}, text("DATA-5")},
            {{0x02}, Bytes{0}},
            {{0x61, 0x74}, text("MOD")},
            {{0x61, 0x75}, text("SN")},
            {{0x61, 0x76}, text("01.02.03")},
            {{0x61, 0x77}, text("ADC")},
            {{0x61, 0x79}, text("ENGINE")},
            {{0x61, 0x7A}, text("BODY")},
            {{0x61, 0x7B}, text("04.05.06")},
            {{0x61, 0x01, 0x02, 0x03, 0x04, 0x05}, Bytes{0x01, 0, 0, 0, 0x01, 0x02}},
        };
        ecu.reply = [this](const Bytes& payload) -> std::optional<Bytes> {
            if (payload.size() > 20 && payload[0] == 0x61) {
                return liveAnswer();
            }
            const auto found = answers.find(payload);
            return found == answers.end() ? std::nullopt : std::optional<Bytes>(found->second);
        };
        currentDumpPath = (scratch->path / "car.tdm").string();
        prompts.comments = {std::nullopt, std::nullopt};
        session.readFaults();
        ecu.sent.clear();
    }
    void TearDown() override {
        currentDumpPath.clear();
        scratch.reset();
        SessionTest::TearDown();
    }

    // 35 bytes: TWAT 90, UOZ -5 (raw -10), BDET 10 and PABS 97; the rest 0.
    static Bytes liveAnswer() {
        Bytes data(35, 0);
        data[0] = 130;
        data[3] = 0xF6;
        data[28] = 10;
        data[29] = 97;
        return data;
    }

    std::string dump() const { return fileBytes(scratch->path / "car.tdm"); }

    std::optional<testing::ScratchFolder> scratch;
    std::map<Bytes, Bytes> answers;
    ecuprobe::testing::ScriptedPrompts prompts;
    TesterDump dumper{session, prompts};
};

const std::string identityLines =
    "\r\n" + hex("D2 E8 EF 20 E1 EB EE EA E0 20 F3 EF F0 E0 E2 EB E5 ED E8 FF 3A") +
    hex("CC E8 EA E0 F1 20 35 2E 34") + "\r\n " +
    hex("CF E0 F1 EF F0 EE F2 20 EF F0 EE E3 F0 E0 EC EC FB") + "\t:PROG-1  PROG-2  PROG-3  \t\t " +
    hex("CF E0 F1 EF F0 EE F2 20 E4 E0 ED ED FB F5 3A") +
    "\tDATA-1  DATA-2  DATA-3  DATA-4  DATA-5  \r\n " +
    hex("CC EE E4 E8 F4 E8 EA E0 F6 E8 FF 20 E1 EB EE EA E0 3A") + "\tMOD\t\t " +
    hex("D1 E5 F0 E8 E9 ED FB E9 20 ED EE EC E5 F0 20 E1 EB EE EA E0 3A") + "\tSN\r\n " +
    hex("C4 E0 F2 E0 20 E2 FB EF F3 F1 EA E0 20 E1 EB EE EA E0 3A") + "\t01.02.03\t\t " +
    hex("CA E0 EB E8 E1 F0 EE E2 EA E8 20 41 44 43 3A") + "\t\tADC\r\n " +
    hex("CD EE EC E5 F0 20 E4 E2 E8 E3 E0 F2 E5 EB FF 3A") + "\t\tENGINE\t\t " +
    hex("CD EE EC E5 F0 20 EA F3 E7 EE E2 E0 3A") + "\t\tBODY\r\n " +
    hex("C4 E0 F2 E0 20 E2 FB EF F3 F1 EA E0 20 E0 E2 F2 EE EC EE E1 E8 EB FF 3A") + "\t\t04.05.06";

const std::string equipmentLine =
    "\r\n\r\n" + hex("CA EE EC EF EB E5 EA F2 E0 F6 E8 FF 3A") + " " +
    hex("EF EE F1 F2 EE FF ED ED EE E5 20 EF E8 F2 E0 ED E8 E5 20 E1 EB EE EA E0 2C 20") + "\r\n" +
    hex("EB E0 EC EF E0 20 ED E5 E8 F1 EF F0 E0 E2 ED EE F1 F2 E8 2C 20") + "\r\n" +
    hex("EA EB E0 EF E0 ED EE EC 20 CF D0 C7 2C 20");

TEST_F(StateReport, PrintsTheLiveValuesFaultsIdentificationAndEquipmentInCp1251) {
    ASSERT_EQ(dumper.saveStateReport(), ReportOutcome::saved);
    const std::string bytes = dump();
    // The head with its date, no comment line, then the first live line.
    EXPECT_EQ(bytes.find("\r\n\r\n\r\n \t ******************************************* \r\n"), 0u);
    EXPECT_NE(bytes.find(":Tue Nov 14 22:13:20 2023\r\n\r\n "), std::string::npos);
    EXPECT_NE(bytes.find(hex("D3 E3 EE EB 20 EE EF E5 F0 E5 E6 E5 ED E8 FF 20 E7 E0 E6 E8 E3 E0 ED "
                             "E8 FF 20 28 55 4F 5A 29 3A") +
                         "\t\t\t-5\t" + hex("E3 F0 E0 E4 2E")),
              std::string::npos);
    EXPECT_NE(
        bytes.find(
            hex("C4 E0 E2 EB E5 ED E8 E5 20 ED E0 20 E2 EF F3 F1 EA E5 28 50 41 42 53 29 3A") +
            "\t\t\t\t97.0000"),
        std::string::npos);
    EXPECT_NE(bytes.find(hex("CF F3 F2 E5 E2 EE E9 20 F0 E0 F1 F5 EE E4 20 F2 EE EF EB E8 E2 E0 20 "
                             "28 4A 51 4B 29 3A") +
                         "\t\t\t\t0.00\t" + hex("EB 2E 2F 31 30 30 EA EC 2E")),
              std::string::npos);
    EXPECT_NE(bytes.find("(O2FLAGS):\t\t0\r\n"), std::string::npos);
    // BDET in upper-case hexadecimal, then the lamp, the (empty) fault list, the identification.
    const std::string tail =
        "\r\n " +
        hex("E4 E5 F2 EE ED E0 F6 E8 FF 20 EF EE 20 F6 E8 EB E8 ED E4 F0 E0 EC 20 28 42 44 45 54 "
            "29 3A") +
        "A\r\n " + hex("CB E0 EC EF E0 20 28 43 48 45 43 4B 45 49 47 49 4E 45 29 3A") +
        "0\r\n\r\n" + hex("CD E5 E8 F1 EF F0 E0 E2 ED EE F1 F2 E8 20 3A") + "\t" + "*** " +
        hex("CD E5 F2 20 CE F8 E8 E1 EE EA") + " *** \r\n" + identityLines + equipmentLine;
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
    EXPECT_EQ(session.identity().identityRead, 0) << "the next report reads them again";
    EXPECT_EQ(session.identity().programPassport, "PROG-1  PROG-2  PROG-3  ");
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

// Every value differs from its neighbours', so a value under another line's text,
// a lost or added tab or a line out of its place shows.
const Bytes distinctLive{130,  20,   85,   0xF6, 0x51, 0x55, 0x01, 0x40, 138, 7,    0x60, 0x20,
                         0x05, 0,    0,    0,    33,   44,   30,   57,   123, 0x90, 0x01, 0xFA,
                         0x00, 0x87, 0x00, 40,   0x2C, 97,   0xEE, 45,   210, 0x00, 64};

const std::string wholeReport =
    "\r\n\r\n\r\n \t ******************************************* \r\n"
    " \t *** Состояние внутренних переменых ЭБУ. *** \r\n"
    " \t ******************************************* \r\n\t\tДата:"
    "Tue Nov 14 22:13:20 2023\r\n"
    "Коментарий: до ремонта\r\n"
    "\r\n Температура охлаждающей жидкости(TWAT):\t\t90\tград. С."
    "\r\n Температура воздуха на впуске(TAIR):\t\t\t-10\tград. С."
    "\r\n Соотношение воздух/топливо (VALF):\t\t\t0.750"
    "\r\n Положение дроссельной заслонки(THR):\t\t\t7\t%"
    "\r\n Скорость вращения двигателя (FREQ):\t\t\t800\tоб./мин."
    "\r\n Скорость вращения двигателя на холостом ходу (FREQXX):\t850\tоб./мин."
    "\r\n Текущее положение регулятора холостого хода (FSM):\t44\tшаг."
    "\r\n Коэффициент коррекции времени впрыска 1 (COEFF1):\t0.5000"
    "\r\n Коэффициент коррекции времени впрыска 1 (COEFF2):\t0.7500"
    "\r\n Давление на впуске(PABS):\t\t\t\t97.0000"
    "\r\n Угол опережения впрыска (FAZ):\t\t\t\t240\tград."
    "\r\n Угол опережения зажигания (UOZ):\t\t\t-5\tград."
    "\r\n Скорость автомобиля (SPD):\t\t\t\t57\tкм./час."
    "\r\n Напряжение бортсети (NUACC):\t\t\t\t13.80\tВольт."
    "\r\n Напряжение на датчике кислорода 1 (LAM1):\t\t45\tмB."
    "\r\n Напряжение на датчике кислорода 2 (LAM2):\t\t210\tмB."
    "\r\n Флаги состояния датчика кислорода (O2FLAGS):\t\t0"
    "\r\n Длительность импульса впрыска (INJ):\t\t\t3.20\tмс."
    "\r\n Массовый расход воздуха (JAIR):\t\t\t25.000\tкг./час."
    "\r\n Часовой расход топлива (JQT):\t\t\t\t13.50\tл./час."
    "\r\n Путевой расход топлива (JQK):\t\t\t\t0.00\tл./100км."
    "\r\n Коэффициент коррекции топливоподачи (RCOK):\t\t-0.375"
    "\r\n Коэффициент коррекции СО на холостом ходу (RCOD):\t-0.125"
    "\r\n Поправка Угла опережения зажигания (UOZOC):\t\t2.500\tград."
    "\r\n Уставка РДВ(SSM):\t\t\t\t\t33\tшаг"
    "\r\n Уставка расхода воздуха (UGB):\t\t\t\t12.30\tкг/час"
    "\r\nПризнаки:\r\n Остановки(BITSTP):1"
    "\r\n холостого хода(RXX):0"
    "\r\n блокировки подачи топлива(BLKINJ):1"
    "\r\n мощностного обогащения (BITPOW):0"
    "\r\n работы регулятора сост. смеси(WRKLAM):1"
    "\r\n работы регулятора УОЗ по детонации(RDET):0"
    "\r\n продувки адсорбера(ADSORBER):1"
    "\r\n работы в зоне барокоррекции (BITATM):0"
    "\r\n записи в таблицу TABKF1 (TKFWR1):1"
    "\r\n записи в таблицу TABKF2 (TKFWR2):0"
    "\r\n Сост. 1 L-зонда бог./бедн. смесь(INPLAM1):1"
    "\r\n Сост. 2 L-зонда бог./бедн. смесь(INPLAM2):0"
    "\r\n детонации(DET):1"
    "\r\n детонация по цилиндрам (BDET):2C"
    "\r\n Лампа (CHECKEIGINE):1"
    "\r\n\r\nНеисправности :\t"
    "\r\n 013:20: низкий уровень сигнала датчика расхода воздуха = многократн.. \r\n"
    "\r\nТип блока управления:Микас 5.4"
    "\r\n Паспрот программы\t:PROG-1  PROG-2  PROG-3  "
    "\t\t Паспрот данных:\tDATA-1  DATA-2  DATA-3  DATA-4  DATA-5  "
    "\r\n Модификация блока:\tMOD"
    "\t\t Серийный номер блока:\tSN"
    "\r\n Дата выпуска блока:\t01.02.03"
    "\t\t Калибровки ADC:\t\tADC"
    "\r\n Номер двигателя:\t\tENGINE"
    "\t\t Номер кузова:\t\tBODY"
    "\r\n Дата выпуска автомобиля:\t\t04.05.06"
    "\r\n\r\nКомплектация: постоянное питание блока, \r\nлампа неисправности, \r\nклапаном ПРЗ, ";

TEST_F(StateReport, IsWrittenWholeWithEveryLineInItsPlace) {
    ecu.reply = [reply = ecu.reply](const Bytes& p) {
        return p.size() > 20 ? std::optional(distinctLive) : reply(p);
    };
    answers[{0x02}] = Bytes{1, 13, 0x20};
    session.readFaults();
    prompts.comments = {"до ремонта"};
    ASSERT_EQ(dumper.saveStateReport(), ReportOutcome::saved);
    EXPECT_EQ(dump(), platform::utf8ToCp1251(wholeReport));
}

// From the file question to the last read no poll may come between the report's
// exchanges: the busy flag stays up, also while a question waits for its answer.
TEST_F(StateReport, HoldsTheLineFromTheFileQuestionToTheLastRead) {
    currentDumpPath.clear();
    prompts.savePaths = {(scratch->path / "car.tdm").string()};
    std::vector<std::int32_t> busyWhileAsked;
    prompts.whileAsking = [&busyWhileAsked] { busyWhileAsked.push_back(ecu::exchangeBusy); };
    ASSERT_EQ(dumper.saveStateReport(), ReportOutcome::saved);
    EXPECT_EQ(busyWhileAsked, (std::vector<std::int32_t>{1, 1}));
    ASSERT_EQ(ecu.sent.size(), 18u);
    for (const ecu::testing::SentFrame& frame : ecu.sent) {
        EXPECT_EQ(frame.busy, 1) << +frame.payload[0];
    }
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

TEST_F(StateReport, WithoutIdentificationGoesFromTheFaultsStraightToTheEquipment) {
    for (std::uint8_t command = 0x51; command <= 0x58; ++command) {
        answers.erase({command});
    }
    ASSERT_EQ(dumper.saveStateReport(), ReportOutcome::saved);
    const std::string expectedEnd = " *** \r\n" + equipmentLine;
    const std::string bytes = dump();
    EXPECT_EQ(bytes.substr(bytes.size() - expectedEnd.size()), expectedEnd);
}

struct GapCase {
    const char* name;
    std::vector<Bytes> silent;  // requests the ECU leaves unanswered
    bool liveSilent;
    std::vector<std::string_view> unanswered;
    const char* faultField;  // what follows "Неисправности :\t"
};

class StateReportGaps : public StateReport, public ::testing::WithParamInterface<GapCase> {};

// The report keeps its form (an unanswered text stays an empty field) and names
// what went unanswered; an unanswered fault list is never "no faults".
TEST_P(StateReportGaps, NamesWhatTheEcuLeftUnansweredAndLeavesItsFieldEmpty) {
    for (const Bytes& request : GetParam().silent) {
        answers.erase(request);
    }
    if (GetParam().liveSilent) {
        ecu.reply = [reply = ecu.reply](const Bytes& p) {
            return p.size() > 20 ? std::nullopt : reply(p);
        };
    }
    // A connection on which the fault list was read (or went unanswered) afresh.
    session.resetState();
    stateOf(session).connected = 1;
    session.readFaults();
    ASSERT_EQ(dumper.saveStateReport(), ReportOutcome::saved);
    EXPECT_EQ(dumper.unanswered().names(), GetParam().unanswered);
    const std::string faults = hex("CD E5 E8 F1 EF F0 E0 E2 ED EE F1 F2 E8 20 3A") + "\t";
    EXPECT_NE(dump().find(faults + GetParam().faultField + " \r\n"), std::string::npos);
}

const char* const noFaults = "*** \xCD\xE5\xF2 \xCE\xF8\xE8\xE1\xEE\xEA ***";

INSTANTIATE_TEST_SUITE_P(
    Silences, StateReportGaps,
    ::testing::Values(
        GapCase{"AllAnswered", {}, false, {}, noFaults},
        GapCase{"FaultList", {{0x02}}, false, {"неисправности"}, ""},
        GapCase{"PassportBlock",
                {{0x52}, {0x57}},
                false,
                {"паспорт программы", "паспорт данных"},
                noFaults},
        GapCase{"Texts", {{0x01}, {0x61, 0x7A}}, false, {"тип ЭБУ", "номер кузова"}, noFaults},
        GapCase{
            "Equipment", {{0x61, 0x01, 0x02, 0x03, 0x04, 0x05}}, false, {"комплектация"}, noFaults},
        GapCase{"EveryPassportBlock",
                {{0x51}, {0x52}, {0x53}, {0x54}, {0x55}, {0x56}, {0x57}, {0x58}},
                false,
                {"идентификация"},
                noFaults},
        GapCase{"LiveValues",
                {},
                true,
                {"текущие значения", "неисправности", "идентификация", "комплектация"},
                ""}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(StateReport, TwoSavesAppendTwoReportsAndAskForTheFileOnce) {
    currentDumpPath.clear();
    prompts.savePaths = {(scratch->path / "car.tdm").string()};
    ASSERT_EQ(dumper.saveStateReport(), ReportOutcome::saved);
    ASSERT_EQ(dumper.saveStateReport(), ReportOutcome::saved);
    const std::string bytes = dump();
    const std::string head = "\r\n\r\n\r\n \t ******************************************* \r\n";
    const std::size_t second = bytes.find(head, 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(bytes.find(head, second + 1), std::string::npos);
    EXPECT_NE(bytes.rfind(equipmentLine, second), std::string::npos) << "the first one is complete";
    EXPECT_EQ(bytes.substr(bytes.size() - equipmentLine.size()), equipmentLine);
    EXPECT_EQ(prompts.saveRequests.size(), 1u);
}

TEST_F(StateReport, NothingHappensWithoutAConnection) {
    stateOf(session).connected = 0;
    EXPECT_EQ(dumper.saveStateReport(), std::nullopt);
    EXPECT_TRUE(ecu.sent.empty());
    EXPECT_TRUE(prompts.saveRequests.empty());
}

TEST_F(StateReport, ACancelledFileQuestionSendsNothingAndWritesNothing) {
    currentDumpPath.clear();
    prompts.savePaths = {std::nullopt};
    EXPECT_EQ(dumper.saveStateReport(), ReportOutcome::cancelled);
    EXPECT_TRUE(ecu.sent.empty());
    EXPECT_TRUE(std::filesystem::is_empty(scratch->path));
    EXPECT_EQ(ecu::exchangeBusy, 0);
}

}  // namespace
}  // namespace ecuprobe::reports
