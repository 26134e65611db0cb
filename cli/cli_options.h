#pragma once

#include "engine/uncertainty_methods.h"
#include "engine/verdict.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::cli {

enum class Command { ComputeConfig, ComputeModel, ComputeMeasured, Budget, Plan, Help, Version };
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
    UncertaintyMethod method = UncertaintyMethod::WorstCase;
    /// Monte Carlo trials (the command's default when not given) and seed.
    std::optional<int> trials;
    std::uint64_t seed = kDefaultMonteCarloSeed;
    // The point of a budget.
    double frequencyGHz = 0.0;
    float valueDb = 0.0f;
    MeasuredParameter parameter = MeasuredParameter::S11;

    // plan: checked for form here; the values and points are read against the configuration.
    std::string varied;                  ///< --vary keyword ("ifbw", ...)
    std::vector<std::string> valueTexts; ///< --values, split at the commas; empty: the defaults
    std::vector<std::string> pointTexts; ///< each --point as given
    std::optional<double> targetDb;      ///< --target
    std::string cable = "both";          ///< --cable for cable-length: "1", "2" or "both"
};

/// Where plan writes without --output.
inline constexpr const char* kDefaultPlanOutput = "plan.csv";

/// Reads the arguments after the program name. Returns false with `problem` set when they do not
/// form a valid command line.
[[nodiscard]] bool ParseOptions(const std::vector<std::string>& arguments, Options* options,
                                std::string* problem);

/// The usage text shown by --help and after a usage error.
[[nodiscard]] const char* UsageText();

} // namespace tolvane::cli
