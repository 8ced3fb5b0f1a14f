#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "review/dump_file.h"

namespace ecuprobe::review {

// One line of a state report's table: " Скорость автомобиля (SPD):\t\t\t\t0\tкм./час."
// gives the name, the value and the unit. A field with neither value nor unit
// ("Признаки:") heads the lines that follow it.
struct ReportField {
    std::string name;
    std::string value;
    std::string unit;
    bool operator==(const ReportField&) const = default;
};

// The ECU state report ("Запись" on the console), as against a test's report.
bool isStateReport(const DumpEntry& entry);

// The report's lines below its head (stars, title, date and comment), the
// empty lines around them dropped.
std::vector<std::string> bodyLines(const DumpEntry& entry);

// The fields of a report's body, in order; the identification lines hold two
// fields each ("Модификация блока:\t…\t\t Серийный номер блока:\t…").
std::vector<ReportField> reportFields(const DumpEntry& entry);

}  // namespace ecuprobe::review
