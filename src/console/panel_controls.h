#pragma once

#include <span>
#include <string_view>

namespace ecuprobe::console {

// Controls of the tester console by the numeric identifiers of its dialog, so
// that the Qt window, the command-line tester and the tests name them alike.
using ControlId = int;

namespace control {

inline constexpr ControlId start = 3;
inline constexpr ControlId clearFaults = 1005;
inline constexpr ControlId faultText = 1006;
inline constexpr ControlId decodeFaults = 1008;
inline constexpr ControlId faultCount = 1022;
inline constexpr ControlId statusText = 1023;

inline constexpr ControlId TWAT = 1010;
inline constexpr ControlId THR = 1011;
inline constexpr ControlId FREQ = 1012;
inline constexpr ControlId UGB = 1013;
inline constexpr ControlId FSM = 1014;
inline constexpr ControlId JDMM = 1015;
inline constexpr ControlId UOZ = 1016;
inline constexpr ControlId SPD = 1017;
inline constexpr ControlId NUACC = 1018;
inline constexpr ControlId UOZOC = 1019;
inline constexpr ControlId FAZ = 1020;
inline constexpr ControlId INJ = 1029;
inline constexpr ControlId JAIR = 1030;
inline constexpr ControlId JQT = 1031;
inline constexpr ControlId JQK = 1032;
inline constexpr ControlId TAIR = 1037;
inline constexpr ControlId COEFF1 = 1038;
inline constexpr ControlId COEFF2 = 1046;
inline constexpr ControlId BDET = 1047;
inline constexpr ControlId LAM1 = 1051;
inline constexpr ControlId VALF = 1052;
inline constexpr ControlId LAM2 = 1053;
inline constexpr ControlId RCOK = 1142;

inline constexpr ControlId DET = 1033;
inline constexpr ControlId BLKINJ = 1034;
inline constexpr ControlId RXX = 1035;
inline constexpr ControlId BITPOW = 1036;
inline constexpr ControlId BITSTP = 1039;
inline constexpr ControlId WRKLAM = 1042;
inline constexpr ControlId RDET = 1043;
inline constexpr ControlId BITATM = 1044;
inline constexpr ControlId INPLAM1 = 1045;

inline constexpr ControlId period = 1040;
inline constexpr ControlId periodUpDown = 1041;

inline constexpr ControlId airConditioner = 1064;
inline constexpr ControlId checkEngineLamp = 1065;
inline constexpr ControlId canisterPurge = 1066;
inline constexpr ControlId injector1 = 1067;
inline constexpr ControlId injector2 = 1068;
inline constexpr ControlId injector3 = 1069;
inline constexpr ControlId injector4 = 1070;
inline constexpr ControlId coil14 = 1071;
inline constexpr ControlId lambdaRegulator = 1072;
inline constexpr ControlId knockRegulator = 1073;
inline constexpr ControlId coil23 = 1074;
inline constexpr ControlId fan = 1076;
inline constexpr ControlId fuelPump = 1077;
inline constexpr ControlId releaseControls = 1078;

inline constexpr ControlId dynamicTest = 1082;
inline constexpr ControlId saveDump = 1083;
inline constexpr ControlId identify = 1084;
inline constexpr ControlId controlParameters = 1085;
inline constexpr ControlId lambdaProbe = 1093;
inline constexpr ControlId comPort = 1106;
inline constexpr ControlId lossTest = 1109;
inline constexpr ControlId accelerationTest = 1110;
inline constexpr ControlId command = 1136;
inline constexpr ControlId lambdaAdaptationReset = 1140;
inline constexpr ControlId knockAdaptationReset = 1141;

}  // namespace control

// Edit boxes that show one live value each, in the order of the dialog.
std::span<const ControlId> liveValueControls();
// Display-only check boxes of the engine state flags; never enabled.
std::span<const ControlId> stateFlagControls();
// Injector, coil, output and regulator boxes that switch an ECU output.
std::span<const ControlId> switchControls();
// What disableControls() disables and enableControls() enables again.
std::span<const ControlId> commandControls();
// Of the command controls, those enabled only while the lambda probe option is on.
bool needsLambdaProbe(ControlId id);

// Controls that the console creates but never shows.
bool isHidden(ControlId id);

// The Russian caption shown on or beside a control; empty for controls without one.
std::string_view caption(ControlId id);

inline constexpr std::string_view dialogTitle = "Тестер";
inline constexpr std::string_view comPortEntries[] = {"COM1", "COM2", "COM3", "COM4"};

}  // namespace ecuprobe::console
