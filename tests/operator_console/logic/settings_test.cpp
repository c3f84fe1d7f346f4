#include <gtest/gtest.h>

#include "operator_console/logic/settings.h"
#include "test_text.h"

namespace console {
namespace {

TEST(RegisterNumber, TwoDigitsWithinRange) {
  EXPECT_EQ(RegisterNumberText(5), "05");
  EXPECT_EQ(RegisterNumberText(42), "42");
  EXPECT_EQ(RegisterNumberText(0), "01");
  EXPECT_EQ(RegisterNumberText(150), "99");
  EXPECT_EQ(RegisterNumberText(-7), "01");
}

TEST(RegisterNumber, OperatorCodeIsTwoCharactersBlanksInFront) {
  EXPECT_EQ(OperatorCodeText(""), "  ");
  EXPECT_EQ(OperatorCodeText("A"), " A");
  EXPECT_EQ(OperatorCodeText("AB"), "AB");
  EXPECT_EQ(OperatorCodeText("ABC"), "AB");
}

TEST(LineFeedAndRounding, ClampedToTheirRanges) {
  EXPECT_EQ(ClampFeedCount(2), 3);
  EXPECT_EQ(ClampFeedCount(17), 17);
  EXPECT_EQ(ClampFeedCount(99), 30);
  EXPECT_EQ(RoundingModeFor(2), 2);
  EXPECT_EQ(RoundingModeFor(3), 0);
  EXPECT_EQ(RoundingModeCaption(1), W("dziesiątki groszy"));
  EXPECT_EQ(RoundingModeCaption(2), W("jednostki złotych"));
}

TEST(AboutBox, FixedTexts) {
  EXPECT_EQ(AboutVersionText(), "WERSJA 2.00 z dnia 04.02.2005r.");
  EXPECT_EQ(AboutProductName(), W("Program użytkownika drukarek"));
}

}  // namespace
}  // namespace console
