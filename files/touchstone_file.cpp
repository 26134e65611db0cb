#include "files/touchstone_file.h"

#include "engine/measurement.h"
#include "files/file_error.h"
#include "files/text_lines.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kReferenceOhms = 50.0;
/// Magnitudes above this many dB are no measurement a DUT value can stand for.
constexpr double kLargestMagnitudeDb = 1000.0;

enum class DataFormat { MagnitudeAngle, DecibelAngle, RealImaginary };

/// Where in a version 2 file the reader is.
enum class Section { Header, Information, NetworkData, NoiseData, Ended };

/// The reader's state for one file.
class TouchstoneReader {
public:
    TouchstoneReader(const char* path, int portsByName) : path_(path), ports_(portsByName) {}

    /// Takes one line (comments already removed, trimmed, not empty); false when the file is
    /// refused (reported).
    [[nodiscard]] bool takeLine(const TextLine& line);
    /// The end of the file; false when the file is refused (reported).
    [[nodiscard]] bool finish(Measurement* measurement);

private:
    using KeywordHandler = bool (TouchstoneReader::*)(const TextLine& line, std::string_view arg);
    struct Keyword {
        std::string_view name; // upper case
        KeywordHandler handler;
    };

    [[nodiscard]] bool refuse(const TextLine& line, const std::string& reason) const {
        ReportFileRefusal(kRoutineReadTouchstoneFile, path_, line.number, reason, line.text);
        return false;
    }
    [[nodiscard]] bool refuse(const std::string& reason) const {
        ReportFileRefusal(kRoutineReadTouchstoneFile, path_, 0, reason);
        return false;
    }

    [[nodiscard]] bool takeKeyword(const TextLine& line);
    [[nodiscard]] bool takeOptionLine(const TextLine& line);
    [[nodiscard]] bool takeDataLine(const TextLine& line);
    [[nodiscard]] bool takeNoiseLine(const TextLine& line);
    [[nodiscard]] bool completeRecord();
    [[nodiscard]] bool endNetworkData(const TextLine* line);

    bool version(const TextLine& line, std::string_view arg);
    bool numberOfPorts(const TextLine& line, std::string_view arg);
    bool dataOrder(const TextLine& line, std::string_view arg);
    bool numberOfFrequencies(const TextLine& line, std::string_view arg);
    bool reference(const TextLine& line, std::string_view arg);
    bool matrixFormat(const TextLine& line, std::string_view arg);
    bool mixedModeOrder(const TextLine& line, std::string_view arg);
    bool beginInformation(const TextLine& line, std::string_view arg);
    bool endInformation(const TextLine& line, std::string_view arg);
    bool networkData(const TextLine& line, std::string_view arg);
    bool noiseData(const TextLine& line, std::string_view arg);
    bool end(const TextLine& line, std::string_view arg);
    bool passOver(const TextLine& line, std::string_view arg);

    /// A frequency and its pairs: S11 alone, the full two-port matrix or one triangle of it.
    [[nodiscard]] std::size_t valuesPerRecord() const {
        return ports_ == 1 ? 3 : triangle_ == Triangle::None ? 9 : 7;
    }

    static const Keyword kKeywords[];

    std::string path_;
    int ports_ = 0;   ///< 0 while not known
    int version_ = 1; ///< 2 when the file begins with "[Version]"
    bool versionRead_ = false;
    bool firstLine_ = true;   ///< no content line read yet
    bool optionLine_ = false; ///< the option line was read
    double hzPerUnit_ = 1e9;
    DataFormat format_ = DataFormat::MagnitudeAngle;
    std::optional<bool> order12_21_; ///< version 2 two-port data order
    /// Version 2 "[Matrix Format]": a symmetric matrix may be given by one triangle.
    enum class Triangle { None, Lower, Upper } triangle_ = Triangle::None;
    int announcedFrequencies_ = 0; ///< version 2 "[Number of Frequencies]"
    Section section_ = Section::Header;

    std::vector<double> record_; ///< the values of the record being read
    TextLine recordLine_;        ///< the line its first value stands on
    std::vector<MeasuredPoint> points_;
    /// Version 1 two-port: the frequency stopped increasing here, so the rest is to be a noise
    /// section.
    std::optional<TextLine> noiseStart_;
    double lastNoiseHz_ = 0.0;
};

const TouchstoneReader::Keyword TouchstoneReader::kKeywords[] = {
    {"[VERSION]", &TouchstoneReader::version},
    {"[NUMBER OF PORTS]", &TouchstoneReader::numberOfPorts},
    {"[TWO-PORT DATA ORDER]", &TouchstoneReader::dataOrder},
    {"[NUMBER OF FREQUENCIES]", &TouchstoneReader::numberOfFrequencies},
    {"[REFERENCE]", &TouchstoneReader::reference},
    {"[MATRIX FORMAT]", &TouchstoneReader::matrixFormat},
    {"[MIXED-MODE ORDER]", &TouchstoneReader::mixedModeOrder},
    {"[BEGIN INFORMATION]", &TouchstoneReader::beginInformation},
    {"[END INFORMATION]", &TouchstoneReader::endInformation},
    {"[NETWORK DATA]", &TouchstoneReader::networkData},
    {"[NOISE DATA]", &TouchstoneReader::noiseData},
    {"[END]", &TouchstoneReader::end},
    // Keywords that do not change the S-parameters.
    {"[NUMBER OF NOISE FREQUENCIES]", &TouchstoneReader::passOver},
};

bool TouchstoneReader::takeLine(const TextLine& line) {
    const bool first = firstLine_;
    firstLine_ = false;
    if (section_ == Section::Ended) return true;
    const std::string_view text = line.text;
    if (text.front() == '[') {
        if (first && StartsWithUpper(text, "[VERSION]")) version_ = 2;
        if (version_ == 1)
            return refuse(line, "a keyword in a Touchstone 1 file (a Touchstone 2.0 file "
                                "begins with \"[Version] 2.0\").");
        return takeKeyword(line);
    }
    if (section_ == Section::Information) return true;
    if (section_ == Section::NoiseData) return true;
    if (text.front() == '#') return takeOptionLine(line);
    if (version_ == 2 && section_ != Section::NetworkData)
        return refuse(line, "data before \"[Network Data]\".");
    if (noiseStart_) return takeNoiseLine(line);
    return takeDataLine(line);
}

bool TouchstoneReader::takeKeyword(const TextLine& line) {
    const std::string_view text = line.text;
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return refuse(line, "a keyword without \"]\".");
    const std::string name = UpperCase(text.substr(0, close + 1));
    const std::string_view arg = Trimmed(text.substr(close + 1));
    if (section_ == Section::Information && name != "[END INFORMATION]") return true;
    if (section_ == Section::NetworkData && !endNetworkData(&line)) return false;
    for (const Keyword& keyword : kKeywords)
        if (keyword.name == name) return (this->*keyword.handler)(line, arg);
    return true; // other keywords do not change the S-parameters
}

bool TouchstoneReader::version(const TextLine& line, std::string_view arg) {
    if (versionRead_) return refuse(line, "a second \"[Version]\".");
    versionRead_ = true;
    if (arg != "2.0") return refuse(line, "only version 2.0 is read: \"[Version] 2.0\".");
    return true;
}

bool TouchstoneReader::numberOfPorts(const TextLine& line, std::string_view arg) {
    int ports = 0;
    if (!ParseInt(arg, &ports) || ports < 1)
        return refuse(line, "the number of ports is not a positive whole number.");
    if (ports > 2)
        return refuse(line, "more than two ports: only one- and two-port files are read.");
    ports_ = ports;
    return true;
}

bool TouchstoneReader::dataOrder(const TextLine& line, std::string_view arg) {
    if (arg == "12_21")
        order12_21_ = true;
    else if (arg == "21_12")
        order12_21_ = false;
    else
        return refuse(line, "the two-port data order is neither 12_21 nor 21_12.");
    return true;
}

bool TouchstoneReader::numberOfFrequencies(const TextLine& line, std::string_view arg) {
    if (!ParseInt(arg, &announcedFrequencies_) || announcedFrequencies_ < 1)
        return refuse(line, "the number of frequencies is not a positive whole number.");
    if (static_cast<std::size_t>(announcedFrequencies_) > kMaxMeasuredFrequencies)
        return refuse(line, "more than 100,000 frequencies.");
    return true;
}

bool TouchstoneReader::reference(const TextLine& line, std::string_view arg) {
    const std::vector<std::string_view> words = SplitWords(arg);
    if (words.empty()) return refuse(line, "the reference impedance is missing.");
    for (std::string_view word : words) {
        double ohms = 0.0;
        if (!ParseFiniteNumber(word, &ohms))
            return refuse(line, "the reference impedance is not a number.");
        if (ohms != kReferenceOhms) return refuse(line, "a reference impedance other than 50 ohm.");
    }
    return true;
}

bool TouchstoneReader::matrixFormat(const TextLine& line, std::string_view arg) {
    const std::string format = UpperCase(arg);
    if (format != "FULL" && format != "LOWER" && format != "UPPER")
        return refuse(line, "the matrix format is neither Full, Lower nor Upper.");
    triangle_ = format == "FULL"    ? Triangle::None
                : format == "LOWER" ? Triangle::Lower
                                    : Triangle::Upper;
    return true;
}

bool TouchstoneReader::mixedModeOrder(const TextLine& line, std::string_view) {
    return refuse(line, "mixed-mode parameters are not read: only single-ended S-parameters.");
}

bool TouchstoneReader::beginInformation(const TextLine&, std::string_view) {
    section_ = Section::Information;
    return true;
}

bool TouchstoneReader::endInformation(const TextLine&, std::string_view) {
    section_ = Section::Header;
    return true;
}

bool TouchstoneReader::networkData(const TextLine& line, std::string_view) {
    if (!optionLine_) return refuse(line, "the option line (\"# GHz S MA R 50\") is missing.");
    if (ports_ == 0) return refuse(line, "\"[Number of Ports]\" is missing.");
    if (announcedFrequencies_ == 0) return refuse(line, "\"[Number of Frequencies]\" is missing.");
    if (ports_ == 2 && !order12_21_) return refuse(line, "\"[Two-Port Data Order]\" is missing.");
    if (!points_.empty()) return refuse(line, "a second \"[Network Data]\".");
    section_ = Section::NetworkData;
    return true;
}

bool TouchstoneReader::noiseData(const TextLine&, std::string_view) {
    section_ = Section::NoiseData;
    return true;
}

bool TouchstoneReader::end(const TextLine&, std::string_view) {
    section_ = Section::Ended;
    return true;
}

bool TouchstoneReader::passOver(const TextLine&, std::string_view) {
    return true;
}

bool TouchstoneReader::takeOptionLine(const TextLine& line) {
    // Only the first option line counts.
    if (optionLine_) return true;
    if (!points_.empty() || !record_.empty())
        return refuse(line, "the option line stands after the data.");
    optionLine_ = true;
    const std::vector<std::string_view> words = SplitWords(std::string_view(line.text).substr(1));
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string word = UpperCase(words[i]);
        if (word == "HZ" || word == "KHZ" || word == "MHZ" || word == "GHZ") {
            hzPerUnit_ = word == "HZ" ? 1.0 : word == "KHZ" ? 1e3 : word == "MHZ" ? 1e6 : 1e9;
        } else if (word == "S") {
            continue;
        } else if (word == "Y" || word == "Z" || word == "H" || word == "G") {
            return refuse(line, word + "-parameters are not read: only S-parameters.");
        } else if (word == "MA" || word == "DB" || word == "RI") {
            format_ = word == "MA"   ? DataFormat::MagnitudeAngle
                      : word == "DB" ? DataFormat::DecibelAngle
                                     : DataFormat::RealImaginary;
        } else if (word == "R") {
            double ohms = 0.0;
            if (i + 1 >= words.size() || !ParseFiniteNumber(words[i + 1], &ohms))
                return refuse(line, "\"R\" is not followed by the reference impedance.");
            if (ohms != kReferenceOhms)
                return refuse(line, "a reference impedance other than 50 ohm.");
            ++i;
        } else {
            return refuse(line,
                          "an unknown word \"" + std::string(words[i]) + "\" in the option line.");
        }
    }
    return true;
}

bool TouchstoneReader::takeDataLine(const TextLine& line) {
    const std::vector<std::string_view> words = SplitWords(line.text);
    if (ports_ == 0) {
        // A version 1 file whose name does not say: one port has three values a line, two ports
        // nine.
        if (words.size() == 3 || words.size() == 9)
            ports_ = words.size() == 3 ? 1 : 2;
        else
            return refuse(line, "the number of ports is not known: name the file .s1p or .s2p.");
    }
    if (record_.empty()) recordLine_ = line;
    for (std::string_view word : words) {
        if (record_.size() == valuesPerRecord())
            return refuse(line, "a wrong count of values: a frequency of a " +
                                    std::to_string(ports_) + "-port takes " +
                                    std::to_string(valuesPerRecord() - 1) + " values.");
        double value = 0.0;
        if (!ParseFiniteNumber(word, &value))
            return refuse(line, "\"" + std::string(word) + "\" is not a finite number.");
        record_.push_back(value);
        // A two-port frequency that does not increase starts the noise section of version 1.
        if (record_.size() == 1 && version_ == 1 && ports_ == 2 && !points_.empty() &&
            !(value * hzPerUnit_ > points_.back().frequencyHz)) {
            noiseStart_ = line;
            record_.clear();
            return takeNoiseLine(line);
        }
    }
    if (record_.size() == valuesPerRecord()) return completeRecord();
    return true;
}

bool TouchstoneReader::takeNoiseLine(const TextLine& line) {
    // Noise parameters: frequency, minimum noise figure, reflection magnitude and angle of the
    // optimum source, effective noise resistance; the frequencies increase.
    const std::vector<std::string_view> words = SplitWords(line.text);
    std::array<double, 5> values{};
    bool parsed = words.size() == values.size();
    for (std::size_t i = 0; parsed && i < values.size(); ++i)
        parsed = ParseFiniteNumber(words[i], &values[i]);
    const bool first = line.number == noiseStart_->number;
    if (!parsed || (!first && !(values[0] > lastNoiseHz_)))
        return refuse(*noiseStart_, "the frequency does not increase, and the lines from here on "
                                    "are not a noise-parameter section.");
    lastNoiseHz_ = values[0];
    return true;
}

bool TouchstoneReader::completeRecord() {
    const TextLine& first = recordLine_;
    const double frequencyHz = record_[0] * hzPerUnit_;
    if (!(frequencyHz > 0.0)) return refuse(first, "a frequency that is not above 0.");
    if (!points_.empty() && !(frequencyHz > points_.back().frequencyHz))
        return refuse(first, "the frequencies do not increase.");
    if (points_.size() == kMaxMeasuredFrequencies)
        return refuse(first, "more than 100,000 frequencies.");
    if (version_ == 2 && points_.size() == static_cast<std::size_t>(announcedFrequencies_))
        return refuse(first, "more frequencies than \"[Number of Frequencies]\" announced.");

    // The pairs in file order: S11 alone, or S11 S21 S12 S22 (version 1 and 21_12) or S11 S12 S21
    // S22 (12_21); a lower triangle is S11 S21 S22, an upper one S11 S12 S22.
    static constexpr std::array<SParameter, 4> kOrder21_12 = {SParameter::S11, SParameter::S21,
                                                              SParameter::S12, SParameter::S22};
    static constexpr std::array<SParameter, 4> kOrder12_21 = {SParameter::S11, SParameter::S12,
                                                              SParameter::S21, SParameter::S22};
    static constexpr std::array<SParameter, 4> kLower = {SParameter::S11, SParameter::S21,
                                                         SParameter::S22, SParameter::S22};
    static constexpr std::array<SParameter, 4> kUpper = {SParameter::S11, SParameter::S12,
                                                         SParameter::S22, SParameter::S22};
    const auto& order = triangle_ == Triangle::Lower   ? kLower
                        : triangle_ == Triangle::Upper ? kUpper
                        : order12_21_.value_or(false)  ? kOrder12_21
                                                       : kOrder21_12;
    MeasuredPoint point;
    point.frequencyHz = frequencyHz;
    for (std::size_t pair = 0; 1 + 2 * pair < record_.size(); ++pair) {
        const double a = record_[1 + 2 * pair];
        const double b = record_[2 + 2 * pair];
        MeasuredValue& value = point.s[Index(order[pair])];
        switch (format_) {
        case DataFormat::MagnitudeAngle:
            if (a < 0.0) return refuse(first, "a negative magnitude.");
            value = {MagnitudeToDb(a), b};
            break;
        case DataFormat::DecibelAngle:
            value = {a, b};
            break;
        case DataFormat::RealImaginary:
            value = {MagnitudeToDb(std::hypot(a, b)), std::atan2(b, a) * 180.0 / kPi};
            break;
        }
        if (!(value.magnitudeDb <= kLargestMagnitudeDb))
            return refuse(first, "a magnitude above 1000 dB.");
    }
    // A triangle gives the symmetric matrix of a reciprocal device.
    if (triangle_ == Triangle::Lower)
        point.s[Index(SParameter::S12)] = point.s[Index(SParameter::S21)];
    if (triangle_ == Triangle::Upper)
        point.s[Index(SParameter::S21)] = point.s[Index(SParameter::S12)];
    points_.push_back(point);
    record_.clear();
    return true;
}

bool TouchstoneReader::endNetworkData(const TextLine* line) {
    section_ = Section::Header;
    if (!record_.empty()) {
        const std::string reason = "a wrong count of values: the last frequency has " +
                                   std::to_string(record_.size() - 1) + " of its " +
                                   std::to_string(valuesPerRecord() - 1) + " values.";
        return refuse(recordLine_, reason);
    }
    if (version_ == 2 && points_.size() != static_cast<std::size_t>(announcedFrequencies_)) {
        const std::string reason = "\"[Number of Frequencies]\" announced " +
                                   std::to_string(announcedFrequencies_) + " frequencies, the " +
                                   "file holds " + std::to_string(points_.size()) + ".";
        return line != nullptr ? refuse(*line, reason) : refuse(reason);
    }
    return true;
}

bool TouchstoneReader::finish(Measurement* measurement) {
    if (section_ == Section::NetworkData || (version_ == 1 && !record_.empty()))
        if (!endNetworkData(nullptr)) return false;
    if (points_.empty()) return refuse("the file holds no S-parameters.");
    measurement->numPorts = ports_;
    measurement->points = std::move(points_);
    return true;
}

/// The number of ports a ".sNp" name gives (N), 0 for another name.
int PortsByName(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return 0;
    const std::string extension = UpperCase(std::string_view(path).substr(dot + 1));
    if (extension.size() < 3 || extension.front() != 'S' || extension.back() != 'P') return 0;
    int ports = 0;
    if (!ParseInt(std::string_view(extension).substr(1, extension.size() - 2), &ports)) return 0;
    return ports;
}

} // namespace

int ReadTouchstoneFile(const char* path, Measurement* measurement) {
    if (path == nullptr || measurement == nullptr) {
        ReportFileError(MakeErrorCode(kMsgNullParameter, kRoutineReadTouchstoneFile), path);
        return 0;
    }
    const int portsByName = PortsByName(path);
    if (portsByName > 2) {
        ReportFileRefusal(kRoutineReadTouchstoneFile, path, 0,
                          "more than two ports: only one- and two-port files are read.");
        return 0;
    }
    TouchstoneReader reader(path, portsByName);
    const int read = ReadTextLines(path, kRoutineReadTouchstoneFile,
                                   [&](const TextLine& line) { return reader.takeLine(line); });
    if (read == 0) return 0;
    Measurement loaded;
    if (!reader.finish(&loaded)) return 0;
    *measurement = std::move(loaded);
    return 1;
}

} // namespace tolvane
