#include "support/record_fields.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dut.h"
#include "components/vna.h"
#include "core/fv_table.h"
#include "core/info_list.h"
#include "core/pv_table.h"
#include "engine/config.h"
#include "engine/model.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace tolvane::testing {
namespace {

std::string Hex(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%a", value);
    return text;
}

class FieldLines {
public:
    void add(const std::string& name, double value) { lines_.push_back(name + " " + Hex(value)); }
    void add(const std::string& name, const RecordName& text) {
        lines_.push_back(name + " '" + std::string(text.data()) + "'");
    }
    void addFrequencies(const std::string& name, std::span<const double> frequenciesHz) {
        for (std::size_t i = 0; i < frequenciesHz.size(); ++i)
            if (frequenciesHz[i] != 0.0)
                add(name + "[" + std::to_string(i) + "]", frequenciesHz[i]);
    }
    void add(const std::string& name, const FVInfo* table) {
        if (table == nullptr) return lines_.push_back(name + " none");
        add(name + ".interpType", table->interpType);
        add(name + ".numPairs", table->numPairs);
        for (std::size_t i = 0; i < table->frequenciesHz.size() && i < table->values.size(); ++i)
            lines_.push_back(name + "[" + std::to_string(i) + "] " + Hex(table->frequenciesHz[i]) +
                             " " + Hex(table->values[i]));
    }
    void add(const std::string& name, const PVInfo* table) {
        if (table == nullptr) return lines_.push_back(name + " none");
        add(name + ".interpType", table->interpType);
        add(name + ".numPairs", table->numPairs);
        for (std::size_t i = 0; i < table->powersDbm.size() && i < table->values.size(); ++i)
            lines_.push_back(name + "[" + std::to_string(i) + "] " + Hex(table->powersDbm[i]) +
                             " " + Hex(table->values[i]));
    }
    void add(const std::string& name, const DUTInfo* dut) {
        if (dut == nullptr) return lines_.push_back(name + " none");
        const DUTInfo& d = *dut;
        const std::pair<const char*, double> fields[] = {
            {"type", d.type},
            {"reflNumValues", d.reflNumValues},
            {"transNumValues", d.transNumValues},
            {"reflMinDb", d.reflMinDb},
            {"reflMaxDb", d.reflMaxDb},
            {"transMinDb", d.transMinDb},
            {"transMaxDb", d.transMaxDb},
            {"userS11Db", d.userS11Db},
            {"userS12Db", d.userS12Db},
            {"userS21Db", d.userS21Db},
            {"userS22Db", d.userS22Db},
            {"reverseTransDb", d.reverseTransDb},
            {"reverseTransSavedDb", d.reverseTransSavedDb},
            {"reciprocal", d.reciprocal},
            {"freqSweep", d.freqSweep},
            {"sweepStartGHz", d.sweepStartGHz},
            {"sweepStopGHz", d.sweepStopGHz},
            {"sweepPoints", d.sweepPoints},
        };
        for (const auto& [field, value] : fields)
            add(name + "." + field, value);
        for (std::size_t i = 0; i < d.coverageFactors.size(); ++i)
            add(name + ".coverageFactors[" + std::to_string(i) + "]", d.coverageFactors[i]);
    }
    void add(const std::string& name, const VNAInfo* vna) {
        if (vna == nullptr) return lines_.push_back(name + " none");
        add(name + ".name", vna->name);
        add(name + ".nrcAverages", vna->nrcAverages);
        add(name + ".nrcIfBandwidthHz", vna->nrcIfBandwidthHz);
        add(name + ".minPowerDbm", vna->minPowerDbm);
        add(name + ".maxPowerDbm", vna->maxPowerDbm);
        add(name + ".defaultPowerDbm", vna->defaultPowerDbm);
        for (std::size_t i = 0; i < vna->ifBandwidthsHz.size(); ++i)
            add(name + ".ifBandwidths[" + std::to_string(i) + "]", vna->ifBandwidthsHz[i]);
        add(name + ".ssr", vna->ssr);
        add(name + ".src", vna->src);
        add(name + ".nrc", vna->nrc);
    }
    void add(const std::string& name, const CalInfo* kit) {
        if (kit == nullptr) return lines_.push_back(name + " none");
        add(name + ".name", kit->name);
        add(name + ".connName", kit->connName);
        add(name + ".CDr", kit->CDr);
        add(name + ".CSm", kit->CSm);
        add(name + ".CRt", kit->CRt);
        add(name + ".CXt", kit->CXt);
        add(name + ".CLm", kit->CLm);
        add(name + ".CTt", kit->CTt);
    }
    void add(const std::string& name, const ConnInfo* connector) {
        if (connector == nullptr) return lines_.push_back(name + " none");
        add(name + ".name", connector->name);
        add(name + ".RCnTm", connector->RCnTm);
        add(name + ".RCnRm", connector->RCnRm);
    }
    void add(const std::string& name, const CableInfo* cable) {
        if (cable == nullptr) return lines_.push_back(name + " none");
        add(name + ".dielName", cable->dielName);
        add(name + ".lengthM", cable->lengthM);
        add(name + ".tempVarC", cable->tempVarC);
        add(name + ".DCbTm", cable->DCbTm);
        add(name + ".DCbTp", cable->DCbTp);
    }

    std::vector<std::string> take() { return std::move(lines_); }

private:
    std::vector<std::string> lines_;
};

} // namespace

std::vector<std::string> RecordFields(const ConfigInfo& config) {
    FieldLines lines;
    lines.add("numFreqs", config.numFreqs);
    lines.add("numAverages", config.numAverages);
    lines.add("cableLengthM[0]", config.cableLengthM[0]);
    lines.add("cableLengthM[1]", config.cableLengthM[1]);
    lines.add("tempVarC", config.tempVarC);
    lines.add("powerDbm", config.powerDbm);
    lines.add("ifBandwidthHz", config.ifBandwidthHz);
    lines.addFrequencies("frequenciesHz", config.frequenciesHz);
    lines.add("calName", config.calName);
    lines.add("vnaName", config.vnaName);
    lines.add("dielNames[0]", config.dielNames[0]);
    lines.add("dielNames[1]", config.dielNames[1]);
    lines.add("dut", config.dut);
    return lines.take();
}

std::vector<std::string> RecordFields(const ModelInfo& model) {
    FieldLines lines;
    lines.add("freqRangeError", model.freqRangeError);
    lines.add("powerRangeError", model.powerRangeError);
    lines.add("numFreqs", model.numFreqs);
    lines.add("averages", model.averages);
    lines.add("nrcAverages", model.nrcAverages);
    lines.add("powerDbm", model.powerDbm);
    lines.add("ifBandwidthHz", model.ifBandwidthHz);
    lines.add("nrcIfBandwidthHz", model.nrcIfBandwidthHz);
    lines.addFrequencies("frequenciesHz", model.frequenciesHz);
    lines.add("vna", model.vna);
    lines.add("connector1", model.connector1);
    lines.add("connector2", model.connector2);
    lines.add("cable1", model.cable1);
    lines.add("cable2", model.cable2);
    lines.add("calKit", model.calKit);
    lines.add("dut", model.dut);
    return lines.take();
}

std::string FirstDifference(const std::vector<std::string>& expected,
                            const std::vector<std::string>& actual) {
    const std::size_t common = std::min(expected.size(), actual.size());
    for (std::size_t i = 0; i < common; ++i)
        if (expected[i] != actual[i])
            return "line " + std::to_string(i) + ": expected '" + expected[i] + "', got '" +
                   actual[i] + "'";
    if (expected.size() == actual.size()) return "";
    return "expected " + std::to_string(expected.size()) + " lines, got " +
           std::to_string(actual.size());
}

} // namespace tolvane::testing
