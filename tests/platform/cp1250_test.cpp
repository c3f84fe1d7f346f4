#include <gtest/gtest.h>

#include <string>

#include "platform/text/cp1250.h"

namespace platform {
namespace {

TEST(Cp1250Test, PolishPangramRoundTrips) {
  const std::string utf8 = "Zażółć gęślą jaźń";
  const std::string expected =
      "\x5A\x61\xBF\xF3\xB3\xE6\x20\x67\xEA\x9C\x6C\xB9\x20\x6A\x61\x9F\xF1";
  const std::string cp1250 = Cp1250FromUtf8(utf8);
  EXPECT_EQ(cp1250, expected);
  EXPECT_EQ(Utf8FromCp1250(cp1250), utf8);
}

TEST(Cp1250Test, WhatCannotBeHeldBecomesAQuestionMark) {
  EXPECT_EQ(Cp1250FromUtf8("a\xE2\x82\xAC"
                           "b\xE4\xB8\xAD"),
            "a\x80"
            "b?");                         // euro kept, CJK not
  EXPECT_EQ(Utf8FromCp1250("\x81"), "?");  // unassigned byte
}

}  // namespace
}  // namespace platform
