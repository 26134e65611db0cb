#include "engine/plan.h"

#include "components/dut.h"
#include "components/vna.h"
#include "core/component_lists.h"
#include "core/message_sink.h"
#include "core/record_name.h"
#include "engine/compute_config.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/model.h"
#include "engine/plan_values.h"
#include "engine/sweep_time.h"
#include "engine/uncertainty.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>

namespace tolvane {
namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

void ReportPlanError(const char* text) {
    ShowErrorMessage((std::string("ComputePlan: ") + text).c_str());
}

struct ConfigDeleter {
    void operator()(ConfigInfo* config) const { (void)DestroyConfigInfo(config); }
};
struct ModelDeleter {
    void operator()(ModelInfo* model) const { (void)DestroyModelInfo(model); }
};
struct ResultDeleter {
    void operator()(UncertaintyInfo* result) const { (void)DestroyUncertaintyInfo(result); }
};

/// While it lives, the computations' messages are kept instead of shown (the first error of each
/// failure becomes the failure's text) and the coverage-factor trace is silent: a plan runs
/// hundreds of computations whose failures belong in its table, not in message boxes.
class QuietComputations {
public:
    QuietComputations()
        : previousSink_(InstallMessageSink([this](MessageKind kind, const std::string& text) {
              if (kind == MessageKind::Error && firstError_.empty()) firstError_ = text;
          })),
          previousTrace_(CoverageTraceStream()) {
        SetCoverageTraceStream(nullptr);
    }
    ~QuietComputations() {
        (void)InstallMessageSink(std::move(previousSink_));
        SetCoverageTraceStream(previousTrace_);
    }
    QuietComputations(const QuietComputations&) = delete;
    QuietComputations& operator=(const QuietComputations&) = delete;

    /// The first error since the last call.
    std::string takeFirstError() { return std::exchange(firstError_, {}); }

private:
    std::string firstError_;
    MessageSink previousSink_;
    std::FILE* previousTrace_;
};

/// The analyzer of the list named `name`, found without a message.
const VNAInfo* AnalyzerNamed(const char* name) {
    const InfoList* vnas = GlobalComponentLists().vnas;
    for (int i = 0; i < GetInfoListCount(vnas); ++i) {
        const auto* vna = GetInfoListRecord<VNAInfo>(vnas, i);
        if (vna != nullptr && RecordNameEquals(vna->name, name)) return vna;
    }
    return nullptr;
}

/// The part of the configuration a model is built from, copied through the setters.
int CopyForPlan(const ConfigInfo* from, ConfigInfo* to) {
    RecordName name{};
    float value = 0.0f;
    int averages = 0;
    DUTInfo* fromDut = nullptr;
    DUTInfo* toDut = nullptr;
    for (int cable = 1; cable <= 2; ++cable) {
        if (!GetConfigDielName(from, cable, name.data(), int(name.size())) ||
            !SetConfigDielName(to, cable, name.data()) ||
            !GetConfigCableLength(from, cable, &value) || !SetConfigCableLength(to, cable, value))
            return 0;
    }
    if (!GetConfigCalName(from, name.data(), int(name.size())) ||
        !SetConfigCalName(to, name.data()) ||
        !GetConfigVNAName(from, name.data(), int(name.size())) ||
        !SetConfigVNAName(to, name.data()) || !GetConfigTempVar(from, &value) ||
        !SetConfigTempVar(to, value) || !GetConfigPower(from, &value) ||
        !SetConfigPower(to, value) || !GetConfigIFBW(from, &value) || !SetConfigIFBW(to, value) ||
        !GetConfigAverages(from, &averages) || !SetConfigAverages(to, averages) ||
        !GetConfigDUT(from, &fromDut) || !GetConfigDUT(to, &toDut) || !CopyDUTInfo(fromDut, toDut))
        return 0;
    return 1;
}

/// The model's DUT made the point's one value, as a sweep of one value of the configuration's
/// reflection-only or reciprocal transmission-only kind; the model's frequency the point's.
int SetPoint(ModelInfo* model, const PlanPoint& point) {
    DUTInfo* dut = model->dut;
    const int dutSet = point.port == PlanPort::Reflection
                           ? SetDUTType(dut, DUT_REFLECTION_ONLY) && SetDUTReflNumValues(dut, 1) &&
                                 SetDUTReflMin(dut, point.dutDb) && SetDUTReflMax(dut, point.dutDb)
                           : SetDUTType(dut, DUT_TRANSMISSION_ONLY) &&
                                 SetDUTTransNumValues(dut, 1) && SetDUTTransMin(dut, point.dutDb) &&
                                 SetDUTTransMax(dut, point.dutDb) && SetDUTReciprocal(dut, 1);
    return dutSet && SetModelNumFreqs(model, 1) && SetModelFreq(model, 0, point.frequencyHz);
}

int ComputePoint(ModelInfo* model, const PlanPoint& point, UncertaintyInfo* scratch,
                 PointUncertainty* out) {
    float nominal = 0.0f, upper = 0.0f, phaseDeg = 0.0f;
    const auto get = point.port == PlanPort::Reflection ? GetUncertaintyRefl : GetUncertaintyTrans;
    if (!SetPoint(model, point) || !ComputeModel(model, scratch) ||
        !get(scratch, 0, 0, &nominal, &upper, &phaseDeg))
        return 0;
    // As the charts and the exported tables show it.
    *out = {nominal, upper, LinearToDB(upper) - LinearToDB(nominal)};
    return 1;
}

/// Sweep points of the configuration: its frequencies, or a user-defined DUT's own sweep.
int SweepPoints(const ConfigInfo* config) {
    DUTInfo* dut = nullptr;
    int type = 0, sweep = 0, numFreqs = 0;
    float s[4] = {}, startGHz = 0.0f, stopGHz = 0.0f;
    int points = 0;
    if (GetConfigDUT(config, &dut) && GetDUTType(dut, &type) && GetDUTFreqSweep(dut, &sweep) &&
        type == DUT_USER_DEFINED && sweep == 1 &&
        GetDUTUserValues(dut, &s[0], &s[1], &s[2], &s[3], &startGHz, &stopGHz, &points))
        return std::min(points, kMaxConfigFrequencies);
    return GetConfigNumFreqs(config, &numFreqs) ? numFreqs : 0;
}

double SweepTimeOf(const ConfigInfo* valueConfig, int points, int directions) {
    SweepConditions conditions;
    conditions.numPoints = points;
    conditions.directions = directions;
    RecordName vnaName{};
    if (!GetConfigAverages(valueConfig, &conditions.averages) ||
        !GetConfigIFBW(valueConfig, &conditions.ifBandwidthHz) ||
        !GetConfigVNAName(valueConfig, vnaName.data(), int(vnaName.size())))
        return kNotANumber;
    const VNAInfo* vna = AnalyzerNamed(vnaName.data());
    if (vna == nullptr || !SetSweepTimeConstants(vna, &conditions)) return kNotANumber;
    return EstimateSweepTimeS(conditions);
}

/// What every value of a plan shares.
struct PlanFrame {
    const ConfigInfo* config;
    const Plan& plan;
    std::vector<double> frequenciesHz; ///< the points' frequencies, ascending, each once
    int sweepPoints;
    int directions;
};

PlanValueResult ComputeValue(const PlanFrame& frame, const PlanValue& value,
                             QuietComputations& quiet, UncertaintyInfo* scratch) {
    PlanValueResult out;
    out.points.resize(frame.plan.points.size());
    out.sweepTimeS = kNotANumber;
    const auto failEveryPoint = [&] {
        const std::string why = quiet.takeFirstError();
        for (PlanPointResult& point : out.points)
            point.failure = why;
        return out;
    };
    const std::unique_ptr<ConfigInfo, ConfigDeleter> config(CreateConfigInfo());
    if (config == nullptr || !CopyForPlan(frame.config, config.get()) ||
        !SetPlanValue(config.get(), frame.plan.quantity, frame.plan.cable, value))
        return failEveryPoint();
    out.sweepTimeS = SweepTimeOf(config.get(), frame.sweepPoints, frame.directions);

    const std::unique_ptr<ModelInfo, ModelDeleter> model(CreateModelInfo());
    // The cables' drift tables are made at exactly the points' frequencies, as "Compute
    // Configuration" makes them at the configuration's own.
    if (model == nullptr ||
        !BuildModelFromConfig(config.get(), frame.frequenciesHz, model.get(), nullptr))
        return failEveryPoint();
    for (std::size_t p = 0; p < out.points.size(); ++p) {
        PlanPointResult& point = out.points[p];
        point.computed =
            ComputePoint(model.get(), frame.plan.points[p], scratch, &point.worstCase) != 0;
        if (!point.computed) point.failure = quiet.takeFirstError();
    }
    return out;
}

} // namespace

bool PlanValueResult::allComputed() const {
    return std::all_of(points.begin(), points.end(),
                       [](const PlanPointResult& p) { return p.computed; });
}

float PlanValueResult::largestUncertaintyDb() const {
    float largest = -std::numeric_limits<float>::infinity();
    for (const PlanPointResult& p : points)
        largest = std::max(largest, p.worstCase.uncertaintyDb);
    return largest;
}

PlanPort DefaultPlanPort(const ConfigInfo* config) {
    DUTInfo* dut = nullptr;
    int type = 0;
    if (GetConfigDUT(config, &dut) && GetDUTType(dut, &type) && type == DUT_TRANSMISSION_ONLY)
        return PlanPort::Transmission;
    return PlanPort::Reflection;
}

int PlanSweepDirections(const ConfigInfo* config, const Plan& plan) {
    DUTInfo* dut = nullptr;
    int type = 0;
    const bool reflectionOnly =
        GetConfigDUT(config, &dut) && GetDUTType(dut, &type) && type == DUT_REFLECTION_ONLY;
    const bool reflectionPoints =
        std::all_of(plan.points.begin(), plan.points.end(),
                    [](const PlanPoint& p) { return p.port == PlanPort::Reflection; });
    return reflectionOnly && reflectionPoints ? 1 : 2;
}

int ComputePlan(const ConfigInfo* config, const Plan& plan, PlanResult* result) {
    if (config == nullptr || result == nullptr) {
        ReportPlanError("NULL info pointer.");
        return 0;
    }
    if (plan.values.empty()) {
        ReportPlanError("the plan has no values.");
        return 0;
    }
    if (plan.points.empty() || plan.points.size() > kMaxPlanPoints) {
        ReportPlanError("a plan needs 1 to 5 points of interest.");
        return 0;
    }
    PlanFrame frame{config, plan, {}, SweepPoints(config), PlanSweepDirections(config, plan)};
    for (const PlanPoint& point : plan.points) {
        if (!(point.frequencyHz > 0.0) || !std::isfinite(point.frequencyHz)) {
            ReportPlanError("invalid frequency of a point of interest.");
            return 0;
        }
        frame.frequenciesHz.push_back(point.frequencyHz);
    }
    std::sort(frame.frequenciesHz.begin(), frame.frequenciesHz.end());
    frame.frequenciesHz.erase(std::unique(frame.frequenciesHz.begin(), frame.frequenciesHz.end()),
                              frame.frequenciesHz.end());

    const std::unique_ptr<UncertaintyInfo, ResultDeleter> scratch(CreateUncertaintyInfo());
    if (scratch == nullptr) return 0;
    PlanResult computed;
    {
        QuietComputations quiet;
        for (const PlanValue& value : plan.values)
            computed.values.push_back(ComputeValue(frame, value, quiet, scratch.get()));
    }
    *result = std::move(computed);
    return 1;
}

std::optional<std::size_t> FindBestPlanValue(const PlanResult& result, double targetDb) {
    const auto target = static_cast<float>(targetDb);
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < result.values.size(); ++i) {
        const PlanValueResult& candidate = result.values[i];
        if (!candidate.allComputed() || !std::isfinite(candidate.sweepTimeS) ||
            !(candidate.largestUncertaintyDb() <= target))
            continue;
        if (!best) {
            best = i;
            continue;
        }
        const PlanValueResult& current = result.values[*best];
        if (candidate.sweepTimeS < current.sweepTimeS ||
            (candidate.sweepTimeS == current.sweepTimeS &&
             candidate.largestUncertaintyDb() < current.largestUncertaintyDb()))
            best = i;
    }
    return best;
}

} // namespace tolvane
