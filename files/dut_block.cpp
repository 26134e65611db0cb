#include "files/dut_block.h"

#include "components/dut.h"
#include "files/line_reader.h"
#include "files/safe_file_writer.h"

namespace tolvane {
namespace {

void PrintFourFactors(SafeFileWriter& out, const char* comment, const float* factors) {
    out.print("%s", comment);
    out.print("%.3f   %.3f   %.3f   %.3f\n\n", factors[0], factors[1], factors[2], factors[3]);
}

} // namespace

int WriteDUTBlock(SafeFileWriter& out, const DUTInfo* dut, int sweepDecimals) {
    const auto query = [&out](int result) { return result != 0 && !out.failed(); };
    out.print("DUT\n");

    int type = 0;
    if (!query(GetDUTType(dut, &type))) return 0;
    out.print("!type: 1=Refl only, 2=Trans only, 3=User defined\n");
    out.print("%d\n", type);

    int reflCount = 0;
    float reflMin = 0.0f, reflMax = 0.0f;
    if (!query(GetDUTReflNumValues(dut, &reflCount)) || !query(GetDUTReflMin(dut, &reflMin)) ||
        !query(GetDUTReflMax(dut, &reflMax)))
        return 0;
    out.print("!Refl Only: number of values   minimum value(dB)   maximum value(dB)\n");
    out.print("%d   %.1f   %.1f\n", reflCount, reflMin, reflMax);

    int transCount = 0, reciprocal = 0;
    float transMin = 0.0f, transMax = 0.0f, reverseDb = 0.0f;
    if (!query(GetDUTTransNumValues(dut, &transCount)) || !query(GetDUTTransMin(dut, &transMin)) ||
        !query(GetDUTTransMax(dut, &transMax)) || !query(GetDUTReciprocal(dut, &reciprocal)) ||
        !query(GetDUTReverseTransSaved(dut, &reverseDb)))
        return 0;
    out.print("!Trans Only: number of values   minimum value(dB)   maximum value(dB)   "
              "Reciprocal(1=on 0=off)   Reverse Trans(dB)\n");
    out.print("%d   %.2f   %.2f   %d   %.2f\n", transCount, transMin, transMax, reciprocal,
              reverseDb);

    float s11 = 0.0f, s12 = 0.0f, s21 = 0.0f, s22 = 0.0f, startGHz = 0.0f, stopGHz = 0.0f;
    int points = 0, sweepOn = 0;
    if (!query(GetDUTUserValues(dut, &s11, &s12, &s21, &s22, &startGHz, &stopGHz, &points)))
        return 0;
    out.print("!User Defined: s11   s12   s21   s22\n");
    out.print("%.3f   %.3f   %.3f   %.3f\n\n", s11, s12, s21, s22);
    if (!query(GetDUTFreqSweep(dut, &sweepOn))) return 0;
    out.print("!User Defined: points   startFreq   stopFreq   freq analysis(1=on 0=off)\n");
    out.print("%d   %.*f   %.*f   %d\n\n", points, sweepDecimals, startGHz, sweepDecimals, stopGHz,
              sweepOn);

    CoverageFactors k{};
    if (!query(GetDUTCoverageFactorArray(dut, &k))) return 0;
    PrintFourFactors(out,
                     "!Coverage Factors 1: directivity   source_match   load_match   "
                     "reflection_tracking\n",
                     &k[0]);
    PrintFourFactors(out,
                     "!Coverage Factors 2: transmission_tracking   crosstalk   noise_floor   "
                     "drift\n",
                     &k[4]);
    PrintFourFactors(out,
                     "!Coverage Factors 3: connector_repeatability   source_uncertainty   "
                     "receiver_uncertainty   k_factor\n",
                     &k[8]);
    return out.failed() ? 0 : 1;
}

DUTBlockReader::Step DUTBlockReader::takeLine(DUTInfo* dut, const std::string& line) {
    if (dut == nullptr || line_ > 8) return Step::Error;
    bool stored = false;
    switch (line_) {
    case 1: {
        int type = 0;
        stored = ScanNumbers(line, &type) && SetDUTType(dut, type);
        break;
    }
    case 2: {
        int count = 0;
        float minDb = 0.0f, maxDb = 0.0f;
        stored = ScanNumbers(line, &count, &minDb, &maxDb) && SetDUTReflNumValues(dut, count) &&
                 SetDUTReflMin(dut, minDb) && SetDUTReflMax(dut, maxDb);
        break;
    }
    case 3: {
        int count = 0, reciprocal = 0;
        float minDb = 0.0f, maxDb = 0.0f, reverseDb = 0.0f;
        stored = ScanNumbers(line, &count, &minDb, &maxDb, &reciprocal, &reverseDb) &&
                 SetDUTTransNumValues(dut, count) && SetDUTTransMin(dut, minDb) &&
                 SetDUTTransMax(dut, maxDb) && SetDUTReciprocal(dut, reciprocal) &&
                 SetDUTReverseTrans(dut, reverseDb) && SetDUTReverseTransSaved(dut, reverseDb);
        break;
    }
    case 4: {
        auto& s = userSParamsDb_;
        stored = ScanNumbers(line, &s[0], &s[1], &s[2], &s[3]) &&
                 SetDUTUserSParams(dut, s[0], s[1], s[2], s[3]);
        break;
    }
    case 5: {
        // The line gives points, start and stop (GHz, never scaled), then the sweep flag.
        int points = 0, sweepOn = 0;
        float startGHz = 0.0f, stopGHz = 0.0f;
        const auto& s = userSParamsDb_;
        stored = ScanNumbers(line, &points, &startGHz, &stopGHz, &sweepOn) &&
                 SetDUTUserValues(dut, s[0], s[1], s[2], s[3], startGHz, stopGHz, points) &&
                 SetDUTFreqSweep(dut, sweepOn);
        break;
    }
    case 6:
    case 7: {
        float* k = &coverageFactors_[static_cast<std::size_t>(line_ - 6) * 4];
        stored = ScanNumbers(line, &k[0], &k[1], &k[2], &k[3]);
        break;
    }
    case 8: {
        auto& k = coverageFactors_;
        stored =
            ScanNumbers(line, &k[8], &k[9], &k[10], &k[11]) && SetDUTCoverageFactorArray(dut, k);
        break;
    }
    }
    if (!stored) return Step::Error;
    return ++line_ > 8 ? Step::Complete : Step::NeedMore;
}

} // namespace tolvane
