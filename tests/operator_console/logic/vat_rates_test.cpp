#include <gtest/gtest.h>

#include "operator_console/logic/vat_rates.h"
#include "test_text.h"

namespace console {
namespace {

TEST(VatRateText, ShortestFormWithDecimalComma) {
  EXPECT_EQ(VatRatePercentText(2200), "22");
  EXPECT_EQ(VatRatePercentText(850), "8,5");
  EXPECT_EQ(VatRatePercentText(0), "0");
  EXPECT_EQ(VatRatePercentText(5), "0,05");
  EXPECT_EQ(VatRatePercentText(9983), "99,83");
}

TEST(VatRateText, ParsesCommaDecimalsToHundredths) {
  const auto value = [](const std::string& text) {
    const VatTextValue v = ParseVatRateText(text);
    EXPECT_EQ(v.verdict, VatTextVerdict::Ok) << text;
    return v.hundredths;
  };
  EXPECT_EQ(value("99,83"), 9983u);
  EXPECT_EQ(value("8,5"), 850u);
  EXPECT_EQ(value("22"), 2200u);
  EXPECT_EQ(value("8,"), 800u);  // a trailing comma is a whole percent
  EXPECT_EQ(value("0"), 0u);
  EXPECT_EQ(value(" 7 "), 700u);
  EXPECT_EQ(value(",5"), 50u);
  EXPECT_EQ(value("07,50"), 750u);
  // More decimals than the printer keeps: half to the even neighbour.
  EXPECT_EQ(value("0,125"), 12u);
  EXPECT_EQ(value("0,135"), 14u);
  EXPECT_EQ(value("0,1251"), 13u);
}

TEST(VatRateText, RefusesOtherSeparatorsAndOutOfRange) {
  for (const char* text : {"8.5", "", ",", "abc", "1,2,3", "--1", "1e1"})
    EXPECT_EQ(ParseVatRateText(text).verdict, VatTextVerdict::NotANumber) << text;
  const VatTextValue high = ParseVatRateText("99,84");
  EXPECT_EQ(high.verdict, VatTextVerdict::OutOfRange);
  EXPECT_EQ(high.shownValue, "99,84");
  EXPECT_EQ(ParseVatRateText("99,8301").verdict, VatTextVerdict::OutOfRange);
  EXPECT_EQ(ParseVatRateText("100").verdict, VatTextVerdict::OutOfRange);
  EXPECT_EQ(ParseVatRateText("-1").shownValue, "-1");
  EXPECT_EQ(ParseVatRateText("-1").verdict, VatTextVerdict::OutOfRange);
  EXPECT_EQ(ParseVatRateText("-0").verdict, VatTextVerdict::Ok);
  EXPECT_EQ(ParseVatRateText("099,840").shownValue, "99,84");
}

// Types keys into an edit the way the filter lets them in, at the end.
std::string Type(const std::string& keys, std::string text = "", bool selectAll = false) {
  int maxLength = 32767;
  for (char key : keys) {
    const VatKeyResult r = VatKeyFilter(text, selectAll ? static_cast<int>(text.size()) : 0, key);
    selectAll = false;
    if (r.clearFirst) text.clear();
    if (r.maxLength) maxLength = *r.maxLength;
    if (!r.accept) continue;
    if (key == kBackspace) {
      if (!text.empty()) text.pop_back();
    } else if (static_cast<int>(text.size()) < maxLength) {
      text += key;
    }
  }
  return text;
}

TEST(VatKeyFilter, AdmitsTwoIntegerDigitsOneCommaTwoDecimals) {
  EXPECT_EQ(Type("222"), "22");
  EXPECT_EQ(Type("22,501"), "22,50");
  EXPECT_EQ(Type(",5"), "5");
  EXPECT_EQ(Type("2,,5"), "2,5");
  EXPECT_EQ(Type("9,999"), "9,99");
  EXPECT_EQ(Type("8.5-"), "85");
  EXPECT_EQ(Type("22\b5"), "25");
}

TEST(VatKeyFilter, WholeSelectionStartsAgainFromEmpty) {
  EXPECT_EQ(Type("5", "22,50", true), "5");
  EXPECT_EQ(Type("5,2", "22,50", true), "5,2");
  // A refused key does not clear the selected text.
  const VatKeyResult r = VatKeyFilter("22", 2, 'x');
  EXPECT_FALSE(r.accept);
  EXPECT_FALSE(r.clearFirst);
}

TEST(VatKeyFilter, MaximumLengthByTextLength) {
  EXPECT_EQ(VatKeyFilter("", 0, '1').maxLength, 2);
  EXPECT_EQ(VatKeyFilter("1", 0, ',').maxLength, 2);
  EXPECT_EQ(VatKeyFilter("12", 0, ',').maxLength, 3);
  EXPECT_EQ(VatKeyFilter("1,2", 0, '3').maxLength, 4);
  EXPECT_FALSE(VatKeyFilter("1,23", 0, '4').accept);
  EXPECT_FALSE(VatKeyFilter("1,23", 0, '4').maxLength.has_value());
  EXPECT_EQ(VatKeyFilter("12,3", 0, '4').maxLength, 5);
  EXPECT_FALSE(VatKeyFilter("12,34", 0, '5').accept);
  EXPECT_TRUE(VatKeyFilter("123456", 0, '7').accept);
}

TEST(VatExitCheck, EmptyBecomesZeroAndBadRatesWarn) {
  EXPECT_EQ(VatExitCheck("").text, "0");
  EXPECT_FALSE(VatExitCheck("").error);
  EXPECT_EQ(*VatExitCheck("8.5").error, W("Błąd w stawce podatkowej: 8.5"));
  EXPECT_EQ(*VatExitCheck("99,84").error,
            W("Błąd w stawce podatkowej: 99,84 (stawka poza zakresem)"));
}

std::array<VatRateRow, 7> Rows(std::array<const char*, 7> texts) {
  std::array<VatRateRow, 7> rows;
  for (size_t i = 0; i < 7; ++i) rows[i].text = texts[i];
  return rows;
}

TEST(VatConfirmation, MarksWinAndEmptyIsZero) {
  auto rows = Rows({"22", "7", "", "8,5", "x", "1", "5"});
  rows[4].reserve = true;
  rows[5].reserve = true;
  rows[5].exempt = true;  // exempt wins
  rows[6].exempt = true;
  const VatConfirmResult r = ConfirmVatRates(rows);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.values, (FiscalVatRateTable{2200, 700, 0, 850, 25500, 10000, 10000}));
  EXPECT_EQ(r.texts[2], "0");
}

TEST(VatConfirmation, StopsAtTheFirstBadRate) {
  VatConfirmResult r = ConfirmVatRates(Rows({"22", "99,84", "abc", "", "", "", ""}));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.badRow, 1);
  EXPECT_EQ(r.error, W("Błąd w stawce podatkowej: 99,84 (stawka poza zakresem)"));
  EXPECT_EQ(r.texts[3], "");  // rows after the stop are not looked at
  r = ConfirmVatRates(Rows({"22", "8.5", "", "", "", "", ""}));
  EXPECT_EQ(r.badRow, 1);
  EXPECT_EQ(r.error, W("Błąd w stawce podatkowej: 8.5"));
}

TEST(VatConfirmation, UnchangedRatesComparedAsNumbers) {
  const VatRateTable read = {2200, 700, 0, 25500, 25500, 25500, 10000};
  EXPECT_TRUE(VatRatesUnchanged(kDefaultVatRates, read));
  FiscalVatRateTable changed = kDefaultVatRates;
  changed[2] = 500;
  EXPECT_FALSE(VatRatesUnchanged(changed, read));
}

TEST(VatDefaults, AllReserveReadGivesDefaults) {
  EXPECT_EQ(RatesOrDefaults(kAllReserveVatRates), kDefaultVatRates);
  FiscalVatRateTable mixed = kAllReserveVatRates;
  mixed[0] = 2300;
  EXPECT_EQ(RatesOrDefaults(mixed), mixed);
}

TEST(VatPrefill, MarksTickTheirBoxAndHideTheEdit) {
  const VatPrefill reserve = VatPrefillFor(25500);
  EXPECT_TRUE(reserve.reserve);
  EXPECT_FALSE(reserve.exempt);
  EXPECT_FALSE(reserve.editVisible);
  EXPECT_FALSE(reserve.editText);
  const VatPrefill exempt = VatPrefillFor(10000);
  EXPECT_TRUE(exempt.exempt);
  EXPECT_FALSE(exempt.reserve);
  EXPECT_FALSE(exempt.editVisible);
  const VatPrefill plain = VatPrefillFor(850);
  EXPECT_FALSE(plain.reserve || plain.exempt);
  EXPECT_TRUE(plain.editVisible);
  EXPECT_EQ(*plain.editText, "8,5");
}

TEST(VatReadDialog, LinesByCount) {
  const std::array<int32_t, 7> rates = {2200, 850, 0, 25500, 10000, 700, 2300};
  EXPECT_EQ(VatReadLines(4, rates),
            (std::vector<std::string>{"Stawka PTU A : 22 %", "Stawka PTU B : 8 %",
                                      "Stawka PTU C : 0 %", "Stawka PTU D : REZERWA"}));
  const auto seven = VatReadLines(7, rates);
  ASSERT_EQ(seven.size(), 7u);
  EXPECT_EQ(seven[1], "Stawka PTU B : 8,5 %");
  EXPECT_EQ(seven[4], "Stawka PTU E : ZWOLNIONA");
  EXPECT_EQ(seven[6], "Stawka PTU G : 23 %");
  EXPECT_EQ(VatReadLines(6, rates).size(), 6u);
  EXPECT_TRUE(VatReadLines(5, rates).empty());
  EXPECT_EQ(VatRatesAfterRead(4, rates), (VatRateTable{2200, 850, 0, 25500, 0, 0, 0}));
  EXPECT_EQ(VatRatesAfterRead(3, rates), VatRateTable{});
}

}  // namespace
}  // namespace console
