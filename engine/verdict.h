#pragma once

#include "engine/measurement.h"

#include <span>
#include <string>
#include <vector>

namespace tolvane {

/// A limit on one S-parameter's magnitude over a frequency range.
struct Limit {
    enum class Kind { Max, Min };
    SParameter parameter = SParameter::S11;
    Kind kind = Kind::Max;
    double limitDb = 0.0;
    double startHz = 0.0; ///< the range includes both ends
    double stopHz = 0.0;
};

/// A measured point's verdict against the limits over it, after ILAC-G8 and JCGM 106: from the
/// interval between its lower and upper bounds and from the measured value. Ordered from best to
/// worst; None where no limit applies.
enum class Verdict { None, Pass, ConditionalPass, ConditionalFail, Fail };

/// "", "pass", "conditional pass", "conditional fail" or "fail".
[[nodiscard]] const char* VerdictText(Verdict verdict);

/// Guarded: a point is accepted only where it passes (the uncertainty is the guard band). Simple:
/// accepted where the measured value meets the limit (pass or conditional pass).
enum class DecisionRule { Guarded, Simple };

/// "guarded" or "simple".
[[nodiscard]] const char* DecisionRuleName(DecisionRule rule);

/// True when `rule` accepts a point of verdict `verdict` (a point without a verdict is accepted).
[[nodiscard]] bool IsAccepted(Verdict verdict, DecisionRule rule);

/// True when `frequencyHz` lies in the limit's range.
[[nodiscard]] bool LimitCovers(const Limit& limit, double frequencyHz);

/// The verdict of one limit on a point: `measuredDb` with its interval from `lowerDb` (may be
/// -inf) to `upperDb`. A value equal to the limit meets it.
[[nodiscard]] Verdict JudgeAgainstLimit(const Limit& limit, double measuredDb, double lowerDb,
                                        double upperDb);

/// The dB by which the bound nearest the limit clears it (positive) or misses it (negative): the
/// upper bound for a maximum, the lower bound for a minimum.
[[nodiscard]] double MarginDb(const Limit& limit, double lowerDb, double upperDb);

} // namespace tolvane
