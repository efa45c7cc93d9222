#include <gtest/gtest.h>

#include "link/colFields.h"
#include "platform/platform.h"

namespace kestrel {
namespace {

TEST(colFields, AFreshCollectionIsEmpty) {
    colFields c;
    EXPECT_EQ(c.Count(), 0);
    EXPECT_THROW(c.Item(1), Error);
    EXPECT_THROW(c.Remove(1), Error);
}

TEST(colFields, AddedItemsKeepTheirOrderAndAreShared) {
    colFields c;
    auto first = c.Add("Account", "");
    c.Add("Policy", "");
    ASSERT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Item(1)->Field(), "Account");
    EXPECT_EQ(c.Item(1)->value(), "");
    EXPECT_EQ(c.Item(2)->Field(), "Policy");
    c.Item(1)->value("12345");
    EXPECT_EQ(first->value(), "12345");
    EXPECT_EQ(c.Item(1)->value(), "12345");
}

TEST(colFields, RemoveMovesLaterItemsDownAndLeavesHoldersTheirItem) {
    colFields c;
    auto held = c.Add("Account", "");
    c.Add("Policy", "");
    c.Remove(1);
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Item(1)->Field(), "Policy");
    EXPECT_EQ(held->Field(), "Account");
    c.Remove(1);
    c.Add("Claim", "");
    EXPECT_EQ(c.Item(1)->Field(), "Claim");
}

TEST(colFields, PositionsOutsideTheRangeFailWithoutChange) {
    colFields c;
    c.Add("Account", "");
    for (int bad : {0, -1, 2}) {
        EXPECT_THROW(c.Item(bad), Error) << bad;
        EXPECT_THROW(c.Remove(bad), Error) << bad;
    }
    EXPECT_EQ(c.Count(), 1);
}

TEST(colFields, Keys) {
    colFields c;
    c.Add("Account", "acc");
    EXPECT_EQ(c.Item("acc")->Field(), "Account");
    EXPECT_THROW(c.Add("Other", "acc"), Error);
    EXPECT_EQ(c.Count(), 1) << "a duplicate key adds nothing";
    EXPECT_THROW(c.Item("ACC"), Error);
    EXPECT_THROW(c.Item(""), Error) << "items added without a key cannot be found by an empty one";
    c.Add("Policy", "");
    c.Remove("acc");
    EXPECT_EQ(c.Item(1)->Field(), "Policy");
}

}  // namespace
}  // namespace kestrel
