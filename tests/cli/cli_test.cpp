#include "engine/compute_model.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

/// One run of the program: its exit status and what it wrote to its two streams.
struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    /// Runs tolvane-cli with `arguments` (shell words) in the temporary folder, its standard
    /// output going to `standardOutput` (read back into `out` when it is a file of the folder),
    /// with `environment` (words for env(1)) changed.
    ProgramRun run(const std::string& arguments, const std::string& standardOutput = "stdout.txt",
                   const std::string& environment = "") {
        const std::string command = "cd '" + dir_.path().string() + "' && env " + environment +
                                    " '" TOLVANE_CLI_PATH "' " + arguments + " >" + standardOutput +
                                    " 2>stderr.txt";
        ProgramRun result;
        const int raw = std::system(command.c_str());
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        if (standardOutput == "stdout.txt") result.out = dir_.read("stdout.txt");
        result.err = dir_.read("stderr.txt");
        return result;
    }
    void copyShippedFiles() {
        for (const char* name : {"uncdata.unc", "default.cfg", "default.mdl"})
            fs::copy_file(fs::path(TOLVANE_SHIPPED_DATA_DIR) / name, dir_.path() / name);
    }
    static int lines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    testing::TempDir dir_;
};

TEST_F(CliTest, ComputesTheShippedConfigurationIntoTheDefaultFile) {
    copyShippedFiles();
    const ProgramRun result = run("compute-config default.cfg");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.empty());
    // Only the coverage-factor trace on standard error, no message.
    EXPECT_EQ(result.err.find("Error: "), std::string::npos);
    EXPECT_NE(result.err.find("directivity = 1.7 \n"), std::string::npos);
    // The shipped configuration sweeps 41 reflection values at 6 frequencies.
    const std::string table = dir_.read("uncertainty.dat");
    EXPECT_EQ(table.rfind("Uncertainty at 0.050000 GHz\t\t\t\t", 0), 0u);
    EXPECT_EQ(lines(table), 2 + 41);
}

TEST_F(CliTest, TableOnStandardOutputEqualsTheFileAndCsvHasOneRowPerValue) {
    copyShippedFiles();
    ASSERT_EQ(run("compute-model default.mdl --output model.dat").status, 0);
    const ProgramRun table = run("compute-model default.mdl --output -");
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(table.out, dir_.read("model.dat"));

    const ProgramRun csv = run("compute-model default.mdl --format csv --output -");
    ASSERT_EQ(csv.status, 0) << csv.err;
    std::istringstream rows(csv.out);
    std::string header, first;
    std::getline(rows, header);
    std::getline(rows, first);
    EXPECT_EQ(header, "frequency_hz,dut_index,refl_nominal,refl_upper,refl_phase_deg,"
                      "trans_nominal,trans_upper,trans_phase_deg");
    // The shipped model: 91 transmission values at 6 frequencies; the first row is 0.05 GHz, value
    // 0, whose S21 is -80 dB (1e-4) and whose S11 is the -140 dB of a transmission-only DUT.
    EXPECT_EQ(lines(csv.out), 1 + 6 * 91);
    EXPECT_EQ(first.rfind("50000000,0,1.00000001e-07,", 0), 0u) << first;
    EXPECT_NE(first.find(",9.99999975e-05,"), std::string::npos) << first;

    // Rows in order, frequency by frequency, and every number as printf writes it ("%.17g" of
    // the frequency, "%.9g" of each float, both of which read back exactly).
    std::string row = first;
    for (int n = 0; n < 6 * 91; ++n, std::getline(rows, row)) {
        std::istringstream fields(row);
        std::string field;
        std::string expected;
        char printed[64];
        for (int column = 0; std::getline(fields, field, ','); ++column) {
            if (column == 0)
                std::snprintf(printed, sizeof printed, "%.17g", std::stod(field));
            else if (column == 1)
                std::snprintf(printed, sizeof printed, "%d", n % 91);
            else
                std::snprintf(printed, sizeof printed, "%.9g", double(std::stof(field)));
            expected += (column == 0 ? "" : ",") + std::string(printed);
        }
        ASSERT_EQ(row, expected);
    }
}

TEST_F(CliTest, MessagesGoToStandardErrorAndFailuresExitWithOne) {
    copyShippedFiles();
    ProgramRun result = run("compute-config default.cfg --database nowhere.unc");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Error: ReadUncertaintyFile: Error opening the file:nowhere.unc\n");
    EXPECT_FALSE(fs::exists(dir_.path() / "uncertainty.dat"));

    dir_.write("low.cfg", dir_.read("default.cfg") + "POWER\n-40\n");
    result = run("compute-config low.cfg");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Error: ComputeConfig: Port power is too small.\n"),
              std::string::npos);

    // A file read with a line error is not computed: the rest of it was ignored.
    dir_.write("broken.cfg", "FREQUENCY\n0\n" + dir_.read("default.cfg"));
    result = run("compute-config broken.cfg");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(
        result.err.find("Error: ReadConfigFile: File:broken.cfg\nError parsing the line:\n0\n"),
        std::string::npos);
    EXPECT_FALSE(fs::exists(dir_.path() / "uncertainty.dat"));

    // Frequencies beyond the kit show the check's message, then the advice as "Help: ".
    dir_.write("high.cfg", dir_.read("default.cfg") + "FREQUENCY\n1\n40\n");
    result = run("compute-config high.cfg");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Error: CheckModel: Maximum frequency of CDR term is too low.\n"
                              "Help: Suggestion: Adjust the minimum and maximum frequencies "
                              "using the \"Frequency\" button.\n"),
              std::string::npos);
}

TEST_F(CliTest, WithoutDatabaseOptionTheUsersDatabaseIsTakenAndTheOptionStillWins) {
    // The configuration here, the database only in the user's data folder.
    copyShippedFiles();
    fs::create_directories(dir_.path() / "home/.local/share/tolvane");
    fs::rename(dir_.path() / "uncdata.unc", dir_.path() / "home/.local/share/tolvane/uncdata.unc");
    const std::string home = "-u XDG_DATA_HOME HOME='" + (dir_.path() / "home").string() + "'";
    ProgramRun result = run("compute-config default.cfg --output -", "stdout.txt", home);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("Uncertainty at 0.050000 GHz", 0), 0u);

    result = run("compute-config default.cfg --database nowhere.unc", "stdout.txt", home);
    EXPECT_EQ(result.err, "Error: ReadUncertaintyFile: Error opening the file:nowhere.unc\n");
    // Found nowhere: the message names the file as before.
    result = run("compute-config default.cfg", "stdout.txt", "-u XDG_DATA_HOME HOME=/nonexistent");
    EXPECT_EQ(result.err, "Error: ReadUncertaintyFile: Error opening the file:uncdata.unc\n");
}

TEST_F(CliTest, AResultThatIsNotAFiniteNumberIsAFailureNotATable) {
    copyShippedFiles();
    // A cable of a million metres: its magnitude drift is beyond any number from 1 GHz on.
    std::string config = dir_.read("default.cfg");
    config.replace(config.find("0.600   1.000"), 13, "1000000   1.000");
    dir_.write("long.cfg", config);
    const ProgramRun result = run("compute-config long.cfg --output -");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Error: ComputeModel: Result is not a finite number. Reflection at "
                              "1 GHz for DUT S11 = -40 dB.\n"),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
}

TEST_F(CliTest, StandardOutputThatCannotBeWrittenFailsWithAMessageInEitherFormat) {
    copyShippedFiles();
    for (const char* format : {"table", "csv"}) {
        const ProgramRun result = run(
            std::string("compute-model default.mdl --output - --format ") + format, "/dev/full");
        EXPECT_EQ(result.status, 1) << format;
        EXPECT_NE(result.err.find("Error: ExportUncertaintyToFile: Error writing to the "
                                  "file:standard output\n"),
                  std::string::npos)
            << format << "\n"
            << result.err;
    }
}

TEST_F(CliTest, ControlCharactersOfAFileLineAreShownNotSentToTheTerminal) {
    copyShippedFiles();
    // A line that would retitle the terminal, and one with a lone carriage return.
    dir_.write("odd.cfg", "\x1b]0;title\x07VNA\nfake\rVNA\n");
    const ProgramRun result = run("compute-config odd.cfg");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Unknown keyword in the line:\n\\x1b]0;title\\x07VNA\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("Unknown keyword in the line:\nfake\\x0dVNA\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find_first_of("\x1b\x07\r"), std::string::npos);
}

TEST_F(CliTest, ResultsNeverReplaceTheFilesTheyAreComputedFrom) {
    copyShippedFiles();
    const std::string config = dir_.read("default.cfg");
    const std::string database = dir_.read("uncdata.unc");
    fs::create_symlink("default.cfg", dir_.path() / "link.cfg");
    for (const char* arguments : {"compute-config default.cfg --output default.cfg",
                                  "compute-config default.cfg --output ./link.cfg --format csv",
                                  "compute-config default.cfg --output uncdata.unc"}) {
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_EQ(result.err.rfind("tolvane-cli: the output ", 0), 0u) << result.err;
        EXPECT_EQ(dir_.read("default.cfg"), config) << arguments;
        EXPECT_EQ(dir_.read("uncdata.unc"), database) << arguments;
    }
    const std::string model = dir_.read("default.mdl");
    EXPECT_EQ(run("compute-model default.mdl --output default.mdl").status, 2);
    EXPECT_EQ(dir_.read("default.mdl"), model);
    // A model computation reads no database, so its results may go to a file of that name.
    EXPECT_EQ(run("compute-model default.mdl --output uncdata.unc").status, 0);
}

TEST_F(CliTest, UsageErrorsExitWithTwoAndHelpAndVersionSucceed) {
    for (const char* arguments :
         {"", "compute", "compute-config", "compute-config a.cfg b.cfg",
          "compute-model a.mdl --database x.unc", "compute-config a.cfg --format xml",
          "compute-config a.cfg --output", "--version extra"}) {
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_NE(result.err.find("Usage:"), std::string::npos) << arguments;
        EXPECT_TRUE(result.out.empty()) << arguments;
    }
    const ProgramRun help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage:\n", 0), 0u);
    const ProgramRun version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Tolvane v2.03\n");
}

TEST_F(CliTest, UserDefinedSweepIsComputedOverItsFrequencies) {
    copyShippedFiles();
    // A user-defined DUT with its sweep on: 0.5 to 20 GHz in 40 points.
    std::string config = dir_.read("default.cfg");
    config += "DUT\n3\n41 -40 0\n91 -80 10 1 10\n-20 -20 0 -20\n40 0.5 20 1\n"
              "1.732 1.732 1.732 1.732\n1.732 1.732 1.732 1.732\n1.732 1.732 1.732 2\n";
    dir_.write("sweep.cfg", config);
    const ProgramRun result = run("compute-config sweep.cfg --output -");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("Swept Frequency Uncertainty Data\n\n", 0), 0u);
    EXPECT_EQ(lines(result.out), 6 + 40);
    EXPECT_NE(result.out.find("\n0.500000\t"), std::string::npos);
    EXPECT_NE(result.out.find("\n20.000000\t"), std::string::npos);
}

/// The csv rows of `text`, split at the commas (an empty last field kept).
std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string>& fields = rows.emplace_back();
        std::size_t start = 0;
        for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos;
             start = comma + 1)
            fields.push_back(line.substr(start, comma - start));
        fields.push_back(line.substr(start));
    }
    return rows;
}

TEST_F(CliTest, BudgetExplainsTheSweepPointOfTheConfiguration) {
    copyShippedFiles();
    // The configuration at 10 GHz alone, reflection values -40 to 0 dB: -20 dB is value 20.
    dir_.write("ten.cfg", dir_.read("default.cfg") + "FREQUENCY\n1\n10\n");
    const ProgramRun sweep = run("compute-config ten.cfg --format csv --output -");
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    const std::vector<std::string> point = CsvRows(sweep.out)[1 + 20];
    ASSERT_EQ(point[1], "20");
    const double worstCase = std::stod(point[3]) - std::stod(point[2]);

    const ProgramRun budget = run("budget default.cfg --frequency 10 --value -20");
    ASSERT_EQ(budget.status, 0) << budget.err;
    const auto rows = CsvRows(budget.out);
    ASSERT_EQ(rows.size(), 1u + 11u + 3u);
    EXPECT_EQ(budget.out.rfind("term,alone_deviation,without_deviation,share_percent\n", 0), 0u);
    const char* names[] = {"directivity",
                           "source match",
                           "load match",
                           "reflection tracking",
                           "transmission tracking",
                           "crosstalk",
                           "noise floor",
                           "drift",
                           "connector repeatability",
                           "source uncertainty",
                           "receiver uncertainty",
                           "worst case",
                           "rss",
                           "monte carlo 95%"};
    double shares = 0.0;
    for (std::size_t i = 0; i < 14; ++i) {
        ASSERT_EQ(rows[i + 1].size(), 4u);
        EXPECT_EQ(rows[i + 1][0], names[i]);
        if (i < 11)
            shares += std::stod(rows[i + 1][3]);
        else
            EXPECT_EQ(rows[i + 1][2] + rows[i + 1][3], "") << names[i];
    }
    EXPECT_NEAR(shares, 100.0, 1e-6);
    // Equal to the float bound's last bit: the csv's nine digits leave 1e-9 of a 0.1157 bound,
    // one float step there is 7.5e-9.
    EXPECT_NEAR(std::stod(rows[12][1]), worstCase, 1.5e-9);
    EXPECT_LT(std::stod(rows[13][1]), worstCase);
    EXPECT_GT(std::stod(rows[14][1]), 0.0);
    // Reflection only: no crosstalk, no transmission tracking.
    EXPECT_EQ(rows[6][1], "0");
    EXPECT_EQ(rows[5][1], "0");

    // The same seed gives the same Monte Carlo figure, another seed another.
    EXPECT_EQ(run("budget default.cfg --frequency 10 --value -20").out, budget.out);
    const ProgramRun reseeded =
        run("budget default.cfg --frequency 10 --value -20 --seed 2 --trials 1000");
    EXPECT_NE(CsvRows(reseeded.out)[14][1], rows[14][1]);
    EXPECT_EQ(CsvRows(reseeded.out)[12][1], rows[12][1]);

    const ProgramRun outside = run("budget default.cfg --frequency 40 --value -20");
    EXPECT_EQ(outside.status, 1);
    EXPECT_TRUE(outside.out.empty());
    EXPECT_NE(outside.err.find("Error: CheckModel: Maximum frequency of CDR term is too low.\n"
                               "Help: Suggestion: Adjust the minimum"),
              std::string::npos)
        << outside.err;
}

TEST_F(CliTest, MethodsReplaceTheBoundsAndKeepTheFormat) {
    copyShippedFiles();
    std::vector<std::vector<std::vector<std::string>>> results;
    for (const char* method : {"worst", "rss", "montecarlo"}) {
        const ProgramRun result = run(std::string("compute-model default.mdl --format csv "
                                                  "--trials 500 --output - --method ") +
                                      method);
        ASSERT_EQ(result.status, 0) << method << result.err;
        results.push_back(CsvRows(result.out));
    }
    ASSERT_EQ(results[0].size(), results[1].size());
    ASSERT_EQ(results[0].size(), results[2].size());
    EXPECT_EQ(results[0][0], results[2][0]);
    int lower = 0;
    for (std::size_t row = 1; row < results[0].size(); ++row) {
        // Transmission only: the transmission nominal and bounds (columns 5 and 6).
        EXPECT_EQ(results[1][row][5], results[0][row][5]);
        EXPECT_LE(std::stod(results[1][row][6]), std::stod(results[0][row][6])) << row;
        lower += std::stod(results[2][row][6]) < std::stod(results[0][row][6]) ? 1 : 0;
    }
    // With coverage factors below k, Monte Carlo stays inside the worst case nearly everywhere.
    EXPECT_GT(lower, int(results[0].size()) / 2);
    const ProgramRun table = run("compute-model default.mdl --method rss --output -");
    EXPECT_EQ(table.out.rfind("Uncertainty at ", 0), 0u);
}

TEST_F(CliTest, BudgetAndMethodOptionsAreChecked) {
    for (const char* arguments :
         {"budget a.cfg --value -20", "budget a.cfg --frequency 10",
          "budget a.cfg --frequency 0 --value -20", "budget a.cfg --frequency x --value -20",
          "budget a.cfg --frequency 10 --value -20 --parameter S12",
          "budget a.cfg --frequency 10 --value -20 --trials 50",
          "budget a.cfg --frequency 10 --value -20 --format csv",
          "budget a.cfg --frequency 10 --value -20 --method rss",
          "compute-model a.mdl --method best", "compute-model a.mdl --seed -1",
          "compute-config a.cfg --frequency 10"}) {
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_EQ(result.err.rfind("tolvane-cli: ", 0), 0u) << arguments;
    }
}

TEST_F(CliTest, PlanWritesOneRowPerValueAndPointWithTheComputedUncertainty) {
    copyShippedFiles();
    const ProgramRun plan = run("plan default.cfg --vary averages --values 1,1024 --point 26.5:-40 "
                                "--point 10:-3:s21 --target 20 --output -");
    ASSERT_EQ(plan.status, 0) << plan.err;
    std::istringstream rows(plan.out);
    std::string header, row;
    std::getline(rows, header);
    EXPECT_EQ(header, "value,point,uncertainty_db,sweep_time_s");
    std::vector<std::string> prefixes;
    while (std::getline(rows, row))
        prefixes.push_back(row.substr(0, row.find(',', row.find(',') + 1)));
    EXPECT_EQ(prefixes, (std::vector<std::string>{"1,26.5:-40", "1,10:-3:s21", "1024,26.5:-40",
                                                  "1024,10:-3:s21"}));
    // The first figure is what compute-config stores at 26.5 GHz (the last frequency) for
    // -40 dB (the first value), shown as the table shows it.
    const ProgramRun normal = run("compute-config default.cfg --format csv --output -");
    ASSERT_EQ(normal.status, 0);
    const std::string stored = normal.out.substr(normal.out.find("\n26500000000,0,") + 15);
    const float nominal = std::stof(stored);
    const float upper = std::stof(stored.substr(stored.find(',') + 1));
    const std::string first = plan.out.substr(header.size() + 1);
    EXPECT_EQ(std::stof(first.substr(first.find(":-40,") + 5)),
              LinearToDB(upper) - LinearToDB(nominal));
    // A two-port sweep of 6 points at 100 Hz with the analyzer's 1.15 and 25 us: 2 x 6 x
    // 0.011525.
    EXPECT_NE(first.find(",0.1383\n"), std::string::npos) << first;
    EXPECT_NE(plan.err.find("Best value for the target of 20 dB: 1 (sweep time 0.1383 s"),
              std::string::npos)
        << plan.err;

    // Values that cannot be computed leave their figure empty and say why; with none
    // computed the plan fails.
    const ProgramRun analyzers = run("plan default.cfg --vary vna --point 10:-20 --output -");
    EXPECT_EQ(analyzers.status, 0);
    EXPECT_NE(analyzers.out.find("\nVNA 8.5 GHz,10:-20,,"), std::string::npos);
    EXPECT_NE(analyzers.err.find("Error: value VNA 8.5 GHz at point 10:-20: CheckModel: Maximum "
                                 "frequency of SSR term is too low.\n"),
              std::string::npos);
    EXPECT_EQ(run("plan default.cfg --vary vna --values \"VNA 8.5 GHz\" --point 10:-20").status, 1);
    EXPECT_EQ(run("plan missing.cfg --vary ifbw --point 10:-20").status, 1);
}

TEST_F(CliTest, PlanUsageErrorsExitWithTwo) {
    copyShippedFiles();
    for (const char* arguments :
         {"plan default.cfg --point 1:-20", "plan default.cfg --vary speed --point 1:-20",
          "plan default.cfg --vary ifbw", "plan default.cfg --vary ifbw --point 1:-20:S12",
          "plan default.cfg --vary averages --values 1,3.5 --point 1:-20",
          "plan default.cfg --vary ifbw --point 1:-20 --cable 1",
          "plan default.cfg --vary ifbw --point 1:-20 --target low",
          "plan default.cfg --vary ifbw --point 1:0 --point 2:0 --point 3:0 --point 4:0 "
          "--point 5:0 --point 6:0",
          "plan default.cfg --vary ifbw --point 1:-20 --output uncdata.unc"}) {
        const ProgramRun result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_NE(result.err.find("Usage:"), std::string::npos) << arguments;
    }
}

class ComputeMeasuredTest : public CliTest {
protected:
    void SetUp() override {
        copyShippedFiles();
        for (const char* name : {"bandpass_filter.s2p", "bandpass_filter.lim"})
            fs::copy_file(fs::path(TOLVANE_SHIPPED_DATA_DIR) / name, dir_.path() / name);
    }
    static std::vector<std::string> rows(const std::string& text) {
        std::vector<std::string> all;
        std::istringstream in(text);
        for (std::string row; std::getline(in, row);)
            all.push_back(row);
        return all;
    }
};

TEST_F(ComputeMeasuredTest, CsvHasOneRowPerFrequencyAndParameterAndTheRuleSetsTheExitStatus) {
    const std::string command = "compute-measured default.cfg bandpass_filter.s2p --format csv "
                                "--output - --limits bandpass_filter.lim";
    const ProgramRun guarded = run(command);
    EXPECT_EQ(guarded.status, 3) << guarded.err; // conditional passes are not accepted
    EXPECT_NE(guarded.err.find("Overall verdict: conditional pass; not accepted under the guarded "
                               "decision rule.\n"),
              std::string::npos);
    const std::vector<std::string> csv = rows(guarded.out);
    ASSERT_EQ(csv.size(), 1u + 221 * 4);
    EXPECT_EQ(csv[0], "frequency_hz,parameter,measured_db,measured_deg,lower_db,upper_db,"
                      "phase_unc_deg,verdict");
    EXPECT_EQ(csv[1].rfind("500000000,S11,-0.0434999987,107.835,", 0), 0u) << csv[1];
    EXPECT_EQ(csv[1].back(), ','); // no limit at 0.5 GHz for S11
    // S21 at 0.5 GHz lies far below the noise: no lower bound, and still under the -40 dB
    // limit.
    EXPECT_EQ(csv[2].rfind("500000000,S21,-112.418404,-81.165,-inf,", 0), 0u) << csv[2];
    EXPECT_EQ(csv[2].substr(csv[2].size() - 5), ",pass");
    EXPECT_EQ(csv[3].rfind("500000000,S12,", 0), 0u);
    EXPECT_EQ(csv[4].rfind("500000000,S22,", 0), 0u);
    EXPECT_NE(guarded.out.find(",conditional pass\n"), std::string::npos);

    EXPECT_EQ(run(command + " --rule simple").status, 0);
    const ProgramRun noLimits = run("compute-measured default.cfg bandpass_filter.s2p --output -");
    EXPECT_EQ(noLimits.status, 0) << noLimits.err;
    EXPECT_EQ(noLimits.out.find("Overall verdict"), std::string::npos);
    EXPECT_NE(noLimits.out.find("No limit applies to the measurement.\n"), std::string::npos);
}

TEST_F(ComputeMeasuredTest, TableEndsWithTheVerdictAndFailuresExitWithOneOrTwo) {
    ASSERT_EQ(run("compute-measured default.cfg bandpass_filter.s2p --limits bandpass_filter.lim "
                  "--rule simple")
                  .status,
              0);
    const std::vector<std::string> table = rows(dir_.read("uncertainty.dat"));
    ASSERT_EQ(table.size(), 8u + 221 + 3);
    EXPECT_EQ(table[0], "Measured DUT Uncertainty Data");
    EXPECT_EQ(table[4], "Limits:\tbandpass_filter.lim\tsimple decision rule");
    EXPECT_EQ(table[8].rfind("0.500000\t      -0.043\t  107.835\t", 0), 0u) << table[8];
    EXPECT_EQ(table[230], "Overall verdict: conditional pass; accepted under the simple decision "
                          "rule.");
    EXPECT_EQ(table[231].rfind("Worst margin: -0.", 0), 0u);
    fs::remove(dir_.path() / "uncertainty.dat");

    dir_.write("high.s1p", "1 0.1 0\n30 0.1 0\n");
    ProgramRun result = run("compute-measured default.cfg high.s1p --output -");
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find("Error: CheckModel: Maximum frequency of CDR term is too low.\n"
                              "Help: Suggestion: Adjust the minimum and maximum frequencies "
                              "using the \"Frequency\" button.\n"),
              std::string::npos);
    dir_.write("bad.lim", "S11 max -15 1 6\nS21 mid -1 1 2\n");
    result = run("compute-measured default.cfg bandpass_filter.s2p --limits bad.lim");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Error: ReadLimitFile: File:bad.lim\nLine 2: \"mid\" is neither max "
                              "nor min.\nS21 mid -1 1 2\n"),
              std::string::npos);
    EXPECT_EQ(run("compute-measured default.cfg nowhere.s2p").status, 1);
    EXPECT_FALSE(fs::exists(dir_.path() / "uncertainty.dat"));

    for (const char* usage : {"compute-measured default.cfg",
                              "compute-measured default.cfg "
                              "bandpass_filter.s2p --rule strict",
                              "compute-measured default.cfg bandpass_filter.s2p --output "
                              "bandpass_filter.s2p",
                              "compute-model default.mdl --limits bandpass_filter.lim",
                              "compute-measured default.cfg bandpass_filter.s2p --method best",
                              "compute-measured default.cfg bandpass_filter.s2p --value 3"})
        EXPECT_EQ(run(usage).status, 2) << usage;
}

// RSS bounds lie inside the worst case's, so a worst-case pass or fail stays one and only some
// conditional verdicts change; Monte Carlo writes the same file again from the same seed.
TEST_F(ComputeMeasuredTest, MethodsReplaceTheBoundsAndTheVerdictsFollowThem) {
    const std::string command = "compute-measured default.cfg bandpass_filter.s2p --format csv "
                                "--output - --limits bandpass_filter.lim";
    const ProgramRun worst = run(command + " --method worst");
    EXPECT_EQ(worst.out, run(command).out);
    const auto w = CsvRows(worst.out);
    const auto r = CsvRows(run(command + " --method rss").out);
    ASSERT_EQ(r.size(), w.size());
    int changed = 0;
    for (std::size_t row = 1; row < w.size(); ++row) {
        SCOPED_TRACE(row);
        ASSERT_EQ(r[row].size(), 8u);
        EXPECT_EQ(std::vector(r[row].begin(), r[row].begin() + 4),
                  std::vector(w[row].begin(), w[row].begin() + 4));
        EXPECT_GE(std::stod(r[row][4]), std::stod(w[row][4]));
        EXPECT_LE(std::stod(r[row][5]), std::stod(w[row][5]));
        if (w[row][7] == "pass" || w[row][7] == "fail") {
            EXPECT_EQ(r[row][7], w[row][7]);
        }
        changed += r[row][7] != w[row][7] ? 1 : 0;
    }
    EXPECT_GT(changed, 0);
    const std::string monteCarlo = command + " --method montecarlo --trials 500 --seed 3";
    const ProgramRun first = run(monteCarlo);
    EXPECT_EQ(first.status, 3) << first.err;
    EXPECT_EQ(run(monteCarlo).out, first.out);
    EXPECT_NE(first.out, worst.out);
}

} // namespace
} // namespace tolvane
