#include "console/adaptation_reset.h"

namespace ecuprobe::console {

namespace {

constexpr std::string_view lambdaResetQuestion =
    "Вы действительно хотите очистить таблицу адоптации Лямда зонда?";
constexpr std::string_view knockResetQuestion =
    "Вы действительно хотите очистить таблицу адоптации датчика детонации?";

}  // namespace

ResetOutcome resetAdaptation(AdaptationTable table, ecu::EcuSession& session,
                             reports::UserPrompts& prompts) {
    const bool lambda = table == AdaptationTable::lambda;
    if (!prompts.askYesNo(resetQuestionCaption, lambda ? lambdaResetQuestion : knockResetQuestion,
                          true)) {
        return ResetOutcome::declined;
    }
    const std::int32_t acknowledged =
        lambda ? session.clearLambdaAdaptation() : session.clearKnockAdaptation();
    return acknowledged != 0 ? ResetOutcome::cleared : ResetOutcome::failed;
}

}  // namespace ecuprobe::console
