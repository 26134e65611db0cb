#pragma once

#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/dielectric.h"
#include "components/vna.h"
#include "core/component_lists.h"

namespace tolvane::testing {

/// Gives GlobalComponentLists() four fresh, empty lists for the lifetime of the object. On
/// destruction each list is emptied, every item destroyed with its type's Destroy operation, the
/// lists freed and the lists that were there before put back.
class ScopedComponentLists {
public:
    ScopedComponentLists();
    ~ScopedComponentLists();
    ScopedComponentLists(const ScopedComponentLists&) = delete;
    ScopedComponentLists& operator=(const ScopedComponentLists&) = delete;

    [[nodiscard]] ComponentLists& lists() const { return GlobalComponentLists(); }

    // New records appended at the tail of their list, owned by the list from then on.
    DielInfo* addDielectric(const char* name, float magCoef = 0.0f, float phaseCoef = 0.0f);
    ConnInfo* addConnector(const char* name);
    CalInfo* addCalKit(const char* name, const char* connName = "");
    VNAInfo* addVNA(const char* name);

private:
    ComponentLists previous_;
};

} // namespace tolvane::testing
