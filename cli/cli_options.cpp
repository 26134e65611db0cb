#include "cli/cli_options.h"

#include "engine/plan.h"
#include "engine/plan_values.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tolvane::cli {
namespace {

/// The whole text as a finite decimal number.
bool ParseNumber(const std::string& text, double* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

template <typename Integer> bool ParseInteger(const std::string& text, Integer* value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end;
}

/// Reads the value of a method or budget option; false with `problem` set when the option is
/// none of those of the command or its value is refused.
bool ReadMethodOption(const std::string& command, const std::string& option,
                      const std::string& value, Options* options, std::string* problem) {
    const bool budget = options->command == Command::Budget;
    const auto refuse = [&](const std::string& why) {
        *problem = "invalid value \"" + value + "\" for " + option + ": " + why;
        return false;
    };
    if (option == "--method" && !budget) {
        if (value == "worst")
            options->method = UncertaintyMethod::WorstCase;
        else if (value == "rss")
            options->method = UncertaintyMethod::Rss;
        else if (value == "montecarlo")
            options->method = UncertaintyMethod::MonteCarlo;
        else
            return refuse("worst, rss or montecarlo");
    } else if (option == "--trials") {
        int trials = 0;
        if (!ParseInteger(value, &trials) || trials < kMinMonteCarloTrials ||
            trials > kMaxMonteCarloTrials)
            return refuse("a whole number from " + std::to_string(kMinMonteCarloTrials) + " to " +
                          std::to_string(kMaxMonteCarloTrials));
        options->trials = trials;
    } else if (option == "--seed") {
        if (!ParseInteger(value, &options->seed))
            return refuse("a whole number from 0 to 18446744073709551615");
    } else if (option == "--frequency" && budget) {
        if (!ParseNumber(value, &options->frequencyGHz) || !(options->frequencyGHz > 0.0))
            return refuse("a frequency in GHz greater than 0");
    } else if (option == "--value" && budget) {
        double valueDb = 0.0;
        if (!ParseNumber(value, &valueDb) || std::fabs(valueDb) > 1000.0)
            return refuse("a DUT value in dB");
        options->valueDb = static_cast<float>(valueDb);
    } else if (option == "--parameter" && budget) {
        if (value != "S11" && value != "S21") return refuse("S11 or S21");
        options->parameter = value == "S11" ? MeasuredParameter::S11 : MeasuredParameter::S21;
    } else {
        *problem = "unknown option " + option + " for " + command;
        return false;
    }
    return true;
}

} // namespace

const char* UsageText() {
    return "Usage:\n"
           "  tolvane-cli compute-config CONFIG.cfg [--database DB.unc] [--output PATH] "
           "[--format table|csv]\n"
           "                             [--method worst|rss|montecarlo] [--trials N] "
           "[--seed S]\n"
           "  tolvane-cli compute-model  MODEL.mdl  [--output PATH] [--format table|csv]\n"
           "                             [--method worst|rss|montecarlo] [--trials N] "
           "[--seed S]\n"
           "  tolvane-cli compute-measured CONFIG.cfg MEASUREMENT.s1p|.s2p [--database DB.unc]\n"
           "              [--limits FILE.lim] [--rule guarded|simple] [--output PATH]\n"
           "              [--format table|csv] [--method worst|rss|montecarlo] [--trials N]\n"
           "              [--seed S]\n"
           "  tolvane-cli budget CONFIG.cfg --frequency GHZ --value DB [--parameter S11|S21]\n"
           "                     [--database DB.unc] [--trials N] [--seed S] [--output PATH]\n"
           "  tolvane-cli plan CONFIG.cfg --vary ifbw|averages|power|cable-length|kit|vna\n"
           "                  [--values LIST] --point GHZ:DB[:S11|S21] ... [--target DB]\n"
           "                  [--cable 1|2|both] [--database DB.unc] [--output PATH]\n"
           "  tolvane-cli --help\n"
           "  tolvane-cli --version\n"
           "\n"
           "compute-config  computes a configuration file against the component database\n"
           "                (default \"uncdata.unc\" in the current directory, else in\n"
           "                the user's data folder, else the installed one)\n"
           "compute-model   computes a model file with its own coverage factors\n"
           "compute-measured  computes the uncertainty of every point of a Touchstone file\n"
           "                with the configuration's set-up and judges it against the limits\n"
           "                of --limits under the decision rule of --rule (default guarded:\n"
           "                accepted only where the whole uncertainty interval meets the\n"
           "                limit; simple: where the measured value meets it)\n"
           "budget          explains one point of a configuration: each error term's deviation\n"
           "                alone and without it and its share, then the worst-case, RSS and\n"
           "                Monte Carlo upper deviations, as csv (linear magnitudes); the point\n"
           "                is a reflection-only DUT (S11, the default) or a reciprocal\n"
           "                transmission-only DUT (S21) of the value DB at GHZ\n"
           "--output PATH   where the results go (default \"uncertainty.dat\", for budget \"-\";\n"
           "                \"-\" is standard output)\n"
           "--format        \"table\" (default): the tab-separated table of \"Output Tabular "
           "Data...\";\n"
           "                \"csv\": one row per frequency and DUT value, linear magnitudes\n"
           "                (compute-measured: one row per frequency and parameter, in dB)\n"
           "--method        how the upper bounds are formed: \"worst\" (default) adds every error\n"
           "                in its worst phase, \"rss\" combines the terms root-sum-square,\n"
           "                \"montecarlo\" takes the 97.5 % quantile over random phases\n"
           "--trials N      Monte Carlo trials per point (default 10000 for a sweep or a\n"
           "                measurement, 100000 for a budget; 100 to 1000000)\n"
           "--seed S        seed of the Monte Carlo trials (default 1): the same seed gives the\n"
           "                same results\n"
           "plan            varies one set-up choice of a configuration and writes, as csv, the\n"
           "                worst-case magnitude uncertainty (dB) at each point and the\n"
           "                estimated sweep time of each value (default output \"plan.csv\")\n"
           "--values LIST   values separated by commas (Hz, averaging factor, dBm, m, or kit or\n"
           "                analyzer names); default: every value the set-up offers\n"
           "--point         frequency in GHz and DUT value in dB, reflection (S11) or\n"
           "                transmission (S21); 1 to 5 points\n"
           "--target DB     names the value of the smallest sweep time whose uncertainty is at\n"
           "                most DB at every point (on standard error)\n"
           "\n"
           "Messages go to standard error as \"Error: ...\" or \"Help: ...\". Exit status: 0 on\n"
           "success, 1 when reading or computing failed, 2 for a usage error, 3 when\n"
           "compute-measured computed a measurement that its rule does not accept.\n";
}

namespace {

std::vector<std::string> SplitAtCommas(const std::string& list) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        parts.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

/// The plan's own options; false with `problem` set for an unknown option or a malformed value.
bool ParsePlanOption(const std::string& argument, const std::string& value, Options* options,
                     std::string* problem) {
    if (argument == "--vary") {
        options->varied = value;
    } else if (argument == "--values") {
        options->valueTexts = SplitAtCommas(value);
    } else if (argument == "--point") {
        options->pointTexts.push_back(value);
    } else if (argument == "--cable" && (value == "1" || value == "2" || value == "both")) {
        options->cable = value;
    } else if (argument == "--cable") {
        *problem = "unknown cable \"" + value + "\" (1, 2 or both)";
        return false;
    } else if (argument == "--target") {
        char* end = nullptr;
        const double target = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !std::isfinite(target)) {
            *problem = "invalid target \"" + value + "\" (a number of dB)";
            return false;
        }
        options->targetDb = target;
    } else {
        *problem = "unknown option " + argument + " for plan";
        return false;
    }
    return true;
}

/// The plan's options together: a known quantity, values of its kind, 1 to 5 points of the form
/// GHZ:DB[:S11|S21].
bool CheckPlanOptions(const Options& options, std::string* problem) {
    const std::optional<PlanQuantity> quantity = PlanQuantityFromKeyword(options.varied);
    if (!quantity) {
        *problem = options.varied.empty()
                       ? "plan needs --vary"
                       : "unknown quantity \"" + options.varied +
                             "\" (ifbw, averages, power, cable-length, kit or vna)";
        return false;
    }
    for (const std::string& text : options.valueTexts) {
        if (!ParsePlanValue(*quantity, text)) {
            *problem = "invalid value \"" + text + "\" for " + options.varied;
            return false;
        }
    }
    if (options.pointTexts.empty() || options.pointTexts.size() > kMaxPlanPoints) {
        *problem = "plan needs 1 to 5 --point options";
        return false;
    }
    for (const std::string& text : options.pointTexts) {
        if (!ParsePlanPoint(text, PlanPort::Reflection)) {
            *problem = "invalid point \"" + text + "\" (GHZ:DB, GHZ:DB:S11 or GHZ:DB:S21)";
            return false;
        }
    }
    if (options.cable != "both" && *quantity != PlanQuantity::CableLength) {
        *problem = "--cable goes with --vary cable-length";
        return false;
    }
    return true;
}

} // namespace

bool ParseOptions(const std::vector<std::string>& arguments, Options* options,
                  std::string* problem) {
    *options = Options{};
    if (arguments.empty()) {
        *problem = "no command given";
        return false;
    }
    const std::string& command = arguments[0];
    if (command == "--help" || command == "-h" || command == "--version") {
        options->command = command == "--version" ? Command::Version : Command::Help;
        if (arguments.size() == 1) return true;
        *problem = command + " takes no arguments";
        return false;
    }
    if (command == "compute-config") {
        options->command = Command::ComputeConfig;
    } else if (command == "compute-model") {
        options->command = Command::ComputeModel;
    } else if (command == "compute-measured") {
        options->command = Command::ComputeMeasured;
    } else if (command == "budget") {
        options->command = Command::Budget;
        options->outputPath = "-";
    } else if (command == "plan") {
        options->command = Command::Plan;
        options->outputPath = kDefaultPlanOutput;
    } else {
        *problem = "unknown command \"" + command + "\"";
        return false;
    }

    const bool measured = options->command == Command::ComputeMeasured;
    const bool budget = options->command == Command::Budget;
    const std::size_t filesNeeded = measured ? 2 : 1;
    std::size_t files = 0;
    bool haveFrequency = false;
    bool haveValue = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool isOption = argument.size() > 1 && argument.rfind("--", 0) == 0;
        if (!isOption) {
            if (files == filesNeeded) {
                *problem = "unexpected argument \"" + argument + "\"";
                return false;
            }
            (files == 0 ? options->inputPath : options->measurementPath) = argument;
            ++files;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            *problem = "option " + argument + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (argument == "--output") {
            options->outputPath = value;
        } else if (argument == "--format" && !budget && (value == "table" || value == "csv")) {
            options->format = value == "csv" ? OutputFormat::Csv : OutputFormat::Table;
        } else if (argument == "--format" && !budget) {
            *problem = "unknown format \"" + value + "\" (table or csv)";
            return false;
        } else if (argument == "--database" && options->command != Command::ComputeModel) {
            options->databasePath = value;
            options->databaseGiven = true;
        } else if (options->command == Command::Plan) {
            if (!ParsePlanOption(argument, value, options, problem)) return false;
        } else if (argument == "--limits" && measured) {
            options->limitsPath = value;
        } else if (argument == "--rule" && measured && (value == "guarded" || value == "simple")) {
            options->rule = value == "simple" ? DecisionRule::Simple : DecisionRule::Guarded;
        } else if (argument == "--rule" && measured) {
            *problem = "unknown decision rule \"" + value + "\" (guarded or simple)";
            return false;
        } else if (!ReadMethodOption(command, argument, value, options, problem)) {
            return false;
        }
        haveFrequency = haveFrequency || argument == "--frequency";
        haveValue = haveValue || argument == "--value";
    }
    if (files == 0) {
        *problem = command + " needs a file to compute";
        return false;
    }
    if (files < filesNeeded) {
        *problem = command + " needs a configuration and a measurement file";
        return false;
    }
    if (budget && (!haveFrequency || !haveValue)) {
        *problem = "budget needs --frequency and --value";
        return false;
    }
    return options->command != Command::Plan || CheckPlanOptions(*options, problem);
}

} // namespace tolvane::cli
