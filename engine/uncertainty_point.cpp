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
    if (model.dut != nullptr) dut_ = *model.dut;
    dut_.type = DUT_USER_DEFINED;
    dut_.freqSweep = 0;
    dut_.userS11Db = point.s11Db;
    dut_.userS12Db = point.s12Db;
    dut_.userS21Db = point.s21Db;
    dut_.userS22Db = point.s22Db;
    model_.dut = &dut_;
    model_.numFreqs = 1;
    model_.frequenciesHz[0] = point.frequencyHz;
}

PointComputation::~PointComputation() {
    if (result_ != nullptr) (void)DestroyUncertaintyInfo(result_);
}

int PointComputation::compute(const CoverageFactors& k, PointResult* out) {
    if (result_ == nullptr || ComputeModelWithFactors(&model_, k, result_) == 0) return 0;
    float nominal = 0.0f, upper = 0.0f, phase = 0.0f;
    const int ok = parameter_ == MeasuredParameter::S11
                       ? GetUncertaintyRefl(result_, 0, 0, &nominal, &upper, &phase)
                       : GetUncertaintyTrans(result_, 0, 0, &nominal, &upper, &phase);
    if (ok == 0) return 0;
    *out = {nominal, upper, phase};
    return 1;
}

} // namespace tolvane
