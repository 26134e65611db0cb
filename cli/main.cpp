// tolvane-cli: computes a configuration or a model file and writes the results, for batch use and
// scripts. Standard output carries only results; every message goes to standard error.

#include "cli/cli_options.h"
#include "cli/csv_output.h"
#include "cli/plan_output.h"
#include "core/message_sink.h"
#include "engine/compute_commands.h"
#include "engine/compute_config.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/measured_dut.h"
#include "engine/model.h"
#include "engine/plan.h"
#include "engine/plan_values.h"
#include "engine/program_state.h"
#include "files/config_file.h"
#include "files/data_folders.h"
#include "files/database_file.h"
#include "files/export.h"
#include "files/file_error.h"
#include "files/limit_file.h"
#include "files/measured_export.h"
#include "files/model_file.h"
#include "files/safe_file_writer.h"
#include "files/startup.h"
#include "files/touchstone_file.h"

#include "tolvane/version.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tolvane::cli {
namespace {

enum ExitStatus { kExitSuccess = 0, kExitFailure = 1, kExitUsage = 2, kExitNotAccepted = 3 };

/// Counts the error boxes so that a file read "successfully" with line errors still fails.
int gErrorCount = 0;

/// The text as a terminal may show it: a message can quote a line of a damaged or binary file,
/// whose control characters (escape sequences, a carriage return) would act on the terminal
/// rather than be seen, so each but the line feed and the tab is shown as "\xNN".
std::string PrintableText(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

void WriteMessageToStandardError(MessageKind kind, const std::string& text) {
    if (kind == MessageKind::Error) ++gErrorCount;
    std::fprintf(stderr, "%s%s\n",
                 kind == MessageKind::Error ? "Error: " : "Help: ", PrintableText(text).c_str());
}

/// Tears the program-wide state down however the run ends.
struct ProgramStateGuard {
    ProgramStateGuard() = default;
    ~ProgramStateGuard() { ShutDown(); }
    ProgramStateGuard(const ProgramStateGuard&) = delete;
    ProgramStateGuard& operator=(const ProgramStateGuard&) = delete;
};

/// True when `read` succeeded and showed no error: a file with line errors is only partly read,
/// and computing from it would give results for another set-up than the file describes.
template <typename Read> bool ReadCleanly(Read read) {
    const int errorsBefore = gErrorCount;
    return read() != 0 && gErrorCount == errorsBefore;
}

/// Writes csv through `write` to `path` ("-" is standard output), replacing a file only when all
/// of it was written.
template <typename Write> bool WriteCsvTo(const std::string& path, Write write) {
    // The export's own messages, so that every format fails alike.
    if (path == "-") {
        if (write(stdout) && std::fflush(stdout) == 0) return true;
        ReportFileError(MakeErrorCode(kFileMsgWriting, kRoutineExportUncertaintyToFile),
                        "standard output");
        return false;
    }
    SafeFileWriter writer(path);
    if (!writer.open()) {
        ReportFileError(MakeErrorCode(kFileMsgCreating, kRoutineExportUncertaintyToFile),
                        path.c_str());
        return false;
    }
    if (!write(writer.stream()) || !writer.commit()) {
        ReportFileError(MakeErrorCode(kFileMsgWriting, kRoutineExportUncertaintyToFile),
                        path.c_str());
        return false;
    }
    return true;
}

bool WriteCsv(const UncertaintyInfo* results, const std::string& path) {
    return WriteCsvTo(path, [results](std::FILE* out) { return WriteResultsCsv(results, out); });
}

bool WriteResults(const Options& options) {
    const UncertaintyInfo* results = CurrentResult();
    if (options.format == OutputFormat::Csv) return WriteCsv(results, options.outputPath);
    if (options.outputPath == "-")
        return ExportUncertaintyToStream(results, stdout, "standard output") != 0;
    return ExportUncertaintyToFile(results, options.outputPath.c_str()) != 0;
}

MethodOptions ComputationMethod(const Options& options) {
    MethodOptions method;
    method.method = options.method;
    method.monteCarlo = {options.trials.value_or(kDefaultSweepTrials), options.seed};
    return method;
}

/// The database and the configuration file, read cleanly into the program's state.
bool ReadDatabaseAndConfiguration(const Options& options) {
    if (!ReadCleanly([&] { return ReadUncertaintyFile(options.databasePath.c_str()); }))
        return false;
    ProgramState& state = GlobalProgramState();
    state.currentConfig = CreateConfigInfo();
    return state.currentConfig != nullptr && ReadCleanly([&] {
               return ReadConfigFile(state.currentConfig, options.inputPath.c_str());
           });
}

bool ComputeConfigurationFile(const Options& options) {
    return ReadDatabaseAndConfiguration(options) &&
           ComputeConfigurationCommand(GlobalProgramState().currentConfig,
                                       ComputationMethod(options)) != 0;
}

/// The plan of the command line against the configuration read: the points measure what the
/// configuration's DUT does unless they say; without --values, every value the set-up offers.
Plan PlanOfOptions(const Options& options, const ConfigInfo* config) {
    Plan plan;
    plan.quantity = *PlanQuantityFromKeyword(options.varied);
    plan.cable = options.cable == "1"   ? PlanCable::Cable1
                 : options.cable == "2" ? PlanCable::Cable2
                                        : PlanCable::Both;
    for (const std::string& text : options.valueTexts)
        plan.values.push_back(*ParsePlanValue(plan.quantity, text));
    if (options.valueTexts.empty()) plan.values = DefaultPlanValues(config, plan.quantity);
    for (const std::string& text : options.pointTexts)
        plan.points.push_back(*ParsePlanPoint(text, DefaultPlanPort(config)));
    return plan;
}

/// Every point not computed, and the best value for the target, on standard error.
void ReportPlanOutcome(const Options& options, const Plan& plan, const PlanResult& result) {
    for (std::size_t v = 0; v < result.values.size(); ++v) {
        for (std::size_t p = 0; p < result.values[v].points.size(); ++p) {
            const PlanPointResult& point = result.values[v].points[p];
            if (point.computed) continue;
            WriteMessageToStandardError(MessageKind::Error,
                                        "value " + PlanValueText(plan.quantity, plan.values[v]) +
                                            " at point " + options.pointTexts[p] + ": " +
                                            point.failure);
        }
    }
    if (!options.targetDb) return;
    const std::optional<std::size_t> best = FindBestPlanValue(result, *options.targetDb);
    if (!best) {
        std::fprintf(stderr, "No value meets the target of %g dB at every point.\n",
                     *options.targetDb);
        return;
    }
    const PlanValueResult& chosen = result.values[*best];
    std::fprintf(stderr,
                 "Best value for the target of %g dB: %s (sweep time %.6g s, largest "
                 "uncertainty %.4f dB)\n",
                 *options.targetDb,
                 PrintableText(PlanValueText(plan.quantity, plan.values[*best])).c_str(),
                 chosen.sweepTimeS, static_cast<double>(chosen.largestUncertaintyDb()));
}

/// Plans the configuration file; true when the table was written and holds at least one figure.
bool PlanConfigurationFile(const Options& options) {
    if (!ReadDatabaseAndConfiguration(options)) return false;
    const ConfigInfo* config = GlobalProgramState().currentConfig;
    const Plan plan = PlanOfOptions(options, config);
    PlanResult result;
    if (ComputePlan(config, plan, &result) == 0) return false;
    ReportPlanOutcome(options, plan, result);
    if (!WriteCsvTo(options.outputPath, [&](std::FILE* out) {
            return WritePlanCsv(plan, result, options.pointTexts, out);
        }))
        return false;
    return std::any_of(result.values.begin(), result.values.end(), [](const PlanValueResult& v) {
        return std::any_of(v.points.begin(), v.points.end(),
                           [](const PlanPointResult& p) { return p.computed; });
    });
}

/// The file name of `path`, for the titles of the results.
std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

/// compute-measured: the bounds of every measured point with the configuration's set-up, judged
/// against the limits under the rule, written in the chosen format.
int ComputeMeasuredFile(const Options& options) {
    Measurement measurement;
    std::vector<Limit> limits;
    MeasuredResults results;
    if (!ReadDatabaseAndConfiguration(options) ||
        ReadTouchstoneFile(options.measurementPath.c_str(), &measurement) == 0 ||
        (!options.limitsPath.empty() && ReadLimitFile(options.limitsPath.c_str(), &limits) == 0) ||
        ComputeMeasuredCommand(GlobalProgramState().currentConfig, measurement, limits,
                               options.rule, &results, ComputationMethod(options)) == 0)
        return kExitFailure;
    results.measurementName = FileName(options.measurementPath);
    if (!options.limitsPath.empty()) results.limitsName = FileName(options.limitsPath);
    const MeasuredFormat format =
        options.format == OutputFormat::Csv ? MeasuredFormat::Csv : MeasuredFormat::Table;
    const bool written =
        options.outputPath == "-"
            ? ExportMeasuredToStream(results, format, stdout, "standard output") != 0
            : ExportMeasuredToFile(results, format, options.outputPath.c_str()) != 0;
    if (!written) return kExitFailure;
    if (results.summary.limitsApply)
        std::fprintf(stderr, "%s\n%s\n", OverallVerdictText(results).c_str(),
                     WorstMarginText(results).c_str());
    return results.summary.accepted ? kExitSuccess : kExitNotAccepted;
}

bool ComputeModelFile(const Options& options) {
    ProgramState& state = GlobalProgramState();
    state.currentModel = CreateModelInfo();
    if (state.currentModel == nullptr ||
        !ReadCleanly([&] { return ReadModelFile(state.currentModel, options.inputPath.c_str()); }))
        return false;
    return ComputeModelOverDUTSweep(state.currentModel, ComputationMethod(options)) != 0;
}

/// The budget of the configuration's point to `path` ("-": standard output) as csv.
bool WriteBudget(const Options& options) {
    if (!ReadDatabaseAndConfiguration(options)) return false;
    constexpr double kHzPerGHz = 1e9;
    const UncertaintyPoint point =
        SweepPoint(options.frequencyGHz * kHzPerGHz, options.valueDb, options.parameter);
    PointExplanation explanation;
    if (ExplainConfigPoint(GlobalProgramState().currentConfig, point,
                           {options.trials.value_or(kDefaultPointTrials), options.seed},
                           &explanation) == 0)
        return false;
    const auto write = [&](std::FILE* out) { return WriteBudgetCsv(explanation, out); };
    if (options.outputPath == "-") {
        if (write(stdout) && std::fflush(stdout) == 0) return true;
        ReportFileError(MakeErrorCode(kFileMsgWriting, kRoutineExportUncertaintyToFile),
                        "standard output");
        return false;
    }
    SafeFileWriter writer(options.outputPath);
    if (!writer.open()) {
        ReportFileError(MakeErrorCode(kFileMsgCreating, kRoutineExportUncertaintyToFile),
                        options.outputPath.c_str());
        return false;
    }
    if (!write(writer.stream()) || !writer.commit()) {
        ReportFileError(MakeErrorCode(kFileMsgWriting, kRoutineExportUncertaintyToFile),
                        options.outputPath.c_str());
        return false;
    }
    return true;
}

int Run(const Options& options) {
    InstallMessageSink(WriteMessageToStandardError);
    SetCoverageTraceStream(stderr);

    const ProgramStateGuard guard;
    if (CreateProgramState() == 0) {
        std::fprintf(stderr, "Error: not enough memory to start.\n");
        return kExitFailure;
    }
    if (options.command == Command::Budget)
        return WriteBudget(options) ? kExitSuccess : kExitFailure;
    if (options.command == Command::Plan)
        return PlanConfigurationFile(options) ? kExitSuccess : kExitFailure;
    if (options.command == Command::ComputeMeasured) return ComputeMeasuredFile(options);
    const bool computed = options.command == Command::ComputeConfig
                              ? ComputeConfigurationFile(options)
                              : ComputeModelFile(options);
    if (!computed) return kExitFailure;
    AdvanceResultSlot();
    return WriteResults(options) ? kExitSuccess : kExitFailure;
}

/// False with `problem` set when the output is one of the files the command reads (also through
/// a link or another name for it): the results would replace the file they were computed from.
bool OutputSparesTheInputs(const Options& options, std::string* problem) {
    if (options.outputPath == "-") return true;
    std::vector<std::string> inputs{options.inputPath};
    if (options.command != Command::ComputeModel) inputs.push_back(options.databasePath);
    if (options.command == Command::ComputeMeasured) inputs.push_back(options.measurementPath);
    if (!options.limitsPath.empty()) inputs.push_back(options.limitsPath);
    for (const std::string& input : inputs) {
        std::error_code error;
        if (std::filesystem::equivalent(options.outputPath, input, error)) {
            *problem =
                "the output \"" + options.outputPath + "\" is the input file \"" + input + "\"";
            return false;
        }
    }
    return true;
}

} // namespace
} // namespace tolvane::cli

int main(int argc, char** argv) {
    using namespace tolvane::cli;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    Options options;
    std::string problem;
    const bool parsed = ParseOptions(arguments, &options, &problem);
    if (parsed && !options.databaseGiven)
        options.databasePath = tolvane::DefaultDatabasePath().string();
    if (!parsed || !OutputSparesTheInputs(options, &problem)) {
        std::fprintf(stderr, "tolvane-cli: %s\n\n%s", problem.c_str(), UsageText());
        return kExitUsage;
    }
    switch (options.command) {
    case Command::Help:
        std::fputs(UsageText(), stdout);
        return kExitSuccess;
    case Command::Version:
        std::printf("%s\n", tolvane::kProductTitle);
        return kExitSuccess;
    default:
        return Run(options);
    }
}
