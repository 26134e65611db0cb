#include "engine/measured_dut.h"
#include "engine/measured_methods.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dielectric.h"
#include "components/dut.h"
#include "components/fv_table_set.h"
#include "components/vna.h"
#include "core/component_lists.h"
#include "core/owned.h"
#include "engine/compute_config.h"
#include "engine/compute_model.h"
#include "engine/config.h"
#include "engine/model.h"
#include "engine/term_lookup.h"
#include "engine/uncertainty.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace tolvane {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegreesPerRadian = 180.0 / kPi;
/// The DUT value of the transmissions and the port-2 match of a one-port.
constexpr auto kNoSignalDb = static_cast<float>(kZeroMagnitudeDb);

int Fail() {
    ReportModelError(MakeErrorCode(kModelMsgCalledRoutine, kRoutineComputeModel));
    return 0;
}

/// A cable's drift coefficients, so that its drift can be had at any frequency as MakeCableFVs
/// would store it in a table made at that frequency.
struct CableDrift {
    double lengthM = 0.0;
    double tempVarC = 0.0;
    float magCoef = 0.0f;
    float phaseCoef = 0.0f;

    [[nodiscard]] bool read(const CableInfo* cable) {
        const DielInfo* diel =
            FindRecordByName<DielInfo>(GlobalComponentLists().dielectrics, cable->dielName.data());
        lengthM = cable->lengthM;
        tempVarC = cable->tempVarC;
        return diel != nullptr && GetDielMagCoef(diel, &magCoef) &&
               GetDielPhaseCoef(diel, &phaseCoef);
    }
    [[nodiscard]] float magnitudeDb(double f) const {
        return CableDriftAt(lengthM, magCoef, tempVarC, f);
    }
    [[nodiscard]] float phaseDeg(double f) const {
        return CableDriftAt(lengthM, phaseCoef, tempVarC, f);
    }
};

/// The terms of one frequency that do not depend on the direction.
struct SharedTerms {
    float clm, ctt, cdr, crt, csm, cxt, ssr, nrc;
    float conn1Rm, conn1Tm, conn2Rm, conn2Tm;
};

/// The terms of one direction at one frequency: the side of port 1 and the side of port 2.
struct DirectionTerms {
    TwoPort loadSide; // connector 2, cable 2 and the load-side terms, cascaded
    TwoPort connector1;
    TwoPort cable1;
    TwoPort sourceSide;
    double crosstalk;
    double sourceTerm;
    double noiseWatts;
    double phaseDrift1Deg;
    double phaseDrift2Deg;
};

/// The four DUT values (dB) of one direction.
using DUTValues = MeasuredDUTValues;

/// One direction's reflection and transmission results.
struct DirectionResult {
    float reflNominal, reflUpper, reflPhase;
    float transNominal, transUpper, transPhase;
};

/// The computation of a measurement on the model built from the configuration. Each point is
/// evaluated as ComputeModel evaluates a user-defined DUT: the same lookups in the same order,
/// the same operations in the same precision.
class MeasuredComputation {
public:
    MeasuredComputation(const ModelInfo& model, const CoverageFactors& k, float noiseOffsetDb)
        : model_(model), k_(k), noiseOffsetDb_(noiseOffsetDb), clm_(model, kTermLoadMatch),
          ctt_(model, kTermTransmissionTracking), cdr_(model, kTermDirectivity),
          crt_(model, kTermReflectionTracking), csm_(model, kTermSourceMatch),
          cxt_(model, kTermCrosstalk), ssr_(model, kTermSourceUncertainty),
          nrc_(model, kTermReceiverNoise), conn1Rm_(model, kTermConnector1Reflection),
          conn1Tm_(model, kTermConnector1Transmission), conn2Rm_(model, kTermConnector2Reflection),
          conn2Tm_(model, kTermConnector2Transmission) {}

    [[nodiscard]] int lookUp(double f, SharedTerms& t) const {
        return clm_.lookup(f, &t.clm) && ctt_.lookup(f, &t.ctt) && conn2Rm_.lookup(f, &t.conn2Rm) &&
               conn2Tm_.lookup(f, &t.conn2Tm) && conn1Rm_.lookup(f, &t.conn1Rm) &&
               conn1Tm_.lookup(f, &t.conn1Tm) && cdr_.lookup(f, &t.cdr) && crt_.lookup(f, &t.crt) &&
               csm_.lookup(f, &t.csm) && cxt_.lookup(f, &t.cxt) && ssr_.lookup(f, &t.ssr) &&
               nrc_.lookup(f, &t.nrc);
    }

    /// The terms with `port1Cable` and connector (rm1, tm1) on port 1, the others on port 2.
    [[nodiscard]] DirectionTerms direction(double f, const SharedTerms& t,
                                           const CableDrift& port1Cable, float rm1, float tm1,
                                           const CableDrift& port2Cable, float rm2,
                                           float tm2) const {
        DirectionTerms d{};
        const TwoPort x1 = CascadeTwoPorts(CableDriftTwoPort(port2Cable.magnitudeDb(f), k_),
                                           LoadSideTwoPort(t.clm, t.ctt, k_));
        d.loadSide = CascadeTwoPorts(ConnectorTwoPort(rm2, tm2, k_), x1);
        d.connector1 = ConnectorTwoPort(rm1, tm1, k_);
        d.cable1 = CableDriftTwoPort(port1Cable.magnitudeDb(f), k_);
        d.sourceSide = SourceSideTwoPort(t.cdr, t.crt, t.csm, k_);
        d.crosstalk = LossToLinear(t.cxt) / static_cast<double>(k_[kCoverageCrosstalk]);
        d.sourceTerm = GainTermAroundOne(t.ssr, k_[kCoverageSourceUncertainty]);
        // The noise level in dBm is the noise offset minus NRc: an NRc of 100 stands for -100 dBm.
        const auto noiseFloor = static_cast<double>(k_[kCoverageNoiseFloor]);
        d.noiseWatts = DBmToWatts(noiseOffsetDb_ - t.nrc) / (noiseFloor * noiseFloor);
        const auto drift = static_cast<double>(k_[kCoverageDrift]);
        d.phaseDrift1Deg = port1Cable.phaseDeg(f) / drift;
        d.phaseDrift2Deg = port2Cable.phaseDeg(f) / drift;
        return d;
    }

    [[nodiscard]] int compute(const DirectionTerms& d, const DUTValues& v,
                              DirectionResult* out) const {
        const float reflPowerDbm = model_.powerDbm + v.s11;
        const float transPowerDbm = model_.powerDbm + v.s21;
        float srcR = 0.0f, srcT = 0.0f;
        if (!GetVNAPVValue(model_.vna, kVNATableSRc, reflPowerDbm, &srcR) ||
            !GetVNAPVValue(model_.vna, kVNATableSRc, transPowerDbm, &srcT))
            return 0;
        const float kRx = k_[kCoverageReceiverUncertainty];
        const double reflReceiver = GainTermAroundOne(srcR, kRx);
        const double transReceiver = GainTermAroundOne(srcT, kRx);
        const double reflWatts = DBmToWatts(reflPowerDbm);
        const double transWatts = DBmToWatts(transPowerDbm);

        const TwoPort dut =
            MakeTwoPort(DBToLinear(v.s11), DBToLinear(v.s12), DBToLinear(v.s21), DBToLinear(v.s22));
        const TwoPort x3 = CascadeTwoPorts(dut, d.loadSide);
        const TwoPort x4 = CascadeTwoPorts(d.connector1, x3);
        const TwoPort x5 = CascadeTwoPorts(d.cable1, x4);
        const TwoPort x6 = CascadeTwoPorts(d.sourceSide, x5);
        const double m = dut.s11;
        const double t = dut.s21;
        const auto k = static_cast<double>(k_[kCoverageK]);

        const double eR = x6.s11 * d.sourceTerm * reflReceiver - m;
        const double nR = std::sqrt(d.noiseWatts / reflWatts) * m;
        const double upperR = m + k * std::sqrt(eR * eR + nR * nR);
        const double eT = x6.s21 * d.sourceTerm * transReceiver - t;
        const double nT = std::sqrt(d.noiseWatts / transWatts) * t;
        const double upperT = t + k * std::sqrt(d.crosstalk * d.crosstalk + eT * eT + nT * nT);

        // A bound of more than twice the nominal magnitude means any phase: 90 degrees. The
        // reflected wave passes cable 1 twice, the transmitted wave each cable once.
        const double relR = std::min((upperR - m) / m, 1.0);
        const double relT = std::min((upperT - t) / t, 1.0);
        out->reflNominal = static_cast<float>(m);
        out->reflUpper = static_cast<float>(upperR);
        out->reflPhase =
            static_cast<float>(std::asin(relR) * kDegreesPerRadian + 2.0 * d.phaseDrift1Deg);
        out->transNominal = static_cast<float>(t);
        out->transUpper = static_cast<float>(upperT);
        out->transPhase = static_cast<float>(std::asin(relT) * kDegreesPerRadian +
                                             d.phaseDrift2Deg + d.phaseDrift1Deg);
        return 1;
    }

private:
    const ModelInfo& model_;
    const CoverageFactors& k_;
    const float noiseOffsetDb_;
    FrequencyTermLookup clm_, ctt_, cdr_, crt_, csm_, cxt_, ssr_, nrc_;
    FrequencyTermLookup conn1Rm_, conn1Tm_, conn2Rm_, conn2Tm_;
};

MeasuredBounds Bounds(const MeasuredValue& value, float measuredDb, float nominal, float upper,
                      float phase) {
    MeasuredBounds b;
    b.measuredDb = measuredDb;
    b.measuredDeg = value.angleDeg;
    b.nominal = nominal;
    b.setBound(upper, phase);
    return b;
}

/// The checks and the trace of ComputeModel, run on the model at the measurement's lowest and
/// highest frequencies (its DUT the configuration's): a range failure, a bad averaging factor or
/// IF bandwidth gives the messages and advice a configuration at those frequencies gives.
int CheckAsComputeModel(ModelInfo* model) {
    Owned<UncertaintyInfo> scratch(CreateUncertaintyInfo());
    if (scratch == nullptr) return Fail();
    if (ComputeModel(model, scratch.get()) == 0) {
        ShowComputationAdvice(model);
        return 0;
    }
    return 1;
}

} // namespace

void MeasuredBounds::setBound(float upper, float phase) {
    upperBound = upper;
    phaseDeg = phase;
    upperDb = 20.0 * std::log10(static_cast<double>(upper));
    const double lower = std::max(2.0 * nominal - static_cast<double>(upper), 0.0);
    lowerDb = lower > 0.0 ? 20.0 * std::log10(lower) : -std::numeric_limits<double>::infinity();
}

MeasuredDUTValues ForwardDUTValues(const MeasuredPoint& point, int numPorts) {
    const auto& s = point.s;
    const auto db = [&](SParameter p) { return static_cast<float>(s[Index(p)].magnitudeDb); };
    if (numPorts != 2) return {db(SParameter::S11), kNoSignalDb, kNoSignalDb, kNoSignalDb};
    return {db(SParameter::S11), db(SParameter::S12), db(SParameter::S21), db(SParameter::S22)};
}

int ComputeMeasuredDUT(const ConfigInfo* config, const Measurement& measurement,
                       MeasuredResults* results) {
    if (config == nullptr || results == nullptr || measurement.points.empty() ||
        (measurement.numPorts != 1 && measurement.numPorts != 2)) {
        ReportModelError(MakeErrorCode(kMsgNullPointer, kRoutineComputeModel));
        return 0;
    }
    Owned<ModelInfo> model(CreateModelInfo());
    if (model == nullptr) return Fail();
    // The model spans the measurement, so that its check names the first term table that does not
    // cover it; the points themselves are computed one frequency at a time below.
    const std::vector<double> spanHz =
        measurement.points.size() == 1 ? std::vector<double>{measurement.points[0].frequencyHz}
                                       : std::vector<double>{measurement.points.front().frequencyHz,
                                                             measurement.points.back().frequencyHz};
    MeasuredResults computed;
    if (!BuildModelFromConfig(config, spanHz, model.get(), &computed.setUp)) return 0;
    const bool twoPort = measurement.numPorts == 2;
    const DUTValues first = ForwardDUTValues(measurement.points.front(), measurement.numPorts);
    if (!SetDUTType(model->dut, DUT_USER_DEFINED) ||
        !SetDUTUserSParams(model->dut, first.s11, first.s12, first.s21, first.s22) ||
        !CheckAsComputeModel(model.get()))
        return 0;

    CoverageFactors k{};
    CableDrift cable1, cable2;
    if (!GetDUTCoverageFactorArray(model->dut, &k) || !cable1.read(model->cable1) ||
        !cable2.read(model->cable2))
        return Fail();
    const MeasuredComputation computation(*model, k, NoiseOffsetDb(*model));

    const std::size_t n = measurement.points.size();
    computed.numPorts = measurement.numPorts;
    computed.frequenciesHz.reserve(n);
    for (SParameter p : measurement.parameters())
        computed.bounds[Index(p)].reserve(n);
    for (const MeasuredPoint& point : measurement.points) {
        const double f = point.frequencyHz;
        const auto& s = point.s;
        const DUTValues v = ForwardDUTValues(point, measurement.numPorts);
        SharedTerms terms{};
        if (!computation.lookUp(f, terms)) return Fail();
        DirectionResult forward{};
        const DirectionTerms forwardTerms = computation.direction(
            f, terms, cable1, terms.conn1Rm, terms.conn1Tm, cable2, terms.conn2Rm, terms.conn2Tm);
        if (!computation.compute(forwardTerms, v, &forward)) return Fail();
        computed.frequenciesHz.push_back(f);
        computed.bounds[Index(SParameter::S11)].push_back(
            Bounds(s[Index(SParameter::S11)], v.s11, forward.reflNominal, forward.reflUpper,
                   forward.reflPhase));
        if (!twoPort) continue;
        computed.bounds[Index(SParameter::S21)].push_back(
            Bounds(s[Index(SParameter::S21)], v.s21, forward.transNominal, forward.transUpper,
                   forward.transPhase));

        // Reverse: port 2 drives, so its cable and connector take the place of port 1's.
        DirectionResult reverse{};
        const DirectionTerms reverseTerms = computation.direction(
            f, terms, cable2, terms.conn2Rm, terms.conn2Tm, cable1, terms.conn1Rm, terms.conn1Tm);
        if (!computation.compute(reverseTerms, {v.s22, v.s21, v.s12, v.s11}, &reverse))
            return Fail();
        computed.bounds[Index(SParameter::S12)].push_back(
            Bounds(s[Index(SParameter::S12)], v.s12, reverse.transNominal, reverse.transUpper,
                   reverse.transPhase));
        computed.bounds[Index(SParameter::S22)].push_back(
            Bounds(s[Index(SParameter::S22)], v.s22, reverse.reflNominal, reverse.reflUpper,
                   reverse.reflPhase));
    }
    *results = std::move(computed);
    return 1;
}

void JudgeMeasurement(std::span<const Limit> limits, DecisionRule rule, MeasuredResults* results) {
    VerdictSummary summary;
    summary.rule = rule;
    for (SParameter p : kAllSParameters) {
        std::vector<MeasuredBounds>& bounds = results->bounds[Index(p)];
        for (std::size_t i = 0; i < bounds.size(); ++i) {
            MeasuredBounds& b = bounds[i];
            b.verdict = Verdict::None;
            const double f = results->frequenciesHz[i];
            for (const Limit& limit : limits) {
                if (limit.parameter != p || !LimitCovers(limit, f)) continue;
                summary.limitsApply = true;
                b.verdict = std::max(b.verdict,
                                     JudgeAgainstLimit(limit, b.measuredDb, b.lowerDb, b.upperDb));
                const double margin = MarginDb(limit, b.lowerDb, b.upperDb);
                if (margin < summary.worst.marginDb ||
                    (std::isnan(margin) && !std::isnan(summary.worst.marginDb)))
                    summary.worst = {margin, f, p, limit};
            }
            summary.overall = std::max(summary.overall, b.verdict);
            summary.accepted = summary.accepted && IsAccepted(b.verdict, rule);
        }
    }
    results->summary = summary;
}

int ComputeMeasuredCommand(const ConfigInfo* config, const Measurement& measurement,
                           std::span<const Limit> limits, DecisionRule rule,
                           MeasuredResults* results, const MethodOptions& method) {
    MeasuredResults computed;
    if (results == nullptr || ComputeMeasuredByMethod(config, measurement, method, &computed) == 0)
        return 0;
    JudgeMeasurement(limits, rule, &computed);
    *results = std::move(computed);
    return 1;
}

} // namespace tolvane
