// Numbers in text fields: reading the number a text starts with, writing one as printf does.

#include "ui/number_text.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <random>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;

class NumberTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsTheLeadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");
        QTest::newRow("unit after the number") << u"2.500000 GHz"_s << true << 2.5;
        QTest::newRow("leading blanks") << u" \t 17"_s << true << 17.0;
        QTest::newRow("negative") << u"-2.5"_s << true << -2.5;
        QTest::newRow("plus sign") << u"+3.25"_s << true << 3.25;
        QTest::newRow("exponent") << u"1e3x"_s << true << 1000.0;
        QTest::newRow("no digits before the point") << u".5"_s << true << 0.5;
        QTest::newRow("comma ends the number") << u"2,5"_s << true << 2.0;
        QTest::newRow("empty") << u""_s << false << 0.0;
        QTest::newRow("blanks only") << u"   "_s << false << 0.0;
        QTest::newRow("word") << u"abc"_s << false << 0.0;
        QTest::newRow("two signs") << u"+-1"_s << false << 0.0;
        QTest::newRow("unit only") << u"GHz 2"_s << false << 0.0;
        // Not numbers any field can hold, though the C library reads them.
        QTest::newRow("not a number") << u"nan"_s << false << 0.0;
        QTest::newRow("infinity") << u"inf"_s << false << 0.0;
        QTest::newRow("negative infinity") << u" -Infinity dB"_s << false << 0.0;
    }
    void readsTheLeadingNumber() {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        const std::optional<double> read = ReadLeadingDouble(text);
        QCOMPARE(read.has_value(), isNumber);
        if (isNumber) QCOMPARE(*read, value);
        QCOMPARE(ReadLeadingFloat(text).has_value(), isNumber);
        if (isNumber) QCOMPARE(*ReadLeadingFloat(text), float(value));
    }

    void readsFloatsAsTheCLibraryRoundsThem() {
        // "%f" reads straight into a float: 0.1 is the float nearest to 0.1, not a rounded double.
        QCOMPARE(*ReadLeadingFloat(QStringLiteral("0.1")), 0.1f);
        QCOMPARE(*ReadLeadingFloat(QStringLiteral("16777217")), 16777216.0f);
    }

    void readsTheLeadingInteger_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << u"101"_s << true << 101;
        QTest::newRow("fraction cut") << u"12.7"_s << true << 12;
        QTest::newRow("exponent cut") << u"1e9"_s << true << 1;
        QTest::newRow("negative") << u" -4"_s << true << -4;
        QTest::newRow("plus sign") << u"+6000"_s << true << 6000;
        QTest::newRow("point first") << u".5"_s << false << 0;
        QTest::newRow("too large for an int") << u"99999999999"_s << false << 0;
        QTest::newRow("word") << u"many"_s << false << 0;
    }
    void readsTheLeadingInteger() {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(int, value);
        const std::optional<int> read = ReadLeadingInt(text);
        QCOMPARE(read.has_value(), isNumber);
        if (isNumber) QCOMPARE(*read, value);
    }

    void formatsAsPrintfDoes_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("a tie rounds to even, as printf does") << -5.25 << 1 << u"-5.2"_s;
        QTest::newRow("another tie") << 0.125 << 2 << u"0.12"_s;
        QTest::newRow("0.05 is slightly above its decimal") << 0.05 << 1 << u"0.1"_s;
        QTest::newRow("GHz line") << 26.5 << 6 << u"26.500000"_s;
        QTest::newRow("negative zero") << -0.04 << 1 << u"-0.0"_s;
        QTest::newRow("no decimals") << 2.5 << 0 << u"2"_s;
        QTest::newRow("large") << 1e20 << 1 << u"100000000000000000000.0"_s;
    }
    void formatsAsPrintfDoes() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(FormatFixed(value, decimals), text);
    }

    void agreesWithPrintfInTheCLocale() {
        std::setlocale(LC_NUMERIC, "C");
        std::mt19937 random(20240611);
        std::uniform_real_distribution<double> magnitude(-7.0, 7.0);
        for (int i = 0; i < 20000; ++i) {
            // Ties (multiples of 1/64) and arbitrary values alike.
            const double value = i % 2 == 0 ? (i - 10000) / 64.0
                                            : std::copysign(std::pow(10.0, magnitude(random)),
                                                            i % 4 == 1 ? 1.0 : -1.0);
            for (int decimals : {1, 3, 6}) {
                char expected[400];
                std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
                QCOMPARE(FormatFixed(value, decimals), QString::fromLatin1(expected));
            }
        }
    }
};

QTEST_MAIN(NumberTextTest)
#include "number_text_test.moc"
