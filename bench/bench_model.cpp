#include "bench_model.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"

#include <cstdlib>

namespace tolvane {
namespace {

constexpr double kLowHz = 10e6;
constexpr double kHighHz = 67e9;
constexpr int kTableEntries = 200;

// Fills `table` with n frequencies spread over the span and values that vary along it.
void FillSpan(FVInfo* table, int n, float lowValue, float highValue) {
    Require(SetFVInterpType(table, INTERP_LINEAR));
    Require(SetFVNumPairs(table, n));
    for (int i = 0; i < n; ++i) {
        const double share = n == 1 ? 0.0 : double(i) / (n - 1);
        Require(SetFVFreq(table, i, kLowHz + share * (kHighHz - kLowHz)));
        Require(SetFVValueAt(table, i, lowValue + float(share) * (highValue - lowValue)));
    }
}

} // namespace

void Require(int result) {
    if (result != 1) std::abort();
}

// A transmission-only model of `numFreqs` frequencies and `numValues` DUT values.
ModelInfo* BenchModel(int numFreqs, int numValues) {
    ModelInfo* model = CreateModelInfo();
    if (model == nullptr) std::abort();
    for (FVInfo* table :
         {model->calKit->CDr.get(), model->calKit->CSm.get(), model->calKit->CLm.get()})
        FillSpan(table, kTableEntries, 46.0f, 30.0f);
    FillSpan(model->calKit->CXt, kTableEntries, 130.0f, 100.0f);
    FillSpan(model->calKit->CRt, kTableEntries, 0.002f, 0.08f);
    FillSpan(model->calKit->CTt, kTableEntries, 0.003f, 0.1f);
    FillSpan(model->vna->ssr, kTableEntries, 0.01f, 0.1f);
    FillSpan(model->vna->nrc, kTableEntries, 120.0f, 90.0f);
    for (ConnInfo* connector : {model->connector1.get(), model->connector2.get()}) {
        FillSpan(connector->RCnRm, kTableEntries, 65.0f, 40.0f);
        FillSpan(connector->RCnTm, kTableEntries, 70.0f, 45.0f);
    }
    // Drift tables built on the frequency list, as the configuration computation builds them.
    for (CableInfo* cable : {model->cable1.get(), model->cable2.get()}) {
        FillSpan(cable->DCbTm, numFreqs, 0.0f, 0.05f);
        FillSpan(cable->DCbTp, numFreqs, 0.0f, 2.0f);
    }
    PVInfo* src = model->vna->src;
    Require(SetPVInterpType(src, INTERP_LINEAR));
    Require(SetPVNumPairs(src, kTableEntries));
    for (int i = 0; i < kTableEntries; ++i) {
        Require(SetPVPower(src, i, -160.0f + 190.0f * float(i) / (kTableEntries - 1)));
        Require(SetPVValueAt(src, i, 0.01f + 0.001f * float(i)));
    }
    Require(SetModelNumFreqs(model, numFreqs));
    for (int i = 0; i < numFreqs; ++i)
        Require(SetModelFreq(model, i, kLowHz + (kHighHz - kLowHz) * i / (numFreqs - 1)));
    Require(SetModelPower(model, -5.0f));
    Require(SetModelAverages(model, 4));
    Require(SetModelNRcAverages(model, 1));
    Require(SetModelIFBW(model, 100.0f));
    Require(SetModelNRcIFBW(model, 10.0f));
    Require(SetDUTType(model->dut, DUT_TRANSMISSION_ONLY));
    Require(SetDUTTransNumValues(model->dut, numValues));
    Require(SetDUTTransMin(model->dut, -80.0f));
    Require(SetDUTTransMax(model->dut, 10.0f));
    return model;
}

} // namespace tolvane
