#include "engine/verdict.h"

#include <cmath>

namespace tolvane {

const char* VerdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::None:
        return "";
    case Verdict::Pass:
        return "pass";
    case Verdict::ConditionalPass:
        return "conditional pass";
    case Verdict::ConditionalFail:
        return "conditional fail";
    case Verdict::Fail:
        return "fail";
    }
    return "";
}

const char* DecisionRuleName(DecisionRule rule) {
    return rule == DecisionRule::Guarded ? "guarded" : "simple";
}

bool IsAccepted(Verdict verdict, DecisionRule rule) {
    if (verdict == Verdict::None || verdict == Verdict::Pass) return true;
    return rule == DecisionRule::Simple && verdict == Verdict::ConditionalPass;
}

bool LimitCovers(const Limit& limit, double frequencyHz) {
    return frequencyHz >= limit.startHz && frequencyHz <= limit.stopHz;
}

Verdict JudgeAgainstLimit(const Limit& limit, double measuredDb, double lowerDb, double upperDb) {
    // For a maximum the upper bound is the side that can violate it, for a minimum the lower.
    const bool isMax = limit.kind == Limit::Kind::Max;
    const auto meets = [&](double db) { return isMax ? db <= limit.limitDb : db >= limit.limitDb; };
    const double nearSide = isMax ? upperDb : lowerDb;
    const double farSide = isMax ? lowerDb : upperDb;
    if (meets(nearSide)) return Verdict::Pass;
    if (!meets(farSide)) return Verdict::Fail;
    return meets(measuredDb) ? Verdict::ConditionalPass : Verdict::ConditionalFail;
}

double MarginDb(const Limit& limit, double lowerDb, double upperDb) {
    return limit.kind == Limit::Kind::Max ? limit.limitDb - upperDb : lowerDb - limit.limitDb;
}

} // namespace tolvane
