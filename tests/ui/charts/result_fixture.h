#pragma once

// Result records with known contents for the window tests.

#include "engine/uncertainty.h"

#include <cmath>

namespace tolvane::testing {

/// Frequency i of a fixture result: (i + 1) GHz.
inline double FixtureFrequencyHz(int i) {
    return (i + 1) * 1e9;
}
/// DUT value j in dB: −2j dB.
inline double FixtureDutDb(int j) {
    return -2.0 * j;
}
/// Magnitude uncertainty in dB at (i, j): 0.05 (i + 1)(j + 1) for reflection, twice that for
/// transmission.
inline double FixtureReflectionUncertaintyDb(int i, int j) {
    return 0.05 * (i + 1) * (j + 1);
}
inline double FixtureTransmissionUncertaintyDb(int i, int j) {
    return 2.0 * FixtureReflectionUncertaintyDb(i, j);
}
/// Phase uncertainty in degrees at (i, j): i + j + 0.5 for reflection, 10 (i + 1) + j for
/// transmission.
inline float FixtureReflectionPhase(int i, int j) {
    return float(i + j) + 0.5f;
}
inline float FixtureTransmissionPhase(int i, int j) {
    return float(10 * (i + 1) + j);
}

/// Fills `result` with nF frequencies × nD DUT values of the fixture's values; false when a
/// setter refused.
inline bool FillFixtureResult(UncertaintyInfo* result, int nF, int nD, int type) {
    if (SetUncertaintyNumFreqs(result, nF) == 0) return false;
    for (int i = 0; i < nF; ++i)
        if (SetUncertaintyFreq(result, i, FixtureFrequencyHz(i)) == 0) return false;
    if (SetUncertaintyNumDUTValues(result, nD) == 0 || SetUncertaintyType(result, type) == 0 ||
        InitializeUncertainty(result) == 0)
        return false;
    for (int i = 0; i < nF; ++i) {
        for (int j = 0; j < nD; ++j) {
            const auto nominal = float(std::pow(10.0, FixtureDutDb(j) / 20.0));
            const auto reflUpper =
                float(nominal * std::pow(10.0, FixtureReflectionUncertaintyDb(i, j) / 20.0));
            const auto transUpper =
                float(nominal * std::pow(10.0, FixtureTransmissionUncertaintyDb(i, j) / 20.0));
            if (SetUncertaintyRefl(result, i, j, nominal, reflUpper,
                                   FixtureReflectionPhase(i, j)) == 0 ||
                SetUncertaintyTrans(result, i, j, nominal, transUpper,
                                    FixtureTransmissionPhase(i, j)) == 0)
                return false;
        }
    }
    return true;
}

} // namespace tolvane::testing
