#include "files/measured_export.h"

#include "engine/measured_dut.h"
#include "files/file_error.h"
#include "files/safe_file_writer.h"

#include <cmath>
#include <string>

namespace tolvane {
namespace {

constexpr double kHzPerGHz = 1000000000.0;

void ReportExportError(std::uint32_t message, const char* path) {
    ReportFileError(MakeErrorCode(message, kRoutineExportUncertaintyToFile), path);
}

/// A number with printf's `format`, or "-inf"/"inf"/"nan" spelt the same on every platform.
std::string Number(const char* format, double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::vector<SParameter> MeasuredParameters(const MeasuredResults& results) {
    std::vector<SParameter> measured;
    for (SParameter p : kAllSParameters)
        if (results.has(p)) measured.push_back(p);
    return measured;
}

bool WriteTo(const MeasuredResults& results, MeasuredFormat format, std::FILE* out) {
    return format == MeasuredFormat::Csv ? WriteMeasuredCsv(results, out)
                                         : WriteMeasuredTable(results, out);
}

} // namespace

bool WriteMeasuredCsv(const MeasuredResults& results, std::FILE* out) {
    std::fputs("frequency_hz,parameter,measured_db,measured_deg,lower_db,upper_db,phase_unc_deg,"
               "verdict\n",
               out);
    const std::vector<SParameter> parameters = MeasuredParameters(results);
    for (std::size_t i = 0; i < results.frequenciesHz.size(); ++i) {
        for (SParameter p : parameters) {
            const MeasuredBounds& b = results.bounds[Index(p)][i];
            std::fprintf(out, "%.17g,%s,%s,%s,%s,%s,%s,%s\n", results.frequenciesHz[i],
                         SParameterName(p), Number("%.9g", b.measuredDb).c_str(),
                         Number("%.9g", b.measuredDeg).c_str(), Number("%.9g", b.lowerDb).c_str(),
                         Number("%.9g", b.upperDb).c_str(), Number("%.9g", b.phaseDeg).c_str(),
                         VerdictText(b.verdict));
        }
    }
    return std::ferror(out) == 0;
}

bool WriteMeasuredTable(const MeasuredResults& results, std::FILE* out) {
    std::fprintf(out, "Measured DUT Uncertainty Data\n\n");
    std::fprintf(out, "Measurement:\t%s\n", results.measurementName.c_str());
    std::fprintf(out, "Set-up:\t%s\n", results.setUp.c_str());
    if (!results.limitsName.empty())
        std::fprintf(out, "Limits:\t%s\t%s decision rule\n", results.limitsName.c_str(),
                     DecisionRuleName(results.summary.rule));
    std::fprintf(out, "\n");

    const std::vector<SParameter> parameters = MeasuredParameters(results);
    for (SParameter p : parameters)
        std::fprintf(out, "\t%s\t\t\t\t\t", SParameterName(p));
    std::fprintf(out, "\nFreq (GHz)");
    for (std::size_t k = 0; k < parameters.size(); ++k)
        std::fprintf(out,
                     "\tMeas.(dB)\tMeas.(deg.)\tLower(dB)\tUpper(dB)\tPhase(+/-deg.)\tVerdict");
    std::fprintf(out, "\n");
    for (std::size_t i = 0; i < results.frequenciesHz.size(); ++i) {
        std::fprintf(out, "%4.6f", results.frequenciesHz[i] / kHzPerGHz);
        for (SParameter p : parameters) {
            const MeasuredBounds& b = results.bounds[Index(p)][i];
            std::fprintf(out, "\t%12.3f\t%9.3f\t%12s\t%12s\t%9.3f\t%s", b.measuredDb, b.measuredDeg,
                         Number("%.3f", b.lowerDb).c_str(), Number("%.3f", b.upperDb).c_str(),
                         b.phaseDeg, VerdictText(b.verdict));
        }
        std::fprintf(out, "\n");
    }
    std::fprintf(out, "\n%s\n", OverallVerdictText(results).c_str());
    const std::string margin = WorstMarginText(results);
    if (!margin.empty()) std::fprintf(out, "%s\n", margin.c_str());
    return std::ferror(out) == 0;
}

std::string OverallVerdictText(const MeasuredResults& results) {
    const VerdictSummary& s = results.summary;
    if (!s.limitsApply) return "No limit applies to the measurement.";
    return std::string("Overall verdict: ") + VerdictText(s.overall) + "; " +
           (s.accepted ? "accepted" : "not accepted") + " under the " + DecisionRuleName(s.rule) +
           " decision rule.";
}

std::string WorstMarginText(const MeasuredResults& results) {
    const VerdictSummary& s = results.summary;
    if (!s.limitsApply) return {};
    const WorstMargin& w = s.worst;
    return "Worst margin: " + Number("%.3f", w.marginDb) + " dB at " +
           Number("%.6f", w.frequencyHz / kHzPerGHz) + " GHz (" + SParameterName(w.parameter) +
           (w.limit.kind == Limit::Kind::Max ? " max " : " min ") +
           Number("%.3f", w.limit.limitDb) + " dB)";
}

int ExportMeasuredToFile(const MeasuredResults& results, MeasuredFormat format, const char* path) {
    SafeFileWriter writer(path == nullptr ? "" : path);
    if (!writer.open()) {
        ReportExportError(kFileMsgCreating, path);
        return 0;
    }
    if (!WriteTo(results, format, writer.stream()) || !writer.commit()) {
        ReportExportError(kFileMsgWriting, path);
        return 0;
    }
    return 1;
}

int ExportMeasuredToStream(const MeasuredResults& results, MeasuredFormat format, std::FILE* stream,
                           const char* name) {
    if (stream == nullptr) {
        ReportExportError(kMsgNullPointer, name);
        return 0;
    }
    if (!WriteTo(results, format, stream) || std::fflush(stream) != 0) {
        ReportExportError(kFileMsgWriting, name);
        return 0;
    }
    return 1;
}

} // namespace tolvane
