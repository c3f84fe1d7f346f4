#include <gtest/gtest.h>

#include <string>

#include "kavoruw_core.h"
#include "platform/text/cp1250.h"
#include "printer_link/commands/code_page.h"

namespace kavoruw {
namespace {

TEST(CodePage, PangramReachesThePrinterInCp852AndComesBack) {
  const std::string cp1250 = platform::Cp1250FromUtf8("Zażółć gęślą jaźń");
  const std::string cp852 = "\x5A\x61\xBE\xA2\x88\x86\x20\x67\xA9\x98\x6C\xA5\x20\x6A\x61\xAB\xE4";
  EXPECT_EQ(ToCp852(cp1250), cp852);
  EXPECT_EQ(FromCp852(cp852), cp1250);
}

TEST(CodePage, CapitalLettersBothWays) {
  const std::string cp1250 = platform::Cp1250FromUtf8("ĄĆĘŁŃÓŚŹŻ");
  const std::string cp852 = "\xA4\x8F\xA8\x9D\xE3\xE0\x97\x8D\xBD";
  EXPECT_EQ(ToCp852(cp1250), cp852);
  EXPECT_EQ(FromCp852(cp852), cp1250);
}

TEST(CodePage, A5IsCapitalAOgonekOneWayAndSmallTheOther) {
  EXPECT_EQ(Cp1250ToCp852(0xA5), 0xA4);
  EXPECT_EQ(Cp852ToCp1250(0xA5), 0xB9);
}

TEST(CodePage, OnlyThePolishLettersChange) {
  int changedTo852 = 0;
  int changedFrom852 = 0;
  for (int i = 0; i < 256; ++i) {
    const auto c = static_cast<uint8_t>(i);
    if (i < 0x80) {
      EXPECT_EQ(Cp1250ToCp852(c), c);
      EXPECT_EQ(Cp852ToCp1250(c), c);
    }
    if (Cp1250ToCp852(c) != c) ++changedTo852;
    if (Cp852ToCp1250(c) != c) ++changedFrom852;
  }
  EXPECT_EQ(changedTo852, 18);
  EXPECT_EQ(changedFrom852, 18);
  EXPECT_EQ(Cp1250ToCp852(0xE9), 0xE9);  // é is not translated
}

// Each code page puts its Polish letters on bytes that the other uses for
// other characters (the Windows-1250 dagger 0x86 is the code page 852 small c
// acute). Such a byte passes unchanged one way and comes back as a letter;
// every other byte survives the trip.
TEST(CodePage, RoundTripExceptWhereTheCodePagesClash) {
  const std::string lostFrom1250 =
      "\x86\x88\x8D\x97\x98\x9D\xA2\xA4\xA8\xA9\xAB\xBD\xBE\xE0\xE3\xE4";
  const std::string lostFrom852 =
      "\x8C\x9C\x9F\xA3\xAF\xB3\xB9\xBF\xC6\xCA\xD1\xD3\xE6\xEA\xF1\xF3";
  for (int i = 0; i < 256; ++i) {
    const auto c = static_cast<uint8_t>(i);
    const char ch = static_cast<char>(c);
    EXPECT_EQ(Cp852ToCp1250(Cp1250ToCp852(c)) == c, lostFrom1250.find(ch) == std::string::npos)
        << "byte " << i;
    EXPECT_EQ(Cp1250ToCp852(Cp852ToCp1250(c)) == c, lostFrom852.find(ch) == std::string::npos)
        << "byte " << i;
  }
  EXPECT_EQ(Cp1250ToCp852(0x86), 0x86);
  EXPECT_EQ(Cp852ToCp1250(0x86), 0xE6);
  // A Polish text always comes back.
  const std::string letters = platform::Cp1250FromUtf8("ĄĆĘŁŃÓŚŹŻąćęłńóśźż");
  EXPECT_EQ(FromCp852(ToCp852(letters)), letters);
}

TEST(CodePage, StringsKeepLengthAndZeroBytes) {
  const std::string text("a\0\xB3\xFF", 4);
  EXPECT_EQ(ToCp852(text), std::string("a\0\x88\xFF", 4));
  EXPECT_EQ(ToCp852(""), "");
}

}  // namespace
}  // namespace kavoruw
