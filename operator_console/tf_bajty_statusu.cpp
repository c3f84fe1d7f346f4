#include "operator_console/tf_bajty_statusu.h"

#include <QTextBlock>
#include <QTextCursor>

#include "forms/text.h"
#include "operator_console/console.h"
#include "operator_console/info_dialog.h"
#include "ui_tf_bajty_statusu.h"

TfBajtyStatusu::TfBajtyStatusu(ConsoleState& console, QWidget* parent)
    : TConsoleDialog(console, parent), ui(new Ui::TfBajtyStatusu) {
  ui->setupUi(this);
  ui->mStatusy->setReadOnly(true);
  SetUpDialog(ui->bOK, ui->bOK);
  OnKeyDown(ui->mStatusy, [this](int key) { return mStatusyKeyPress(key); });
  connect(ui->bOK, &QPushButton::clicked, this, [this] { bOKClick(); });
}

TfBajtyStatusu::~TfBajtyStatusu() { delete ui; }

void TfBajtyStatusu::SetLines(const std::vector<std::string>& cp1250Lines) {
  ui->mStatusy->clear();
  for (const std::string& line : cp1250Lines) ui->mStatusy->append(forms::ToQ(line));
  // Every line centred, as the memo shows them.
  QTextCursor cursor(ui->mStatusy->document());
  cursor.select(QTextCursor::Document);
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  cursor.mergeBlockFormat(centred);
  ui->mStatusy->moveCursor(QTextCursor::Start);
}

std::vector<std::string> TfBajtyStatusu::Lines() const {
  std::vector<std::string> lines;
  if (ui->mStatusy->document()->isEmpty()) return lines;
  for (QTextBlock block = ui->mStatusy->document()->begin(); block.isValid();
       block = block.next()) {
    lines.push_back(forms::FromQ(block.text()));
  }
  return lines;
}

void TfBajtyStatusu::bOKClick() { Close(); }

bool TfBajtyStatusu::mStatusyKeyPress(int key) {
  if (key == forms::VK_RETURN || key == forms::VK_ESCAPE) {
    Close();
    return true;
  }
  // Moving through the lines is allowed; nothing can be typed.
  return !(key >= forms::VK_PRIOR && key <= forms::VK_DOWN);
}

void TfBajtyStatusu::FormActivate() { ui->bOK->setFocus(Qt::OtherFocusReason); }
