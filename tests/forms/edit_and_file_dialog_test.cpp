// The edit whose length limit holds for typing only, and the file dialogs'
// component with its replaceable runner.
#include <QVBoxLayout>

#include "forms/edit.h"
#include "forms/file_dialog.h"
#include "forms/form.h"
#include "forms/trace.h"
#include "tests/forms/gui_fixture.h"

namespace forms {
namespace {

using testing::GuiTest;

class TypingLimit : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    auto* layout = new QVBoxLayout(&form);
    edit = new Edit(&form);
    layout->addWidget(edit);
    form.WireControls();
    form.show();
    testing::Focus(edit);
  }
  void TearDown() override {
    form.hide();
    GuiTest::TearDown();
  }
  Form form;
  Edit* edit = nullptr;
};

TEST_F(TypingLimit, TypingStopsAtTheLimitButProgramTextsStayWhole) {
  edit->setTypingLimit(3);
  testing::Type(edit, "abcd");
  EXPECT_EQ(edit->text(), "abc");
  // A selected character is replaced even at the limit.
  edit->setSelection(1, 1);
  testing::Type(edit, "X");
  EXPECT_EQ(edit->text(), "aXc");

  edit->setText("a longer text");
  EXPECT_EQ(edit->text(), "a longer text");
  edit->setTypingLimit(2);
  EXPECT_EQ(edit->text(), "a longer text");
  edit->end(false);
  testing::Type(edit, "!");
  EXPECT_EQ(edit->text(), "a longer text");
  testing::Key(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "a longer tex");

  edit->setTypingLimit(0);
  testing::Type(edit, "t!");
  EXPECT_EQ(edit->text(), "a longer text!");

  // Polish letters count as one character each.
  edit->clear();
  edit->setTypingLimit(4);
  testing::Type(edit, QString::fromUtf8("żółćx"));
  EXPECT_EQ(edit->text(), QString::fromUtf8("żółć"));
}

TEST(FileFilter, PipeSeparatedFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter(QString::fromUtf8("Pliki tekstowe z danymi użytkownika (*.txt)|*.txt")),
            QString::fromUtf8("Pliki tekstowe z danymi użytkownika (*.txt)"));
  EXPECT_EQ(QtFileFilter("Teksty (*.txt)|*.txt|Wszystkie pliki|*.*"),
            "Teksty (*.txt);;Wszystkie pliki (*.*)");
  EXPECT_EQ(QtFileFilter("Obrazy|*.bmp;*.png"), "Obrazy (*.bmp *.png)");
}

class FileDialogs : public GuiTest {
 protected:
  void TearDown() override {
    SetFileDialogRunner({});
    GuiTest::TearDown();
  }
};

TEST_F(FileDialogs, TheRunnerChoosesAndCancelKeepsTheLastName) {
  FileDialog save(FileDialog::Kind::Save);
  save.setObjectName("zPlik");
  std::optional<QString> answer = "/tmp/a.txt";
  SetFileDialogRunner([&](const FileDialog& d) {
    EXPECT_EQ(d.DialogKind(), FileDialog::Kind::Save);
    return answer;
  });
  EXPECT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "/tmp/a.txt");
  answer.reset();
  EXPECT_FALSE(save.Execute());
  EXPECT_EQ(save.FileName(), "/tmp/a.txt");
  EXPECT_EQ(TraceOf("file"), (std::vector<std::string>{"file save zPlik", "file save zPlik"}));
}

}  // namespace
}  // namespace forms
