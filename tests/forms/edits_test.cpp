// Spin edits and masked edits.
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "forms/edit.h"
#include "forms/form.h"
#include "forms/mask_edit.h"
#include "forms/modal.h"
#include "forms/spin_edit.h"
#include "tests/forms/gui_fixture.h"

namespace forms {
namespace {

using testing::GuiTest;

class Edits : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    auto* layout = new QVBoxLayout(&form);
    spin = new SpinEdit(&form);
    spin->setMinimum(1);
    spin->setMaximum(99);
    spin->setMaxLength(2);
    spin->setValue(1);
    other = new Edit(&form);
    layout->addWidget(spin);
    layout->addWidget(other);
    form.WireControls();
  }
  Form form;
  SpinEdit* spin = nullptr;
  Edit* other = nullptr;
};

TEST_F(Edits, SpinEditReadsWhatWasTypedAndClampsWhenTheFocusMovesOnAndAtConfirmation) {
  auto* ok = new QPushButton("OK", &form);
  auto* cancel = new QPushButton("Anuluj", &form);
  form.SetDefaultButton(ok);
  form.SetCancelButton(cancel);
  form.WireControls();
  std::vector<int> seen;  // the value each button's handler read
  QObject::connect(ok, &QPushButton::clicked, [&] { seen.push_back(spin->Value()); });
  QObject::connect(cancel, &QPushButton::clicked, [&] { seen.push_back(spin->Value()); });
  const auto typeInField = [this](const QString& text) {
    testing::Focus(spin);
    spin->selectAll();
    testing::Type(spin, text);
  };
  OnModal("forms::Form", [&](Form& f) {
    typeInField("0");
    EXPECT_EQ(spin->Value(), 0) << "out of range while the field has the focus";
    testing::Focus(other, Qt::TabFocusReason);
    EXPECT_EQ(spin->Value(), 1);
    EXPECT_EQ(spin->Text(), "1");
    // Enter inside the field, and a button pressed without the focus moving.
    typeInField("0");
    testing::Key(spin, Qt::Key_Return);
    EXPECT_EQ(spin->Text(), "1");
    typeInField("500");
    EXPECT_EQ(spin->Text(), "50");
    ok->click();
    EXPECT_EQ(spin->Text(), "50");
    spin->SetText("0");
    ok->click();
    // The cancel button uses no values and corrects none.
    spin->SetText("0");
    cancel->click();
    f.SetModalResult(mrOk);
  });
  ShowModal(form);
  EXPECT_EQ(seen, (std::vector<int>{1, 50, 1, 0}));
}

TEST_F(Edits, SpinEditTakesDigitsOnlyAndAnEmptyFieldIsNeverAValue) {
  spin->setValue(12345);  // set by the program: never cut
  EXPECT_EQ(spin->Text(), "12345");
  EXPECT_EQ(spin->Value(), 12345);
  spin->setValue(7);
  OnModal("forms::Form", [this](Form& f) {
    testing::Focus(spin);
    spin->selectAll();
    testing::Type(spin, "x5");
    EXPECT_EQ(spin->Text(), "5") << "the letter is refused";
    spin->selectAll();
    testing::Type(spin, "123");
    EXPECT_EQ(spin->Text(), "12") << "typing stops at two characters";
    spin->selectAll();
    testing::Key(spin, Qt::Key_Delete);
    EXPECT_EQ(spin->Text(), "");
    EXPECT_EQ(spin->Value(), 7) << "an empty field reads as the value it held";
    testing::Focus(other, Qt::TabFocusReason);
    EXPECT_EQ(spin->Text(), "7") << "leaving puts that value back";
    // Pasted or program-set text that is no number is no value either.
    spin->SetText("x1");
    EXPECT_EQ(spin->Value(), 7);
    spin->SetText("99999999999");
    EXPECT_EQ(spin->Value(), 99) << "beyond the integer range: no wrap";
    f.SetModalResult(mrOk);  // closing clamps nothing
  });
  ShowModal(form);
  EXPECT_EQ(spin->Text(), "99999999999");
}

TEST_F(Edits, SpinEditStepsInsideTheRangeAndAFixedRangeIsNeverCorrected) {
  spin->setValue(99);
  spin->stepBy(1);
  EXPECT_EQ(spin->Value(), 99);
  spin->stepBy(-3);
  EXPECT_EQ(spin->Value(), 96);
  spin->setMinimum(5);
  spin->setMaximum(5);
  spin->setValue(7);
  spin->Clamp();
  EXPECT_EQ(spin->Value(), 7);
}

TEST_F(Edits, AnEditsTypingLimitNeverCutsWhatTheProgramSets) {
  other->setTypingLimit(3);
  other->setText("12345");
  EXPECT_EQ(other->text(), "12345");
  OnModal("forms::Form", [this](Form& f) {
    testing::Focus(other);
    other->clear();
    testing::Type(other, "abcde");
    EXPECT_EQ(other->text(), "abc");
    f.SetModalResult(mrOk);
  });
  ShowModal(form);
}

TEST(MaskEditMask, EditMaskCharactersBecomeTheirQtTwins) {
  EXPECT_EQ(QtInputMask("00000000;1;_"), "99999999;_");
  EXPECT_EQ(QtInputMask("!99:99;1;_"), "00:00;_");
  EXPECT_EQ(QtInputMask("LlAaCc#;0; "), "AaNnXx#; ");
  EXPECT_EQ(QtInputMask(">LL<ll<>C;1;*"), ">AA<aa!X;*");
  EXPECT_EQ(QtInputMask("\\A00-h;1;_"), "\\A99-\\h;_");
  EXPECT_EQ(QtInputMask(""), "");
}

TEST_F(Edits, MaskEditKnowsWhenTheEntryIsCompleteAndKeepsLiteralsOnlyWhenSaved) {
  MaskEdit numbers(&form);
  numbers.setEditMask("00000000;1;_");
  numbers.SetText("1234");
  EXPECT_FALSE(numbers.IsComplete());
  EXPECT_EQ(numbers.Text(), "1234    ");
  numbers.SetText("12345678");
  EXPECT_TRUE(numbers.IsComplete());
  EXPECT_EQ(numbers.Text(), "12345678");

  MaskEdit time(&form);
  time.setEditMask("00:00;1;_");
  time.SetText("1230");
  EXPECT_EQ(time.Text(), "12:30");
  time.setEditMask("00:00;0;_");
  time.SetText("1230");
  EXPECT_EQ(time.Text(), "1230");
}

}  // namespace
}  // namespace forms
