#include "engine/uncertainty_point.h"

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
    : model_(model), parameter_(point.parameter), result_(CreateUncertaintyInfo()) {
    ModelInfo& m = model_.model();
    // The point's frequency as the caller gives it (a budget's may be 0): the computation judges
    // it against the tables and reports it in its own terms, which SetModelFreq would pre-empt.
    m.numFreqs = 1;
    m.frequenciesHz[0] = point.frequencyHz;

    model_.replace(&ModelInfo::dut, Owned<DUTInfo>(CreateDUTInfo()));
    if (m.dut == nullptr) return;                  // reported; compute() then fails
    if (model.dut != nullptr) *m.dut = *model.dut; // the coverage factors
    if (SetDUTType(m.dut, DUT_USER_DEFINED) == 0 || SetDUTFreqSweep(m.dut, 0) == 0 ||
        SetDUTUserSParams(m.dut, point.s11Db, point.s12Db, point.s21Db, point.s22Db) == 0)
        m.dut.reset();
}

int PointComputation::compute(const CoverageFactors& k, PointResult* out) {
    if (result_ == nullptr || model_.model().dut == nullptr ||
        ComputeModelWithFactors(&model_.model(), k, result_.get()) == 0)
        return 0;
    float nominal = 0.0f, upper = 0.0f, phase = 0.0f;
    const int ok = parameter_ == MeasuredParameter::S11
                       ? GetUncertaintyRefl(result_.get(), 0, 0, &nominal, &upper, &phase)
                       : GetUncertaintyTrans(result_.get(), 0, 0, &nominal, &upper, &phase);
    if (ok == 0) return 0;
    *out = {nominal, upper, phase};
    return 1;
}

} // namespace tolvane
