#include <gtest/gtest.h>

#include <string>

#include "printer_link/commands/receipt_buffers.h"
#include "printer_link/link/driver_state.h"

namespace kavoruw {
namespace {

class ReceiptBuffers : public ::testing::Test {
 protected:
  int EmptyLines() const {
    int count = 0;
    for (const TTrailerLine& line : link.DriverState.TrailerLine)
      count += line.code == kEmptyTrailerLine;
    return count;
  }

  // A link of the test's own: every test starts from empty buffers.
  TPrinterLink link;
};

TEST_F(ReceiptBuffers, PaymentNameIsCutOrPaddedTo13) {
  EXPECT_EQ(inner::FillPayment(link, 1, "Karta platnicza VISA", 1500, 0), 0);
  EXPECT_EQ(link.DriverState.PaymentSlot[0].name, "Karta platnic");
  EXPECT_EQ(link.DriverState.PaymentSlot[0].amount, 1500);
  EXPECT_EQ(link.DriverState.PaymentSlot[0].amount2, 0);

  EXPECT_EQ(inner::FillPayment(link, 4, "Bon", 0, 250), 0);
  EXPECT_EQ(link.DriverState.PaymentSlot[3].name, "Bon          ");
  EXPECT_EQ(link.DriverState.PaymentSlot[3].amount2, 250);

  // An empty name still fills the slot.
  EXPECT_EQ(inner::FillPayment(link, 2, "", 0, 0), 0);
  EXPECT_EQ(link.DriverState.PaymentSlot[2 - 1].name, std::string(13, ' '));
  EXPECT_EQ(inner::pFillPayment(link, 3, nullptr, 7, 8), 0);
  EXPECT_EQ(link.DriverState.PaymentSlot[2].name, std::string(13, ' '));
  EXPECT_EQ(link.DriverState.PaymentSlot[2].amount, 7);

  // Filling again replaces the slot.
  EXPECT_EQ(inner::pFillPayment(link, 1, "Czek", 99, 1), 0);
  EXPECT_EQ(link.DriverState.PaymentSlot[0].name, "Czek         ");
  EXPECT_EQ(link.DriverState.PaymentSlot[0].amount, 99);
  EXPECT_EQ(link.DriverState.PaymentSlot[0].amount2, 1);
}

TEST_F(ReceiptBuffers, PaymentRefusalsStoreNothing) {
  ASSERT_EQ(inner::FillPayment(link, 1, "Gotowka", 100, 200), 0);
  for (int32_t slot : {0, 5, -1, INT32_MIN}) {
    EXPECT_EQ(inner::FillPayment(link, slot, "X", 1, 1), 215) << "slot " << slot;
  }
  EXPECT_EQ(inner::FillPayment(link, 1, "Karta", -1, 0), 215);
  EXPECT_EQ(inner::FillPayment(link, 1, "Karta", 0, -5), 215);
  EXPECT_EQ(inner::pFillPayment(link, 2, "Karta", INT32_MIN, 0), 215);
  EXPECT_EQ(link.DriverState.PaymentSlot[0].name, "Gotowka      ");
  EXPECT_EQ(link.DriverState.PaymentSlot[0].amount, 100);
  EXPECT_EQ(link.DriverState.PaymentSlot[0].amount2, 200);
  for (size_t i = 1; i < kPaymentSlotCount; ++i)
    EXPECT_TRUE(link.DriverState.PaymentSlot[i].name.empty());
}

TEST_F(ReceiptBuffers, SixLinesThenAllUsed) {
  int32_t free = -7;
  for (int32_t expected = 5; expected >= 0; --expected) {
    EXPECT_EQ(inner::FillLines(link, expected, "linia", &free), 0);
    EXPECT_EQ(free, expected);
  }
  // Slots fill from the lowest number up.
  EXPECT_EQ(link.DriverState.TrailerLine[0].code, 5);
  EXPECT_EQ(link.DriverState.TrailerLine[5].code, 0);
  free = 42;
  EXPECT_EQ(inner::FillLines(link, 1, "siodma", &free), 216);
  EXPECT_EQ(free, 0);
  for (const TTrailerLine& line : link.DriverState.TrailerLine) EXPECT_EQ(line.text, "linia");
}

TEST_F(ReceiptBuffers, LineCodeOutOfRangeLeavesFreeUntouched) {
  int32_t free = 42;
  EXPECT_EQ(inner::FillLines(link, 16, "x", &free), 215);
  EXPECT_EQ(inner::FillLines(link, -1, "x", &free), 215);
  EXPECT_EQ(inner::FillLines(link, 255, "x", &free), 215);
  EXPECT_EQ(free, 42);
  EXPECT_EQ(EmptyLines(), 6);
  EXPECT_EQ(inner::FillLines(link, 15, "x", &free), 0);
  EXPECT_EQ(link.DriverState.TrailerLine[0].code, 15);
}

TEST_F(ReceiptBuffers, NullFreePointerStoresNothing) {
  EXPECT_EQ(inner::FillLines(link, 0, "x", nullptr), 999);
  EXPECT_EQ(inner::pFillLines(link, 0, "x", nullptr), 999);
  EXPECT_EQ(EmptyLines(), 6);
}

TEST_F(ReceiptBuffers, LineTextIsCutAtZeroAnd254) {
  int32_t free = 0;
  EXPECT_EQ(inner::FillLines(link, 0, std::string("przed\0po", 8), &free), 0);
  EXPECT_EQ(link.DriverState.TrailerLine[0].text, "przed");
  EXPECT_EQ(inner::FillLines(link, 0, std::string(300, 'a'), &free), 0);
  EXPECT_EQ(link.DriverState.TrailerLine[1].text, std::string(254, 'a'));
  // Control bytes and Windows-1250 letters are kept as they are.
  EXPECT_EQ(inner::FillLines(link, 0, "\x01\x1F\xB3", &free), 0);
  EXPECT_EQ(link.DriverState.TrailerLine[2].text, "\x01\x1F\xB3");
  EXPECT_EQ(inner::pFillLines(link, 3, nullptr, &free), 0);
  EXPECT_EQ(link.DriverState.TrailerLine[3].code, 3);
  EXPECT_EQ(link.DriverState.TrailerLine[3].text, "");
  EXPECT_EQ(free, 2);
}

TEST_F(ReceiptBuffers, EmptiedSlotsAreReusedLowestFirst) {
  int32_t free = 0;
  for (int i = 0; i < 6; ++i) ASSERT_EQ(inner::FillLines(link, i, "l" + std::to_string(i + 1), &free), 0);
  // As after a receipt end that sent lines 1 and 2 and failed on line 3.
  link.DriverState.TrailerLine[0] = TTrailerLine{};
  link.DriverState.TrailerLine[1] = TTrailerLine{};
  EXPECT_EQ(inner::FillLines(link, 9, "nowa", &free), 0);
  EXPECT_EQ(free, 1);
  EXPECT_EQ(link.DriverState.TrailerLine[0].code, 9);
  EXPECT_EQ(link.DriverState.TrailerLine[0].text, "nowa");
  EXPECT_EQ(link.DriverState.TrailerLine[2].text, "l3");
}

TEST_F(ReceiptBuffers, EraseEmptiesEachSetOnItsOwn) {
  int32_t free = 0;
  ASSERT_EQ(inner::FillPayment(link, 2, "Karta", 10, 20), 0);
  ASSERT_EQ(inner::FillLines(link, 1, "dziekujemy", &free), 0);

  EXPECT_EQ(inner::EraseLines(link), 0);
  EXPECT_EQ(EmptyLines(), 6);
  EXPECT_TRUE(link.DriverState.TrailerLine[0].text.empty());
  EXPECT_EQ(link.DriverState.PaymentSlot[1].name, "Karta        ");

  EXPECT_EQ(inner::ErasePayments(link), 0);
  EXPECT_TRUE(link.DriverState.PaymentSlot[1].name.empty());
  EXPECT_EQ(link.DriverState.PaymentSlot[1].amount, 0);
  EXPECT_EQ(link.DriverState.PaymentSlot[1].amount2, 0);

  ASSERT_EQ(inner::FillPayment(link, 4, "Bon", 1, 2), 0);
  ASSERT_EQ(inner::FillLines(link, 1, "a", &free), 0);
  EXPECT_EQ(ClearReceiptBuffers(link), 0);
  EXPECT_TRUE(link.DriverState.PaymentSlot[3].name.empty());
  EXPECT_EQ(link.DriverState.PaymentSlot[3].amount, 0);
  EXPECT_EQ(EmptyLines(), 6);
}

}  // namespace
}  // namespace kavoruw
