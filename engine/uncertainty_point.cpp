#include "engine/uncertainty_point.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/vna.h"
#include "engine/uncertainty.h"

namespace tolvane {

UncertaintyPoint SweepPoint(double frequencyHz, float valueDb, MeasuredParameter parameter) {
    UncertaintyPoint point;
    point.frequencyHz = frequencyHz;
    point.parameter = parameter;
    if (parameter == MeasuredParameter::S11)
        point.s11Db = point.s22Db = valueDb;
    else
        point.s21Db = point.s12Db = valueDb;
    return point;
}

int ModelPoint(const ModelInfo* model, int i, int j, MeasuredParameter parameter,
               UncertaintyPoint* point) {
    UncertaintyPoint p;
    p.parameter = parameter;
    if (GetModelFreq(model, i, &p.frequencyHz) == 0 ||
        GetDUTSParams(model->dut, j, &p.s11Db, &p.s12Db, &p.s21Db, &p.s22Db) == 0)
        return 0;
    *point = p;
    return 1;
}

PointComputation::PointComputation(const ModelInfo& model, const UncertaintyPoint& point)
    : parameter_(point.parameter), result_(CreateUncertaintyInfo()) {
    static_cast<ModelSettings&>(model_) = model;
    // The point's frequency as the caller gives it (a budget's may be 0): the computation judges
    // it against the tables and reports it in its own terms, which SetModelFreq would pre-empt.
    model_.numFreqs = 1;
    model_.frequenciesHz[0] = point.frequencyHz;
    // Handed back, not destroyed, by the destructor.
    model_.vna.reset(model.vna);
    model_.connector1.reset(model.connector1);
    model_.connector2.reset(model.connector2);
    model_.cable1.reset(model.cable1);
    model_.cable2.reset(model.cable2);
    model_.calKit.reset(model.calKit);

    model_.dut.reset(CreateDUTInfo());
    if (model_.dut == nullptr) return;                  // reported; compute() then fails
    if (model.dut != nullptr) *model_.dut = *model.dut; // the coverage factors
    if (SetDUTType(model_.dut, DUT_USER_DEFINED) == 0 || SetDUTFreqSweep(model_.dut, 0) == 0 ||
        SetDUTUserSParams(model_.dut, point.s11Db, point.s12Db, point.s21Db, point.s22Db) == 0)
        model_.dut.reset();
}

PointComputation::~PointComputation() {
    (void)model_.vna.release();
    (void)model_.connector1.release();
    (void)model_.connector2.release();
    (void)model_.cable1.release();
    (void)model_.cable2.release();
    (void)model_.calKit.release();
    if (result_ != nullptr) (void)DestroyUncertaintyInfo(result_);
}

int PointComputation::compute(const CoverageFactors& k, PointResult* out) {
    if (result_ == nullptr || model_.dut == nullptr ||
        ComputeModelWithFactors(&model_, k, result_) == 0)
        return 0;
    float nominal = 0.0f, upper = 0.0f, phase = 0.0f;
    const int ok = parameter_ == MeasuredParameter::S11
                       ? GetUncertaintyRefl(result_, 0, 0, &nominal, &upper, &phase)
                       : GetUncertaintyTrans(result_, 0, 0, &nominal, &upper, &phase);
    if (ok == 0) return 0;
    *out = {nominal, upper, phase};
    return 1;
}

} // namespace tolvane
