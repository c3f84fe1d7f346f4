// Forms: activation only on a change of the active form, exit handlers only
// on focus moves inside the form, Enter/Esc routing, modal results and the
// modal runner.
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdlib>

#include "forms/actions.h"
#include "forms/activation.h"
#include "forms/form.h"
#include "forms/message_box.h"
#include "forms/modal.h"
#include "forms/trace.h"
#include "tests/forms/gui_fixture.h"

namespace forms {

using testing::Find;
using testing::GuiTest;

class TfProba : public Form {
  Q_OBJECT

 public:
  TfProba() {
    setObjectName("fProba");
    auto* layout = new QVBoxLayout(this);
    first = new QLineEdit(this);
    first->setObjectName("eFirst");
    second = new QLineEdit(this);
    second->setObjectName("eSecond");
    ok = new QPushButton("OK", this);
    ok->setObjectName("bOk");
    other = new QPushButton("Inny", this);
    other->setObjectName("bInny");
    for (QWidget* w : std::initializer_list<QWidget*>{first, second, ok, other})
      layout->addWidget(w);
    connect(ok, &QPushButton::clicked, this, [this] {
      Trace("ok clicked");
      SetModalResult(mrOk);
    });
    connect(other, &QPushButton::clicked, this, [] { Trace("other clicked"); });
    SetDefaultButton(ok);
    WireControls();
    OnExit(first, [] { Trace("exit eFirst"); });
  }
  QPushButton* cancel = nullptr;
  QLineEdit* first;
  QLineEdit* second;
  QPushButton* ok;
  QPushButton* other;
  bool previewEscape = false;

 protected:
  void FormActivate() override { Trace("activate fProba"); }
  void FormClose() override { Trace("close fProba " + std::to_string(ModalResult())); }
  bool FormKeyDown(int key) override {
    Trace("keydown " + std::to_string(key));
    if (previewEscape && key == VK_ESCAPE) {
      Close();
      return true;
    }
    return false;
  }
};

class Main : public QMainWindow {
 public:
  Main() {
    RegisterForm(this, [] { Trace("activate main"); });
  }
  ~Main() override { UnregisterForm(this); }
};

class Forms : public GuiTest {};

TEST_F(Forms, ModalRunActivatesTheFormThenTheOneBeforeAgain) {
  Main main;
  main.show();
  NoteActivated(&main);
  TfProba form;
  form.SetKeyPreview(true);
  OnModal("forms::TfProba", [](Form& f) {
    testing::Focus(Find<QLineEdit>(&f, "eFirst"));
    testing::Key(&f, Qt::Key_Return);
  });
  EXPECT_EQ(ShowModal(form), mrOk);
  EXPECT_EQ(TraceLines(), (std::vector<std::string>{"activate main", "modal forms::TfProba",
                                                    "activate fProba", "keydown 13", "ok clicked",
                                                    "close fProba 1", "activate main"}));
}

TEST_F(Forms, AFormOpensCentredOverItsOwnerFromItsFirstShowingWithACloseBoxOnly) {
  Main main;
  main.setGeometry(100, 80, 600, 400);
  main.show();
  NoteActivated(&main);
  TfProba form;  // never sized: its layout gives the size
  std::vector<QRect> seen;
  for (int run = 0; run < 2; ++run) {
    OnModal("forms::TfProba", [&seen](Form& f) {
      seen.push_back(f.geometry());
      f.Close();
    });
    ShowModal(form);
  }
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], seen[1]) << "the first showing is where the later ones are";
  EXPECT_GE(seen[0].height(), form.minimumSizeHint().height());
  EXPECT_LE(std::abs(seen[0].center().x() - main.geometry().center().x()), 1);
  EXPECT_LE(std::abs(seen[0].center().y() - main.geometry().center().y()), 1);
  const Qt::WindowFlags flags = form.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint) << "the frame has exactly what is asked for";
}

TEST_F(Forms, ACloseWhileADriverCallWaitsActsOnceTheCallReturns) {
  TfProba form;
  OnModal("forms::TfProba", [this](Form& f) {
    QTimer::singleShot(0, &f, [&f] { f.close(); });
    KeepPainting();  // a driver call's wait: the close arrives meanwhile
    EXPECT_TRUE(f.isVisible()) << "still open while the call waits";
    EXPECT_TRUE(TraceOf("close").empty());
    testing::Flush();  // the call has returned
    EXPECT_FALSE(f.isVisible());
  });
  EXPECT_EQ(ShowModal(form), mrCancel);
}

TEST_F(Forms, ClosingAMessageBoxIsNoActivation) {
  SetMessageBoxHandler(nullptr);  // a real box, closed by a timer
  Main main;
  main.show();
  NoteActivated(&main);
  QTimer::singleShot(0, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
  });
  MessageBox("x", "y", MB_OK);
  testing::Flush();
  QApplication::setActiveWindow(&main);
  testing::Flush();
  EXPECT_EQ(TraceOf("activate"), std::vector<std::string>{"activate main"});
}

TEST_F(Forms, EnterGoesToTheFocusedButtonElseTheDefaultEscapeClosesThroughFormClose) {
  TfProba form;
  OnModal("fProba", [](Form& f) {
    testing::Focus(Find<QPushButton>(&f, "bInny"));
    testing::Key(&f, Qt::Key_Return);
    testing::Focus(Find<QLineEdit>(&f, "eSecond"));
    testing::Key(&f, Qt::Key_Escape);
  });
  EXPECT_EQ(ShowModal(form), mrCancel);
  EXPECT_EQ(TraceOf("other"), std::vector<std::string>{"other clicked"});
  EXPECT_EQ(TraceOf("close"), std::vector<std::string>{"close fProba 2"});
  EXPECT_TRUE(TraceOf("ok").empty());
}

TEST_F(Forms, EscapeGoesToTheCancelButtonAndTheCloseBoxRunsFormClose) {
  TfProba form;
  form.SetCancelButton(form.other);
  OnModal("fProba", [](Form& f) {
    testing::Focus(Find<QLineEdit>(&f, "eFirst"));
    testing::Key(&f, Qt::Key_Escape);
    f.close();  // the close box
  });
  EXPECT_EQ(ShowModal(form), mrCancel);
  EXPECT_EQ(TraceOf("other"), std::vector<std::string>{"other clicked"});
  EXPECT_EQ(TraceOf("close"), std::vector<std::string>{"close fProba 2"});
}

TEST_F(Forms, KeyPreviewSeesKeysFirstAndCanTakeThem) {
  TfProba form;
  form.SetKeyPreview(true);
  form.previewEscape = true;
  form.SetCancelButton(form.other);
  OnModal("fProba", [](Form& f) {
    testing::Focus(Find<QLineEdit>(&f, "eFirst"));
    testing::Type(&f, "a");
    testing::Key(&f, Qt::Key_Escape);
  });
  EXPECT_EQ(ShowModal(form), mrCancel);
  EXPECT_EQ(form.first->text(), "a");
  EXPECT_EQ(TraceOf("keydown"), (std::vector<std::string>{"keydown 65", "keydown 27"}));
  EXPECT_TRUE(TraceOf("other").empty()) << "the preview took Esc";
}

TEST_F(Forms, ExitHandlerRunsOnlyWhenTheFocusMovesInsideTheForm) {
  TfProba form;
  OnModal("fProba", [this](Form& f) {
    testing::Focus(Find<QLineEdit>(&f, "eFirst"));
    testing::Focus(Find<QLineEdit>(&f, "eSecond"), Qt::TabFocusReason);
    EXPECT_EQ(TraceOf("exit").size(), 1u) << "tab to the next field";
    testing::Focus(Find<QLineEdit>(&f, "eFirst"));
    // A message box taking the focus is no move inside the form.
    QLineEdit outside;
    outside.show();
    testing::Focus(&outside, Qt::ActiveWindowFocusReason);
    EXPECT_EQ(TraceOf("exit").size(), 1u);
    testing::Focus(Find<QLineEdit>(&f, "eFirst"));
    f.SetModalResult(mrOk);  // closing is no move either
  });
  EXPECT_EQ(ShowModal(form), mrOk);
  EXPECT_EQ(TraceOf("exit").size(), 1u);
}

TEST_F(Forms, AFormNobodyScriptedIsNotedAndAnswersCancel) {
  TfProba form;
  EXPECT_EQ(ShowModal(form), mrCancel);
  EXPECT_FALSE(form.isVisible());
  ASSERT_EQ(modals.unscripted.size(), 1u);
  modals.unscripted.clear();
}

TEST_F(Forms, AFormLeftOpenByItsScriptIsClosedAndNoted) {
  TfProba form;
  OnModal("fProba", [](Form&) {});
  EXPECT_EQ(ShowModal(form), mrCancel);
  EXPECT_EQ(modals.unscripted, std::vector<std::string>{"forms::TfProba left open"});
  modals.unscripted.clear();
}

}  // namespace forms

#include "form_test.moc"
