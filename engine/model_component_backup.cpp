#include "engine/model_component_backup.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/vna.h"
#include "core/record_name.h"
#include "engine/model.h"

#include <array>
#include <optional>
#include <vector>

namespace tolvane {
namespace {

// A table as saved: absent when the record has none.
using SavedTable = std::optional<FVInfo>;

// The frequency tables of a record, in a fixed order per kind.
std::vector<Owned<FVInfo>*> FrequencyTables(ModelInfo* model, int component) {
    switch (component) {
    case kModelVNA:
        if (model->vna == nullptr) return {};
        return {&model->vna->ssr, &model->vna->nrc};
    case kModelConnector1:
    case kModelConnector2: {
        ConnInfo* c = component == kModelConnector1 ? model->connector1 : model->connector2;
        if (c == nullptr) return {};
        return {&c->RCnTm, &c->RCnRm};
    }
    case kModelCable1:
    case kModelCable2: {
        CableInfo* c = component == kModelCable1 ? model->cable1 : model->cable2;
        if (c == nullptr) return {};
        return {&c->DCbTm, &c->DCbTp};
    }
    case kModelCalKit: {
        CalInfo* k = model->calKit;
        if (k == nullptr) return {};
        return {&k->CDr, &k->CSm, &k->CRt, &k->CXt, &k->CLm, &k->CTt};
    }
    default:
        return {};
    }
}

} // namespace

// Every field of the record apart from its tables, and the tables by value.
struct ModelComponentBackup::Saved {
    std::vector<SavedTable> frequencyTables;
    std::optional<PVInfo> powerTable;  // the VNA's SRc
    std::array<RecordName, 2> names{}; // name, and a kit's connector name
    std::array<float, 5> numbers{};    // the record's scalars, per kind
    int nrcAverages = 0;               // VNA
    std::vector<float> ifBandwidthsHz; // VNA
};

ModelComponentBackup::ModelComponentBackup(ModelInfo* model, int component)
    : component_(component), saved_(std::make_unique<Saved>()) {
    if (model == nullptr) return;
    for (const Owned<FVInfo>* table : FrequencyTables(model, component))
        saved_->frequencyTables.push_back(*table != nullptr ? SavedTable(**table) : std::nullopt);
    Saved& s = *saved_;
    switch (component) {
    case kModelVNA:
        if (const VNAInfo* vna = model->vna) {
            if (vna->src != nullptr) s.powerTable = *vna->src;
            s.names[0] = vna->name;
            s.numbers = {vna->nrcIfBandwidthHz, vna->minPowerDbm, vna->maxPowerDbm,
                         vna->defaultPowerDbm, 0.0f};
            s.nrcAverages = vna->nrcAverages;
            s.ifBandwidthsHz = vna->ifBandwidthsHz;
        }
        break;
    case kModelConnector1:
    case kModelConnector2:
        if (const ConnInfo* c =
                component == kModelConnector1 ? model->connector1 : model->connector2)
            s.names[0] = c->name;
        break;
    case kModelCable1:
    case kModelCable2:
        if (const CableInfo* c = component == kModelCable1 ? model->cable1 : model->cable2) {
            s.names[0] = c->dielName;
            s.numbers = {c->lengthM, c->tempVarC, 0.0f, 0.0f, 0.0f};
        }
        break;
    case kModelCalKit:
        if (const CalInfo* k = model->calKit) s.names = {k->name, k->connName};
        break;
    default:
        break;
    }
}

ModelComponentBackup::~ModelComponentBackup() = default;

// Assigns the fields rather than calling the setters: every value saved was in the record, so was
// checked when it was written, and a restore must never be refused part way.
void ModelComponentBackup::restore(ModelInfo* model) const {
    if (model == nullptr) return;
    const Saved& s = *saved_;
    const std::vector<Owned<FVInfo>*> tables = FrequencyTables(model, component_);
    for (std::size_t i = 0; i < tables.size() && i < s.frequencyTables.size(); ++i)
        if (*tables[i] != nullptr && s.frequencyTables[i]) **tables[i] = *s.frequencyTables[i];
    switch (component_) {
    case kModelVNA:
        if (VNAInfo* vna = model->vna) {
            if (vna->src != nullptr && s.powerTable) *vna->src = *s.powerTable;
            vna->name = s.names[0];
            vna->nrcIfBandwidthHz = s.numbers[0];
            vna->minPowerDbm = s.numbers[1];
            vna->maxPowerDbm = s.numbers[2];
            vna->defaultPowerDbm = s.numbers[3];
            vna->nrcAverages = s.nrcAverages;
            // "Copy" appends the database VNA's bandwidths; the list is put back as it was.
            vna->ifBandwidthsHz = s.ifBandwidthsHz;
        }
        break;
    case kModelConnector1:
    case kModelConnector2:
        if (ConnInfo* c = component_ == kModelConnector1 ? model->connector1 : model->connector2)
            c->name = s.names[0];
        break;
    case kModelCable1:
    case kModelCable2:
        if (CableInfo* c = component_ == kModelCable1 ? model->cable1 : model->cable2) {
            c->dielName = s.names[0];
            c->lengthM = s.numbers[0];
            c->tempVarC = s.numbers[1];
        }
        break;
    case kModelCalKit:
        if (CalInfo* k = model->calKit) {
            k->name = s.names[0];
            k->connName = s.names[1];
        }
        break;
    default:
        break;
    }
}

} // namespace tolvane
