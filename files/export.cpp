#include "files/export.h"

#include "core/units.h"
#include "core/worker_pool.h"
#include "engine/compute_model.h"
#include "engine/program_state.h"
#include "engine/uncertainty.h"
#include "files/file_error.h"
#include "files/measured_export.h"
#include "files/safe_file_writer.h"
#include "files/text_output.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace tolvane {
namespace {

void ReportExportError(std::uint32_t message, const char* path) {
    ReportFileError(MakeErrorCode(message, kRoutineExportUncertaintyToFile), path);
}

/// The shape of a record that can be exported.
struct TableShape {
    int numFreqs = 0;
    int numDUTValues = 0;
    bool reflection = false;
    bool transmission = false;
};

/// The checks before anything is written, in their order; reports and returns false on failure.
bool ReadTableShape(const UncertaintyInfo* results, const char* path, TableShape* shape) {
    if (results == nullptr) {
        ReportExportError(kMsgNullPointer, path);
        return false;
    }
    if (GetUncertaintyNumFreqs(results, &shape->numFreqs) == 0) {
        ReportExportError(kFileMsgCalledRoutine, path);
        return false;
    }
    if (shape->numFreqs <= 0) {
        ReportExportError(kFileMsgNumFrequencies, path);
        return false;
    }
    if (GetUncertaintyNumDUTValues(results, &shape->numDUTValues) == 0) {
        ReportExportError(kFileMsgCalledRoutine, path);
        return false;
    }
    if (shape->numDUTValues <= 0) {
        ReportExportError(kFileMsgNumDUTValues, path);
        return false;
    }
    int type = 0;
    if (GetUncertaintyType(results, &type) == 0) {
        ReportExportError(kFileMsgCalledRoutine, path);
        return false;
    }
    shape->reflection = (type & kUncertaintyReflection) != 0;
    shape->transmission = (type & kUncertaintyTransmission) != 0;
    if (!shape->reflection && !shape->transmission) {
        ReportExportError(kFileMsgUncertaintyType, path);
        return false;
    }
    return true;
}

/// One result triple as the table shows it.
struct ShownResult {
    float dutValueDb = 0.0f;
    float magnitudeDb = 0.0f; ///< upper bound above the nominal magnitude
    float phaseDeg = 0.0f;
};

ShownResult Shown(float nominal, float upperBound, float phaseDeg) {
    const float nominalDb = LinearToDB(nominal);
    return {nominalDb, LinearToDB(upperBound) - nominalDb, phaseDeg};
}

using Getter = int (*)(const UncertaintyInfo*, int, int, float*, float*, float*);

bool Fetch(Getter get, const UncertaintyInfo* results, int i, int j, ShownResult* shown) {
    float nominal = 0.0f, upper = 0.0f, phase = 0.0f;
    if (get(results, i, j, &nominal, &upper, &phase) == 0) return false;
    *shown = Shown(nominal, upper, phase);
    return true;
}

/// The longest "%.3f" of a float: sign, the 39 digits before the point of the largest float, the
/// point and three decimals, with room to spare.
constexpr std::size_t kMaxFloatFixedText = 48;
/// The longest text of one frequency in a line of the DUT-value table: six numbers and seven tabs.
constexpr std::size_t kMaxEntryText = 6 * (kMaxFloatFixedText + 1) + 1;

/// The width of the magnitude column of the DUT-value table: reflection, transmission.
constexpr int kReflectionMagnitudeWidth = 12;
constexpr int kTransmissionMagnitudeWidth = 8;

/// "%12.3f\t%*.3f\t%9.3f\t" of a result as the DUT-value table shows it; returns the end.
char* FormatShown(char* at, const ShownResult& shown, int magnitudeWidth) {
    at = FormatFixed(at, shown.dutValueDb, 3, 12);
    *at++ = '\t';
    at = FormatFixed(at, shown.magnitudeDb, 3, magnitudeWidth);
    *at++ = '\t';
    at = FormatFixed(at, shown.phaseDeg, 3, 9);
    *at++ = '\t';
    return at;
}

/// Line j of the DUT-value table, read straight from the arrays, which hold every entry, at `at`
/// (numFreqs * kMaxEntryText + kMaxNumberText chars); returns its end.
char* FormatDUTValueLine(const UncertaintyInfo& results, const TableShape& shape, std::size_t j,
                         char* at) {
    const auto count = static_cast<std::size_t>(shape.numDUTValues);
    for (std::size_t i = 0; i < static_cast<std::size_t>(shape.numFreqs); ++i) {
        const std::size_t e = i * count + j;
        if (shape.reflection)
            at = FormatShown(
                at,
                Shown(results.reflNominal[e], results.reflUpperBound[e], results.reflPhaseDeg[e]),
                kReflectionMagnitudeWidth);
        if (shape.transmission)
            at = FormatShown(at,
                             Shown(results.transNominal[e], results.transUpperBound[e],
                                   results.transPhaseDeg[e]),
                             kTransmissionMagnitudeWidth);
        *at++ = '\t';
    }
    *at++ = '\n';
    return at;
}

/// Writes the table of one record to `out`; failures of the record's getters (reported by the
/// record) and of the stream are told apart so the caller reports the right message.
class TableWriter {
public:
    enum class Outcome { Written, GetterFailed, PrintFailed, Cancelled };

    TableWriter(const UncertaintyInfo* results, const TableShape& shape, std::FILE* out,
                const ExportCancelled& cancelled)
        : results_(results), shape_(shape), out_(out), cancelled_(cancelled) {}

    Outcome write() {
        if (shape_.numDUTValues == 1)
            writeSweptFrequencyTable();
        else
            writeDUTValueTable();
        if (stopped_) return Outcome::Cancelled;
        // What was written before a failed getter still goes out, as it did line by line.
        if (!out_.flush()) return getterFailed_ ? Outcome::GetterFailed : Outcome::PrintFailed;
        return getterFailed_ ? Outcome::GetterFailed : Outcome::Written;
    }

private:
    bool ok() const { return !getterFailed_ && !stopped_ && !out_.failed(); }

    /// Asked once a line: false when the user has cancelled.
    bool goOn() {
        if (cancelled_ && cancelled_()) stopped_ = true;
        return ok();
    }

    bool frequencyGHz(int i, double* frequency) {
        double hz = 0.0;
        if (GetUncertaintyFreq(results_, i, &hz) == 0) getterFailed_ = true;
        *frequency = hz / kHzPerGHz;
        return ok();
    }

    bool fetch(Getter get, int i, int j, ShownResult* shown) {
        if (!Fetch(get, results_, i, j, shown)) getterFailed_ = true;
        return ok();
    }

    // "%12.3f\t%9.3f" and the like: a tab, then each value right-aligned with three decimals.
    void values(float first, int firstWidth, float second, int secondWidth) {
        out_.text("\t");
        out_.fixed(first, 3, firstWidth);
        out_.text("\t");
        out_.fixed(second, 3, secondWidth);
    }

    // One entry of a DUT-value line, as the lines formatted on every core have it.
    void entry(const ShownResult& shown, int magnitudeWidth) {
        char text[kMaxEntryText + kMaxNumberText];
        out_.text(
            std::string_view(text, std::size_t(FormatShown(text, shown, magnitudeWidth) - text)));
    }

    void writeSweptFrequencyTable() {
        out_.text("Swept Frequency Uncertainty Data\n\n");
        ShownResult refl, trans;
        if (!fetch(GetUncertaintyTrans, 0, 0, &trans) || !fetch(GetUncertaintyRefl, 0, 0, &refl))
            return;
        out_.text("User Defined S-Parameters: S11 = ");
        out_.fixed(refl.dutValueDb, 2, 3);
        out_.text(" dB  S21 = ");
        out_.fixed(trans.dutValueDb, 2, 3);
        out_.text(" dB \n\n");
        out_.text("\tS11\t\tS21\n");
        out_.text("Freq (GHz)\tMag.(dB)\tPhase(deg.)\tMag.(dB)\tPhase(deg.)\n");
        for (int i = 0; i < shape_.numFreqs && goOn(); ++i) {
            double frequency = 0.0;
            if (!frequencyGHz(i, &frequency)) return;
            out_.fixed(frequency, 6, 4);
            // A quantity the record's type does not hold is left blank, column widths kept.
            if (shape_.reflection) {
                if (!fetch(GetUncertaintyRefl, i, 0, &refl)) return;
                values(refl.magnitudeDb, 12, refl.phaseDeg, 9);
            } else {
                blanks();
            }
            if (shape_.transmission) {
                if (!fetch(GetUncertaintyTrans, i, 0, &trans)) return;
                values(trans.magnitudeDb, 12, trans.phaseDeg, 9);
            } else {
                blanks();
            }
            out_.text("\n");
        }
    }

    void blanks() {
        out_.text("\t");
        out_.blank(12);
        out_.text("\t");
        out_.blank(9);
    }

    void writeDUTValueTable() {
        for (int i = 0; i < shape_.numFreqs && ok(); ++i) {
            double frequency = 0.0;
            if (!frequencyGHz(i, &frequency)) return;
            out_.text("Uncertainty at ");
            out_.fixed(frequency, 6);
            out_.text(" GHz\t\t\t\t");
        }
        if (!ok()) return;
        out_.text("\n");
        for (int i = 0; i < shape_.numFreqs; ++i) {
            if (shape_.reflection) out_.text("DUT S11 (dB)\tRefl (dB)\tRefl (deg)\t");
            if (shape_.transmission) out_.text("DUT S21 (dB)\tTrans (dB)\tTrans (deg)\t");
            out_.text("\t");
        }
        out_.text("\n");
        if (results_->arrayFreqs == shape_.numFreqs &&
            results_->arrayDUTValues == shape_.numDUTValues) {
            writeDUTValueLinesOnWorkers();
            return;
        }
        // Otherwise the getters report what is wrong, line by line, as they meet it.
        for (int j = 0; j < shape_.numDUTValues && goOn(); ++j) {
            for (int i = 0; i < shape_.numFreqs && ok(); ++i) {
                ShownResult shown;
                if (shape_.reflection && fetch(GetUncertaintyRefl, i, j, &shown))
                    entry(shown, kReflectionMagnitudeWidth);
                if (shape_.transmission && fetch(GetUncertaintyTrans, i, j, &shown))
                    entry(shown, kTransmissionMagnitudeWidth);
                if (ok()) out_.text("\t");
            }
            if (ok()) out_.text("\n");
        }
    }

    // The lines of a record whose arrays hold every entry, so that no getter can fail: a batch of
    // lines at a time, formatted on every core and written in order; the user may cancel between
    // batches. A line's buffer is sized for the longest numbers, but only what is written of it
    // takes memory.
    void writeDUTValueLinesOnWorkers() {
        const auto numFreqs = static_cast<std::size_t>(shape_.numFreqs);
        const auto count = static_cast<std::size_t>(shape_.numDUTValues);
        const unsigned threads = numFreqs * count >= 100000 ? HardwareThreads() : 1;
        const std::size_t batch = std::size_t{2} * threads;
        std::vector<std::unique_ptr<char[]>> lines(batch);
        for (auto& line : lines)
            line.reset(new char[numFreqs * kMaxEntryText + kMaxNumberText]);
        std::vector<std::size_t> lengths(batch);
        for (std::size_t first = 0; first < count && goOn(); first += batch) {
            const std::size_t n = std::min(batch, count - first);
            RunOnWorkers(n, threads, [&](std::size_t k, unsigned) {
                char* start = lines[k].get();
                lengths[k] = static_cast<std::size_t>(
                    FormatDUTValueLine(*results_, shape_, first + k, start) - start);
            });
            for (std::size_t k = 0; k < n; ++k)
                out_.text(std::string_view(lines[k].get(), lengths[k]));
        }
    }

    const UncertaintyInfo* results_;
    TableShape shape_;
    TextOutput out_;
    const ExportCancelled& cancelled_;
    bool getterFailed_ = false;
    bool stopped_ = false;
};

/// Writes the table and reports a failure; true when everything was written.
bool WriteTable(const UncertaintyInfo* results, const TableShape& shape, std::FILE* out,
                const char* path, const ExportCancelled& cancelled = {}) {
    switch (TableWriter(results, shape, out, cancelled).write()) {
    case TableWriter::Outcome::Written:
        return true;
    case TableWriter::Outcome::GetterFailed:
        ReportExportError(kFileMsgCalledRoutine, path);
        break;
    case TableWriter::Outcome::PrintFailed:
        ReportExportError(kFileMsgWriting, path);
        break;
    case TableWriter::Outcome::Cancelled:
        break;
    }
    return false;
}

} // namespace

int ExportUncertaintyToFile(const UncertaintyInfo* results, const char* path,
                            const ExportCancelled& cancelled) {
    TableShape shape;
    if (!ReadTableShape(results, path, &shape)) return 0;
    SafeFileWriter writer(path == nullptr ? "" : path);
    if (!writer.open()) {
        ReportExportError(kFileMsgCreating, path);
        return 0;
    }
    if (!WriteTable(results, shape, writer.stream(), path, cancelled)) return 0;
    if (!writer.commit()) {
        ReportExportError(kFileMsgWriting, path);
        return 0;
    }
    return 1;
}

int ExportUncertaintyToStream(const UncertaintyInfo* results, std::FILE* stream, const char* name) {
    TableShape shape;
    if (!ReadTableShape(results, name, &shape)) return 0;
    if (stream == nullptr) {
        ReportExportError(kMsgNullPointer, name);
        return 0;
    }
    if (!WriteTable(results, shape, stream, name)) return 0;
    if (std::fflush(stream) != 0) {
        ReportExportError(kFileMsgWriting, name);
        return 0;
    }
    return 1;
}

std::string NumberedExportPath(const std::string& chosenPath, int slotIndex, int resultCount) {
    if (resultCount <= 1) return chosenPath;
    char suffix[16];
    const int number = slotIndex + 1;
    std::snprintf(suffix, sizeof suffix, number < 10 ? "_0%d" : "_%d", number);

    // The extension is the file name's last "." and what follows it; a name that only starts with
    // a "." (".dat") has none.
    const std::size_t nameStart = chosenPath.find_last_of('/') + 1; // npos + 1 == 0
    const std::size_t dot = chosenPath.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart) return chosenPath + suffix;
    return chosenPath.substr(0, dot) + suffix + chosenPath.substr(dot);
}

int ExportResultSlots(const char* chosenPath, const ExportCancelled& cancelled) {
    const ProgramState& state = GlobalProgramState();
    const std::string path = chosenPath == nullptr ? "" : chosenPath;
    for (int slot = 0; slot < state.resultCount && slot < kResultSlots; ++slot) {
        const std::string slotPath = NumberedExportPath(path, slot, state.resultCount);
        const auto index = static_cast<std::size_t>(slot);
        const int written =
            state.measuredResults[index] != nullptr
                ? ExportMeasuredToFile(*state.measuredResults[index], MeasuredFormat::Table,
                                       slotPath.c_str())
                : ExportUncertaintyToFile(state.results[index], slotPath.c_str(), cancelled);
        if (written == 0) return 0;
    }
    return 1;
}

} // namespace tolvane
