#include "files/model_file.h"

#include "components/dut.h"
#include "core/fv_table.h"
#include "core/units.h"
#include "engine/model.h"
#include "engine/model_terms.h"
#include "files/dut_block.h"
#include "files/file_error.h"
#include "files/line_reader.h"
#include "files/record_file_writer.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {
namespace {

/// The error-term tables of the block of `component`, in the order the file lists them. A list
/// rather than a filter view: clang 14, which builds the fuzz targets, cannot compile libstdc++
/// 12's filter view.
std::vector<std::reference_wrapper<const ModelTermInfo>> TablesOfBlock(int component) {
    std::vector<std::reference_wrapper<const ModelTermInfo>> tables;
    for (const ModelTermInfo& table : ModelTerms())
        if (table.component == component) tables.emplace_back(table);
    return tables;
}

/// A block is complete when the identifiers of the tables read in it add up to the sum of its
/// tables' identifiers exactly, so a table given twice counts twice.
int BlockTotal(int component) {
    int total = 0;
    for (const ModelTermInfo& table : TablesOfBlock(component))
        total += table.fileIdentifier;
    return total;
}

/// The table keyword as tokens are compared: upper-cased.
bool IsTableKeyword(const std::string& upperToken, const ModelTermInfo& table) {
    const std::string_view keyword = table.keyword;
    return upperToken.size() == keyword.size() &&
           std::equal(keyword.begin(), keyword.end(), upperToken.begin(), [](char k, char t) {
               return std::toupper(static_cast<unsigned char>(k)) == t;
           });
}

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
    void enterTableBlock(int componentCode);
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
    // Inside a table block: its record code, its target record and the sum of its completed
    // tables.
    int blockComponent_ = 0;
    void* target_ = nullptr;
    int completedSum_ = 0;
    // Inside one table: which, the number of entries announced and the next entry.
    const ModelTermInfo* table_ = nullptr;
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
            enterTableBlock(number == 1 ? kModelConnector1 : kModelConnector2);
        else
            enterTableBlock(number == 1 ? kModelCable1 : kModelCable2);
    } else if (token == "VNA") {
        enterTableBlock(kModelVNA);
    } else if (token == "CALIBRATION") {
        enterTableBlock(kModelCalKit);
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

void ModelReader::enterTableBlock(int componentCode) {
    blockComponent_ = componentCode;
    target_ = nullptr;
    (void)GetModelComponent(model_, componentCode, &target_);
    completedSum_ = 0;
    expect_ = Expect::TableKeyword;
}

void ModelReader::takeTableKeyword(const std::string& line) {
    const std::string token = GetUpperToken(line);
    for (const ModelTermInfo& table : TablesOfBlock(blockComponent_)) {
        if (!IsTableKeyword(token, table)) continue;
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
        (void)TableOpsOf(*table_).setNumPairs(target_, table_->tableCode, entryCount_);
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
        (void)TableOpsOf(*table_).setInterpType(target_, table_->tableCode, type);
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
    if (table_->againstPower) {
        float powerDbm = 0.0f;
        if (!ScanNumbers(line, &powerDbm, &value)) return false;
        abscissa = powerDbm;
    } else {
        double frequencyGHz = 0.0;
        if (!ScanNumbers(line, &frequencyGHz, &value)) return false;
        abscissa = frequencyGHz * kHzPerGHz;
    }
    // A refused abscissa or value is the table's to report; reading goes on.
    const TermTableOps& ops = TableOpsOf(*table_);
    (void)ops.setAbscissa(target_, table_->tableCode, entryIndex_, abscissa);
    (void)ops.setValueAt(target_, table_->tableCode, entryIndex_, value);
    // A count of 0 or less never completes: every further line is taken as an entry.
    if (++entryIndex_ != entryCount_) return true;
    completedSum_ += table_->fileIdentifier;
    expect_ = Expect::TableKeyword;
    if (completedSum_ == BlockTotal(blockComponent_)) {
        blockComponent_ = 0;
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
bool PrintTable(SafeFileWriter& out, const void* record, const ModelTermInfo& table) {
    const auto query = [&out](int result) { return result != 0 && !out.failed(); };
    const TermTableOps& ops = TableOpsOf(table);
    int n = 0;
    int type = 0;
    if (!query(ops.getNumPairs(record, table.tableCode, &n))) return false;
    out.print("%s\n!number of %s\n%d\n", table.keyword,
              table.againstPower ? "powers" : "frequencies", n);
    if (!query(ops.getInterpType(record, table.tableCode, &type))) return false;
    out.print("!type of interpolation\n");
    // A type the keywords do not name is written without an interpolation line.
    if (type == INTERP_LINEAR)
        out.print("LINEAR\n");
    else if (type == INTERP_STEP)
        out.print("STEP\n");
    else if (type == INTERP_SMOOTH_FIT)
        out.print("SMOOTH-FIT\n");
    out.print(table.againstPower ? "!power(dBm) value(%s)\n" : "!frequency(GHz) value(%s)\n",
              table.unit);
    for (int i = 0; i < n; ++i) {
        double abscissa = 0.0;
        float value = 0.0f;
        if (!query(ops.getAbscissa(record, table.tableCode, i, &abscissa)) ||
            !query(ops.getValueAt(record, table.tableCode, i, &value)))
            return false;
        // Powers with one decimal, frequencies in GHz with six.
        if (table.againstPower)
            out.print("%.1f %.*f\n", abscissa, table.fileDecimals, static_cast<double>(value));
        else
            out.print("%.6f %.*f\n", abscissa / kHzPerGHz, table.fileDecimals,
                      static_cast<double>(value));
    }
    return !out.failed();
}

bool PrintBlock(SafeFileWriter& out, const ModelInfo* model, const ModelFileBlock& block) {
    void* record = nullptr;
    if (!GetModelComponent(model, block.component, &record)) return false;
    // Blocks after the first are set apart by an empty line.
    const char* separator = block.component == kModelFileBlocks[0].component ? "" : "\n";
    if (block.number == 0)
        out.print("%s%s\n", separator, block.keyword);
    else
        out.print("%s%s %d\n", separator, block.keyword, block.number);
    for (const ModelTermInfo& table : TablesOfBlock(block.component))
        if (!PrintTable(out, record, table)) return false;
    return !out.failed();
}

/// Prints the model's lines, querying each value just before it is printed. False as soon as a
/// query fails (the record has reported) or a print has failed (the caller reports).
bool PrintModel(SafeFileWriter& out, const ModelInfo* model) {
    const auto query = [&out](int result) { return result != 0 && !out.failed(); };
    for (const ModelFileBlock& block : kModelFileBlocks)
        if (!PrintBlock(out, model, block)) return false;

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
