// The computation evaluates each lookup once per frequency or once per DUT value and finds table
// places by bisection. These tests compare it, bit for bit and message for message, with a
// straightforward evaluation in which every point looks every term up through its record.

#include "engine/compute_model.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "core/owned.h"
#include "engine/model.h"
#include "engine/uncertainty.h"
#include "files/model_file.h"
#include "support/captured_messages.h"
#include "support/model_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tolvane {
namespace {

constexpr double kPi = 3.141592653589793;

int Fail() {
    ReportModelError(MakeErrorCode(kModelMsgCalledRoutine, kRoutineComputeModel));
    return 0;
}

// The error-term two-ports of one frequency, computed here from the terms' definitions rather than
// through the computation's own term helpers, so that a term divided by another's coverage factor
// differs from this reference. Each value is rounded to a float where the two-port holds it.
struct ReferenceTerms {
    const CoverageFactors& k;
    double factor(CoverageFactor which) const { return k[static_cast<std::size_t>(which)]; }
    // A loss (dB below the signal) over its factor, and a gain deviation around 1 over its factor.
    double loss(float db, CoverageFactor which) const { return LossToLinear(db) / factor(which); }
    double gain(float db, CoverageFactor which) const {
        return 1.0 + (static_cast<double>(GainToLinear(db)) - 1.0) / factor(which);
    }

    int load(const CalInfo* cal, double f, TwoPort* out) const {
        float clm = 0, ctt = 0;
        if (!GetCalFVValue(cal, kCalCLm, f, &clm) || !GetCalFVValue(cal, kCalCTt, f, &ctt))
            return 0;
        *out = {float(loss(clm, kCoverageLoadMatch)), 0.0f,
                float(gain(ctt, kCoverageTransmissionTracking)), 0.0f};
        return 1;
    }
    int cable(const CableInfo* cable, double f, TwoPort* out) const {
        float dcbtm = 0;
        if (!GetCableFVValue(cable, kCableDCbTm, f, &dcbtm)) return 0;
        const auto d = float(gain(dcbtm, kCoverageDrift));
        *out = {0.0f, d, d, 0.0f};
        return 1;
    }
    int connector(const ConnInfo* connector, double f, TwoPort* out) const {
        float rcnrm = 0, rcntm = 0;
        if (!GetConnFVValue(connector, kConnRCnRm, f, &rcnrm) ||
            !GetConnFVValue(connector, kConnRCnTm, f, &rcntm))
            return 0;
        const auto r = float(loss(rcnrm, kCoverageConnectorRepeatability));
        const auto t = float(1.0 + loss(rcntm, kCoverageConnectorRepeatability));
        *out = {r, t, t, r};
        return 1;
    }
    int source(const CalInfo* cal, double f, TwoPort* out) const {
        float cdr = 0, crt = 0, csm = 0;
        if (!GetCalFVValue(cal, kCalCDr, f, &cdr) || !GetCalFVValue(cal, kCalCRt, f, &crt) ||
            !GetCalFVValue(cal, kCalCSm, f, &csm))
            return 0;
        *out = {float(loss(cdr, kCoverageDirectivity)),
                float(gain(crt, kCoverageReflectionTracking)), 1.0f,
                float(loss(csm, kCoverageSourceMatch))};
        return 1;
    }
};

int FailNotFinite(double frequencyHz, bool transmission, float dutDb) {
    char detail[112];
    std::snprintf(detail, sizeof detail, "%s at %.10g GHz for DUT %s = %.6g dB.",
                  transmission ? "Transmission" : "Reflection", frequencyHz / 1e9,
                  transmission ? "S21" : "S11", static_cast<double>(dutDb));
    ReportModelError(MakeErrorCode(kModelMsgNotFinite, kRoutineComputeModel), detail);
    return 0;
}

// The main loop as it reads: every point looks every term up, in the order the loop names them,
// and stores its pair through the entry setters.
int StraightforwardLoop(const ModelInfo& model, const CoverageFactors& k, float noiseOffsetDb,
                        int numValues, UncertaintyInfo* result) {
    const double kX = k[kCoverageCrosstalk], kS = k[kCoverageSourceUncertainty];
    const double kRx = k[kCoverageReceiverUncertainty], kDr = k[kCoverageDrift];
    const double kN = k[kCoverageNoiseFloor], kk = k[kCoverageK];
    const ReferenceTerms terms{k};
    for (int i = 0; i < model.numFreqs; ++i) {
        const double f = model.frequenciesHz[static_cast<std::size_t>(i)];
        const float p = model.powerDbm;
        for (int j = 0; j < numValues; ++j) {
            TwoPort load, cable2, conn2, conn1, cable1, source;
            if (!terms.load(model.calKit, f, &load)) return Fail();
            if (!terms.cable(model.cable2, f, &cable2)) return Fail();
            const TwoPort x1 = CascadeTwoPorts(cable2, load);
            if (!terms.connector(model.connector2, f, &conn2)) return Fail();
            const TwoPort x2 = CascadeTwoPorts(conn2, x1);

            float s11 = 0, s12 = 0, s21 = 0, s22 = 0;
            if (!GetDUTSParams(model.dut, j, &s11, &s12, &s21, &s22)) return Fail();
            const float powerR = p + s11, powerT = p + s21;
            const float wattsR = DBmToWatts(powerR), wattsT = DBmToWatts(powerT);
            const TwoPort dut =
                MakeTwoPort(DBToLinear(s11), DBToLinear(s12), DBToLinear(s21), DBToLinear(s22));
            const double m = dut.s11, t = dut.s21;
            const TwoPort x3 = CascadeTwoPorts(dut, x2);

            if (!terms.connector(model.connector1, f, &conn1)) return Fail();
            const TwoPort x4 = CascadeTwoPorts(conn1, x3);
            if (!terms.cable(model.cable1, f, &cable1)) return Fail();
            const TwoPort x5 = CascadeTwoPorts(cable1, x4);
            if (!terms.source(model.calKit, f, &source)) return Fail();
            const TwoPort x6 = CascadeTwoPorts(source, x5);

            float cxt = 0, ssr = 0, nrc = 0, drift1 = 0, drift2 = 0, srcR = 0, srcT = 0;
            if (!GetCalFVValue(model.calKit, kCalCXt, f, &cxt) ||
                !GetVNAFVValue(model.vna, kVNATableSSr, f, &ssr) ||
                !GetVNAFVValue(model.vna, kVNATableNRc, f, &nrc) ||
                !GetCableFVValue(model.cable1, kCableDCbTp, f, &drift1) ||
                !GetCableFVValue(model.cable2, kCableDCbTp, f, &drift2) ||
                !GetVNAPVValue(model.vna, kVNATableSRc, powerR, &srcR) ||
                !GetVNAPVValue(model.vna, kVNATableSRc, powerT, &srcT))
                return Fail();
            const double xt = LossToLinear(cxt) / kX;
            const double src = 1.0 + (static_cast<double>(GainToLinear(ssr)) - 1.0) / kS;
            const double rxr = 1.0 + (static_cast<double>(GainToLinear(srcR)) - 1.0) / kRx;
            const double rxt = 1.0 + (static_cast<double>(GainToLinear(srcT)) - 1.0) / kRx;
            const double phi1 = drift1 / kDr, phi2 = drift2 / kDr;
            const double noise = DBmToWatts(noiseOffsetDb - nrc) / (kN * kN);

            const double eR = x6.s11 * src * rxr - m;
            const double nR = std::sqrt(noise / wattsR) * m;
            const double upperR = m + kk * std::sqrt(eR * eR + nR * nR);
            const double eT = x6.s21 * src * rxt - t;
            const double nT = std::sqrt(noise / wattsT) * t;
            const double upperT = t + kk * std::sqrt(xt * xt + eT * eT + nT * nT);
            const double rhoR = std::min((upperR - m) / m, 1.0);
            const double rhoT = std::min((upperT - t) / t, 1.0);
            const double phaseR = std::asin(rhoR) * (180.0 / kPi) + 2.0 * phi1;
            const double phaseT = std::asin(rhoT) * (180.0 / kPi) + phi2 + phi1;
            const float refl[3] = {dut.s11, static_cast<float>(upperR), static_cast<float>(phaseR)};
            const float trans[3] = {dut.s21, static_cast<float>(upperT),
                                    static_cast<float>(phaseT)};
            // A shown result that is not a finite number fails before it is stored.
            const auto finite = [](const float(&v)[3]) {
                return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
            };
            const int type = model.dut->type;
            if ((type & kUncertaintyReflection) != 0 && !finite(refl))
                return FailNotFinite(f, false, s11);
            if ((type & kUncertaintyTransmission) != 0 && !finite(trans))
                return FailNotFinite(f, true, s21);
            if (!SetUncertaintyRefl(result, i, j, refl[0], refl[1], refl[2]) ||
                !SetUncertaintyTrans(result, i, j, trans[0], trans[1], trans[2]))
                return Fail();
        }
    }
    return 1;
}

// The reference computation for models that pass the preparation.
int StraightforwardCompute(ModelInfo* model, UncertaintyInfo* result) {
    if (!CheckModel(model)) return 0;
    CoverageFactors k{};
    std::copy(model->dut->coverageFactors.begin(), model->dut->coverageFactors.end(), k.begin());
    const float bandwidthRatio = model->ifBandwidthHz / model->nrcIfBandwidthHz;
    const float averagingRatio = float(model->nrcAverages) / float(model->averages);
    const auto noiseOffsetDb =
        static_cast<float>(10.0 * std::log10(double(bandwidthRatio) * averagingRatio));
    const DUTInfo& dut = *model->dut;
    const int numValues = dut.type == DUT_REFLECTION_ONLY     ? dut.reflNumValues
                          : dut.type == DUT_TRANSMISSION_ONLY ? dut.transNumValues
                                                              : 1;
    EXPECT_EQ(SetUncertaintyNumFreqs(result, model->numFreqs), 1);
    for (int i = 0; i < model->numFreqs; ++i)
        EXPECT_EQ(SetUncertaintyFreq(result, i, model->frequenciesHz[std::size_t(i)]), 1);
    EXPECT_EQ(SetUncertaintyNumDUTValues(result, numValues), 1);
    EXPECT_EQ(SetUncertaintyType(result, dut.type), 1);
    EXPECT_EQ(InitializeUncertainty(result), 1);
    return StraightforwardLoop(*model, k, noiseOffsetDb, numValues, result);
}

// Random models whose tables cover 1 to 10 GHz, with model frequencies on, within and just
// beyond the tolerance of table frequencies, unsorted and step tables, repeated frequencies,
// and receiver tables that sometimes end below the signal power.
class RandomModels {
public:
    explicit RandomModels(unsigned seed) : random_(seed) {}

    Owned<ModelInfo> next(int maxPairs, int maxFrequencies, int maxValues) {
        Owned<ModelInfo> model(CreateModelInfo());
        std::vector<double> anchors; // table frequencies the model frequencies may land near
        for (ModelTerm term : kRangeCheckedTerms) {
            testing::Pairs pairs = tablePairs(chance(0.01) ? 1 : uniform(2, maxPairs));
            for (const auto& pair : pairs)
                anchors.push_back(pair.first);
            int type = chance(0.3) ? INTERP_STEP : INTERP_LINEAR;
            if (chance(0.01)) type = INTERP_SMOOTH_FIT; // no frequency lookup rule: a failure
            testing::FillTable(testing::TermTable(model.get(), term), pairs, type);
        }
        fillReceiverTable(model->vna->src);
        fillFrequencies(model.get(), anchors, uniform(1, maxFrequencies));
        fillDUT(model->dut, maxValues);
        model->powerDbm = real(-30.0, 10.0);
        model->averages = uniform(1, 1024);
        model->nrcAverages = uniform(1, 1024);
        model->ifBandwidthHz = static_cast<float>(real(1.0, 1e5));
        model->nrcIfBandwidthHz = static_cast<float>(real(1.0, 1e5));
        return model;
    }

private:
    int uniform(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }
    double real(double low, double high) {
        return std::uniform_real_distribution(low, high)(random_);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

    // Ascending pairs from just below 1 GHz to just above 10 GHz; sometimes two interior
    // frequencies swapped (the lookup then scans) or one repeated.
    testing::Pairs tablePairs(int n) {
        std::vector<double> f{1e9 - real(0.0, 0.9)};
        for (int i = 1; i < n - 1; ++i)
            f.push_back(real(1e9, 10e9));
        if (n > 1) f.push_back(10e9 + real(0.0, 0.9));
        std::sort(f.begin(), f.end());
        if (n > 3 && chance(0.1)) std::swap(f[1], f[2]);
        if (n > 3 && chance(0.1)) f[2] = f[1];
        if (n == 1) f[0] = 5e9; // a one-pair table covers nothing but itself
        testing::Pairs pairs;
        for (double hz : f)
            pairs.emplace_back(hz, static_cast<float>(real(-60.0, 60.0)));
        return pairs;
    }

    void fillReceiverTable(PVInfo* table) {
        const int n = uniform(1, 20);
        const double top = chance(0.1) ? -20.0 : 20.0; // below some signal powers: a failure
        std::vector<double> powers;
        for (int i = 0; i < n; ++i)
            powers.push_back(real(-150.0, top));
        std::sort(powers.begin(), powers.end());
        testing::Pairs pairs;
        for (double p : powers)
            pairs.emplace_back(p, static_cast<float>(real(0.0, 0.5)));
        testing::FillTable(table, pairs, uniform(INTERP_LINEAR, INTERP_SMOOTH_FIT));
    }

    void fillFrequencies(ModelInfo* model, const std::vector<double>& anchors, int n) {
        static constexpr double kOffsets[] = {0.0, 0.5, -0.5, 0.999, -0.999, 1.0, -1.0, 1.5};
        std::vector<double> f;
        for (int i = 0; i < n; ++i) {
            double hz = real(1e9, 10e9);
            if (chance(0.5)) {
                const double anchor = anchors[std::size_t(uniform(0, int(anchors.size()) - 1))];
                hz = anchor + kOffsets[uniform(0, 7)];
            }
            f.push_back(std::clamp(hz, 1e9, 10e9));
        }
        if (!chance(0.1)) std::sort(f.begin(), f.end());
        // A one-pair table only covers a model whose frequencies are all its own.
        for (ModelTerm term : kRangeCheckedTerms) {
            const FVInfo* table = testing::TermTable(model, term);
            if (table->numPairs == 1) std::fill(f.begin(), f.end(), table->frequenciesHz[0]);
        }
        testing::SetFrequencies(model, f);
    }

    void fillDUT(DUTInfo* dut, int maxValues) {
        ASSERT_EQ(SetDUTType(dut, uniform(1, 3)), 1);
        ASSERT_EQ(SetDUTReflNumValues(dut, uniform(1, maxValues)), 1);
        ASSERT_EQ(SetDUTTransNumValues(dut, uniform(1, maxValues)), 1);
        ASSERT_EQ(SetDUTReflMin(dut, float(real(-60.0, 0.0))), 1);
        ASSERT_EQ(SetDUTReflMax(dut, float(real(-30.0, 0.0))), 1);
        ASSERT_EQ(SetDUTTransMin(dut, float(real(-90.0, 0.0))), 1);
        ASSERT_EQ(SetDUTTransMax(dut, float(real(-30.0, 20.0))), 1);
        ASSERT_EQ(SetDUTReciprocal(dut, uniform(0, 1)), 1);
        ASSERT_EQ(SetDUTReverseTrans(dut, float(real(-100.0, 0.0))), 1);
        ASSERT_EQ(SetDUTUserSParams(dut, float(real(-40, 0)), float(real(-40, 0)),
                                    float(real(-40, 10)), float(real(-40, 0))),
                  1);
        CoverageFactors k;
        // Now and then a factor of 0 or below: a result that is not finite then fails the
        // computation.
        for (float& factor : k)
            factor = chance(0.01) ? 0.0f : static_cast<float>(real(chance(0.01) ? -5.0 : 0.5, 5.0));
        std::copy(k.begin(), k.end(), dut->coverageFactors.begin());
    }

    std::mt19937 random_;
};

bool SameBits(const BulkArray<float>& a, const BulkArray<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

struct Outcome {
    int returned = -1;
    std::vector<testing::CapturedMessages::Message> messages;
    Owned<UncertaintyInfo> results{CreateUncertaintyInfo()};
};

// The messages' texts, one a line, for a readable failure.
std::string Texts(const Outcome& outcome) {
    std::string all;
    for (const auto& message : outcome.messages)
        all += message.text + "\n";
    return all;
}

// Runs both computations on `model` and requires identical results, return values and messages.
// With `staleRecord` the fast computation writes into a record that holds other values of the same
// dimensions, as a result slot does when the same set-up is computed again; otherwise into a new
// one. Either way, whatever it does not store must read 0.
// The computation on `threads` threads (0: as many as the machine chooses) gives bit for bit the
// results, messages and return value of the straightforward evaluation.
void ExpectSameOutcome(ModelInfo* model, const std::string& label, bool staleRecord, int* failures,
                       std::initializer_list<unsigned> threadCounts = {1, 0}) {
    Outcome plain;
    {
        testing::CapturedMessages captured;
        plain.returned = StraightforwardCompute(model, plain.results.get());
        plain.messages = captured.all();
    }
    for (const unsigned threads : threadCounts) {
        const std::string run = label + ", " + std::to_string(threads) + " threads";
        Outcome fast;
        if (staleRecord && plain.results->arrayFreqs > 0) {
            UncertaintyInfo* stale = fast.results.get();
            ASSERT_EQ(SetUncertaintyNumFreqs(stale, plain.results->numFreqs), 1);
            ASSERT_EQ(SetUncertaintyNumDUTValues(stale, plain.results->numDUTValues), 1);
            ASSERT_EQ(InitializeUncertainty(stale), 1);
            for (auto* array :
                 {&stale->reflNominal, &stale->reflUpperBound, &stale->reflPhaseDeg,
                  &stale->transNominal, &stale->transUpperBound, &stale->transPhaseDeg})
                std::fill(array->begin(), array->end(), -7.0f);
        }
        {
            testing::CapturedMessages captured;
            SetComputeModelThreads(threads);
            fast.returned = ComputeModel(model, fast.results.get());
            SetComputeModelThreads(0);
            fast.messages = captured.all();
        }
        ASSERT_EQ(fast.returned, plain.returned) << run;
        ASSERT_EQ(Texts(fast), Texts(plain)) << run;
        ASSERT_EQ(fast.messages, plain.messages) << run;
        const UncertaintyInfo& a = *fast.results;
        const UncertaintyInfo& b = *plain.results;
        ASSERT_EQ(a.numFreqs, b.numFreqs) << run;
        ASSERT_EQ(a.numDUTValues, b.numDUTValues) << run;
        ASSERT_EQ(a.type, b.type) << run;
        EXPECT_TRUE(SameBits(a.reflNominal, b.reflNominal)) << run;
        EXPECT_TRUE(SameBits(a.reflUpperBound, b.reflUpperBound)) << run;
        EXPECT_TRUE(SameBits(a.reflPhaseDeg, b.reflPhaseDeg)) << run;
        EXPECT_TRUE(SameBits(a.transNominal, b.transNominal)) << run;
        EXPECT_TRUE(SameBits(a.transUpperBound, b.transUpperBound)) << run;
        EXPECT_TRUE(SameBits(a.transPhaseDeg, b.transPhaseDeg)) << run;
    }
    if (plain.returned == 0) ++*failures;
}

class DifferentialTest : public ::testing::Test {
protected:
    void SetUp() override { SetCoverageTraceStream(nullptr); }
    void TearDown() override { SetCoverageTraceStream(stdout); }
};

TEST_F(DifferentialTest, ManySmallRandomModelsGiveIdenticalResultsAndMessages) {
    RandomModels models(20261208);
    int failures = 0;
    constexpr int kModels = 400;
    for (int n = 0; n < kModels; ++n) {
        Owned<ModelInfo> model = models.next(12, 12, 12);
        // Up to 12 frequencies on 2, 3 or 5 threads: odd splits, and more threads than
        // frequencies, chunks of 8 rows, failures in every chunk.
        ExpectSameOutcome(model.get(), "model " + std::to_string(n), n % 2 == 0, &failures,
                          {1, 2 + unsigned(n % 3) + unsigned(n % 3 == 2)});
        if (HasFatalFailure()) return;
    }
    // Both paths are exercised: computations that fail part way and that complete.
    EXPECT_GT(failures, kModels / 20);
    EXPECT_LT(failures, kModels / 2);
}

TEST_F(DifferentialTest, LargeTablesFindTheSamePlacesByBisection) {
    RandomModels models(7);
    int failures = 0;
    for (int n = 0; n < 6; ++n) {
        Owned<ModelInfo> model = models.next(2000, 300, 5);
        ExpectSameOutcome(model.get(), "large model " + std::to_string(n), n % 2 == 0, &failures,
                          {1, 2, 3});
        if (HasFatalFailure()) return;
    }
}

// The shipped model's rows from -140 dB, where the bounds exceed the nominal magnitude and the
// phase is clamped, up to +10 dB, where they do not: a group of lanes holds both kinds.
TEST_F(DifferentialTest, RowsFromClampedToOpenBoundsGiveIdenticalResults) {
    int failures = 0;
    for (const int type : {DUT_REFLECTION_ONLY, DUT_TRANSMISSION_ONLY}) {
        Owned<ModelInfo> model(CreateModelInfo());
        ASSERT_EQ(ReadModelFile(model.get(), TOLVANE_SHIPPED_DATA_DIR "/default.mdl"), 1);
        DUTInfo* dut = model->dut;
        ASSERT_EQ(SetDUTType(dut, type), 1);
        ASSERT_EQ(SetDUTReflNumValues(dut, 97), 1);
        ASSERT_EQ(SetDUTTransNumValues(dut, 97), 1);
        ASSERT_EQ(SetDUTReflMin(dut, -140.0f), 1);
        ASSERT_EQ(SetDUTReflMax(dut, 0.0f), 1);
        ASSERT_EQ(SetDUTTransMin(dut, -140.0f), 1);
        ASSERT_EQ(SetDUTTransMax(dut, 10.0f), 1);
        ExpectSameOutcome(model.get(), "DUT type " + std::to_string(type), false, &failures);
    }
    EXPECT_EQ(failures, 0);
}

} // namespace
} // namespace tolvane
