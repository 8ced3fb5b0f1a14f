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
    if (session.stopRequested()) {
        return ResetOutcome::stopped;
    }
    if (!prompts.askYesNo(resetQuestionCaption, lambda ? lambdaResetQuestion : knockResetQuestion,
                          true)) {
        // A stop ends the question as No would.
        return session.stopRequested() ? ResetOutcome::stopped : ResetOutcome::declined;
    }
    const ecu::ServiceResult acknowledged =
        lambda ? session.clearLambdaAdaptation() : session.clearKnockAdaptation();
    if (acknowledged == ecu::ServiceResult::done) {
        return ResetOutcome::cleared;
    }
    return session.lastWriteReply() == ecu::WriteReply::withheld ? ResetOutcome::stopped
                                                                 : ResetOutcome::failed;
}

}  // namespace ecuprobe::console
