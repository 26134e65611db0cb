#include "files/model_file.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "engine/model.h"
#include "files/dut_block.h"
#include "files/file_error.h"
#include "files/line_reader.h"
#include "files/record_file_writer.h"

#include <optional>
#include <span>
#include <string>

namespace tolvane {
namespace {

/// Frequencies are held in Hz and shown in GHz.
constexpr double kHzPerGHz = 1000000000.0;

// The table operations of one kind of record and table, on an untyped record so that one reader
// serves every block. The abscissa is a frequency in Hz, or a power in dBm for SRc.
struct TableOps {
    int (*setNumPairs)(void* record, int code, int n);
    int (*setInterpType)(void* record, int code, int type);
    // Stores the abscissa, then the value, at `index`; a refusal is the table's to report.
    void (*setEntry)(void* record, int code, int index, double abscissa, float value);
    int (*getNumPairs)(const void* record, int code, int* n);
    int (*getInterpType)(const void* record, int code, int* type);
    int (*getEntry)(const void* record, int code, int index, double* abscissa, float* value);
};

template <typename Record, typename Abscissa, auto SetNum, auto SetInterp, auto SetAbscissa,
          auto SetValue, auto GetNum, auto GetInterp, auto GetAbscissa, auto GetValue>
struct RecordTableOps {
    static Record* Typed(void* record) { return static_cast<Record*>(record); }
    static const Record* Typed(const void* record) { return static_cast<const Record*>(record); }

    static int setNumPairs(void* r, int code, int n) { return SetNum(Typed(r), code, n); }
    static int setInterpType(void* r, int code, int type) {
        return SetInterp(Typed(r), code, type);
    }
    static void setEntry(void* r, int code, int index, double abscissa, float value) {
        (void)SetAbscissa(Typed(r), code, index, static_cast<Abscissa>(abscissa));
        (void)SetValue(Typed(r), code, index, value);
    }
    static int getNumPairs(const void* r, int code, int* n) { return GetNum(Typed(r), code, n); }
    static int getInterpType(const void* r, int code, int* type) {
        return GetInterp(Typed(r), code, type);
    }
    static int getEntry(const void* r, int code, int index, double* abscissa, float* value) {
        Abscissa x{};
        if (!GetAbscissa(Typed(r), code, index, &x) || !GetValue(Typed(r), code, index, value))
            return 0;
        *abscissa = x;
        return 1;
    }
    static constexpr TableOps kOps{setNumPairs, setInterpType, setEntry,
                                   getNumPairs, getInterpType, getEntry};
};

using VNAFrequencyTable = RecordTableOps<VNAInfo, double, SetVNAFVNumPairs, SetVNAFVInterpType,
                                         SetVNAFVFreq, SetVNAFVValueAt, GetVNAFVNumPairs,
                                         GetVNAFVInterpType, GetVNAFVFreq, GetVNAFVValueAt>;
using VNAPowerTable = RecordTableOps<VNAInfo, float, SetVNAPVNumPairs, SetVNAPVInterpType,
                                     SetVNAPVPower, SetVNAPVValueAt, GetVNAPVNumPairs,
                                     GetVNAPVInterpType, GetVNAPVPower, GetVNAPVValueAt>;
using ConnTable = RecordTableOps<ConnInfo, double, SetConnFVNumPairs, SetConnFVInterpType,
                                 SetConnFVFreq, SetConnFVValueAt, GetConnFVNumPairs,
                                 GetConnFVInterpType, GetConnFVFreq, GetConnFVValueAt>;
using CableTable = RecordTableOps<CableInfo, double, SetCableFVNumPairs, SetCableFVInterpType,
                                  SetCableFVFreq, SetCableFVValueAt, GetCableFVNumPairs,
                                  GetCableFVInterpType, GetCableFVFreq, GetCableFVValueAt>;
using CalTable = RecordTableOps<CalInfo, double, SetCalFVNumPairs, SetCalFVInterpType, SetCalFVFreq,
                                SetCalFVValueAt, GetCalFVNumPairs, GetCalFVInterpType, GetCalFVFreq,
                                GetCalFVValueAt>;

/// One error-term table of a block: how it is recognised, read and written.
struct TermTable {
    const char* keyword; ///< the table keyword upper-cased, as tokens are compared
    const char* header;  ///< keyword line, count comment and count format, as written
    const char* columnComment;
    const char* entryFormat;
    int code;           ///< the table code of the owning record
    int termIdentifier; ///< added to the block's running sum when the table is complete
    bool isPowerTable;  ///< entries read "%f%f" in dBm, not "%lf%f" in GHz
    const TableOps* ops;
};

constexpr const char* kCommentDb = "!frequency(GHz) value(dB)\n";

constexpr TermTable kVNATables[] = {
    {"SSR", "SSr\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.4f\n", kVNATableSSr, 15,
     false, &VNAFrequencyTable::kOps},
    {"SRC", "SRc\n!number of powers\n%d\n", "!power(dBm) value(dB)\n", "%.1f %.4f\n", kVNATableSRc,
     16, true, &VNAPowerTable::kOps},
    {"NRC", "NRc\n!number of frequencies\n%d\n", "!frequency(GHz) value(dBm)\n", "%.6lf %.1f\n",
     kVNATableNRc, 17, false, &VNAFrequencyTable::kOps},
};
constexpr TermTable kConnectorTables[] = {
    {"RCNRM", "RCnRm\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.1f\n", kConnRCnRm, 11,
     false, &ConnTable::kOps},
    {"RCNTM", "RCnTm\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.1f\n", kConnRCnTm, 12,
     false, &ConnTable::kOps},
};
constexpr TermTable kCableTables[] = {
    {"DCBTM", "DCbTm\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.3f\n", kCableDCbTm, 13,
     false, &CableTable::kOps},
    {"DCBTP", "DCbTp\n!number of frequencies\n%d\n", "!frequency(GHz) value(degrees)\n",
     "%.6lf %.1f\n", kCableDCbTp, 14, false, &CableTable::kOps},
};
constexpr TermTable kCalibrationTables[] = {
    {"CDR", "CDr\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.1f\n", kCalCDr, 18, false,
     &CalTable::kOps},
    {"CSM", "CSm\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.1f\n", kCalCSm, 19, false,
     &CalTable::kOps},
    {"CRT", "CRt\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.4f\n", kCalCRt, 20, false,
     &CalTable::kOps},
    {"CXT", "CXt\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.1f\n", kCalCXt, 21, false,
     &CalTable::kOps},
    {"CLM", "CLm\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.1f\n", kCalCLm, 22, false,
     &CalTable::kOps},
    {"CTT", "CTt\n!number of frequencies\n%d\n", kCommentDb, "%.6lf %.4f\n", kCalCTt, 23, false,
     &CalTable::kOps},
};

/// A block of tables. It is complete when the term identifiers of the tables read in it add up
/// to its total exactly, so a table given twice counts twice.
struct TableBlock {
    std::span<const TermTable> tables;
    int total;
};

constexpr TableBlock kVNABlock{kVNATables, 48};
constexpr TableBlock kConnectorBlock{kConnectorTables, 23};
constexpr TableBlock kCableBlock{kCableTables, 27};
constexpr TableBlock kCalibrationBlock{kCalibrationTables, 123};

/// The reader's state for one call: what the next content line is expected to be.
class ModelReader {
public:
    ModelReader(ModelInfo* model, const char* path) : model_(model), path_(path) {}
    /// `maxLinesLeft`: the most content lines the file still holds after this one.
    void takeLine(const std::string& line, std::uintmax_t maxLinesLeft);

private:
    enum class Expect {
        Keyword,
        TableKeyword,
        TableCount,
        TableInterpolation,
        TableEntry,
        FreqCount,
        FreqEntry,
        Power,
        Averages,
        IFBW,
        DUTLine,
        Nothing, ///< after a line error: the rest of the file is ignored
    };

    void takeKeyword(const std::string& line);
    void enterTableBlock(const TableBlock& block, int componentCode);
    void takeTableKeyword(const std::string& line);
    /// Stores one line of a block; false when it does not parse or a value is refused.
    [[nodiscard]] bool storeBlockLine(const std::string& line);
    [[nodiscard]] bool storeTableEntry(const std::string& line);
    [[nodiscard]] bool storeFrequencyEntry(const std::string& line);
    [[nodiscard]] bool storeDUTLine(const std::string& line);
    void lineError(FileMessage message, const std::string& line) {
        ReportFileError(MakeErrorCode(message, kRoutineReadModelFile), path_, line.c_str());
        expect_ = Expect::Nothing;
    }

    ModelInfo* model_;
    const char* path_;
    std::uintmax_t maxLinesLeft_ = 0;
    Expect expect_ = Expect::Keyword;
    // Inside a table block: the block, its target record and the sum of its completed tables.
    const TableBlock* block_ = nullptr;
    void* target_ = nullptr;
    int completedSum_ = 0;
    // Inside one table: which, the number of entries announced and the next entry.
    const TermTable* table_ = nullptr;
    int entryCount_ = 0;
    int entryIndex_ = 0;
    // Inside the frequency block.
    int freqCount_ = 0;
    int freqIndex_ = 0;
    std::optional<DUTBlockReader> dutBlock_;
};

void ModelReader::takeLine(const std::string& line, std::uintmax_t maxLinesLeft) {
    maxLinesLeft_ = maxLinesLeft;
    switch (expect_) {
    case Expect::Nothing:
        return;
    case Expect::Keyword:
        takeKeyword(line);
        return;
    case Expect::TableKeyword:
        takeTableKeyword(line);
        return;
    default:
        if (!storeBlockLine(line)) lineError(kFileMsgParsing, line);
        return;
    }
}

void ModelReader::takeKeyword(const std::string& line) {
    std::string argument;
    const std::string token = GetUpperToken(line, &argument);
    if (token == "CONNECTOR" || token == "CABLE") {
        int number = 0;
        if (!ScanNumbers(argument, &number) || (number != 1 && number != 2)) {
            lineError(kFileMsgParsing, line);
            return;
        }
        if (token == "CONNECTOR")
            enterTableBlock(kConnectorBlock, number == 1 ? kModelConnector1 : kModelConnector2);
        else
            enterTableBlock(kCableBlock, number == 1 ? kModelCable1 : kModelCable2);
    } else if (token == "VNA") {
        enterTableBlock(kVNABlock, kModelVNA);
    } else if (token == "CALIBRATION") {
        enterTableBlock(kCalibrationBlock, kModelCalKit);
    } else if (token == "FREQUENCY") {
        expect_ = Expect::FreqCount;
    } else if (token == "POWER") {
        expect_ = Expect::Power;
    } else if (token == "AVERAGES") {
        expect_ = Expect::Averages;
    } else if (token == "IFBW") {
        expect_ = Expect::IFBW;
    } else if (token == "DUT") {
        dutBlock_.emplace();
        expect_ = Expect::DUTLine;
    } else {
        lineError(kFileMsgUnknownKeyword, line);
    }
}

void ModelReader::enterTableBlock(const TableBlock& block, int componentCode) {
    block_ = &block;
    target_ = nullptr;
    (void)GetModelComponent(model_, componentCode, &target_);
    completedSum_ = 0;
    expect_ = Expect::TableKeyword;
}

void ModelReader::takeTableKeyword(const std::string& line) {
    const std::string token = GetUpperToken(line);
    for (const TermTable& table : block_->tables) {
        if (token != table.keyword) continue;
        table_ = &table;
        expect_ = Expect::TableCount;
        return;
    }
    // Another block keyword here means the block was not complete.
    lineError(kFileMsgUnknownKeyword, line);
}

bool ModelReader::storeBlockLine(const std::string& line) {
    switch (expect_) {
    case Expect::TableCount:
        // A count of more entries than the file can hold is refused before it sizes the table.
        if (!ScanNumbers(line, &entryCount_) || !CountFitsInFile(entryCount_, maxLinesLeft_))
            return false;
        // A count the table refuses is reported by the table; reading goes on.
        (void)table_->ops->setNumPairs(target_, table_->code, entryCount_);
        entryIndex_ = 0;
        expect_ = Expect::TableInterpolation;
        return true;
    case Expect::TableInterpolation: {
        const std::string token = GetUpperToken(line);
        int type = 0;
        if (token == "LINEAR")
            type = INTERP_LINEAR;
        else if (token == "STEP")
            type = INTERP_STEP;
        else if (token == "SMOOTH-FIT")
            type = INTERP_SMOOTH_FIT;
        else
            return false;
        (void)table_->ops->setInterpType(target_, table_->code, type);
        expect_ = Expect::TableEntry;
        return true;
    }
    case Expect::TableEntry:
        return storeTableEntry(line);
    case Expect::FreqCount:
        if (!ScanNumbers(line, &freqCount_) || !SetModelNumFreqs(model_, freqCount_)) return false;
        freqIndex_ = 0;
        expect_ = Expect::FreqEntry;
        return true;
    case Expect::FreqEntry:
        return storeFrequencyEntry(line);
    case Expect::Power: {
        float powerDbm = 0.0f, couplerLossDb = 0.0f;
        expect_ = Expect::Keyword;
        return ScanNumbers(line, &powerDbm, &couplerLossDb) && SetModelPower(model_, powerDbm) &&
               SetModelCouplerLoss(model_, couplerLossDb);
    }
    case Expect::Averages: {
        int averages = 0, nrcAverages = 0;
        expect_ = Expect::Keyword;
        return ScanNumbers(line, &averages, &nrcAverages) && SetModelAverages(model_, averages) &&
               SetModelNRcAverages(model_, nrcAverages);
    }
    case Expect::IFBW: {
        float ifBandwidthHz = 0.0f, nrcIfBandwidthHz = 0.0f;
        expect_ = Expect::Keyword;
        return ScanNumbers(line, &ifBandwidthHz, &nrcIfBandwidthHz) &&
               SetModelIFBW(model_, ifBandwidthHz) && SetModelNRcIFBW(model_, nrcIfBandwidthHz);
    }
    case Expect::DUTLine:
        return storeDUTLine(line);
    case Expect::Keyword:
    case Expect::TableKeyword:
    case Expect::Nothing:
        break;
    }
    return false;
}

bool ModelReader::storeTableEntry(const std::string& line) {
    double abscissa = 0.0;
    float value = 0.0f;
    if (table_->isPowerTable) {
        float powerDbm = 0.0f;
        if (!ScanNumbers(line, &powerDbm, &value)) return false;
        abscissa = powerDbm;
    } else {
        double frequencyGHz = 0.0;
        if (!ScanNumbers(line, &frequencyGHz, &value)) return false;
        abscissa = frequencyGHz * kHzPerGHz;
    }
    table_->ops->setEntry(target_, table_->code, entryIndex_, abscissa, value);
    // A count of 0 or less never completes: every further line is taken as an entry.
    if (++entryIndex_ != entryCount_) return true;
    completedSum_ += table_->termIdentifier;
    expect_ = Expect::TableKeyword;
    if (completedSum_ == block_->total) {
        block_ = nullptr;
        target_ = nullptr;
        completedSum_ = 0;
        expect_ = Expect::Keyword;
    }
    return true;
}

bool ModelReader::storeFrequencyEntry(const std::string& line) {
    double frequencyGHz = 0.0;
    if (!ScanNumbers(line, &frequencyGHz) ||
        !SetModelFreq(model_, freqIndex_, frequencyGHz * kHzPerGHz))
        return false;
    if (++freqIndex_ == freqCount_) expect_ = Expect::Keyword;
    return true;
}

bool ModelReader::storeDUTLine(const std::string& line) {
    void* dut = nullptr;
    if (!GetModelComponent(model_, kModelDUT, &dut)) return false;
    switch (dutBlock_->takeLine(static_cast<DUTInfo*>(dut), line)) {
    case DUTBlockReader::Step::NeedMore:
        return true;
    case DUTBlockReader::Step::Complete:
        dutBlock_.reset();
        expect_ = Expect::Keyword;
        return true;
    case DUTBlockReader::Step::Error:
        return false;
    }
    return false;
}

/// Prints one table section; false as soon as a query fails (the record has reported) or a print
/// has failed (the caller reports).
bool PrintTable(SafeFileWriter& out, const void* record, const TermTable& table) {
    const auto query = [&out](int result) { return result != 0 && !out.failed(); };
    int n = 0;
    int type = 0;
    if (!query(table.ops->getNumPairs(record, table.code, &n))) return false;
    out.print(table.header, n);
    if (!query(table.ops->getInterpType(record, table.code, &type))) return false;
    out.print("!type of interpolation\n");
    // A type the keywords do not name is written without an interpolation line.
    if (type == INTERP_LINEAR)
        out.print("LINEAR\n");
    else if (type == INTERP_STEP)
        out.print("STEP\n");
    else if (type == INTERP_SMOOTH_FIT)
        out.print("SMOOTH-FIT\n");
    out.print("%s", table.columnComment);
    for (int i = 0; i < n; ++i) {
        double abscissa = 0.0;
        float value = 0.0f;
        if (!query(table.ops->getEntry(record, table.code, i, &abscissa, &value))) return false;
        if (!table.isPowerTable) abscissa /= kHzPerGHz;
        out.print(table.entryFormat, abscissa, static_cast<double>(value));
    }
    return !out.failed();
}

bool PrintBlock(SafeFileWriter& out, const ModelInfo* model, const char* heading, int componentCode,
                const TableBlock& block) {
    void* record = nullptr;
    if (!GetModelComponent(model, componentCode, &record)) return false;
    out.print("%s", heading);
    for (const TermTable& table : block.tables)
        if (!PrintTable(out, record, table)) return false;
    return !out.failed();
}

/// Prints the model's lines, querying each value just before it is printed. False as soon as a
/// query fails (the record has reported) or a print has failed (the caller reports).
bool PrintModel(SafeFileWriter& out, const ModelInfo* model) {
    const auto query = [&out](int result) { return result != 0 && !out.failed(); };
    if (!PrintBlock(out, model, "VNA\n", kModelVNA, kVNABlock) ||
        !PrintBlock(out, model, "\nCONNECTOR 1\n", kModelConnector1, kConnectorBlock) ||
        !PrintBlock(out, model, "\nCONNECTOR 2\n", kModelConnector2, kConnectorBlock) ||
        !PrintBlock(out, model, "\nCABLE 1\n", kModelCable1, kCableBlock) ||
        !PrintBlock(out, model, "\nCABLE 2\n", kModelCable2, kCableBlock) ||
        !PrintBlock(out, model, "\nCALIBRATION\n", kModelCalKit, kCalibrationBlock))
        return false;

    int numFreqs = 0;
    if (!query(GetModelNumFreqs(model, &numFreqs))) return false;
    out.print("\nFREQUENCY\n");
    out.print("!number of frequencies\n");
    out.print("%d\n", numFreqs);
    out.print("!frequencies (GHz)\n");
    for (int i = 0; i < numFreqs; ++i) {
        double frequencyHz = 0.0;
        if (!query(GetModelFreq(model, i, &frequencyHz))) return false;
        out.print("%.6f\n", frequencyHz / kHzPerGHz);
    }

    // The coupler loss is not kept; the file always shows 0.0 for it.
    float powerDbm = 0.0f;
    if (!query(GetModelPower(model, &powerDbm))) return false;
    out.print("\nPOWER\n");
    out.print("!port power (dBm)   coupler loss (dB)\n");
    out.print("%.1f   %.1f\n\n", static_cast<double>(powerDbm), 0.0);

    int averages = 0, nrcAverages = 0;
    if (!query(GetModelAverages(model, &averages)) ||
        !query(GetModelNRcAverages(model, &nrcAverages)))
        return false;
    out.print("\nAVERAGES\n");
    out.print("!averaging factor   averaging factor where NRc is specified\n");
    out.print("%d   %d\n\n", averages, nrcAverages);

    float ifBandwidthHz = 0.0f, nrcIfBandwidthHz = 0.0f;
    if (!query(GetModelIFBW(model, &ifBandwidthHz)) ||
        !query(GetModelNRcIFBW(model, &nrcIfBandwidthHz)))
        return false;
    out.print("\nIFBW\n");
    out.print("!if bandwidth (Hz)   if bandwidth where NRc is specified (Hz)\n");
    out.print("%.1f   %.1f\n\n", static_cast<double>(ifBandwidthHz),
              static_cast<double>(nrcIfBandwidthHz));

    void* dut = nullptr;
    if (!query(GetModelComponent(model, kModelDUT, &dut))) return false;
    return WriteDUTBlock(out, static_cast<const DUTInfo*>(dut), kModelSweepDecimals) != 0;
}

} // namespace

int ReadModelFile(ModelInfo* model, const char* path) {
    if (model == nullptr) {
        ReportFileError(MakeErrorCode(kMsgNullInfo, kRoutineReadModelFile), path);
        return 0;
    }
    ModelReader reader(model, path);
    return ReadKeywordFile(path, kRoutineReadModelFile,
                           [&reader](const std::string& line, std::uintmax_t maxLinesLeft) {
                               reader.takeLine(line, maxLinesLeft);
                           });
}

int WriteModelFile(const ModelInfo* model, const char* path) {
    if (model == nullptr) {
        ReportFileError(MakeErrorCode(kMsgNullInfo, kRoutineWriteModelFile), path);
        return 0;
    }
    return WriteRecordFile(path, kRoutineWriteModelFile,
                           [model](SafeFileWriter& out) { return PrintModel(out, model); });
}

int ReplaceModelFromFile(ModelInfo** current, const char* path) {
    if (current == nullptr) return 0;
    ModelInfo* recalled = CreateModelInfo();
    if (recalled == nullptr) return 0;
    if (!ReadModelFile(recalled, path)) {
        (void)DestroyModelInfo(recalled);
        return 0;
    }
    if (*current != nullptr) (void)DestroyModelInfo(*current);
    *current = recalled;
    return 1;
}

} // namespace tolvane
