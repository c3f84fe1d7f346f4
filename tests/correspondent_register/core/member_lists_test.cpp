#include "correspondent_register/core/member_lists.h"

#include <gtest/gtest.h>

namespace zorvel {
namespace {

TEST(MemberLists, AddingSortsAndDropsDuplicates) {
  EXPECT_EQ(ListWithMember("3,12,", 7).List, "3,7,12,");
  EXPECT_EQ(ListWithMember("3,7,12,", 7).List, "3,7,12,");
  EXPECT_EQ(ListWithMember("", 5).List, "5,");
  EXPECT_EQ(ListWithMember(",", 5).List, "5,");
  EXPECT_EQ(ListWithMember("12,3,3,", 10000).List, "3,12,10000,");
  // The last number counts without its comma; blanks around items do not.
  EXPECT_EQ(ListWithMember("3,7", 5).List, "3,5,7,");
  EXPECT_EQ(ListWithMember(" 3 , 007,,", 1).List, "1,3,7,");
}

TEST(MemberLists, RemovingLeavesTheEmptyStringWhenNobodyIsLeft) {
  EXPECT_EQ(ListWithoutMember("7,", 7).List, "");
  EXPECT_TRUE(ListWithoutMember("7,", 7).Ok);
  EXPECT_EQ(ListWithoutMember(",", 7).List, "");
  EXPECT_EQ(ListWithoutMember("12,7,3,3,", 7).List, "3,12,");
  EXPECT_EQ(ListWithoutMember("3,7", 7).List, "3,");
}

TEST(MemberLists, DeletionLeavesASingleCommaForAnEmptiedGroup) {
  EXPECT_EQ(ListAfterDeletion("7,", 7).List, ",");
  EXPECT_EQ(ListAfterDeletion("", 7).List, ",");
  EXPECT_EQ(ListAfterDeletion("12,3,3,", 5).List, "3,12,");
  EXPECT_EQ(ListAfterDeletion("3,7", 7).List, "3,");
  // A number outside the flags is simply not in any list.
  EXPECT_EQ(ListAfterDeletion("3,", 20000).List, "3,");
}

TEST(MemberLists, WhatIsNotAMemberNumberIsRefused) {
  for (const char* bad : {"3,x,", "3,-4,", "0,", "10001,", "99999999999999999999,", "3,4a"}) {
    EXPECT_FALSE(ListWithMember(bad, 5).Ok) << bad;
    EXPECT_FALSE(ListWithoutMember(bad, 5).Ok) << bad;
    EXPECT_FALSE(ListAfterDeletion(bad, 5).Ok) << bad;
  }
  MemberListResult r = ListWithMember("3,", 0);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.Error, NumberOutOfRangeText(0));
  EXPECT_FALSE(ListWithoutMember("3,", 10001).Ok);
}

}  // namespace
}  // namespace zorvel
