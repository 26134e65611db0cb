#include "files/export.h"

#include "core/units.h"
#include "engine/compute_model.h"
#include "engine/program_state.h"
#include "engine/uncertainty.h"
#include "files/file_error.h"
#include "files/measured_export.h"
#include "files/safe_file_writer.h"

#include <cstdarg>
#include <cstdio>

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

/// Writes the table of one record to `out`; failures of the record's getters (reported by the
/// record) and of the stream are told apart so the caller reports the right message.
class TableWriter {
public:
    enum class Outcome { Written, GetterFailed, PrintFailed };

    TableWriter(const UncertaintyInfo* results, const TableShape& shape, std::FILE* out)
        : results_(results), shape_(shape), out_(out) {}

    Outcome write() {
        if (shape_.numDUTValues == 1)
            writeSweptFrequencyTable();
        else
            writeDUTValueTable();
        if (getterFailed_) return Outcome::GetterFailed;
        if (printFailed_ || std::ferror(out_) != 0) return Outcome::PrintFailed;
        return Outcome::Written;
    }

private:
    bool ok() const { return !getterFailed_ && !printFailed_; }

    void print(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        if (!ok()) return;
        va_list args;
        va_start(args, format);
        if (std::vfprintf(out_, format, args) < 0) printFailed_ = true;
        va_end(args);
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

    void writeSweptFrequencyTable() {
        print("Swept Frequency Uncertainty Data\n\n");
        ShownResult refl, trans;
        if (!fetch(GetUncertaintyTrans, 0, 0, &trans) || !fetch(GetUncertaintyRefl, 0, 0, &refl))
            return;
        print("User Defined S-Parameters: S11 = %3.2f dB  S21 = %3.2f dB \n\n", refl.dutValueDb,
              trans.dutValueDb);
        print("\tS11\t\tS21\n");
        print("Freq (GHz)\tMag.(dB)\tPhase(deg.)\tMag.(dB)\tPhase(deg.)\n");
        for (int i = 0; i < shape_.numFreqs && ok(); ++i) {
            double frequency = 0.0;
            if (!frequencyGHz(i, &frequency)) return;
            print("%4.6f", frequency);
            // A quantity the record's type does not hold is left blank, column widths kept.
            if (shape_.reflection) {
                if (!fetch(GetUncertaintyRefl, i, 0, &refl)) return;
                print("\t%12.3f\t%9.3f", refl.magnitudeDb, refl.phaseDeg);
            } else {
                print("\t%12s\t%9s", "", "");
            }
            if (shape_.transmission) {
                if (!fetch(GetUncertaintyTrans, i, 0, &trans)) return;
                print("\t%12.3f\t%9.3f\n", trans.magnitudeDb, trans.phaseDeg);
            } else {
                print("\t%12s\t%9s\n", "", "");
            }
        }
    }

    void writeDUTValueTable() {
        for (int i = 0; i < shape_.numFreqs && ok(); ++i) {
            double frequency = 0.0;
            if (!frequencyGHz(i, &frequency)) return;
            print("Uncertainty at %.6lf GHz\t\t\t\t", frequency);
        }
        print("\n");
        for (int i = 0; i < shape_.numFreqs; ++i) {
            if (shape_.reflection) print("DUT S11 (dB)\tRefl (dB)\tRefl (deg)\t");
            if (shape_.transmission) print("DUT S21 (dB)\tTrans (dB)\tTrans (deg)\t");
            print("\t");
        }
        print("\n");
        for (int j = 0; j < shape_.numDUTValues && ok(); ++j) {
            for (int i = 0; i < shape_.numFreqs && ok(); ++i) {
                ShownResult shown;
                if (shape_.reflection && fetch(GetUncertaintyRefl, i, j, &shown))
                    print("%12.3f\t%12.3f\t%9.3f\t", shown.dutValueDb, shown.magnitudeDb,
                          shown.phaseDeg);
                if (shape_.transmission && fetch(GetUncertaintyTrans, i, j, &shown))
                    print("%12.3f\t%8.3f\t%9.3f\t", shown.dutValueDb, shown.magnitudeDb,
                          shown.phaseDeg);
                print("\t");
            }
            print("\n");
        }
    }

    const UncertaintyInfo* results_;
    TableShape shape_;
    std::FILE* out_;
    bool getterFailed_ = false;
    bool printFailed_ = false;
};

/// Writes the table and reports a failure; true when everything was written.
bool WriteTable(const UncertaintyInfo* results, const TableShape& shape, std::FILE* out,
                const char* path) {
    switch (TableWriter(results, shape, out).write()) {
    case TableWriter::Outcome::Written:
        return true;
    case TableWriter::Outcome::GetterFailed:
        ReportExportError(kFileMsgCalledRoutine, path);
        break;
    case TableWriter::Outcome::PrintFailed:
        ReportExportError(kFileMsgWriting, path);
        break;
    }
    return false;
}

} // namespace

int ExportUncertaintyToFile(const UncertaintyInfo* results, const char* path) {
    TableShape shape;
    if (!ReadTableShape(results, path, &shape)) return 0;
    SafeFileWriter writer(path == nullptr ? "" : path);
    if (!writer.open()) {
        ReportExportError(kFileMsgCreating, path);
        return 0;
    }
    if (!WriteTable(results, shape, writer.stream(), path)) return 0;
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

int ExportResultSlots(const char* chosenPath) {
    const ProgramState& state = GlobalProgramState();
    const std::string path = chosenPath == nullptr ? "" : chosenPath;
    for (int slot = 0; slot < state.resultCount && slot < kResultSlots; ++slot) {
        const std::string slotPath = NumberedExportPath(path, slot, state.resultCount);
        const auto index = static_cast<std::size_t>(slot);
        const int written = state.measuredResults[index] != nullptr
                                ? ExportMeasuredToFile(*state.measuredResults[index],
                                                       MeasuredFormat::Table, slotPath.c_str())
                                : ExportUncertaintyToFile(state.results[index], slotPath.c_str());
        if (written == 0) return 0;
    }
    return 1;
}

} // namespace tolvane
