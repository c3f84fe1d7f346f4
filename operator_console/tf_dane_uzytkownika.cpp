#include "operator_console/tf_dane_uzytkownika.h"

#include <QFontDatabase>
#include <filesystem>

#include "kavoruw_core.h"
#include "operator_console/logic/user_data.h"
#include "operator_console/tf_setting_confirm.h"
#include "ui_tf_dane_uzytkownika.h"

namespace {

// A printer action of the dialog: not entered twice (a second click while
// one runs does nothing), and the main window takes no action meanwhile.
class RunningScope {
 public:
  RunningScope(bool& running, ConsoleState& console) : running_(running), action_(console) {
    running_ = true;
  }
  ~RunningScope() { running_ = false; }
  RunningScope(const RunningScope&) = delete;
  RunningScope& operator=(const RunningScope&) = delete;

 private:
  bool& running_;
  ActionScope action_;
};

constexpr int kEditLeftWide = 64;
constexpr int kEditWidthWide = 330;
constexpr int kEditLeftNarrow = 147;
constexpr int kEditWidthNarrow = 165;

std::filesystem::path PathOf(const QString& fileName) {
  return std::filesystem::path(fileName.toStdString());
}

}  // namespace

TfDaneUzytkownika::TfDaneUzytkownika(ConsoleState& console, QWidget* parent)
    : forms::Form(parent), ui(new Ui::TfDaneUzytkownika), console_(console) {
  ui->setupUi(this);
  SetUpDialog(nullptr);

  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPixelSize(13);
  for (int line = 0; line < 4; ++line) LineEdit(line)->setFont(fixed);

  zPlik = new forms::FileDialog(forms::FileDialog::Kind::Save, this);
  zPlik->setObjectName("zPlik");
  zPlik->SetDefaultExt("*.txt");
  zPlik->SetFilter(QString::fromUtf8("Pliki tekstowe z danymi użytkownika (*.txt)|*.txt"));
  oPlik = new forms::FileDialog(forms::FileDialog::Kind::Open, this);
  oPlik->setObjectName("oPlik");
  oPlik->SetDefaultExt("*.txt");
  oPlik->SetFilter(
      QString::fromUtf8("Pliki tekstowe z danymi użytkownika (*.txt)|*.txt|Wszystkie pliki|*.*"));

  for (int line = 0; line < 3; ++line) {
    // Item 0 losing or gaining its tick is every change of the group's choice.
    connect(WidthGroup(line)->Button(0), &QRadioButton::toggled, this,
            [this, line] { rgClick(line); });
  }
  for (int line = 0; line < 4; ++line) {
    connect(CentreBox(line), &QCheckBox::toggled, this, [this, line] { cbClick(line); });
  }
  connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(ui->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(ui->bWydrKontr, &QPushButton::clicked, this, [this] { bWydrKontrClick(); });
  connect(ui->bZapisPlik, &QPushButton::clicked, this, [this] { bZapisPlikClick(); });
  connect(ui->bOdczytPlik, &QPushButton::clicked, this, [this] { bOdczytPlikClick(); });
}

TfDaneUzytkownika::~TfDaneUzytkownika() { delete ui; }

forms::Edit* TfDaneUzytkownika::LineEdit(int line) const {
  forms::Edit* const edits[] = {ui->l1, ui->l2, ui->l3, ui->L4};
  return edits[line];
}

forms::RadioGroup* TfDaneUzytkownika::WidthGroup(int line) const {
  forms::RadioGroup* const groups[] = {ui->rg1, ui->rg2, ui->rg3};
  return groups[line];
}

QCheckBox* TfDaneUzytkownika::CentreBox(int line) const {
  QCheckBox* const boxes[] = {ui->cb1, ui->CB2, ui->cb3, ui->cb4};
  return boxes[line];
}

int TfDaneUzytkownika::LineWidth(int line) const {
  return line < 3 && WidthGroup(line)->ItemIndex() == 1 ? 20 : 40;
}

// --- Width and centring --------------------------------------------------------------

void TfDaneUzytkownika::rgClick(int line) {
  forms::Edit* edit = LineEdit(line);
  const bool narrow = LineWidth(line) == 20;
  edit->setGeometry(narrow ? kEditLeftNarrow : kEditLeftWide, edit->y(),
                    narrow ? kEditWidthNarrow : kEditWidthWide, edit->height());
  edit->setTypingLimit(narrow ? 20 : 40);
}

void TfDaneUzytkownika::cbClick(int line) {
  if (!CentreBox(line)->isChecked()) return;
  std::string text = forms::FromQ(LineEdit(line)->text());
  console::CenterLine(text, static_cast<uint8_t>(LineWidth(line)));
  LineEdit(line)->setText(forms::ToQ(text));
}

void TfDaneUzytkownika::FormatLine(int line) {
  std::string text = forms::FromQ(LineEdit(line)->text());
  const auto width = static_cast<uint8_t>(LineWidth(line));
  if (CentreBox(line)->isChecked()) {
    console::CenterLine(text, width);
  } else {
    console::PadLine(text, width);
  }
  LineEdit(line)->setText(forms::ToQ(text));
}

// --- Printer actions ----------------------------------------------------------------

void TfDaneUzytkownika::SetButtonsEnabled(bool enabled) {
  ui->Button2->setEnabled(enabled);
  ui->Button3->setEnabled(enabled);
  ui->bWydrKontr->setEnabled(enabled);
}

void TfDaneUzytkownika::SetDialogCursor(bool busy) {
  if (busy) {
    setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
  }
}

TfDaneUzytkownika::CheckTexts TfDaneUzytkownika::ReadingChecks() {
  return {Cp("Podłączone urządzenie nie jest drukarką fiskalną"),
          Cp("Skasowana pamięć CMOS. Wejdź do inicjowania zegara."), 1,
          Cp("Podłączone urządzenie nie jest drukarką drugiej generacji")};
}

bool TfDaneUzytkownika::PrinterChecks(const CheckTexts& texts,
                                      const std::function<void()>& reenable, bool& fiscal) {
  uint8_t kind = 0;
  bool errorShown = false;
  if (!console_.CheckConnectedDevice(kind, errorShown)) {
    reenable();
    if (!errorShown) ReportError(texts.notFiscal);
    return false;
  }
  errorShown = false;
  if (CheckCmosErased(errorShown)) {
    reenable();
    for (int i = 1; i < texts.cmosTones; ++i) AttentionBeep();
    ReportError(texts.cmosErased);
    return false;
  }
  if (errorShown) {
    reenable();
    return false;
  }
  uint32_t version = 0;
  int32_t code = kavoruw::IdentifyDevice(version);
  if (code != 0) {
    reenable();
    ReportDriverError(code);
    return false;
  }
  if (!kavoruw::IsSecondGeneration(kavoruw::LinkState().DeviceKind)) {
    reenable();
    ReportError(texts.notSecondGeneration);
    return false;
  }
  int32_t mode = 0;
  code = kavoruw::ReadFiscalMode(mode);
  if (code != 0) {
    reenable();
    ReportDriverError(code);
    return false;
  }
  fiscal = mode == 1;
  return true;
}

bool TfDaneUzytkownika::NipVerdictAccepted(uint8_t verdict) {
  if (verdict == console::kNipValid) return true;
  const console::NipVerdictBox box = console::NipVerdictBoxFor(verdict, false);
  const int answer = forms::MessageBox(box.text, box.caption, box.flags);
  return box.question && answer == forms::IDYES;
}

void TfDaneUzytkownika::Button2Click() {
  if (running_) return;
  RunningScope running(running_, console_);
  ui->Button2->setEnabled(false);
  console_.ShowProgressText(Cp("Zapis danych użytkownika..."));
  console_.SetBusyCursor();
  auto reenable = [this] { ui->Button2->setEnabled(true); };
  bool fiscal = false;
  if (!PrinterChecks(
          {Cp("Podłączone urządzenie nie jest drukarką fiskalną."), Cp("Skasowana pamięć CMOS."), 2,
           Cp("Podłączone urządzenie nie jest drukarką drugiej generacji.")},
          reenable, fiscal)) {
    return;
  }
  FormatLine(0);
  if (!fiscal) {
    FormatLine(3);
    const uint8_t verdict = console::ValidateNipLine(forms::FromQ(ui->L4->text()));
    SetButtonsEnabled(true);
    if (verdict != console::kNipValid) {
      AttentionBeep();
      if (!NipVerdictAccepted(verdict)) {
        SetDialogCursor(false);
        return;
      }
      console_.SetBusyCursor();
    }
  }
  auto failed = [&](int32_t code) {
    ui->Button2->setEnabled(true);
    ReportDriverError(code);
  };
  int32_t code = kavoruw::WriteUserData(1, static_cast<uint32_t>(WidthGroup(0)->ItemIndex()),
                                        forms::FromQ(ui->l1->text()));
  if (code != 0) return failed(code);
  for (int line = 1; line < 3; ++line) {
    FormatLine(line);
    code = kavoruw::WriteUserData(static_cast<uint32_t>(line + 1),
                                  static_cast<uint32_t>(WidthGroup(line)->ItemIndex()),
                                  forms::FromQ(LineEdit(line)->text()));
    if (code != 0) return failed(code);
  }
  if (fiscal) {
    // The NIP line is in the fiscal memory: it is neither checked nor written.
    ui->Button2->setEnabled(true);
    ReadFromPrinter();
    AttentionBeep();
    InfoBox(Cp(
        "          Drukarka pracuje w trybie fiskalnym.          \rDo drukarki zostały zapisane 3 "
        "linie danych użytkownika."));
  } else {
    code = kavoruw::WriteUserData(4, 0, forms::FromQ(ui->L4->text()));
    if (code != 0) return failed(code);
    AttentionBeep();
    InfoBox(Cp("Do drukarki zostały zapisane 4 linie danych użytkownika."));
  }
  ui->Button2->setEnabled(true);
  console_.SetArrowCursor();
}

void TfDaneUzytkownika::Button3Click() {
  if (running_) return;
  RunningScope running(running_, console_);
  ReadFromPrinter();
}

void TfDaneUzytkownika::ReadFromPrinter() {
  console_.SetBusyCursor();
  ui->Button3->setEnabled(false);
  auto reenable = [this] { ui->Button3->setEnabled(true); };
  bool fiscal = false;
  if (!PrinterChecks(ReadingChecks(), reenable, fiscal)) {
    return;
  }
  console_.SetBusyCursor();
  std::string lines[4];
  const int32_t code = kavoruw::ReadUserData(lines[0], lines[1], lines[2], lines[3]);
  if (code != 0) {
    reenable();
    ReportDriverError(code);
    return;
  }
  ui->l1->setText(forms::ToQ(lines[0]));
  for (int line = 0; line < 3; ++line) {
    const size_t length = lines[line].size();
    if (length == 20) WidthGroup(line)->setItemIndex(1);
    if (length == 40) WidthGroup(line)->setItemIndex(0);
  }
  for (int line = 1; line < 4; ++line) LineEdit(line)->setText(forms::ToQ(lines[line]));
  ui->L4->setEnabled(!fiscal);
  console_.SetArrowCursor();
  reenable();
  repaint();
}

void TfDaneUzytkownika::bWydrKontrClick() {
  if (running_) return;
  RunningScope running(running_, console_);
  // The three printer buttons stay disabled through the printer's checks.
  SetButtonsEnabled(false);
  SetDialogCursor(true);
  auto reenable = [this] {
    SetButtonsEnabled(true);
    SetDialogCursor(false);
    console_.SetArrowCursor();
  };
  bool fiscal = false;
  if (!PrinterChecks(ReadingChecks(), reenable, fiscal)) {
    return;
  }
  if (fiscal) {
    reenable();
    ReportError(Cp(
        "    Drukarka pracuje w trybie fiskalnym.   \rKontrolny wydruk nagłówka nie jest możliwy."));
    console_.SetArrowCursor();
    return;
  }
  for (int line = 0; line < 4; ++line) {
    std::string text = forms::FromQ(LineEdit(line)->text());
    console::CenterLine(text, static_cast<uint8_t>(LineWidth(line)));
    LineEdit(line)->setText(forms::ToQ(text));
  }
  const uint8_t verdict = console::ValidateNipLine(forms::FromQ(ui->L4->text()));
  // The buttons come back before the tone and any question on the NIP.
  SetButtonsEnabled(true);
  console_.SetArrowCursor();
  AttentionBeep();
  if (!NipVerdictAccepted(verdict)) {
    reenable();
    return;
  }
  console_.SetBusyCursor();
  const int32_t code =
      kavoruw::PrintUserDataControl(forms::FromQ(ui->l1->text()), forms::FromQ(ui->l2->text()),
                                    forms::FromQ(ui->l3->text()), forms::FromQ(ui->L4->text()));
  reenable();
  if (code != 0) ReportDriverError(code);
}

// --- The user-data file -------------------------------------------------------------

void TfDaneUzytkownika::bZapisPlikClick() {
  if (running_ || !zPlik->Execute()) return;
  console::UserDataLines typed;
  for (int line = 0; line < 4; ++line)
    typed.lines[static_cast<size_t>(line)] = forms::FromQ(LineEdit(line)->text());
  for (int line = 0; line < 3; ++line)
    typed.widthItems[static_cast<size_t>(line)] = WidthGroup(line)->ItemIndex() == 0 ? 0 : 1;
  const console::UserDataSaveResult saved =
      console::SaveUserDataFile(PathOf(zPlik->FileName()), typed);
  if (!saved.ok) {
    AttentionBeep();
    ErrorBox(saved.errorText);
  }
}

void TfDaneUzytkownika::bOdczytPlikClick() {
  if (running_ || !oPlik->Execute()) return;
  const console::UserDataLoadResult loaded = console::LoadUserDataFile(PathOf(oPlik->FileName()));
  for (int line = 0; line < 4; ++line) {
    const auto& text = loaded.lines[static_cast<size_t>(line)];
    if (text) LineEdit(line)->setText(forms::ToQ(*text));
    if (line < 3) {
      const auto& item = loaded.widthItems[static_cast<size_t>(line)];
      if (item) WidthGroup(line)->setItemIndex(*item);
    }
  }
  if (!loaded.ok) {
    AttentionBeep();
    ErrorBox(loaded.errorText);
    return;
  }
  ui->L4->setEnabled(true);
}

// --- The form ----------------------------------------------------------------------

void TfDaneUzytkownika::FormActivate() {
  SetButtonsEnabled(true);
  ui->l1->setFocus(Qt::OtherFocusReason);
}

void TfDaneUzytkownika::FormClose() {
  console_.SetArrowCursor();
  console_.ClearProgressText();
}

bool TfDaneUzytkownika::FormKeyDown(int key) {
  if (key != forms::VK_ESCAPE) return false;
  Close();
  return true;
}
