// The compiled help file read through the help window's reader: its context map, contents and
// links, and the worked examples of "Computation of Uncertainty" and "Worst Case, RSS and Monte
// Carlo" computed again by the library.

#include "core/owned.h"
#include "help_fixture.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"
#include "support/temp_dir.h"
#include "ui/help/help.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "engine/compute_model.h"
#include "engine/model.h"
#include "engine/uncertainty.h"
#include "engine/uncertainty_methods.h"
#include "files/export.h"
#include "files/model_file.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <fstream>
#include <functional>

using namespace tolvane;
using testing::DecodeHtmlText;
using testing::TopicHtml;

namespace {

const QString kComputationTopic = QStringLiteral("/computation.htm");

// Every context number the program asks for, with the title of the topic it must open.
const QList<QPair<int, QString>> kContextTopics = {
    {kHelpContents, QStringLiteral("Tolvane Help")},
    {kHelpConfigurationDialog, QStringLiteral("Configuration")},
    {kHelpModelFrequenciesAndPower, QStringLiteral("Model Frequencies and Power")},
    {kHelpModelIfBandwidthAndAveraging, QStringLiteral("Model IF Bandwidth and Averaging")},
    {kHelpCableConfiguration, QStringLiteral("Cable Configuration")},
    {kHelpCalibrationConfiguration, QStringLiteral("Calibration Configuration")},
    {kHelpConfigurationDut, QStringLiteral("Configuration DUT")},
    {kHelpConfigurationFrequencies, QStringLiteral("Configuration Frequencies")},
    {kHelpVnaConfiguration, QStringLiteral("VNA Configuration")},
    {kHelpModelDialog, QStringLiteral("Uncertainty Model")},
    {kHelpDriftPages, QStringLiteral("Cable Drift")},
    {kHelpCalibrationResidualPages, QStringLiteral("Calibration Residual Uncertainty")},
    {kHelpConnectorRepeatabilityPages, QStringLiteral("Connector Repeatability")},
    {kHelpModelDut, QStringLiteral("Model DUT")},
    {kHelpTestsetPages, QStringLiteral("Testset")},
    {kHelpUserDutResults, QStringLiteral("User Defined DUT Results")},
    {kHelpComputation, QStringLiteral("Computation of Uncertainty")},
    {kHelpMeasuredDut, QStringLiteral("Measured DUTs, Limits and Decision Rules")},
    {kHelpPlanner, QStringLiteral("Planner")},
};

// The content of the element with the given id ("<pre id=...>...</pre>"), decoded.
QString ElementText(const QString& html, const QString& tag, const QString& id) {
    const QRegularExpression element(
        QStringLiteral("<%1 id=\"%2\">(.*?)</%1>").arg(tag, QRegularExpression::escape(id)),
        QRegularExpression::DotMatchesEverythingOption);
    return DecodeHtmlText(element.match(html).captured(1));
}

// A number as the help prints it: "0.113968", "-20", "1.5811 × 10<sup>-5</sup>", with the
// half unit of its last printed digit.
struct PrintedNumber {
    double value = 0.0;
    double halfUnit = 0.0;
    bool valid = false;
};

PrintedNumber ParsePrinted(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(-?\\d+)(?:\\.(\\d+))?(?:\\s*\u00d7\\s*10<sup>(-?\\d+)</sup>)?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return {};
    const QString decimals = match.captured(2);
    const int exponent = match.capturedStart(3) >= 0 ? match.captured(3).toInt() : 0;
    const double scale = std::pow(10.0, exponent);
    const QString mantissa =
        decimals.isEmpty() ? match.captured(1) : match.captured(1) + u'.' + decimals;
    return {mantissa.toDouble() * scale,
            0.5 * std::pow(10.0, -static_cast<int>(decimals.size())) * scale, true};
}

// Every number of the topic marked as a checked input ("in-...") or result ("ex-..."), or with
// the ids of `prefixes` ("mx" marks those of the methods' example).
QMap<QString, QString> CheckedNumbers(const QString& html,
                                      const QString& prefixes = QStringLiteral("in|ex")) {
    const QRegularExpression marked(
        QStringLiteral("id=\"((?:%1)-[^\"]+)\"[^>]*>(.*?)</(?:span|td)>").arg(prefixes),
        QRegularExpression::DotMatchesEverythingOption);
    QMap<QString, QString> numbers;
    for (const QRegularExpressionMatch& match : marked.globalMatch(html))
        numbers.insert(match.captured(1), DecodeHtmlText(match.captured(2)));
    return numbers;
}

// Each printed number that is not the computed one to its printed digits (or is not computed at
// all), and each computed number that is not printed.
QStringList Mismatches(const QMap<QString, QString>& printed,
                       const QMap<QString, double>& expected) {
    QStringList failures;
    for (auto it = printed.begin(); it != printed.end(); ++it) {
        if (!expected.contains(it.key())) {
            failures << it.key() + QStringLiteral(" is printed but not checked");
            continue;
        }
        const PrintedNumber number = ParsePrinted(it.value());
        const double computed = expected.value(it.key());
        const double allowed = number.halfUnit + 2.0 * FLT_EPSILON * std::fabs(computed);
        if (!number.valid || !(std::fabs(number.value - computed) <= allowed))
            failures << QStringLiteral("%1: printed %2, computed %3")
                            .arg(it.key(), it.value())
                            .arg(computed, 0, 'g', 9);
    }
    for (auto it = expected.begin(); it != expected.end(); ++it)
        if (!printed.contains(it.key())) failures << it.key() + QStringLiteral(" is missing");
    return failures;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

class HelpFileTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ChmFile> file_;
    testing::TempDir dir_;

    QString computationHtml() const { return TopicHtml(*file_, kComputationTopic); }

    // The worked example's model, read from the model file listed in the topic.
    Owned<ModelInfo> readExampleModel() const {
        const QString listing =
            ElementText(computationHtml(), QStringLiteral("pre"), QStringLiteral("example-model"));
        const std::string path = dir_.write("example.mdl", listing.toStdString());
        Owned<ModelInfo> model(CreateModelInfo());
        testing::CapturedMessages messages;
        if (!model || ReadModelFile(model.get(), path.c_str()) != 1 || !messages.all().empty())
            return nullptr;
        return model;
    }

private Q_SLOTS:
    void initTestCase() {
        file_ = testing::OpenBuiltHelp();
        QVERIFY2(file_ != nullptr, qPrintable(testing::BuiltHelpFile()));
        SetCoverageTraceStream(nullptr);
    }

    void contextNumbersOpenTheirTopics_data() {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("title");
        for (const auto& [context, title] : kContextTopics)
            QTest::addRow("%d", context) << context << title;
    }

    void contextNumbersOpenTheirTopics() {
        QFETCH(int, context);
        QFETCH(QString, title);
        const QString topic = file_->topicForContext(context);
        QVERIFY2(!topic.isEmpty(), "the context number is not mapped to a topic in the file");
        QCOMPARE(testing::TopicTitle(TopicHtml(*file_, topic)), title);
    }

    void contextMapHoldsTheProgramsNumbersOnly() {
        QList<int> mapped = file_->contextNumbers();
        std::sort(mapped.begin(), mapped.end());
        QList<int> expected;
        for (const auto& entry : kContextTopics)
            expected.push_back(entry.first);
        std::sort(expected.begin(), expected.end());
        QCOMPARE(mapped, expected);
        QVERIFY(file_->topicForContext(2).isEmpty());
        QVERIFY(file_->topicForContext(8).isEmpty());
    }

    void fileNamesItsTitleContentsAndDefaultTopic() {
        QCOMPARE(file_->title(), QStringLiteral("Tolvane Help"));
        QCOMPARE(file_->defaultTopic(), QStringLiteral("contents.htm"));
        QVERIFY(file_->contains(file_->contentsFile()));
        // The objects named with and without the leading "/" are the same.
        QVERIFY(file_->contains(QStringLiteral("contents.htm")));
        QVERIFY(!file_->contains(QStringLiteral("/no-such-topic.htm")));
        QVERIFY(!file_->read(QStringLiteral("/no-such-topic.htm")).has_value());
    }

    void contentsListTheTopicsInTheirPlaces() {
        const QList<ContentsEntry> contents = file_->contents();
        QCOMPARE(contents.size(), 1);
        QCOMPARE(contents[0].name, QStringLiteral("Tolvane Help"));
        QStringList chapters;
        for (const ContentsEntry& chapter : contents[0].children)
            chapters << chapter.name;
        QCOMPARE(
            chapters,
            QStringList({QStringLiteral("The Main Window and Menu"),
                         QStringLiteral("Configuration"), QStringLiteral("Uncertainty Model"),
                         QStringLiteral("Results: Charts, Lists and Printing"),
                         QStringLiteral("Measured DUTs, Limits and Decision Rules"),
                         QStringLiteral("Planner"), QStringLiteral("Computation of Uncertainty"),
                         QStringLiteral("Messages"), QStringLiteral("File Formats")}));
        const ContentsEntry& configuration = contents[0].children[1];
        QCOMPARE(configuration.local, QStringLiteral("configuration.htm"));
        QCOMPARE(configuration.children.size(), 5);
        const ContentsEntry& files = contents[0].children.back();
        QVERIFY(files.local.isEmpty());
        QCOMPARE(files.children[0].local, QStringLiteral("file_database.htm"));
    }

    void sitemapParsingFollowsTheNesting() {
        const QByteArray sitemap = R"(<HTML><BODY>
            <OBJECT type="text/site properties"><param name="Window Styles" value="1"></OBJECT>
            <UL>
              <LI><OBJECT type="text/sitemap"><param name="Name" value="A &amp; B">
                  <param name="Local" value="a.htm"></OBJECT>
              <UL>
                <LI><OBJECT type="text/sitemap"><param name="Name" value="A1">
                    <param name="Local" value="a.htm#one"></OBJECT>
                <UL><LI><OBJECT type="text/sitemap"><param name="Name" value="A1x"></OBJECT></UL>
                <LI><object type='text/sitemap'><param name=Name value=A2></object>
              </UL>
              <LI><OBJECT type="text/sitemap"><param name="Name" value="C"></OBJECT>
            </UL></BODY></HTML>)";
        const QList<ContentsEntry> entries = ParseSitemap(sitemap);
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].name, QStringLiteral("A & B"));
        QCOMPARE(entries[0].local, QStringLiteral("a.htm"));
        QCOMPARE(entries[0].children.size(), 2);
        QCOMPARE(entries[0].children[0].local, QStringLiteral("a.htm#one"));
        QCOMPARE(entries[0].children[0].children.size(), 1);
        QCOMPARE(entries[0].children[0].children[0].name, QStringLiteral("A1x"));
        QCOMPARE(entries[0].children[1].name, QStringLiteral("A2"));
        QCOMPARE(entries[1].name, QStringLiteral("C"));
        QVERIFY(entries[1].children.isEmpty());
    }

    // Every page, picture and anchor a topic or the contents point to is in the file, and every
    // page of the file can be reached from the contents.
    void everyLinkAndPictureResolves() {
        static const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
        QStringList failures;
        QSet<QString> reached;
        auto check = [&](const QString& from, const QString& target) {
            const QUrl url = QUrl(QStringLiteral("chm:") + from).resolved(QUrl(target));
            if (url.scheme() != u"chm") {
                failures << from + QStringLiteral(" links outside the help: ") + target;
                return;
            }
            const QString path = url.path();
            if (!file_->contains(path)) {
                failures << from + QStringLiteral(" -> missing ") + target;
                return;
            }
            reached.insert(path);
            if (url.hasFragment() &&
                !TopicHtml(*file_, path)
                     .contains(QStringLiteral("name=\"%1\"").arg(url.fragment())))
                failures << from + QStringLiteral(" -> missing anchor ") + target;
        };
        std::function<void(const QList<ContentsEntry>&)> walk =
            [&](const QList<ContentsEntry>& entries) {
                for (const ContentsEntry& entry : entries) {
                    if (!entry.local.isEmpty()) check(QStringLiteral("/toc.hhc"), entry.local);
                    walk(entry.children);
                }
            };
        walk(file_->contents());

        const QStringList files = file_->files();
        QVERIFY(files.contains(QStringLiteral("/contents.htm")));
        for (const QString& path : files) {
            if (!path.endsWith(QStringLiteral(".htm"))) continue;
            for (const QRegularExpressionMatch& match :
                 reference.globalMatch(TopicHtml(*file_, path)))
                check(path, match.captured(1));
        }
        for (const QString& path : files)
            if (!reached.contains(path) && path != NormalizeChmPath(file_->contentsFile()))
                failures << path + QStringLiteral(" is neither in the contents nor linked");
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }

    void missingAndForeignFilesDoNotOpen() {
        QVERIFY(ChmFile::Open(QString::fromStdString(dir_.file("absent.chm"))) == nullptr);
        const std::string text = dir_.write("Tolvanev2.chm", "VNA\nSSr\n");
        QVERIFY(ChmFile::Open(QString::fromStdString(text)) == nullptr);
    }

    // The listing is what "Save Model..." writes for the model it describes.
    void exampleModelFileIsAsSaveModelWritesIt() {
        const Owned<ModelInfo> model = readExampleModel();
        QVERIFY(model != nullptr);
        const std::string written = dir_.file("written.mdl");
        QCOMPARE(WriteModelFile(model.get(), written.c_str()), 1);
        const QString listing =
            ElementText(computationHtml(), QStringLiteral("pre"), QStringLiteral("example-model"));
        QCOMPARE(QString::fromStdString(ReadWholeFile(written)), listing);
    }

    // Every number of the example, inputs, steps and results, is what the library computes from
    // the example's model file, to the digits printed.
    void workedExampleMatchesTheLibrary() {
        const Owned<ModelInfo> model = readExampleModel();
        QVERIFY(model != nullptr);
        ModelInfo& m = *model;
        const double f = m.frequenciesHz[0];
        CoverageFactors k{};
        QVERIFY(GetDUTCoverageFactors(m.dut, &k[0], &k[1], &k[2], &k[3], &k[4], &k[5], &k[6], &k[7],
                                      &k[8], &k[9], &k[10], &k[11]));

        QMap<QString, double> expected;
        auto cal = [&](int code) {
            float v = 0.0f;
            return GetCalFVValue(m.calKit, code, f, &v) ? static_cast<double>(v) : NAN;
        };
        auto cable = [&](const CableInfo* c, int code) {
            float v = 0.0f;
            return GetCableFVValue(c, code, f, &v) ? static_cast<double>(v) : NAN;
        };
        auto connector = [&](const ConnInfo* c, int code) {
            float v = 0.0f;
            return GetConnFVValue(c, code, f, &v) ? static_cast<double>(v) : NAN;
        };
        auto vnaTerm = [&](int code) {
            float v = 0.0f;
            return GetVNAFVValue(m.vna, code, f, &v) ? static_cast<double>(v) : NAN;
        };
        auto receiver = [&](float powerDbm) {
            float v = 0.0f;
            return GetVNAPVValue(m.vna, kVNATableSRc, powerDbm, &v) ? v : NAN;
        };

        // The inputs the topic states, as the model file's tables give them at f.
        expected[QStringLiteral("in-f-GHz")] = f / 1e9;
        expected[QStringLiteral("in-P")] = m.powerDbm;
        expected[QStringLiteral("in-ifbw")] = m.ifBandwidthHz;
        expected[QStringLiteral("in-nrc-ifbw")] = m.nrcIfBandwidthHz;
        expected[QStringLiteral("in-avg")] = m.averages;
        expected[QStringLiteral("in-nrc-avg")] = m.nrcAverages;
        const float cdr = static_cast<float>(cal(kCalCDr)), csm = static_cast<float>(cal(kCalCSm));
        const float crt = static_cast<float>(cal(kCalCRt)), cxt = static_cast<float>(cal(kCalCXt));
        const float clm = static_cast<float>(cal(kCalCLm)), ctt = static_cast<float>(cal(kCalCTt));
        const float ssr = static_cast<float>(vnaTerm(kVNATableSSr));
        const float nrc = static_cast<float>(vnaTerm(kVNATableNRc));
        const float dcb1tm = static_cast<float>(cable(m.cable1, kCableDCbTm));
        const float dcb2tm = static_cast<float>(cable(m.cable2, kCableDCbTm));
        const float rcnrm = static_cast<float>(connector(m.connector1, kConnRCnRm));
        const float rcntm = static_cast<float>(connector(m.connector1, kConnRCnTm));
        QCOMPARE(connector(m.connector2, kConnRCnRm), static_cast<double>(rcnrm));
        QCOMPARE(connector(m.connector2, kConnRCnTm), static_cast<double>(rcntm));
        expected[QStringLiteral("in-CDr")] = cdr;
        expected[QStringLiteral("in-CSm")] = csm;
        expected[QStringLiteral("in-CRt")] = crt;
        expected[QStringLiteral("in-CXt")] = cxt;
        expected[QStringLiteral("in-CLm")] = clm;
        expected[QStringLiteral("in-CTt")] = ctt;
        expected[QStringLiteral("in-SSr")] = ssr;
        expected[QStringLiteral("in-NRc")] = nrc;
        expected[QStringLiteral("in-DCb1Tm")] = dcb1tm;
        expected[QStringLiteral("in-DCb2Tm")] = dcb2tm;
        expected[QStringLiteral("in-DCb1Tp")] = cable(m.cable1, kCableDCbTp);
        expected[QStringLiteral("in-DCb2Tp")] = cable(m.cable2, kCableDCbTp);
        expected[QStringLiteral("in-RCnRm")] = rcnrm;
        expected[QStringLiteral("in-RCnTm")] = rcntm;

        // Step 1: the terms as the computation's two-ports hold them.
        const TwoPort source = SourceSideTwoPort(cdr, crt, csm, k);
        const TwoPort load = LoadSideTwoPort(clm, ctt, k);
        const TwoPort cable1 = CableDriftTwoPort(dcb1tm, k);
        const TwoPort cable2 = CableDriftTwoPort(dcb2tm, k);
        const TwoPort conn = ConnectorTwoPort(rcnrm, rcntm, k);
        expected[QStringLiteral("ex-DIR")] = source.s11;
        expected[QStringLiteral("ex-RT")] = source.s12;
        expected[QStringLiteral("ex-SM")] = source.s22;
        expected[QStringLiteral("ex-LM")] = load.s11;
        expected[QStringLiteral("ex-TT")] = load.s21;
        expected[QStringLiteral("ex-D1")] = cable1.s21;
        expected[QStringLiteral("ex-D2")] = cable2.s21;
        expected[QStringLiteral("ex-R")] = conn.s11;
        expected[QStringLiteral("ex-T")] = conn.s21;
        const double crosstalk = LossToLinear(cxt) / k[kCoverageCrosstalk];
        const double sourceTerm = GainTermAroundOne(ssr, k[kCoverageSourceUncertainty]);
        expected[QStringLiteral("ex-XT")] = crosstalk;
        expected[QStringLiteral("ex-SRC")] = sourceTerm;
        expected[QStringLiteral("ex-phi1")] = cable(m.cable1, kCableDCbTp) / k[kCoverageDrift];
        expected[QStringLiteral("ex-phi2")] = cable(m.cable2, kCableDCbTp) / k[kCoverageDrift];

        // Step 2: noise.
        const double noiseOffset =
            10.0 * std::log10((m.ifBandwidthHz / m.nrcIfBandwidthHz) *
                              (static_cast<double>(m.nrcAverages) / m.averages));
        const double noiseWatts = DBmToWatts(static_cast<float>(noiseOffset - nrc)) /
                                  std::pow(k[kCoverageNoiseFloor], 2.0);
        expected[QStringLiteral("ex-dN")] = noiseOffset;
        expected[QStringLiteral("ex-NW")] = noiseWatts;
        expected[QStringLiteral("ex-n20")] =
            std::sqrt(noiseWatts / DBmToWatts(m.powerDbm - 20.0f)) * DBToLinear(-20.0f);

        // Step 3: the load side.
        const TwoPort x1 = CascadeTwoPorts(cable2, load);
        const TwoPort x2 = CascadeTwoPorts(conn, x1);
        expected[QStringLiteral("ex-X1-11")] = x1.s11;
        expected[QStringLiteral("ex-X1-21")] = x1.s21;
        expected[QStringLiteral("ex-X2-11")] = x2.s11;
        expected[QStringLiteral("ex-X2-21")] = x2.s21;

        // Steps 4 and 5: the -20 dB values through the rest of the chain.
        const float none = DBToLinear(-140.0f), value = DBToLinear(-20.0f);
        auto chain = [&](const TwoPort& dut) {
            const TwoPort x3 = CascadeTwoPorts(dut, x2);
            const TwoPort x4 = CascadeTwoPorts(conn, x3);
            const TwoPort x5 = CascadeTwoPorts(cable1, x4);
            return std::array<TwoPort, 4>{x3, x4, x5, CascadeTwoPorts(source, x5)};
        };
        const auto reflection = chain(MakeTwoPort(value, none, none, value));
        const double receiver20 =
            GainTermAroundOne(receiver(m.powerDbm - 20.0f), k[kCoverageReceiverUncertainty]);
        expected[QStringLiteral("ex-R20-X3")] = reflection[0].s11;
        expected[QStringLiteral("ex-R20-X4")] = reflection[1].s11;
        expected[QStringLiteral("ex-R20-X5")] = reflection[2].s11;
        expected[QStringLiteral("ex-R20-X6")] = reflection[3].s11;
        expected[QStringLiteral("ex-R20-RX")] = receiver20;
        expected[QStringLiteral("ex-R20-e")] = reflection[3].s11 * sourceTerm * receiver20 - value;
        const auto transmission = chain(MakeTwoPort(none, value, value, none));
        expected[QStringLiteral("ex-T20-X3")] = transmission[0].s21;
        expected[QStringLiteral("ex-T20-X3-11")] = transmission[0].s11;
        expected[QStringLiteral("ex-T20-X5-11")] = transmission[2].s11;
        expected[QStringLiteral("ex-T20-X5")] = transmission[2].s21;
        expected[QStringLiteral("ex-T20-X6")] = transmission[3].s21;
        expected[QStringLiteral("ex-T20-e")] =
            transmission[3].s21 * sourceTerm * receiver20 - value;

        // The results: the model computed as a reflection-only and as a transmission-only DUT.
        Owned<UncertaintyInfo> results(CreateUncertaintyInfo());
        QVERIFY(results != nullptr);
        for (const int type : {DUT_REFLECTION_ONLY, DUT_TRANSMISSION_ONLY}) {
            QVERIFY(SetDUTType(m.dut, type));
            testing::CapturedMessages messages;
            QCOMPARE(ComputeModel(&m, results.get()), 1);
            QVERIFY(messages.all().empty());
            const bool isReflection = type == DUT_REFLECTION_ONLY;
            const QString kind = isReflection ? QStringLiteral("refl") : QStringLiteral("trans");
            for (int j = 0; j < results->numDUTValues; ++j) {
                float nominal = 0.0f, upper = 0.0f, phase = 0.0f;
                QVERIFY(isReflection
                            ? GetUncertaintyRefl(results.get(), 0, j, &nominal, &upper, &phase)
                            : GetUncertaintyTrans(results.get(), 0, j, &nominal, &upper, &phase));
                const QString prefix = QStringLiteral("ex-%1-%2-").arg(kind).arg(j);
                expected[prefix + u'm'] = nominal;
                expected[prefix + u'U'] = upper;
                expected[prefix + QStringLiteral("dB")] =
                    static_cast<double>(LinearToDB(upper)) - LinearToDB(nominal);
                expected[prefix + QStringLiteral("phase")] = phase;
                if (j == 1) {
                    const QString detail =
                        isReflection ? QStringLiteral("ex-R20-") : QStringLiteral("ex-T20-");
                    expected[detail + u'U'] = upper;
                    expected[detail + QStringLiteral("phase")] = phase;
                    expected[detail + QStringLiteral("dB")] =
                        static_cast<double>(LinearToDB(upper)) - LinearToDB(nominal);
                }
            }
        }

        const QStringList failures = Mismatches(CheckedNumbers(computationHtml()), expected);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }

    // The budgets and methods of the "Worst Case, RSS and Monte Carlo" example are what the
    // library computes for the example model's -20 dB values, to the digits printed.
    void methodsExampleMatchesTheLibrary() {
        const Owned<ModelInfo> model = readExampleModel();
        QVERIFY(model != nullptr);
        const QString html = TopicHtml(*file_, QStringLiteral("/uncertainty_methods.htm"));
        const double f = model->frequenciesHz[0];
        const CoverageFactors k = model->dut->coverageFactors;
        QMap<QString, double> expected;
        expected[QStringLiteral("mx-f-GHz")] = f / 1e9;
        expected[QStringLiteral("mx-value")] = -20.0;
        const char* terms[kNumBudgetTerms] = {"D", "SM", "LM", "RT", "TT", "X",
                                              "N", "Dr", "R",  "S",  "Rx"};
        for (const MeasuredParameter parameter : {MeasuredParameter::S11, MeasuredParameter::S21}) {
            PointExplanation e;
            testing::CapturedMessages messages;
            QCOMPARE(ExplainPoint(*model, k, SweepPoint(f, -20.0f, parameter),
                                  {kDefaultPointTrials, kDefaultMonteCarloSeed}, &e),
                     1);
            QVERIFY(messages.all().empty());
            const QString p = parameter == MeasuredParameter::S11 ? QStringLiteral("mx-R-")
                                                                  : QStringLiteral("mx-T-");
            const UncertaintyBudget& b = e.budget;
            for (int t = 0; t < kNumBudgetTerms; ++t) {
                const QString term = p + QString::fromLatin1(terms[t]);
                expected[term + QStringLiteral("-alone")] = b.terms[std::size_t(t)].aloneDeviation;
                expected[term + QStringLiteral("-without")] =
                    b.terms[std::size_t(t)].withoutDeviation;
                expected[term + QStringLiteral("-share")] = b.terms[std::size_t(t)].sharePercent;
            }
            const auto dB = [&](double deviation) {
                return 20.0 * std::log10((b.nominal + deviation) / b.nominal);
            };
            const std::pair<const char*, double> methods[] = {{"worst", b.worstCaseDeviation},
                                                              {"rss", b.rssDeviation},
                                                              {"mc", e.monteCarlo.upperDeviation}};
            for (const auto& [name, deviation] : methods) {
                expected[p + QString::fromLatin1(name)] = deviation;
                expected[p + QString::fromLatin1(name) + QStringLiteral("-dB")] = dB(deviation);
            }
            if (parameter == MeasuredParameter::S11) {
                expected[p + QStringLiteral("mc-lower")] = e.monteCarlo.lowerDeviation;
                expected[p + QStringLiteral("asin")] = b.asinPhaseDeg;
                expected[p + QStringLiteral("drift")] = b.cablePhaseDriftDeg;
            }
        }
        const QStringList failures =
            Mismatches(CheckedNumbers(html, QStringLiteral("mx")), expected);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }

    // The export shown in the "Tabular Export" topic is the export of the example's reflection
    // results.
    void exportExampleIsTheExportOfTheExample() {
        const Owned<ModelInfo> model = readExampleModel();
        QVERIFY(model != nullptr);
        Owned<UncertaintyInfo> results(CreateUncertaintyInfo());
        QCOMPARE(ComputeModel(model.get(), results.get()), 1);
        const std::string path = dir_.file("uncertainty.dat");
        QCOMPARE(ExportUncertaintyToFile(results.get(), path.c_str()), 1);
        const QString shown = ElementText(TopicHtml(*file_, QStringLiteral("/file_export.htm")),
                                          QStringLiteral("pre"), QStringLiteral("example-export"));
        QCOMPARE(QString::fromStdString(ReadWholeFile(path)), shown);
    }
};

QTEST_GUILESS_MAIN(HelpFileTest)
#include "help_file_test.moc"
