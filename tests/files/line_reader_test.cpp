#include "files/line_reader.h"

#include "core/interpolation.h"
#include "files/file_error.h"
#include "support/captured_messages.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

/// Every content line of the file, in order; fails the test on a read error.
Texts ContentLines(const std::string& path) {
    KeywordLineReader reader(path.c_str());
    EXPECT_TRUE(reader.isOpen());
    Texts lines;
    std::string line;
    for (;;) {
        const auto result = reader.nextContentLine(line);
        if (result == KeywordLineReader::Result::Line)
            lines.push_back(line);
        else {
            EXPECT_EQ(result, KeywordLineReader::Result::EndOfFile);
            return lines;
        }
    }
}

TEST(KeywordLineReader, SkipsBlankAndCommentLinesAndCutsLineEnds) {
    testing::TempDir dir;
    const std::string path = dir.write("a.txt", "FIRST line\r\n"
                                                "\r\n"
                                                "   \t \n"
                                                "! a comment\n"
                                                "   ! an indented comment\r\n"
                                                "  value ! not a comment\n"
                                                "lone\rcarriage return\n"
                                                "\n"
                                                "last line without a line feed");
    EXPECT_EQ(ContentLines(path),
              (Texts{"FIRST line", "  value ! not a comment", "lone\rcarriage return",
                     "last line without a line feed"}));
}

TEST(KeywordLineReader, ReadsALongLineAs254CharactersThenTheRest) {
    testing::TempDir dir;
    const std::string head(254, 'a');
    const std::string path = dir.write("long.txt", head + "tail\n" + std::string(254, 'b') + "\n");
    // Exactly 254 characters: the line feed comes alone as the next, blank, line.
    EXPECT_EQ(ContentLines(path), (Texts{head, "tail", std::string(254, 'b')}));
}

TEST(KeywordLineReader, PassesOverTheByteOrderMarkOfAUtf8File) {
    testing::TempDir dir;
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(ContentLines(dir.write("k.txt", mark + "VNA\r\nname\n")), (Texts{"VNA", "name"}));
    EXPECT_EQ(ContentLines(dir.write("c.txt", mark + "! comment\nDUT\n")), (Texts{"DUT"}));
    EXPECT_TRUE(ContentLines(dir.write("m.txt", mark)).empty());
    // Only at the very start of the file; elsewhere the bytes are text of the line.
    EXPECT_EQ(ContentLines(dir.write("l.txt", "A\n" + mark + "B\n")), (Texts{"A", mark + "B"}));
    EXPECT_EQ(ContentLines(dir.write("p.txt", "\xEF\xBBX\n")), (Texts{"\xEF\xBBX"}));
}

TEST(KeywordLineReader, EmptyFileEndsAtOnceAndAFolderIsAReadError) {
    testing::TempDir dir;
    EXPECT_TRUE(ContentLines(dir.write("empty.txt", "")).empty());

    KeywordLineReader missing(dir.file("missing.txt").c_str());
    EXPECT_FALSE(missing.isOpen());

    KeywordLineReader folder(dir.path().string().c_str());
#if defined(_WIN32)
    EXPECT_FALSE(folder.isOpen()) << "Windows opens no folder as a file";
#else
    ASSERT_TRUE(folder.isOpen());
    std::string line;
    EXPECT_EQ(folder.nextContentLine(line), KeywordLineReader::Result::ReadError);
#endif
}

TEST(KeywordLineReader, BoundsTheLinesLeftByTheBytesLeft) {
    testing::TempDir dir;
    // After "COUNT\n" come 10 bytes: at most 5 lines of a character and a line end.
    KeywordLineReader reader(dir.write("count.txt", "COUNT\n! c\n1\n2\r\n3").c_str());
    std::string line;
    std::vector<std::uintmax_t> left;
    while (reader.nextContentLine(line) == KeywordLineReader::Result::Line)
        left.push_back(reader.maxLinesLeft());
    EXPECT_EQ(left, (std::vector<std::uintmax_t>{5, 2, 1, 0}));
    EXPECT_TRUE(CountFitsInFile(3, 3));
    EXPECT_FALSE(CountFitsInFile(4, 3));
    EXPECT_TRUE(CountFitsInFile(-5, 0)) << "counts of 0 or less size no table";
}

TEST(ScanNumbers, ReadsAsTheFormattedInputDoesOnAnyText) {
    // Three short pieces of number-like characters, run together or apart.
    const std::string alphabet = "0123456789012345678901234567.+-eExXpPinfaN";
    const std::string separators[] = {"", " ", "\t", "  "};
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> length(0, 4), pick(0, alphabet.size() - 1),
        separator(0, 3);
    int readLines = 0, refusedReals = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        std::string text = separators[separator(random)];
        for (int piece = 0; piece < 3; ++piece) {
            for (std::size_t n = length(random); n > 0; --n)
                text += alphabet[pick(random)];
            text += separators[separator(random)];
        }
        int scannedInt = -1, readInt = -1;
        float scannedFloat = -1.0f, readFloat = -1.0f;
        double scannedDouble = -1.0, readDouble = -1.0;
        const bool read = ScanNumbers(text, &readInt, &readFloat, &readDouble);
        const long leading = std::strtol(text.c_str(), nullptr, 10);
        if (leading < INT_MIN || leading > INT_MAX) {
            // "%d" leaves such a number undefined; it is refused.
            EXPECT_FALSE(read) << text;
            continue;
        }
        const int scanned =
            std::sscanf(text.c_str(), "%d%f%lf", &scannedInt, &scannedFloat, &scannedDouble);
        if (scanned == 3 && !(std::isfinite(scannedFloat) && std::isfinite(scannedDouble))) {
            EXPECT_FALSE(read) << "not a finite number: " << text;
            ++refusedReals;
            continue;
        }
        ASSERT_EQ(read, scanned == 3) << "\"" << text << "\"";
        if (!read) continue;
        ++readLines;
        EXPECT_EQ(readInt, scannedInt) << text;
        EXPECT_EQ(std::memcmp(&readFloat, &scannedFloat, sizeof readFloat), 0) << text;
        EXPECT_EQ(std::memcmp(&readDouble, &scannedDouble, sizeof readDouble), 0) << text;
    }
    EXPECT_GT(readLines, 500) << "enough texts hold three numbers";
    EXPECT_GT(refusedReals, 0) << "some hold \"inf\" or \"nan\"";
}

TEST(ScanNumbers, RefusesAnIntegerOutsideIntOrARealNotFiniteAndLeavesItsValue) {
    int n = 5;
    float x = 0.0f;
    EXPECT_TRUE(ScanNumbers(std::string(" 2147483647 1.5 trailing"), &n, &x));
    EXPECT_EQ(n, 2147483647);
    EXPECT_FLOAT_EQ(x, 1.5f);
    for (const char* text : {"2147483648", "-2147483649", "4294967297", "99999999999999999999"}) {
        n = 5;
        EXPECT_FALSE(ScanNumbers(std::string(text), &n)) << text;
        EXPECT_EQ(n, 5) << text;
    }
    EXPECT_TRUE(ScanNumbers(std::string("-2147483648"), &n));
    EXPECT_EQ(n, -2147483647 - 1);

    double y = 2.0;
    for (const char* text : {"nan", "-inf", "infinity", "1e39", "1 1e400"}) {
        x = 2.0f;
        EXPECT_FALSE(ScanNumbers(std::string(text), &y, &x)) << text;
        EXPECT_EQ(x, 2.0f) << text;
    }
    EXPECT_TRUE(ScanNumbers(std::string("1e39 1e-50"), &y, &x)) << "a double holds 1e39";
    EXPECT_EQ(y, 1e39);
}

TEST(GetUpperToken, UpperCasesTheFirstWordAndKeepsTheRestAsArgument) {
    std::string argument;
    EXPECT_EQ(GetUpperToken("  Cable\t2 extra", &argument), "CABLE");
    EXPECT_EQ(argument, "\t2 extra");
    EXPECT_EQ(GetUpperToken("smooth-fit"), "SMOOTH-FIT");
    // A keyword run together with its number is another word.
    EXPECT_EQ(GetUpperToken("connector1", &argument), "CONNECTOR1");
    EXPECT_EQ(argument, "");
    EXPECT_EQ(GetUpperToken("   ", &argument), "");
    EXPECT_EQ(GetUpperToken("\xe9t\xe9"), "\xe9T\xe9") << "only ASCII letters change";
}

TEST(InterpolationTypeOfLine, NamesTheThreeTypesInAnyCase) {
    EXPECT_EQ(InterpolationTypeOfLine("LINEAR"), INTERP_LINEAR);
    EXPECT_EQ(InterpolationTypeOfLine("  step  ! comment"), INTERP_STEP);
    EXPECT_EQ(InterpolationTypeOfLine("Smooth-Fit"), INTERP_SMOOTH_FIT);
    EXPECT_EQ(InterpolationTypeOfLine("LINEARLY"), 0);
    EXPECT_EQ(InterpolationTypeOfLine("1"), 0);
}

TEST(FileErrorText, ComposesPrefixMessagePathAndLine) {
    const auto text = [](std::uint32_t message, std::uint32_t routine, const char* line) {
        return ComposeFileErrorText(MakeErrorCode(message, routine), "/data/x.cfg", line);
    };
    EXPECT_EQ(text(kFileMsgOpening, kRoutineReadUncertaintyFile, nullptr),
              "ReadUncertaintyFile: Error opening the file:/data/x.cfg");
    EXPECT_EQ(text(kFileMsgReading, kRoutineReadConfigFile, nullptr),
              "ReadConfigFile: Error reading from the file:/data/x.cfg");
    EXPECT_EQ(text(kFileMsgWriting, kRoutineWriteConfigFile, nullptr),
              "WriteConfigFile: Error writing to the file:/data/x.cfg");
    EXPECT_EQ(text(kFileMsgUnknownKeyword, kRoutineReadModelFile, "BOGUS 1\n"),
              "ReadModelFile: File:/data/x.cfg\nUnknown keyword in the line:\nBOGUS 1");
    EXPECT_EQ(text(kFileMsgParsing, kRoutineWriteModelFile, "1.0 x"),
              "WriteModelFile: File:/data/x.cfg\nError parsing the line:\n1.0 x");
    EXPECT_EQ(text(kFileMsgCreating, kRoutineExportUncertaintyToFile, nullptr),
              "ExportUncertaintyToFile: Error creating the file:/data/x.cfg");
    EXPECT_EQ(text(kFileMsgCalledRoutine, 1, nullptr),
              "ReadUncertaintyFile: Error in a called routine.");
    EXPECT_EQ(text(kFileMsgNumFrequencies, 6, nullptr),
              "ExportUncertaintyToFile: Invalid number of frequencies.");
    EXPECT_EQ(text(kFileMsgNumDUTValues, 6, nullptr),
              "ExportUncertaintyToFile: Invalid number of DUT values.");
    EXPECT_EQ(text(kFileMsgUncertaintyType, 6, nullptr),
              "ExportUncertaintyToFile: Invalid uncertainty type.");
    EXPECT_EQ(text(kMsgNullInfo, 99, nullptr), "NULL info pointer.") << "unknown routine";
    EXPECT_EQ(text(0x0A, 2, nullptr), "ReadConfigFile: ") << "0x0A to 0x0F are not used";
}

TEST(FileErrorText, LongPathAndLongLineAreShownWhole) {
    testing::CapturedMessages captured;
    const std::string path(400, 'p');
    const std::string line(254, 'l');
    ReportFileError(MakeErrorCode(kFileMsgParsing, kRoutineReadModelFile), path.c_str(),
                    line.c_str());
    EXPECT_EQ(captured.errors(),
              (Texts{"ReadModelFile: File:" + path + "\nError parsing the line:\n" + line}));
}

} // namespace
} // namespace tolvane
