#include "components/connector.h"

#include "support/captured_messages.h"
#include "support/scoped_component_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

using Texts = std::vector<std::string>;

std::string NameOf(const ConnInfo* conn) {
    char name[128];
    EXPECT_EQ(GetConnName(conn, name, sizeof name), 1);
    return name;
}

TEST(Connector, NewRecordHasTwoEmptyLinearTablesAndNoName) {
    ConnInfo* conn = CreateConnInfo();
    ASSERT_NE(conn, nullptr);
    for (int code : {kConnRCnTm, kConnRCnRm}) {
        int type = 0, n = -1;
        ASSERT_EQ(GetConnFVInterpType(conn, code, &type), 1);
        ASSERT_EQ(GetConnFVNumPairs(conn, code, &n), 1);
        EXPECT_EQ(type, INTERP_LINEAR);
        EXPECT_EQ(n, 0);
    }
    EXPECT_EQ(NameOf(conn), "");
    const std::string longName(200, 'N');
    ASSERT_EQ(SetConnName(conn, longName.c_str()), 1);
    EXPECT_EQ(NameOf(conn), std::string(127, 'N'));
    EXPECT_EQ(DestroyConnInfo(conn), 1);
}

TEST(Connector, CodesSelectTheirOwnTable) {
    ConnInfo* conn = CreateConnInfo();
    ASSERT_EQ(SetConnFVNumPairs(conn, kConnRCnTm, 1), 1);
    ASSERT_EQ(SetConnFVFreq(conn, kConnRCnTm, 0, 1e9), 1);
    ASSERT_EQ(SetConnFVValueAt(conn, kConnRCnTm, 0, -70.0f), 1);
    ASSERT_EQ(SetConnFVNumPairs(conn, kConnRCnRm, 2), 1);
    ASSERT_EQ(SetConnFVInterpType(conn, kConnRCnRm, INTERP_STEP), 1);
    EXPECT_EQ(conn->RCnTm->numPairs, 1);
    EXPECT_EQ(conn->RCnTm->values[0], -70.0f);
    EXPECT_EQ(conn->RCnRm->numPairs, 2);
    EXPECT_EQ(conn->RCnRm->interpType, INTERP_STEP);

    float value = 0.0f;
    double frequencyHz = 0.0;
    ASSERT_EQ(GetConnFVValueAt(conn, kConnRCnTm, 0, &value), 1);
    ASSERT_EQ(GetConnFVFreq(conn, kConnRCnTm, 0, &frequencyHz), 1);
    EXPECT_EQ(value, -70.0f);
    EXPECT_EQ(frequencyHz, 1e9);
    ASSERT_EQ(GetConnFVValue(conn, kConnRCnTm, 1e9 + 0.5, &value), 1);
    EXPECT_EQ(value, -70.0f);

    testing::CapturedMessages captured;
    EXPECT_EQ(GetConnFVValue(conn, 3, 1e9, &value), 0);
    EXPECT_EQ(SetConnFVInterpType(conn, 0, INTERP_LINEAR), 0);
    EXPECT_EQ(GetConnFVInterpType(nullptr, 1, nullptr), 0);
    EXPECT_EQ(GetConnName(conn, nullptr, 10), 0);
    EXPECT_EQ(SetConnName(nullptr, "N"), 0);
    EXPECT_EQ(DestroyConnInfo(nullptr), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"GetConnParam: unknown parameter.", "SetConnParam: unknown parameter.",
                     "GetConnParam: NULL info pointer.", "GetConnParam: NULL parameter pointer.",
                     "SetConnParam: NULL info pointer.", "DestroyConnInfo: NULL info pointer."}));
    EXPECT_EQ(DestroyConnInfo(conn), 1);
}

TEST(Connector, FindTakesTheFirstExactMatchFromTheList) {
    testing::CapturedMessages captured;
    EXPECT_EQ(FindConnInfo("N"), nullptr); // no list at all
    testing::ScopedComponentLists components;
    EXPECT_EQ(FindConnInfo("N"), nullptr); // an empty list
    ConnInfo* first = components.addConnector("N");
    components.addConnector("3.5 mm");
    components.addConnector("N");
    EXPECT_EQ(FindConnInfo("N"), first);
    EXPECT_EQ(FindConnInfo("3.5 mm"),
              GetInfoListRecord<ConnInfo>(components.lists().connectors, 1));
    EXPECT_EQ(FindConnInfo("n"), nullptr);
    EXPECT_EQ(FindConnInfo(""), nullptr);
    EXPECT_EQ(FindConnInfo(nullptr), nullptr);
    EXPECT_EQ(captured.errors(),
              (Texts{"FindConnInfo: a connector of the chosen type does not exist.",
                     "FindConnInfo: a connector of the chosen type does not exist.",
                     "FindConnInfo: a connector of the chosen type does not exist.",
                     "FindConnInfo: a connector of the chosen type does not exist.",
                     "FindConnInfo: NULL pointer."}));
}

TEST(Connector, CopyTakesBothTablesAndTheName) {
    ConnInfo* source = CreateConnInfo();
    ConnInfo* destination = CreateConnInfo();
    ASSERT_EQ(SetConnName(source, "APC-7"), 1);
    ASSERT_EQ(SetConnFVNumPairs(source, kConnRCnRm, 2), 1);
    ASSERT_EQ(SetConnFVValueAt(source, kConnRCnRm, 1, -60.0f), 1);
    ASSERT_EQ(SetConnFVNumPairs(destination, kConnRCnTm, 5), 1);
    ASSERT_EQ(CopyConnInfo(source, destination), 1);
    ASSERT_EQ(CopyConnInfo(source, source), 1); // onto itself: nothing is lost
    EXPECT_EQ(source->RCnRm->values, (std::vector<float>{0.0f, -60.0f}));
    EXPECT_EQ(NameOf(source), "APC-7");
    EXPECT_EQ(NameOf(destination), "APC-7");
    EXPECT_EQ(destination->RCnTm->numPairs, 0);
    EXPECT_EQ(destination->RCnRm->values, (std::vector<float>{0.0f, -60.0f}));

    testing::CapturedMessages captured;
    EXPECT_EQ(CopyConnInfo(source, nullptr), 0);
    DeallocateConnArrays(source);
    EXPECT_EQ(CopyConnInfo(source, destination), 0);
    EXPECT_EQ(captured.errors(),
              (Texts{"CopyConnInfo: NULL info pointer.", "CopyFVInfo: NULL info pointer.",
                     "CopyConnInfo: Error in a called routine."}));
    EXPECT_EQ(DestroyConnInfo(source), 1);
    EXPECT_EQ(DestroyConnInfo(destination), 1);
}

} // namespace
} // namespace tolvane
