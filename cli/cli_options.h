#pragma once

#include "engine/verdict.h"

#include <string>
#include <vector>

namespace tolvane::cli {

enum class Command { ComputeConfig, ComputeModel, ComputeMeasured, Help, Version };
enum class OutputFormat { Table, Csv };

/// What the command line asks for.
struct Options {
    Command command = Command::Help;
    std::string inputPath;       ///< the configuration or model file
    std::string measurementPath; ///< compute-measured: the Touchstone file
    std::string limitsPath;      ///< compute-measured: the limit file, empty for none
    DecisionRule rule = DecisionRule::Guarded;
    std::string databasePath = "uncdata.unc";
    bool databaseGiven = false; ///< --database was given; otherwise the default is looked up
    std::string outputPath = "uncertainty.dat"; ///< "-" is standard output
    OutputFormat format = OutputFormat::Table;
};

/// Reads the arguments after the program name. Returns false with `problem` set when they do not
/// form a valid command line.
[[nodiscard]] bool ParseOptions(const std::vector<std::string>& arguments, Options* options,
                                std::string* problem);

/// The usage text shown by --help and after a usage error.
[[nodiscard]] const char* UsageText();

} // namespace tolvane::cli
