#pragma once

#include <string_view>

// The body lines that the three measured tests' reports share, in their C formats.
namespace ecuprobe::console::report_lines {

inline constexpr std::string_view runUpTime = "\r\n\r\n Длительность разгона:\t%.4f\tcек.";
inline constexpr std::string_view coastDownTime = "\r\n\r\n Длительность торможения:\t%.4f\tcек.";
inline constexpr std::string_view coolant =
    "\r\n Температура охлаждающей жидкости до: %4i\tпосле: %4i\tград.С.";
inline constexpr std::string_view engineSpeed =
    "\r\n Скорость вращения двигателя      до: %4u\tпосле: %4u\tоб./мин.";
inline constexpr std::string_view vehicleSpeed =
    "\r\n Скорость автомобиля              до: %3u\tпосле: %3u\tкм./час.";
inline constexpr std::string_view fuelPerDistance =
    "\r\n Путевой расход топлива           до: %.3f\tпосле: %.3f\tл./100км.";
inline constexpr std::string_view airMass =
    "\r\n Массовый расход воздуха          до: %.3f\tпосле: %.3f\tкг./час.";
inline constexpr std::string_view fuelPerHour =
    "\r\n Часовой расход топлива           до: %.2f\tпосле: %.2f\tл./час.";
inline constexpr std::string_view engineRate =
    "\r\n\r\n Ускорение оборотов двигателя:\t\t%.4f\t(об./мин)/cек.";
inline constexpr std::string_view vehicleRate =
    "\r\n Ускорение автомобиля:\t\t\t%.4f\t(км./час)/сек.";
// The coast-down report spells its unit in Latin letters.
inline constexpr std::string_view vehicleDecay =
    "\r\n Ускорение автомобиля:\t\t\t%.4f\t(км./час)/cek.";
inline constexpr std::string_view gear = " на передаче: %.1x.";
inline constexpr std::string_view coolantRise =
    "\r\n Рост температура охлаждающей жидкости: %i\t\tград.С./c";

}  // namespace ecuprobe::console::report_lines
