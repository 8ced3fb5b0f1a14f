#include "reports/tester_dump.h"

#include <array>
#include <memory>
#include <string>

#include "reports/line_format.h"

namespace ecuprobe::reports {

const TitleLines stateReportTitle{
    "\r\n\r\n\r\n \t ******************************************* \r\n",
    " \t *** Состояние внутренних переменых ЭБУ. *** \r\n",
    " \t ******************************************* \r\n\t\tДата:"};

namespace {

using ecu::LiveData;

template <auto member>
LineValue integer(const LiveData& d) {
    return static_cast<std::int64_t>(d.*member);
}

template <auto member>
LineValue real(const LiveData& d) {
    return static_cast<double>(d.*member);
}

struct LiveLine {
    std::string_view format;
    LineValue (*value)(const LiveData&);
};

// The live values in the report's order, each in its own C format.
constexpr std::array<LiveLine, 41> liveLines{{
    {"\r\n Температура охлаждающей жидкости(TWAT):\t\t%i\tград. С.", integer<&LiveData::TWAT>},
    {"\r\n Температура воздуха на впуске(TAIR):\t\t\t%i\tград. С.", integer<&LiveData::TAIR>},
    {"\r\n Соотношение воздух/топливо (VALF):\t\t\t%.3f", real<&LiveData::VALF>},
    {"\r\n Положение дроссельной заслонки(THR):\t\t\t%u\t%%", integer<&LiveData::THR>},
    {"\r\n Скорость вращения двигателя (FREQ):\t\t\t%u\tоб./мин.", integer<&LiveData::FREQ>},
    {"\r\n Скорость вращения двигателя на холостом ходу (FREQXX):\t%u\tоб./мин.",
     integer<&LiveData::FREQXX>},
    {"\r\n Текущее положение регулятора холостого хода (FSM):\t%u\tшаг.", integer<&LiveData::FSM>},
    {"\r\n Коэффициент коррекции времени впрыска 1 (COEFF1):\t%.4f", real<&LiveData::COEFF1>},
    {"\r\n Коэффициент коррекции времени впрыска 1 (COEFF2):\t%.4f", real<&LiveData::COEFF2>},
    {"\r\n Давление на впуске(PABS):\t\t\t\t%.4f", real<&LiveData::PABS>},
    {"\r\n Угол опережения впрыска (FAZ):\t\t\t\t%u\tград.", integer<&LiveData::FAZ>},
    {"\r\n Угол опережения зажигания (UOZ):\t\t\t%i\tград.", integer<&LiveData::UOZ>},
    {"\r\n Скорость автомобиля (SPD):\t\t\t\t%u\tкм./час.", integer<&LiveData::SPD>},
    {"\r\n Напряжение бортсети (NUACC):\t\t\t\t%.2f\tВольт.", real<&LiveData::NUACC>},
    {"\r\n Напряжение на датчике кислорода 1 (LAM1):\t\t%u\tмB.", integer<&LiveData::LAM1>},
    {"\r\n Напряжение на датчике кислорода 2 (LAM2):\t\t%u\tмB.", integer<&LiveData::LAM2>},
    {"\r\n Флаги состояния датчика кислорода (O2FLAGS):\t\t%x", integer<&LiveData::O2FLAGS>},
    {"\r\n Длительность импульса впрыска (INJ):\t\t\t%.2f\tмс.", real<&LiveData::INJ>},
    {"\r\n Массовый расход воздуха (JAIR):\t\t\t%.3f\tкг./час.", real<&LiveData::JAIR>},
    {"\r\n Часовой расход топлива (JQT):\t\t\t\t%.2f\tл./час.", real<&LiveData::JQT>},
    {"\r\n Путевой расход топлива (JQK):\t\t\t\t%.2f\tл./100км.", real<&LiveData::JQK>},
    {"\r\n Коэффициент коррекции топливоподачи (RCOK):\t\t%.3f", real<&LiveData::RCOK>},
    {"\r\n Коэффициент коррекции СО на холостом ходу (RCOD):\t%.3f", real<&LiveData::RCOD>},
    {"\r\n Поправка Угла опережения зажигания (UOZOC):\t\t%.3f\tград.", real<&LiveData::UOZOC>},
    {"\r\n Уставка РДВ(SSM):\t\t\t\t\t%u\tшаг", integer<&LiveData::SSM>},
    {"\r\n Уставка расхода воздуха (UGB):\t\t\t\t%.2f\tкг/час", real<&LiveData::UGB>},
    {"\r\nПризнаки:\r\n Остановки(BITSTP):%u", integer<&LiveData::BITSTP>},
    {"\r\n холостого хода(RXX):%u", integer<&LiveData::RXX>},
    {"\r\n блокировки подачи топлива(BLKINJ):%u", integer<&LiveData::BLKINJ>},
    {"\r\n мощностного обогащения (BITPOW):%u", integer<&LiveData::BITPOW>},
    {"\r\n работы регулятора сост. смеси(WRKLAM):%u", integer<&LiveData::WRKLAM>},
    {"\r\n работы регулятора УОЗ по детонации(RDET):%u", integer<&LiveData::RDET>},
    {"\r\n продувки адсорбера(ADSORBER):%u", integer<&LiveData::ADSORBER>},
    {"\r\n работы в зоне барокоррекции (BITATM):%u", integer<&LiveData::BITATM>},
    {"\r\n записи в таблицу TABKF1 (TKFWR1):%u", integer<&LiveData::TKFWR1>},
    {"\r\n записи в таблицу TABKF2 (TKFWR2):%u", integer<&LiveData::TKFWR2>},
    {"\r\n Сост. 1 L-зонда бог./бедн. смесь(INPLAM1):%u", integer<&LiveData::INPLAM1>},
    {"\r\n Сост. 2 L-зонда бог./бедн. смесь(INPLAM2):%u", integer<&LiveData::INPLAM2>},
    {"\r\n детонации(DET):%u", integer<&LiveData::DET>},
    {"\r\n детонация по цилиндрам (BDET):%X", integer<&LiveData::BDET>},
    {"\r\n Лампа (CHECKEIGINE):%u", integer<&LiveData::CHECKEIGINE>},
}};

}  // namespace

std::optional<ReportOutcome> TesterDump::saveStateReport() {
    missing.clear();
    if (session.connected() == 0) {
        return std::nullopt;
    }
    const ecu::ExchangeBusyGuard busy;
    TestReport report(prompts, session.clock());
    ReportOutcome outcome = ReportOutcome::saved;
    std::unique_ptr<ReportFile> file = report.openReport(outcome);
    if (!file) {
        return outcome;
    }
    report.writeReportHeader(*file, stateReportTitle);
    // Whatever the read leaves: after a failed one, the values of the reset.
    if (session.readLiveData() != ecu::ReadResult::read) {
        missing.add(ecu::unanswered::liveValues);
    }
    writeLiveValues(*file);
    writeFaults(*file);
    writeIdentity(*file);
    writeEquipment(*file);
    return report.closeReport(std::move(file));
}

void TesterDump::writeLiveValues(ReportFile& file) const {
    const LiveData& data = session.liveData();
    for (const LiveLine& line : liveLines) {
        file.write(formatLine(line.format, {line.value(data)}));
    }
}

// A list the ECU never gave (its read unanswered, or none since a clear) is no
// "no faults": its field stays empty.
void TesterDump::writeFaults(ReportFile& file) {
    std::string faults;
    if (session.faultListAnswered()) {
        session.faultListDecoded(faults);
    }
    if (!session.faultListAnswered() || session.connected() == 0) {
        missing.add(ecu::unanswered::faultList);
    }
    file.write(formatLine("\r\n\r\nНеисправности :\t%s \r\n", {faults}));
}

void TesterDump::writeIdentity(ReportFile& file) {
    session.readIdentity();
    const ecu::EcuIdentity& id = session.identity();
    if (id.identityRead == 0) {
        missing.add(ecu::unanswered::identification);
        return;
    }
    missing.add(id.unansweredTexts);
    // On one line each, in the texts the session holds too.
    session.blankPassportLineBreaks();
    file.write("\r\nТип блока управления:" + id.ecuName);
    file.write(formatLine("\r\n Паспрот программы\t:%s", {id.programPassport}));
    file.write(formatLine("\t\t Паспрот данных:\t%s", {id.dataPassport}));
    file.write(formatLine("\r\n Модификация блока:\t%s", {id.modification}));
    file.write(formatLine("\t\t Серийный номер блока:\t%s", {id.serialNumber}));
    file.write(formatLine("\r\n Дата выпуска блока:\t%s", {id.ecuDate}));
    file.write(formatLine("\t\t Калибровки ADC:\t\t%s", {id.adcCalibration}));
    file.write(formatLine("\r\n Номер двигателя:\t\t%s", {id.engineNumber}));
    file.write(formatLine("\t\t Номер кузова:\t\t%s", {id.bodyNumber}));
    file.write(formatLine("\r\n Дата выпуска автомобиля:\t\t%s", {id.carDate}));
    // The next report reads the identification again.
    session.forgetIdentityRead();
}

void TesterDump::writeEquipment(ReportFile& file) {
    std::string equipment;
    if (session.readEquipment(equipment) == ecu::ServiceResult::failed) {
        missing.add(ecu::unanswered::equipment);
    }
    file.write(formatLine("\r\n\r\nКомплектация: %s", {equipment}));
}

}  // namespace ecuprobe::reports
