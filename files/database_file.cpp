#include "files/database_file.h"

#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dielectric.h"
#include "components/vna.h"
#include "core/component_lists.h"
#include "core/interpolation.h"
#include "core/units.h"
#include "files/file_error.h"
#include "files/line_reader.h"

#include <memory>
#include <string>

namespace tolvane {
namespace {

/// Section identifiers of a VNA block; the block is complete when the completed sections add up
/// to kVNABlockTotal (a section given twice counts twice).
enum VNASection : int {
    kSectionNone = 0,
    kSectionPower = 7,
    kSectionSSR = 8,
    kSectionSRC = 9,
    kSectionNRC = 10,
    kSectionIFBW = 11,
};
constexpr int kVNABlockTotal = 45;

struct SectionKeyword {
    const char* keyword;
    VNASection section;
};
constexpr SectionKeyword kSections[] = {
    {"POWER", kSectionPower}, {"SSR", kSectionSSR},   {"SRC", kSectionSRC},
    {"NRC", kSectionNRC},     {"IFBW", kSectionIFBW},
};

template <typename Record, int (*Destroy)(Record*)> struct DestroyWith {
    void operator()(Record* record) const { (void)Destroy(record); }
};
using ConnPtr = std::unique_ptr<ConnInfo, DestroyWith<ConnInfo, DestroyConnInfo>>;
using DielPtr = std::unique_ptr<DielInfo, DestroyWith<DielInfo, DestroyDielInfo>>;
using VNAPtr = std::unique_ptr<VNAInfo, DestroyWith<VNAInfo, DestroyVNAInfo>>;
using CalPtr = std::unique_ptr<CalInfo, DestroyWith<CalInfo, DestroyCalInfo>>;

/// Reads the database one content line at a time. The record under construction belongs to the
/// reader until its block is complete and it is appended to its list.
class DatabaseReader {
public:
    DatabaseReader(const char* path, const ComponentLists& lists) : path_(path), lists_(lists) {}

    /// `maxLinesLeft`: the most content lines the file still holds after this one.
    void takeLine(const std::string& line, std::uintmax_t maxLinesLeft);

private:
    enum class Block { Keyword, Connector, Dielectric, VNA, Calibration, Skip };

    void takeKeyword(const std::string& line);
    // Each stores one line of its block and returns false when the line does not parse.
    [[nodiscard]] bool takeConnectorLine(const std::string& line);
    [[nodiscard]] bool takeDielectricLine(const std::string& line);
    [[nodiscard]] bool takeVNALine(const std::string& line);
    [[nodiscard]] bool takeVNASectionLine(const std::string& line);
    [[nodiscard]] bool takeCalibrationLine(const std::string& line);

    /// The count line of a table; the count is kept even when the table refuses it. A count of
    /// more entries than the file can still hold does not parse: no table is sized for it.
    [[nodiscard]] bool readCount(const std::string& line) {
        entry_ = 0;
        return ScanNumbers(line, &count_) && countFits();
    }
    [[nodiscard]] bool countFits() const { return CountFitsInFile(count_, maxLinesLeft_); }
    /// True when the entry just stored was the last one (a count of 0 or less never ends).
    [[nodiscard]] bool storedEntry() { return ++entry_ == count_; }

    void endVNASection();
    template <typename Ptr> void append(InfoList* list, Ptr& record);
    void parseError(const std::string& line);

    const char* path_;
    const ComponentLists& lists_;
    std::uintmax_t maxLinesLeft_ = 0;
    Block block_ = Block::Keyword;
    /// Line within the block; the keyword line is 1.
    int line_ = 0;
    int count_ = 0; ///< number of entries the current table announced
    int entry_ = 0; ///< index of the next entry
    VNASection section_ = kSectionNone;
    int sectionStart_ = 0; ///< block line of the current VNA section's keyword
    int vnaSum_ = 0;
    ConnPtr conn_;
    DielPtr diel_;
    VNAPtr vna_;
    CalPtr cal_;
};

void DatabaseReader::takeLine(const std::string& line, std::uintmax_t maxLinesLeft) {
    maxLinesLeft_ = maxLinesLeft;
    ++line_;
    bool parsed = true;
    switch (block_) {
    case Block::Skip:
        return;
    case Block::Keyword:
        takeKeyword(line);
        return;
    case Block::Connector:
        parsed = takeConnectorLine(line);
        break;
    case Block::Dielectric:
        if (!takeDielectricLine(line)) {
            // A bad coefficient line drops the dielectric only; reading goes on.
            parseError(line);
            block_ = Block::Keyword;
        }
        return;
    case Block::VNA:
        parsed = takeVNALine(line);
        break;
    case Block::Calibration:
        parsed = takeCalibrationLine(line);
        break;
    }
    if (!parsed) {
        parseError(line);
        block_ = Block::Skip;
    }
}

void DatabaseReader::takeKeyword(const std::string& line) {
    const std::string token = GetUpperToken(line);
    line_ = 1;
    if (token == "CONNECTOR") {
        conn_.reset(CreateConnInfo());
        block_ = Block::Connector;
    } else if (token == "DIELECTRIC") {
        diel_.reset(CreateDielInfo());
        block_ = Block::Dielectric;
    } else if (token == "VNA") {
        vna_.reset(CreateVNAInfo());
        section_ = kSectionNone;
        vnaSum_ = 0;
        block_ = Block::VNA;
    } else if (token == "CALIBRATION") {
        cal_.reset(CreateCalInfo());
        block_ = Block::Calibration;
    } else {
        // The reader stays in the keyword state: the next line is again a keyword line.
        ReportFileError(MakeErrorCode(kFileMsgUnknownKeyword, kRoutineReadUncertaintyFile), path_,
                        line.c_str());
    }
}

bool DatabaseReader::takeConnectorLine(const std::string& line) {
    ConnInfo* conn = conn_.get();
    switch (line_) {
    case 2:
        (void)SetConnName(conn, line.c_str());
        return true;
    case 3:
        if (!readCount(line)) return false;
        (void)SetConnFVNumPairs(conn, kConnRCnTm, count_);
        (void)SetConnFVNumPairs(conn, kConnRCnRm, count_);
        return true;
    case 4: {
        const int type = InterpolationTypeOfLine(line);
        if (type == 0) return false;
        (void)SetConnFVInterpType(conn, kConnRCnTm, type);
        (void)SetConnFVInterpType(conn, kConnRCnRm, type);
        return true;
    }
    default: {
        // Frequency in Hz, then reflection and transmission repeatability in dB.
        double frequencyHz = 0.0;
        float reflectionDb = 0.0f, transmissionDb = 0.0f;
        if (!ScanNumbers(line, &frequencyHz, &reflectionDb, &transmissionDb)) return false;
        (void)SetConnFVFreq(conn, kConnRCnTm, entry_, frequencyHz);
        (void)SetConnFVFreq(conn, kConnRCnRm, entry_, frequencyHz);
        (void)SetConnFVValueAt(conn, kConnRCnRm, entry_, reflectionDb);
        (void)SetConnFVValueAt(conn, kConnRCnTm, entry_, transmissionDb);
        if (storedEntry()) append(lists_.connectors, conn_);
        return true;
    }
    }
}

bool DatabaseReader::takeDielectricLine(const std::string& line) {
    DielInfo* diel = diel_.get();
    if (line_ == 2) {
        (void)SetDielName(diel, line.c_str());
        return true;
    }
    float magCoef = 0.0f, phaseCoef = 0.0f;
    if (!ScanNumbers(line, &magCoef, &phaseCoef)) return false;
    (void)SetDielMagCoef(diel, magCoef);
    (void)SetDielPhaseCoef(diel, phaseCoef);
    append(lists_.dielectrics, diel_);
    return true;
}

bool DatabaseReader::takeVNALine(const std::string& line) {
    if (line_ == 2) {
        (void)SetVNAName(vna_.get(), line.c_str());
        return true;
    }
    if (section_ != kSectionNone) return takeVNASectionLine(line);

    const std::string token = GetUpperToken(line);
    for (const SectionKeyword& entry : kSections) {
        if (token != entry.keyword) continue;
        section_ = entry.section;
        sectionStart_ = line_;
        return true;
    }
    // An unknown section keyword drops the VNA and ends the reading.
    ReportFileError(MakeErrorCode(kFileMsgUnknownKeyword, kRoutineReadUncertaintyFile), path_,
                    line.c_str());
    vna_.reset();
    block_ = Block::Skip;
    return true;
}

bool DatabaseReader::takeVNASectionLine(const std::string& line) {
    VNAInfo* vna = vna_.get();
    const int sectionLine = line_ - sectionStart_; // 1 is the line after the section keyword
    switch (section_) {
    case kSectionPower: {
        // Minimum, maximum and default port power in dBm; a fourth number must be there and is
        // not kept. Then, optionally, the sweep-time settling factor and the fixed time per
        // point in microseconds: behind the numbers every reader takes, so that a reader which
        // stops at the fourth reads the line as before. A line without them keeps the defaults;
        // one with a value the record would refuse does not parse.
        const char* text = line.c_str();
        float minDbm = 0.0f, maxDbm = 0.0f, defaultDbm = 0.0f, unused = 0.0f;
        if (!ScanNumber(text, &minDbm) || !ScanNumber(text, &maxDbm) ||
            !ScanNumber(text, &defaultDbm) || !ScanNumber(text, &unused))
            return false;
        float settlingFactor = kDefaultSweepSettlingFactor;
        float pointOverheadUs = kDefaultSweepPointOverheadUs;
        if (ScanNumber(text, &settlingFactor)) (void)ScanNumber(text, &pointOverheadUs);
        if (!(settlingFactor > 0.0f) || !(pointOverheadUs >= 0.0f)) return false;
        (void)SetVNAMinPower(vna, minDbm);
        (void)SetVNAMaxPower(vna, maxDbm);
        (void)SetVNADefaultPower(vna, defaultDbm);
        (void)SetVNASweepSettlingFactor(vna, settlingFactor);
        (void)SetVNASweepPointOverhead(vna, pointOverheadUs);
        endVNASection();
        return true;
    }
    case kSectionIFBW: {
        if (sectionLine == 1) return readCount(line);
        float ifBandwidthHz = 0.0f;
        if (!ScanNumbers(line, &ifBandwidthHz)) return false;
        (void)AddVNAIFBW(vna, ifBandwidthHz);
        if (storedEntry()) endVNASection();
        return true;
    }
    case kSectionSSR:
    case kSectionNRC: {
        const int code = section_ == kSectionSSR ? kVNATableSSr : kVNATableNRc;
        if (sectionLine == 1) {
            if (section_ == kSectionSSR) {
                if (!readCount(line)) return false;
            } else {
                // Number of entries, then the averaging factor and IF bandwidth (Hz) at which
                // the noise was measured.
                int averages = 0;
                float ifBandwidthHz = 0.0f;
                entry_ = 0;
                if (!ScanNumbers(line, &count_, &averages, &ifBandwidthHz) || !countFits())
                    return false;
                (void)SetVNANRcAverages(vna, averages);
                (void)SetVNANRcIFBW(vna, ifBandwidthHz);
            }
            (void)SetVNAFVNumPairs(vna, code, count_);
            return true;
        }
        if (sectionLine == 2) {
            const int type = InterpolationTypeOfLine(line);
            if (type == 0) return false;
            // "SMOOTH-FIT" is accepted for SSR but sets nothing: the table keeps its type.
            if (section_ == kSectionNRC || type != INTERP_SMOOTH_FIT)
                (void)SetVNAFVInterpType(vna, code, type);
            return true;
        }
        double frequencyGHz = 0.0;
        float value = 0.0f;
        if (!ScanNumbers(line, &frequencyGHz, &value)) return false;
        (void)SetVNAFVFreq(vna, code, entry_, frequencyGHz * kHzPerGHz);
        (void)SetVNAFVValueAt(vna, code, entry_, value);
        if (storedEntry()) endVNASection();
        return true;
    }
    case kSectionSRC: {
        if (sectionLine == 1) {
            if (!readCount(line)) return false;
            (void)SetVNAPVNumPairs(vna, kVNATableSRc, count_);
            return true;
        }
        if (sectionLine == 2) {
            const int type = InterpolationTypeOfLine(line);
            if (type == 0) return false;
            (void)SetVNAPVInterpType(vna, kVNATableSRc, type);
            return true;
        }
        // Port power in dBm, receiver uncertainty in dB.
        float powerDbm = 0.0f, value = 0.0f;
        if (!ScanNumbers(line, &powerDbm, &value)) return false;
        (void)SetVNAPVPower(vna, kVNATableSRc, entry_, powerDbm);
        (void)SetVNAPVValueAt(vna, kVNATableSRc, entry_, value);
        if (storedEntry()) endVNASection();
        return true;
    }
    case kSectionNone:
        break;
    }
    return false;
}

void DatabaseReader::endVNASection() {
    vnaSum_ += section_;
    section_ = kSectionNone;
    if (vnaSum_ == kVNABlockTotal) append(lists_.vnas, vna_);
}

bool DatabaseReader::takeCalibrationLine(const std::string& line) {
    CalInfo* cal = cal_.get();
    switch (line_) {
    case 2:
        (void)SetCalName(cal, line.c_str());
        return true;
    case 3:
        (void)SetCalConnName(cal, line.c_str());
        return true;
    case 4:
        if (!readCount(line)) return false;
        for (int code = kCalCDr; code <= kCalCTt; ++code)
            (void)SetCalFVNumPairs(cal, code, count_);
        return true;
    case 5: {
        const int type = InterpolationTypeOfLine(line);
        if (type == 0) return false;
        for (int code = kCalCDr; code <= kCalCTt; ++code)
            (void)SetCalFVInterpType(cal, code, type);
        return true;
    }
    default: {
        // Frequency in Hz, then directivity, source match, reflection tracking, crosstalk, load
        // match and transmission tracking in dB: the table codes in order.
        double frequencyHz = 0.0;
        float v[6] = {};
        if (!ScanNumbers(line, &frequencyHz, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]))
            return false;
        for (int code = kCalCDr; code <= kCalCTt; ++code) {
            (void)SetCalFVFreq(cal, code, entry_, frequencyHz);
            (void)SetCalFVValueAt(cal, code, entry_, v[code - kCalCDr]);
        }
        if (storedEntry()) append(lists_.calKits, cal_);
        return true;
    }
    }
}

template <typename Ptr> void DatabaseReader::append(InfoList* list, Ptr& record) {
    block_ = Block::Keyword;
    // A record that could not be created is not appended: the lists hold real records only.
    if (record == nullptr) return;
    if (AddInfoListItem(list, record.get())) {
        (void)record.release();
        return;
    }
    ReportFileError(MakeErrorCode(kMsgAllocation, kRoutineReadUncertaintyFile), path_);
    record.reset();
}

void DatabaseReader::parseError(const std::string& line) {
    ReportFileError(MakeErrorCode(kFileMsgParsing, kRoutineReadUncertaintyFile), path_,
                    line.c_str());
    conn_.reset();
    diel_.reset();
    vna_.reset();
    cal_.reset();
}

} // namespace

int ReadUncertaintyFile(const char* path) {
    const ComponentLists& lists = GlobalComponentLists();
    if (lists.connectors == nullptr || lists.vnas == nullptr || lists.calKits == nullptr ||
        lists.dielectrics == nullptr) {
        ReportFileError(MakeErrorCode(kMsgNullPointer, kRoutineReadUncertaintyFile), path);
        return 0;
    }
    DatabaseReader reader(path, lists);
    return ReadKeywordFile(path, kRoutineReadUncertaintyFile,
                           [&reader](const std::string& line, std::uintmax_t maxLinesLeft) {
                               reader.takeLine(line, maxLinesLeft);
                           });
}

} // namespace tolvane
