#pragma once

#include "components/dut.h"
#include "engine/compute_model.h"
#include "engine/model.h"
#include "engine/uncertainty.h"

#include <memory>

namespace tolvane {

struct UncertaintyInfo;

/// Which measurement of a point is explained: the reflection (S11) or the transmission (S21).
enum class MeasuredParameter { S11, S21 };

/// One point of a computation: a frequency and the DUT's four S-parameters in dB, as the DUT gives
/// them for one of its values (GetDUTSParams), and the measurement of interest.
struct UncertaintyPoint {
    double frequencyHz = 0.0;
    float s11Db = kDUTFloorDb;
    float s12Db = kDUTFloorDb;
    float s21Db = kDUTFloorDb;
    float s22Db = kDUTFloorDb;
    MeasuredParameter parameter = MeasuredParameter::S11;
};

/// The point a reflection-only sweep computes for DUT value `valueDb` (S11: s11 = s22 = value,
/// s12 = s21 = -140 dB) or a reciprocal transmission-only sweep (S21: s21 = s12 = value,
/// s11 = s22 = -140 dB).
[[nodiscard]] UncertaintyPoint SweepPoint(double frequencyHz, float valueDb,
                                          MeasuredParameter parameter);

/// The point (frequency i, DUT value j) of a computation of `model`: its frequency i and the
/// S-parameters of its DUT's value j. 0 when a getter fails (it has reported).
[[nodiscard]] int ModelPoint(const ModelInfo* model, int i, int j, MeasuredParameter parameter,
                             UncertaintyPoint* point);

/// The worst-case result of one measurement at one point.
struct PointResult {
    double nominal = 0.0;    ///< linear magnitude of the DUT's S-parameter
    double upperBound = 0.0; ///< linear, at the coverage of k
    double phaseDeg = 0.0;
};

/// The one worst-case computation (ComputeModelWithFactors) applied to a single point of a model,
/// repeated with whatever coverage factors the caller gives. It borrows the model's component
/// records, so the model must outlive it and stay unchanged; its DUT is its own copy, made the
/// point's user-defined DUT.
class PointComputation {
public:
    PointComputation(const ModelInfo& model, const UncertaintyPoint& point);
    PointComputation(const PointComputation&) = delete;
    PointComputation& operator=(const PointComputation&) = delete;

    /// The point's measurement computed with coverage factors `k`; 0 after the computation has
    /// reported a failure.
    [[nodiscard]] int compute(const CoverageFactors& k, PointResult* out);

private:
    BorrowedModel model_; // the caller's components, the DUT its own
    MeasuredParameter parameter_;
    Owned<UncertaintyInfo> result_;
};

} // namespace tolvane
