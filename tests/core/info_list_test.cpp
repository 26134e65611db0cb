#include "core/info_list.h"
#include "core/record_name.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

struct ListFixture : ::testing::Test {
    InfoList* list = CreateInfoList();
    int a = 1, b = 2, c = 3;
    ~ListFixture() override { DestroyInfoList(list); }
};

TEST_F(ListFixture, AppendsAtTailAndIndexesFromZero) {
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(GetInfoListCount(list), 0);
    EXPECT_EQ(AddInfoListItem(list, &a), 1);
    EXPECT_EQ(AddInfoListItem(list, &b), 1);
    EXPECT_EQ(AddInfoListItem(list, &a), 1); // the same item may appear twice
    EXPECT_EQ(GetInfoListCount(list), 3);
    EXPECT_EQ(GetInfoListItem(list, 0), &a);
    EXPECT_EQ(GetInfoListItem(list, 1), &b);
    EXPECT_EQ(GetInfoListItem(list, 2), &a);
    EXPECT_EQ(GetInfoListItem(list, 3), nullptr);
    EXPECT_EQ(GetInfoListItem(list, -1), nullptr);
}

TEST_F(ListFixture, RemovesFirstMatchOnly) {
    ASSERT_EQ(AddInfoListItem(list, &a), 1);
    ASSERT_EQ(AddInfoListItem(list, &b), 1);
    ASSERT_EQ(AddInfoListItem(list, &a), 1);
    EXPECT_EQ(RemoveInfoListItem(list, &a), 1);
    EXPECT_EQ(GetInfoListItem(list, 0), &b); // removing the head makes the second node the head
    EXPECT_EQ(GetInfoListItem(list, 1), &a);
    EXPECT_EQ(RemoveInfoListItem(list, &c), 0);
    EXPECT_EQ(GetInfoListCount(list), 2);
}

TEST_F(ListFixture, EmptyAndNullListsRefuseQuietly) {
    EXPECT_EQ(RemoveInfoListItem(list, &a), 0);
    EXPECT_EQ(GetInfoListCount(list), 0);
    ASSERT_EQ(AddInfoListItem(list, &a), 1);
    ASSERT_EQ(RemoveInfoListItem(list, &a), 1);
    EXPECT_EQ(GetInfoListCount(list), 0);
    EXPECT_EQ(GetInfoListItem(list, 0), nullptr);

    EXPECT_EQ(AddInfoListItem(nullptr, &a), 0);
    EXPECT_EQ(RemoveInfoListItem(nullptr, &a), 0);
    EXPECT_EQ(GetInfoListCount(nullptr), 0);
    EXPECT_EQ(GetInfoListItem(nullptr, 0), nullptr);
}

TEST(InfoListOwnership, DestroyAndItemsFreesEveryItem) {
    InfoList* list = CreateInfoList();
    int destroyed = 0;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(AddInfoListItem(list, new int(i)), 1);
    DestroyInfoListAndItems<int>(list, [&](int* item) {
        ++destroyed;
        delete item;
        return 1;
    });
    EXPECT_EQ(destroyed, 3); // the sanitizer run proves nothing leaks
}

TEST(RecordName, KeepsAtMost127CharactersAndAlwaysTerminates) {
    RecordName name{};
    const std::string longName(200, 'x');
    StoreRecordName(name, longName.c_str());
    char buffer[256];
    CopyRecordName(name, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), std::string(127, 'x'));

    StoreRecordName(name, "Semi-rigid PTFE");
    char shortBuffer[10];
    CopyRecordName(name, shortBuffer, sizeof shortBuffer);
    EXPECT_EQ(std::string(shortBuffer), "Semi-rigi");
}

TEST(RecordName, MatchesExactlyAndCaseSensitively) {
    RecordName name{};
    StoreRecordName(name, "PTFE");
    EXPECT_TRUE(RecordNameEquals(name, "PTFE"));
    EXPECT_FALSE(RecordNameEquals(name, "ptfe"));
    EXPECT_FALSE(RecordNameEquals(name, "PTFE "));
    EXPECT_FALSE(RecordNameEquals(name, nullptr));
}

} // namespace
} // namespace tolvane
