#include "files/config_file.h"

#include "core/units.h"
#include "engine/config.h"
#include "files/dut_block.h"
#include "files/file_error.h"
#include "files/line_reader.h"
#include "files/record_file_writer.h"

#include <optional>
#include <string>

namespace tolvane {
namespace {

/// The reader's state for one call: which line a block expects next.
class ConfigReader {
public:
    enum class Expect {
        Keyword,
        CableName,
        CableNumbers,
        VNAName,
        CalName,
        FreqCount,
        FreqEntry,
        Power,
        Averages,
        IFBW,
        DUTLine,
        Nothing, ///< after a parse error: the rest of the file is ignored
    };

    ConfigReader(ConfigInfo* record, const char* filePath) : config(record), path(filePath) {}

    void takeLine(const std::string& line);

private:
    ConfigInfo* config;
    const char* path;
    Expect expect = Expect::Keyword;
    int cable = 0;     ///< 1 or 2 inside a cable block
    int freqIndex = 0; ///< next entry of the frequency block
    int freqCount = 0; ///< entries the frequency block announced
    std::optional<DUTBlockReader> dutBlock;

    void takeKeyword(const std::string& line);
    /// Stores one line of a block; false when it does not parse or a value is refused.
    [[nodiscard]] bool storeBlockLine(const std::string& line);
    [[nodiscard]] bool storeCableNumbers(const std::string& line);
    [[nodiscard]] bool storeFrequencyEntry(const std::string& line);
    void parseError(const std::string& line) {
        ReportFileError(MakeErrorCode(kFileMsgParsing, kRoutineReadConfigFile), path, line.c_str());
        expect = Expect::Nothing;
    }
};

struct KeywordBlock {
    const char* keyword;
    ConfigReader::Expect firstLine;
};

// "CABLE" is handled on its own: it carries the cable number.
constexpr KeywordBlock kBlocks[] = {
    {"VNA", ConfigReader::Expect::VNAName},         {"CALIBRATION", ConfigReader::Expect::CalName},
    {"FREQUENCY", ConfigReader::Expect::FreqCount}, {"POWER", ConfigReader::Expect::Power},
    {"DUT", ConfigReader::Expect::DUTLine},         {"AVERAGES", ConfigReader::Expect::Averages},
    {"IFBW", ConfigReader::Expect::IFBW},
};

void ConfigReader::takeLine(const std::string& line) {
    switch (expect) {
    case Expect::Nothing:
        return;
    case Expect::Keyword:
        takeKeyword(line);
        return;
    default:
        if (!storeBlockLine(line)) parseError(line);
        return;
    }
}

void ConfigReader::takeKeyword(const std::string& line) {
    std::string argument;
    const std::string token = GetUpperToken(line, &argument);
    if (token == "CABLE") {
        int number = 0;
        if (!ScanNumbers(argument, &number) || (number != 1 && number != 2)) {
            parseError(line);
            return;
        }
        cable = number;
        expect = Expect::CableName;
        return;
    }
    for (const KeywordBlock& block : kBlocks) {
        if (token != block.keyword) continue;
        expect = block.firstLine;
        if (expect == Expect::DUTLine) dutBlock.emplace();
        return;
    }
    // An unknown word is reported and the next line is again read as a keyword line.
    ReportFileError(MakeErrorCode(kFileMsgUnknownKeyword, kRoutineReadConfigFile), path,
                    line.c_str());
}

bool ConfigReader::storeBlockLine(const std::string& line) {
    const char* text = line.c_str();
    switch (expect) {
    case Expect::CableName:
        // Names are the whole line, leading white space included.
        if (!SetConfigDielName(config, cable, text)) return false;
        expect = Expect::CableNumbers;
        return true;
    case Expect::CableNumbers:
        return storeCableNumbers(line);
    case Expect::VNAName:
        expect = Expect::Keyword;
        return SetConfigVNAName(config, text);
    case Expect::CalName:
        expect = Expect::Keyword;
        return SetConfigCalName(config, text);
    case Expect::FreqCount: {
        int count = 0;
        if (!ScanNumbers(line, &count) || !SetConfigNumFreqs(config, count)) return false;
        freqCount = count;
        freqIndex = 0;
        expect = Expect::FreqEntry;
        return true;
    }
    case Expect::FreqEntry:
        return storeFrequencyEntry(line);
    case Expect::Power: {
        float powerDbm = 0.0f;
        expect = Expect::Keyword;
        return ScanNumbers(line, &powerDbm) && SetConfigPower(config, powerDbm);
    }
    case Expect::Averages: {
        int averages = 0;
        expect = Expect::Keyword;
        return ScanNumbers(line, &averages) && SetConfigAverages(config, averages);
    }
    case Expect::IFBW: {
        float ifBandwidthHz = 0.0f;
        expect = Expect::Keyword;
        return ScanNumbers(line, &ifBandwidthHz) && SetConfigIFBW(config, ifBandwidthHz);
    }
    case Expect::DUTLine: {
        DUTInfo* dut = nullptr;
        if (!GetConfigDUT(config, &dut)) return false;
        switch (dutBlock->takeLine(dut, line)) {
        case DUTBlockReader::Step::NeedMore:
            return true;
        case DUTBlockReader::Step::Complete:
            dutBlock.reset();
            expect = Expect::Keyword;
            return true;
        case DUTBlockReader::Step::Error:
            return false;
        }
        return false;
    }
    case Expect::Keyword:
    case Expect::Nothing:
        break;
    }
    return false;
}

bool ConfigReader::storeCableNumbers(const std::string& line) {
    float lengthM = 0.0f, tempVarC = 0.0f, previousLengthM = 0.0f;
    if (!ScanNumbers(line, &lengthM, &tempVarC)) return false;
    if (!GetConfigCableLength(config, cable, &previousLengthM) ||
        !SetConfigCableLength(config, cable, lengthM))
        return false;
    if (!SetConfigTempVar(config, tempVarC)) {
        // Nothing of a refused line is kept: the length goes back to what it was.
        (void)SetConfigCableLength(config, cable, previousLengthM);
        return false;
    }
    expect = Expect::Keyword;
    return true;
}

bool ConfigReader::storeFrequencyEntry(const std::string& line) {
    double frequencyGHz = 0.0;
    if (!ScanNumbers(line, &frequencyGHz) ||
        !SetConfigFreq(config, freqIndex, frequencyGHz * kHzPerGHz))
        return false;
    if (++freqIndex == freqCount) expect = Expect::Keyword;
    return true;
}

/// Prints the configuration's lines, querying each value just before it is printed. False as soon
/// as a query fails (the record has reported) or a print has failed (the caller reports).
bool PrintConfig(SafeFileWriter& out, const ConfigInfo* config) {
    const auto query = [&out](int result) { return result != 0 && !out.failed(); };
    char name[128] = {};
    if (!query(GetConfigVNAName(config, name, sizeof name))) return false;
    out.print("VNA\n!vna name\n");
    out.print("%s\n\n", name);

    // One temperature variation serves both cables; the file repeats it under each.
    float tempVarC = 0.0f;
    for (int cable = 1; cable <= 2; ++cable) {
        float lengthM = 0.0f;
        if (!query(GetConfigDielName(config, cable, name, sizeof name)) ||
            !query(GetConfigCableLength(config, cable, &lengthM)) ||
            !query(GetConfigTempVar(config, &tempVarC)))
            return false;
        out.print("CABLE %d\n!dielectric name\n", cable);
        out.print("%s\n!length(m)   temp var(C)\n", name);
        out.print("%.3f   %.3f\n\n", lengthM, tempVarC);
    }

    if (!query(GetConfigCalName(config, name, sizeof name))) return false;
    out.print("CALIBRATION\n!calibration name\n");
    out.print("%s\n\n", name);

    int numFreqs = 0;
    if (!query(GetConfigNumFreqs(config, &numFreqs))) return false;
    out.print("FREQUENCY\n");
    out.print("!number of frequencies\n");
    out.print("%d\n", numFreqs);
    out.print("!frequencies (GHz)\n");
    for (int i = 0; i < numFreqs; ++i) {
        double frequencyHz = 0.0;
        if (!query(GetConfigFreq(config, i, &frequencyHz))) return false;
        out.print("%.3f\n", frequencyHz / kHzPerGHz);
    }
    out.print("\n");

    float powerDbm = 0.0f;
    if (!query(GetConfigPower(config, &powerDbm))) return false;
    out.print("POWER\n");
    out.print("!port power (dBm)\n");
    out.print("%.3f\n\n", powerDbm);

    DUTInfo* dut = nullptr;
    if (!query(GetConfigDUT(config, &dut))) return false;
    if (!WriteDUTBlock(out, dut, kConfigSweepDecimals)) return false;

    int averages = 0;
    if (!query(GetConfigAverages(config, &averages))) return false;
    out.print("AVERAGES\n");
    out.print("!number of averages\n");
    out.print("%d\n\n", averages);

    float ifBandwidthHz = 0.0f;
    if (!query(GetConfigIFBW(config, &ifBandwidthHz))) return false;
    out.print("IFBW\n");
    out.print("!IF bandwidth\n");
    out.print("%.1f\n\n", ifBandwidthHz);
    return !out.failed();
}

} // namespace

int ReadConfigFile(ConfigInfo* config, const char* path) {
    if (config == nullptr) {
        ReportFileError(MakeErrorCode(kMsgNullInfo, kRoutineReadConfigFile), path);
        return 0;
    }
    ConfigReader reader(config, path);
    // Frequency counts are bounded by the record (5000); no count here sizes anything larger.
    return ReadKeywordFile(
        path, kRoutineReadConfigFile,
        [&reader](const std::string& line, std::uintmax_t) { reader.takeLine(line); });
}

int WriteConfigFile(const ConfigInfo* config, const char* path) {
    if (config == nullptr) {
        ReportFileError(MakeErrorCode(kMsgNullInfo, kRoutineWriteConfigFile), path);
        return 0;
    }
    return WriteRecordFile(path, kRoutineWriteConfigFile,
                           [config](SafeFileWriter& out) { return PrintConfig(out, config); });
}

int ReplaceConfigFromFile(ConfigInfo** current, const char* path) {
    if (current == nullptr) return 0;
    ConfigInfo* recalled = CreateConfigInfo();
    if (recalled == nullptr) return 0;
    if (!ReadConfigFile(recalled, path)) {
        (void)DestroyConfigInfo(recalled);
        return 0;
    }
    if (*current != nullptr) (void)DestroyConfigInfo(*current);
    *current = recalled;
    return 1;
}

} // namespace tolvane
