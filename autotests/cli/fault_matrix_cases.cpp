#include "fault_matrix_cases.h"

#include <csignal>
#include <deque>
#include <string>
#include <string_view>

namespace ecuprobe::cli::testing_support {

namespace {

// 128 + SIGINT: the log's Ctrl-C came while it was still trying to connect.
constexpr int stoppedByCtrlC = 130;
constexpr const char* noAnswer = "the ECU does not answer";
constexpr const char* noEcho = "адаптер не отвечает эхом";
constexpr const char* withoutEcho = "ecuprobe-cli: адаптер без эха";
constexpr const char* lineNoise = "ecuprobe-cli: помехи на линии";
constexpr const char* unconfirmed = "ЭБУ не подтвердил возврат управления: ";
constexpr const char* perfectEcho = "Echo: perfect";
constexpr const char* echoErrors = "Echo errors: ";
constexpr const char* stoppedFirst = "ecuprobe-cli: stopped by signal 15 before the command began";
constexpr const char* handedBack = "Управление возвращено ЭБУ, порт закрыт.";
constexpr const char* noFaultList = "the ECU did not answer the fault list request";

// Raised as the fault list that ends the connection is asked for.
MatrixFault stopSignalFault(const char* name, int signal) {
    // Kept for the life of the cases, which hold their texts as pointers.
    static std::deque<std::string> texts;
    const std::string number = std::to_string(signal);
    const char* rule = texts.emplace_back("signal:sig=" + number + ",cmd=2,once").c_str();
    const char* message =
        texts
            .emplace_back("ecuprobe-cli: stopped by signal " + number + " before the command began")
            .c_str();
    return {name,
            rule,
            {128 + signal, message},
            {0, perfectEcho},
            true,
            {{"monitor", {128 + signal, handedBack}}},
            true};
}

}  // namespace

const std::vector<MatrixCommand>& matrixCommands() {
    static const std::vector<MatrixCommand> commands{
        {"connect", "idle", {"connect"}, {}, {0, "Тип ЭБУ: Микас 5.4"}},
        {"live",
         "idle",
         {"live", "--count", "2", "--period", "0"},
         {},
         {0, "=== Чтение 2: ЭБУ Микас 5.4. ==="}},
        {"faults", "idle", {"faults"}, {}, {0, "*** Нет Ошибок ***"}},
        {"clear-faults", "idle", {"clear-faults"}, {}, {0, "*** Нет Ошибок ***"}},
        {"ident", "idle", {"ident"}, {}, {0, "Блок Управления (ЭБУ):   Микас 5.4"}},
        {"params",
         "idle",
         {"params", "--idle-speed", "850"},
         {},
         {0, "Обороты ХХ:                        850"}},
        {"reset-adaptation",
         "idle",
         {"reset-adaptation", "knock", "--yes"},
         {},
         {0, "Таблица очищена."}},
        {"test",
         "runup",
         {"test", "dynamic", "--start", "1000", "--end", "3000", "--dump", "car.tdm", "--comment",
          "x"},
         {},
         {0, "Время разгона(сек.): "},
         {"car.tdm", ".dmp"}},
        {"report",
         "idle",
         {"report", "--dump", "car.tdm", "--comment", "x"},
         {},
         {0, "Состояние ЭБУ дописано в car.tdm"},
         {"car.tdm"}},
        {"monitor",
         "idle",
         {"monitor", "--period", "0"},
         {{1500, "inj 1"}, {800, "quit"}},
         {0, "Управление возвращено ЭБУ, порт закрыт."}},
        {"log",
         "idle",
         {"log", "--out", "drive.msl"},
         {{3000, "", SIGINT}},
         {0, "reads logged to drive.msl"},
         {"drive.msl"}},
        {"selftest", "idle", {"selftest", "--count", "9"}, {}, {0, perfectEcho}, {}, false},
    };
    return commands;
}

const std::vector<MatrixFault>& matrixFaults() {
    static const std::vector<MatrixFault> faults{
        {"silence", "silence", {2, noAnswer}, {0, perfectEcho}, false},
        {"silence after 5", "silence:after=5", {4, unconfirmed}, {0, perfectEcho}, false},
        {"badsum", "badsum", {2, noAnswer}, {0, perfectEcho}, false},
        // The echo is only checked and counted, as the adapter's own test reports it.
        {"wrongecho", "wrongecho", {0, nullptr}, {3, echoErrors}, true},
        // The answer still comes, where the echo should be.
        {"noecho", "noecho", {2, withoutEcho}, {3, "Echo: none at all"}, false},
        {"shortecho", "shortecho", {2, noEcho}, {3, echoErrors}, false},
        {"cut", "cut", {2, noAnswer}, {0, perfectEcho}, false},
        {"garbage", "garbage", {2, lineNoise}, {0, perfectEcho}, false},
        {"noise", "noise", {0, nullptr}, {0, perfectEcho}, true},
        {"refuse", "refuse", {4, unconfirmed}, {0, perfectEcho}, false},
        {"noident",
         "noident",
         {0, nullptr},
         {0, perfectEcho},
         true,
         {{"ident", {2, "the ECU gave no passport block"}},
          {"report", {2, "ЭБУ не ответил: идентификация: "}}}},
        {"nospeed", "nospeed", {0, nullptr}, {0, perfectEcho}, true},
        {"vanish", "vanish:after=5,ms=1500", {4, unconfirmed}, {3, echoErrors}, false},
        // Only the fault list goes unanswered: no command may take that for "no faults".
        {"nofaultlist",
         "silence:cmd=02",
         {0, nullptr},
         {0, perfectEcho},
         true,
         {{"faults", {2, noFaultList}},
          {"clear-faults", {2, noFaultList}},
          {"report", {2, "ЭБУ не ответил: неисправности: "}}}},
        // One block of the program passport goes unanswered: its lines stay empty.
        {"nopassportblock",
         "silence:cmd=52",
         {0, nullptr},
         {0, perfectEcho},
         true,
         {{"ident", {2, "ЭБУ не ответил: паспорт программы: shown empty"}},
          {"report", {2, "ЭБУ не ответил: паспорт программы: "}}}},
        // SIGTERM as the fault list that ends the connection is asked for; the
        // monitor ends as after any signal: every control back, 128 + its number.
        {"sigterm",
         "sigterm:cmd=2,once",
         {128 + SIGTERM, stoppedFirst},
         {0, perfectEcho},
         true,
         {{"monitor", {128 + SIGTERM, handedBack}}},
         true},
        // Signals whose default would end the tester without the hand-back, as SIGTERM
        // does: a file size limit met, the power failing, the last real-time signal.
        stopSignalFault("sigxfsz", SIGXFSZ),
        stopSignalFault("sigpwr", SIGPWR),
        stopSignalFault("sigrtmax", SIGRTMAX),
    };
    return faults;
}

MatrixOutcome expectedOutcome(const MatrixCommand& command, const MatrixFault& fault) {
    const std::string_view name = command.name;
    if (name == "selftest") {
        return fault.selfTest;
    }
    for (const auto& [commandName, outcome] : fault.commandOutcomes) {
        if (commandName == name) {
            return outcome;
        }
    }
    if (fault.outcome.message == nullptr) {
        return command.done;
    }
    // Three tries at a connection outlast the log's Ctrl-C.
    if (name == "log" && fault.outcome.status == 2) {
        return {stoppedByCtrlC, fault.outcome.message};
    }
    return fault.outcome;
}

}  // namespace ecuprobe::cli::testing_support
