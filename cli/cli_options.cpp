#include "cli/cli_options.h"

namespace tolvane::cli {

const char* UsageText() {
    return "Usage:\n"
           "  tolvane-cli compute-config CONFIG.cfg [--database DB.unc] [--output PATH] "
           "[--format table|csv]\n"
           "  tolvane-cli compute-model  MODEL.mdl  [--output PATH] [--format table|csv]\n"
           "  tolvane-cli --help\n"
           "  tolvane-cli --version\n"
           "\n"
           "compute-config  computes a configuration file against the component database\n"
           "                (default \"uncdata.unc\" in the current directory, else in\n"
           "                the user's data folder, else the installed one)\n"
           "compute-model   computes a model file with its own coverage factors\n"
           "--output PATH   where the results go (default \"uncertainty.dat\"; \"-\" is standard\n"
           "                output)\n"
           "--format        \"table\" (default): the tab-separated table of \"Output Tabular "
           "Data...\";\n"
           "                \"csv\": one row per frequency and DUT value, linear magnitudes\n"
           "\n"
           "Messages go to standard error as \"Error: ...\" or \"Help: ...\". Exit status: 0 on\n"
           "success, 1 when reading or computing failed, 2 for a usage error.\n";
}

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
    } else {
        *problem = "unknown command \"" + command + "\"";
        return false;
    }

    bool haveInput = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool isOption = argument.size() > 1 && argument.rfind("--", 0) == 0;
        if (!isOption) {
            if (haveInput) {
                *problem = "unexpected argument \"" + argument + "\"";
                return false;
            }
            options->inputPath = argument;
            haveInput = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            *problem = "option " + argument + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (argument == "--output") {
            options->outputPath = value;
        } else if (argument == "--format" && (value == "table" || value == "csv")) {
            options->format = value == "csv" ? OutputFormat::Csv : OutputFormat::Table;
        } else if (argument == "--format") {
            *problem = "unknown format \"" + value + "\" (table or csv)";
            return false;
        } else if (argument == "--database" && options->command == Command::ComputeConfig) {
            options->databasePath = value;
            options->databaseGiven = true;
        } else {
            *problem = "unknown option " + argument + " for " + command;
            return false;
        }
    }
    if (!haveInput) {
        *problem = command + " needs a file to compute";
        return false;
    }
    return true;
}

} // namespace tolvane::cli
