#include "cli/live_printer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ecuprobe::cli {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

ecu::LiveData knownReading() {
    ecu::LiveData data;
    data.TWAT = -5;
    data.TAIR = 31;
    data.VALF = 1.0078125f;
    data.THR = 3;
    data.FREQ = 840;
    data.FREQXX = 850;
    data.UOZ = -2;
    data.UOZOC = -5.0f;
    data.NUACC = 14.1f;
    data.INJ = 5.0f;
    data.RCOK = -0.375f;
    data.RCOD = -0.5f;
    data.JEGR = 7;
    data.BDET = 0xA5;
    data.RXX = 1;
    data.coil23On = 0;
    return data;
}

TEST(LivePrinter, TsvHeaderNamesTheLiveDataFieldsInItsOrder) {
    const std::vector<std::string> names = split(tsvHeader(), '\t');
    ASSERT_GE(names.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 5),
              (std::vector<std::string>{"TWAT", "TAIR", "VALF", "THR", "FREQ"}));
    EXPECT_EQ(names.size(), console::liveFields().size());
    EXPECT_EQ(tsvHeader().find(' '), std::string::npos);
}

TEST(LivePrinter, TsvLinePutsEachValueUnderItsNameFormattedAsTheConsoleDoes) {
    const std::vector<std::string> names = split(tsvHeader(), '\t');
    const std::vector<std::string> values = split(tsvLine(knownReading()), '\t');
    ASSERT_EQ(values.size(), names.size());
    std::map<std::string, std::string> byName;
    for (std::size_t n = 0; n < names.size(); ++n) {
        byName[names[n]] = values[n];
    }
    const std::map<std::string, std::string> expected{
        {"TWAT", "-5"},      {"TAIR", "31"},    {"VALF", "1.00781"}, {"THR", "3"},
        {"FREQ", "840"},     {"FREQXX", "850"}, {"UOZ", "-2"},       {"UOZOC", "-5"},
        {"NUACC", "14.1"},   {"INJ", "5"},      {"RCOK", "-0.375"},  {"RCOD", "-0.5"},
        {"JEGR", "7"},       {"BDET", "165"},   {"RXX", "1"},        {"BITSTP", "0"},
        {"fuelPumpOn", "1"}, {"coil14On", "1"}, {"coil23On", "0"},   {"JQK", "0"},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(byName[name], value) << name;
    }
}

TEST(LivePrinter, CaptionLinesUseTheConsoleCaptionsWithUnitsInOneColumn) {
    const std::vector<std::string> lines = split(captionLines(knownReading()), '\n');
    ASSERT_EQ(lines.size(), console::liveFields().size());
    const std::map<std::string, std::string> expected{
        {"Темп. Охл. (TWAT):", "-5 °C"},   {"Обороты (FREQ):", "840 об/мин"},
        {"УОЗ гр.кв. (UOZ):", "-2 °"},     {"Пор.УОЗ(UOZC):", "-5 °"},
        {"Длит. впрыска (INJ):", "5 мс"},  {"Корр. RCOK:", "-0.375"},
        {"Напр. на L-зонде: №2:", "0 мВ"}, {"FREQXX:", "850 об/мин"},
        {"Зажигание 2:3:", "0"},
    };
    std::size_t column = 0;
    for (const console::LiveField& field : console::liveFields()) {
        column = std::max(column, displayWidth(console::fieldCaption(field)));
    }
    std::map<std::string, std::string> found;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string caption = console::fieldCaption(console::liveFields()[n]);
        ASSERT_EQ(lines[n].rfind(caption, 0), 0u) << lines[n];
        const std::string rest = lines[n].substr(caption.size());
        const std::size_t valueAt = rest.find_first_not_of(' ');
        EXPECT_EQ(displayWidth(caption) + valueAt, column + 1) << lines[n];
        found[caption] = rest.substr(valueAt);
    }
    for (const auto& [caption, value] : expected) {
        EXPECT_EQ(found[caption], value) << caption;
    }
}

TEST(LivePrinter, DisplayWidthCountsCharactersNotBytes) {
    EXPECT_EQ(displayWidth("Темп"), 4u);
    EXPECT_EQ(displayWidth("°C"), 2u);
    EXPECT_EQ(displayWidth("№1:"), 3u);
    EXPECT_EQ(displayWidth(""), 0u);
}

}  // namespace
}  // namespace ecuprobe::cli
