#include "support/scoped_component_lists.h"

#include <gtest/gtest.h>

namespace tolvane::testing {
namespace {

template <typename Record> Record* Append(InfoList* list, Record* record) {
    EXPECT_NE(record, nullptr);
    EXPECT_EQ(AddInfoListItem(list, record), 1);
    return record;
}

} // namespace

ScopedComponentLists::ScopedComponentLists() : previous_(GlobalComponentLists()) {
    ComponentLists& lists = GlobalComponentLists();
    lists.connectors = CreateInfoList();
    lists.vnas = CreateInfoList();
    lists.calKits = CreateInfoList();
    lists.dielectrics = CreateInfoList();
}

ScopedComponentLists::~ScopedComponentLists() {
    ComponentLists& lists = GlobalComponentLists();
    DestroyInfoListAndItems<ConnInfo>(lists.connectors, DestroyConnInfo);
    DestroyInfoListAndItems<VNAInfo>(lists.vnas, DestroyVNAInfo);
    DestroyInfoListAndItems<CalInfo>(lists.calKits, DestroyCalInfo);
    DestroyInfoListAndItems<DielInfo>(lists.dielectrics, DestroyDielInfo);
    lists = previous_;
}

DielInfo* ScopedComponentLists::addDielectric(const char* name, float magCoef, float phaseCoef) {
    DielInfo* diel = Append(lists().dielectrics, CreateDielInfo());
    EXPECT_EQ(SetDielName(diel, name), 1);
    EXPECT_EQ(SetDielMagCoef(diel, magCoef), 1);
    EXPECT_EQ(SetDielPhaseCoef(diel, phaseCoef), 1);
    return diel;
}

ConnInfo* ScopedComponentLists::addConnector(const char* name) {
    ConnInfo* conn = Append(lists().connectors, CreateConnInfo());
    EXPECT_EQ(SetConnName(conn, name), 1);
    return conn;
}

CalInfo* ScopedComponentLists::addCalKit(const char* name, const char* connName) {
    CalInfo* cal = Append(lists().calKits, CreateCalInfo());
    EXPECT_EQ(SetCalName(cal, name), 1);
    EXPECT_EQ(SetCalConnName(cal, connName), 1);
    return cal;
}

VNAInfo* ScopedComponentLists::addVNA(const char* name) {
    VNAInfo* vna = Append(lists().vnas, CreateVNAInfo());
    EXPECT_EQ(SetVNAName(vna, name), 1);
    return vna;
}

} // namespace tolvane::testing
