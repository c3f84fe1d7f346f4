#include "correspondent_register/regler.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QScrollBar>
#include <QShowEvent>
#include <algorithm>
#include <exception>
#include <tuple>

#include "correspondent_register/compact_table.h"
#include "correspondent_register/core/com_classes.h"
#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/folder_tree.h"
#include "correspondent_register/core/hooks.h"
#include "correspondent_register/core/member_lists.h"
#include "correspondent_register/core/register_tables.h"
#include "correspondent_register/core/startup.h"
#include "correspondent_register/core/texts.h"
#include "correspondent_register/core/win_files.h"
#include "forms/actions.h"
#include "forms/application.h"
#include "forms/message_box.h"
#include "forms/text.h"
#include "ui_regler.h"

namespace zorvel {

namespace {

// Puts a button, label or the like back when an operation stops half-way.
class Restore {
 public:
  explicit Restore(std::function<void()> undo) : undo_(std::move(undo)) {}
  ~Restore() { undo_(); }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;

 private:
  std::function<void()> undo_;
};

// Hears every key, click and wheel turn that reaches a widget of one window,
// whichever control takes it (a grid cell's editor too).
class InputWatch : public QObject {
 public:
  InputWatch(QWidget* window, std::function<void()> seen)
      : QObject(window), window_(window), seen_(std::move(seen)) {
    QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == window_) seen_();
        break;
      default: break;
    }
    return false;
  }

 private:
  QWidget* window_;
  std::function<void()> seen_;
};

}  // namespace

TRegler::TRegler(RegisterState& session, QWidget* parent)
    : Form(parent), session_(session), ui_(std::make_unique<Ui::TRegler>()) {
  ui_->setupUi(this);
  setObjectName("TRegler");
  move(25, 20);

  Dane.DatabaseName = "DaneSpis";
  PolaSpisu.setObjectName("PolaSpisu");
  PolaGrup.setObjectName("PolaGrup");
  PolaSpisu.SetTable(&Spis);
  PolaGrup.SetTable(&Grr);
  PolaSpisu.OnDataChange = [this](const std::string&) { PolaSpisuDataChange(); };
  PolaGrup.OnDataChange = [this](const std::string&) { PolaGrupDataChange(); };

  auto W = [](const char* utf8) { return forms::Cp(utf8); };
  ui_->SpisK->SetDataSource(&PolaSpisu);
  ui_->SpisK->SetColumns({
      {"NR", "Nr", 31},
      {"POZIOM", "*", 20},
      {"NAZWISKO", "Nazwisko", 109},
      {"IMIONA", "Imiona", 111},
      {"RP", "^", 21},
      {"STANOWISKO", W("Stanowisko, funkcja"), 286},
      {"EMAIL", W("e-mail w Internecie"), 155},
      {"USERID", "User ID", 75},
      {"SEKRETARKA", "Sekretarka t,*/n", -1},
      {"SUPER_GRUP", "Super Gruper", 69},
      {"MAIL", "mail w LAN", 117},
      {"LN", "Login Name", 115},
      {"ZAKAZ_OPCJ", "Zakaz opcji t/n", 81},
      {"TELEFON_KO", W("Telefon komórkowy"), 109},
      {"AKTYWACJA", "Aktywacja t,*/n", 83},
      {"ZDALNY", W("Nielokalny, dostęp poprzez internet t,*/n"), 199},
  });
  // Only the buttons keep the folders and the groups in step with the
  // register: the grid neither inserts nor deletes.
  ui_->SpisK->SetAllowInsert(false);
  ui_->SpisK->SetAllowDelete(false);
  ui_->SpisK->setObjectName("SpisK");

  ui_->DBGrid1->SetDataSource(&PolaGrup);
  ui_->DBGrid1->SetColumns({{"NAZWA", "NAZWA", 453, Qt::AlignCenter}});

  ui_->DBNavigator1->SetDataSource(&PolaSpisu);
  ui_->DBNavigator1->SetVisibleButtons({forms::NavButton::First, forms::NavButton::Prior,
                                        forms::NavButton::Next, forms::NavButton::Last,
                                        forms::NavButton::Edit});
  ui_->DBNavigator1->SetHint(
      W("Klawisze nawigacyjne; Na początek, poprzedni, następny, ostatni, wstaw, zmień dane, "
        "kasuj korespondenta"));
  ui_->DBNavigator1->OnClick = [this](forms::NavButton) { DBNavigator1Click(); };
  ui_->DBNavigator2->SetDataSource(&PolaGrup);
  ui_->DBNavigator2->SetVisibleButtons({forms::NavButton::First, forms::NavButton::Prior,
                                        forms::NavButton::Next, forms::NavButton::Last,
                                        forms::NavButton::Insert, forms::NavButton::Delete,
                                        forms::NavButton::Edit});
  ui_->DBNavigator2->OnClick = [this](forms::NavButton) { DBNavigator2Click(); };

  FitNameRow();
  ui_->DBEdit1->SetDataSource(&PolaSpisu, "NR");
  connect(ui_->DBEdit1, &QLineEdit::textChanged, this, [this] { DBEdit1Change(); });
  ui_->ngr->SetDataSource(&PolaGrup, "NAZWA");
  ui_->DBMemo1->SetDataSource(&PolaGrup, "KTO");

  connect(ui_->wgnu, &QPushButton::clicked, this, [this] { wgnuClick(); });
  connect(ui_->wgna, &QPushButton::clicked, this, [this] { wgnaClick(); });
  connect(ui_->Wstaw, &QPushButton::clicked, this, [this] { WstawClick(); });
  connect(ui_->ddg, &QPushButton::clicked, this, [this] { ddgClick(); });
  connect(ui_->Uzg, &QPushButton::clicked, this, [this] { UzgClick(); });
  connect(ui_->kaszko, &QPushButton::clicked, this, [this] { kaszkoClick(); });
  connect(ui_->Nprze, &QPushButton::clicked, this, [this] { NprzeClick(); });
  connect(ui_->pak, &QPushButton::clicked, this, [this] { pakClick(); });
  connect(ui_->Koniec, &QPushButton::clicked, this, [this] { KoniecClick(); });

  WireControls();
  // Keys, clicks and the wheel are activity, and so is reading the wide
  // grid: its scroll bars moved by dragging, by the wheel or by keys.
  // (The state outlives the window, whose grids still scroll as it goes.)
  int& idle = session_.IdleSeconds;
  new InputWatch(this, [&idle] { idle = 1; });
  for (forms::DBGrid* grid : {ui_->SpisK, ui_->DBGrid1}) {
    for (QScrollBar* bar : {grid->horizontalScrollBar(), grid->verticalScrollBar()}) {
      connect(bar, &QScrollBar::valueChanged, this, [&idle] { idle = 1; });
    }
  }
  SetCancelButton(ui_->Koniec);
  // Esc while a cell is edited cancels the edit instead of ending the program.
  OnKeyDown(ui_->SpisK, [this](int key) {
    if (key != forms::VK_ESCAPE || Spis.State() == dbase::DataState::Browse) return false;
    Spis.Cancel();
    return true;
  });

  Timerr.setObjectName("Timerr");
  Timerr.setInterval(1000);
  connect(&Timerr, &QTimer::timeout, this, [this] { TimerrTimer(); });
  Timerr.start();
}

TRegler::~TRegler() {
  PolaSpisu.SetTable(nullptr);
  PolaGrup.SetTable(nullptr);
}

void TRegler::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  if (event->spontaneous()) return;
  try {
    FormShow();
  } catch (const std::exception& e) {
    session_.Core.Hooks.ShowErrorBox(e.what());
  }
}

void TRegler::hideEvent(QHideEvent* event) {
  Form::hideEvent(event);
  if (event->spontaneous()) return;
  try {
    FormHide();
  } catch (const std::exception& e) {
    session_.Core.Hooks.ShowErrorBox(e.what());
  }
}

void TRegler::FormShow() {
  move(x(), 20);
  resize(502, 440);
  if (Dane.Connected) CloseDatabase();
  Dane.SetParams(session_.Paths.DataDir);
  emit DataFolderChosen();
  Dane.Connect();
  // However the opening ends, the window allows only what the tables allow.
  Restore access([this] { ApplyWriteAccess(); });
  // A table whose index is lost or damaged opens without it, in physical
  // order, until a pack rebuilds it.
  Spis.Open(Dane.TableHostPath(session_.Core.Drives, kSpisFile));
  if (!Spis.Tags().empty()) Spis.SetIndexName(kNumberTag);
  Grr.Open(Dane.TableHostPath(session_.Core.Drives, kGrupyFile));
  if (!Grr.Tags().empty()) Grr.SetIndexName(kGroupTag);
  OfferRepairs();
  // The first group of the grid's order, not the first in the file.
  Grr.First();
  if (!Spis.Tags().empty()) CheckDuplicateNumbers();
  Spis.First();
}

void TRegler::OfferRepairs() {
  std::vector<std::string> repairs, backups;
  for (auto [table, name, inUse, tag] :
       {std::tuple{&Spis, "Spis", "Nie moge pakowac, spis jest w użyciu", kNumberTag},
        std::tuple{&Grr, "Grr", "Nie moge pakowac, grupy są w użyciu", kGroupTag}}) {
    if (!table->PackRepairs()) continue;
    const std::string path = session_.Core.Drives.WithWindowsPaths(table->Path());
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    const std::string question = OfferPackRepairText(
        path, session_.Core.Drives.WithWindowsPaths(table->ReadOnlyReason()), folder);
    if (forms::MessageBox(question, forms::ApplicationTitle(),
                          forms::MB_YESNO | forms::MB_ICONQUESTION) != forms::IDYES)
      continue;
    PackTable(*table, name, forms::Cp(inUse), &repairs, &backups);
    if (table->Active() && !table->Tags().empty()) table->SetIndexName(tag);
  }
  if (!repairs.empty())
    session_.Core.Hooks.ShowMessageBox(PackRepairedText(repairs, backups),
                                       kMbIconInformation | kMbOk, forms::ApplicationTitle());
}

void TRegler::ApplyWriteAccess() {
  readOnly_ = !WriteRefusal(session_.Core.Drives, Spis).empty() ||
              !WriteRefusal(session_.Core.Drives, Grr).empty();
  for (QWidget* w :
       std::initializer_list<QWidget*>{ui_->Wstaw, ui_->ddg, ui_->Uzg, ui_->kaszko, ui_->pak}) {
    w->setEnabled(!readOnly_);
  }
  // A register opened without its index (until a pack rebuilds it) cannot
  // be sorted.
  ui_->wgnu->setEnabled(HasTag(Spis, kNumberTag));
  ui_->wgna->setEnabled(HasTag(Spis, kNameTag));
  ui_->SpisK->SetReadOnly(readOnly_);
  ui_->DBGrid1->SetReadOnly(readOnly_);
  ui_->DBMemo1->SetReadOnly(readOnly_);
  ui_->DBNavigator1->SetReadOnly(readOnly_);
  ui_->DBNavigator2->SetReadOnly(readOnly_);
  // The administrator learns why, and which file to restore, or that the
  // program may not write the files.
  for (const dbase::Table* t : {&Spis, &Grr}) {
    if (!t->Active() || !t->ReadOnly()) continue;
    const std::string file = session_.Core.Drives.WithWindowsPaths(t->Path());
    const std::string reason = session_.Core.Drives.WithWindowsPaths(t->ReadOnlyReason());
    session_.Core.Hooks.ShowMessageBox(WriteAccessDenied(*t) ? NoWriteAccessText(file, reason)
                                                             : ReadOnlyRegisterText(file, reason),
                                       kMbIconError | kMbOk, "Uwaga!");
  }
}

bool TRegler::RefusedAsReadOnly() {
  if (!readOnly_) return false;
  for (const dbase::Table* t : {&Spis, &Grr}) {
    if (std::string refusal = WriteRefusal(session_.Core.Drives, *t); !refusal.empty()) {
      Refuse(refusal);
      return true;
    }
  }
  return false;
}

void TRegler::CloseDatabase() {
  Spis.Close();
  Grr.Close();
  Dane.Disconnect();
}

void TRegler::FormHide() {
  if (Spis.Active()) Spis.Post();
  if (Grr.Active()) Grr.Post();
}

void TRegler::FormClose() { RequestEnd(); }

void TRegler::KoniecClick() {
  if (!PostPendingEdits()) return;
  Close();
}

void TRegler::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (isVisible()) KoniecClick();
}

void TRegler::reject() { KoniecClick(); }

bool TRegler::PostPendingEdits() {
  // What is typed into a cell not yet left is stored first, as leaving the
  // cell would store it (the idle end leaves no cell).
  for (forms::DBGrid* grid : {ui_->SpisK, ui_->DBGrid1}) {
    if (!grid->CommitOpenEditor()) return false;
  }
  // A value the grid could not store is still the user's edit: he sees why
  // again and the cell opens with what he typed.
  if (ui_->SpisK->ReopenFailedEdit()) return false;
  try {
    if (Spis.Active()) Spis.Post();
    if (Grr.Active()) Grr.Post();
  } catch (const std::exception& e) {
    session_.Core.Hooks.ShowErrorBox(e.what());
    return false;
  }
  return true;
}

void TRegler::CheckDuplicateNumbers() {
  ui_->Uwazaj->setText(QString());
  if (Spis.Active()) {
    const std::string tag = Spis.IndexName();
    forms::ControlsDisabled quiet(PolaSpisu);
    Spis.SetIndexName("NR");  // posts a pending edit first
    const dbase::Bookmark mark = Spis.GetBookmark();
    if (!Spis.IsEmpty()) {
      Spis.First();
      int64_t previous = Spis.AsInteger("NR");
      for (Spis.Next(); !Spis.Eof(); Spis.Next()) {
        const int64_t nr = Spis.AsInteger("NR");
        if (nr == previous) ui_->Uwazaj->setText("Wielokrotny Nr " + QString::number(nr));
        previous = nr;
      }
    }
    Spis.SetIndexName(tag);
    // The same correspondent again, even when his number is not unique.
    if (mark != 0) {
      Spis.GotoBookmark(mark);
    } else {
      Spis.First();
    }
  }
  session_.IdleSeconds = 1;
}

void TRegler::wgnuClick() {
  Spis.SetIndexName("NR");
  CheckDuplicateNumbers();
}

void TRegler::wgnaClick() {
  Spis.SetIndexName("NAI");
  CheckDuplicateNumbers();
}

void TRegler::DBNavigator1Click() { session_.IdleSeconds = 1; }
void TRegler::DBNavigator2Click() { session_.IdleSeconds = 1; }
void TRegler::PolaSpisuDataChange() { session_.IdleSeconds = 1; }
void TRegler::PolaGrupDataChange() { session_.IdleSeconds = 1; }

void TRegler::TimerrTimer() {
  if (session_.IdleSeconds > 0 && !holdIdle_) ++session_.IdleSeconds;
  if (session_.IdleSeconds > 30) {
    ui_->Koniec->setText(QString::number(kIdleLimitSeconds - session_.IdleSeconds));
  } else if (session_.IdleSeconds < 30) {
    ui_->Koniec->setText("OK");
  }
  if (session_.IdleSeconds >= kIdleLimitSeconds && !idleEnding_) EndWhenIdle();
}

void TRegler::EndWhenIdle() {
  // An edit on screen is posted first, as hiding the window posts it; one
  // that cannot be posted keeps the program running, with the reason shown,
  // and the count starts again. Ticks under that box do not end it either.
  idleEnding_ = true;
  session_.IdleSeconds = 1;
  const bool posted = PostPendingEdits();
  idleEnding_ = false;
  if (posted) session_.EndProgramAtOnce();
  session_.IdleSeconds = 1;
}

void TRegler::DBEdit1Change() {
  std::string name;
  if (HasRow(Spis))
    name = TrimLine(Spis.AsString("IMIONA")) + " " + TrimLine(Spis.AsString("NAZWISKO"));
  else name = " ";
  ui_->FullNameEdit->setText(forms::ToQ(name));
  // A long name shows from its start, and whole as the hint.
  ui_->FullNameEdit->setCursorPosition(0);
  ui_->FullNameEdit->setToolTip(forms::ToQ(name));
}

void TRegler::FitNameRow() {
  // The row's sizes were made for a narrower font: the sort buttons and the
  // navigator's buttons take what their texts need, the number five digits,
  // all with the two pixels between the sort buttons, and the full name
  // gets the rest, up to the row's right edge, to show a whole name.
  const int gap = ui_->wgna->x() - (ui_->wgnu->x() + ui_->wgnu->width());
  const int right = ui_->FullNameEdit->x() + ui_->FullNameEdit->width();
  int x = ui_->wgnu->x();
  const auto place = [&](QWidget* w, int width) {
    w->setGeometry(x, w->y(), width, w->height());
    x += width + gap;
  };
  for (QPushButton* b : {ui_->wgnu, ui_->wgna})
    place(b, std::min(b->width(), b->fontMetrics().horizontalAdvance(b->text()) + 10));
  forms::DBNavigator* nav = ui_->DBNavigator1;
  int navWidth = 0;
  for (QPushButton* b : nav->findChildren<QPushButton*>()) {
    if (!b->isHidden())
      navWidth += std::max(b->minimumWidth(), b->fontMetrics().horizontalAdvance(b->text()) + 10);
  }
  place(nav, std::min(nav->width(), navWidth));
  place(ui_->Wstaw, ui_->Wstaw->width());
  QLineEdit* nr = ui_->DBEdit1;
  place(nr, std::min(nr->width(), nr->fontMetrics().horizontalAdvance("99999") + 12));
  ui_->FullNameEdit->setGeometry(x, ui_->FullNameEdit->y(), right - x, ui_->FullNameEdit->height());
}

void TRegler::Refuse(const std::string& text) {
  session_.Core.Hooks.ShowMessageBox(text, kMbIconWarning | kMbOk, "Uwaga!");
}

void TRegler::ddgClick() {
  session_.IdleSeconds = 1;
  if (RefusedAsReadOnly()) return;
  const std::string refusal = ChangeMembership(session_.Core.Drives, Grr, Spis, true);
  if (!refusal.empty()) Refuse(refusal);
}

void TRegler::UzgClick() {
  session_.IdleSeconds = 1;
  if (RefusedAsReadOnly()) return;
  const std::string refusal = ChangeMembership(session_.Core.Drives, Grr, Spis, false);
  if (!refusal.empty()) Refuse(refusal);
}

void TRegler::WstawClick() {
  if (RefusedAsReadOnly()) return;
  const long n = AddCorrespondent(session_.Core, Spis, session_.Paths.MailRoot);
  session_.Core.Hooks.ShowMessageBox(
      forms::Cp("Założyłem kartoteki pocztowe, proszę uzupełnić dane o korespondencie "),
      kMbIconInformation | kMbOk, "Korespondent Nr " + std::to_string(n));
}

void TRegler::kaszkoClick() {
  if (RefusedAsReadOnly()) return;
  if (Spis.Active()) Spis.Post();
  if (!HasRow(Spis)) return Refuse(NoCurrentCorrespondentText());
  const long n = static_cast<long>(Spis.AsInteger("NR"));
  const dbase::Bookmark confirmed = Spis.GetBookmark();
  const std::string caption = "Uwaga! Korespondent Nr " + std::to_string(n);
  const unsigned question = forms::MB_YESNO | forms::MB_ICONQUESTION;
  if (forms::MessageBox("Czy kasujesz tego korespondenta", caption, question) != forms::IDYES)
    return;
  if (forms::MessageBox("Czy potwierdzasz kasowanie tego korespondenta", caption, question) !=
      forms::IDYES) {
    return;
  }
  // From here on the operation runs to its end: the idle count starts again
  // and waits, and no user input is taken.
  session_.IdleSeconds = 1;
  holdIdle_ = true;
  forms::BusyScope busy;
  Restore release([this] {
    holdIdle_ = false;
    session_.IdleSeconds = 1;
  });

  // Every write is made sure of before anything changes: a refusal leaves
  // the disk as it was. The tables are written first and his folders
  // removed last, so that no kill leaves him registered without them.
  DeletionPlan plan;
  {
    forms::ControlsDisabled quietSpis(PolaSpisu);
    forms::ControlsDisabled quietGroups(PolaGrup);
    Spis.GotoBookmark(confirmed);  // still there?
    plan = CheckDeletion(session_.Core.Drives, Spis, Grr);
  }
  if (!plan.Refusal.empty()) return Refuse(plan.Refusal);

  ui_->StatusO->show();
  ui_->kaszko->hide();
  ui_->Nprze->hide();
  Restore buttons([this] {
    ui_->StatusO->hide();
    ui_->kaszko->show();
    ui_->Nprze->show();
  });
  {
    forms::ControlsDisabled quiet(PolaGrup);
    WriteDeletion(session_.Core.Hooks, Spis, Grr, plan, [this](const std::string& group) {
      forms::ProcessMessages();
      ui_->StatusO->setText("Grupa " + forms::ToQ(group));
    });
  }
  RemoveMailFolderTree(session_.Core, session_.Paths.MailRoot, plan.Number);
  CheckDuplicateNumbers();
}

void TRegler::NprzeClick() { emit PredictionsWanted(); }

void TRegler::pakClick() {
  if (RefusedAsReadOnly()) return;
  std::vector<std::string> repairs, backups;
  PackTable(Spis, "Spis", forms::Cp("Nie moge pakowac, spis jest w użyciu"), &repairs, &backups);
  PackTable(Grr, "Grr", forms::Cp("Nie moge pakowac, grupy są w użyciu"), &repairs, &backups);
  if (!repairs.empty())
    session_.Core.Hooks.ShowMessageBox(PackRepairedText(repairs, backups),
                                       kMbIconInformation | kMbOk, forms::ApplicationTitle());
}

void TRegler::PackTable(dbase::Table& table, const std::string& name, const std::string& inUseText,
                        std::vector<std::string>* repairs, std::vector<std::string>* backups) {
  if (!table.Active()) return;
  const std::string path = table.Path();
  const std::string tag = table.IndexName();
  // An edit in progress is kept, and the table always goes back to shared
  // use in its order, whatever happened, so that the other programs of the
  // mail system are never locked out and the grid keeps its order.
  table.Post();
  table.Close();
  std::exception_ptr failure;
  try {
    table.Open(path, dbase::ShareMode::Exclusive);
  } catch (const dbase::DbError&) {
    session_.Core.Hooks.ShowAlert(inUseText);
  }
  if (table.Active()) {
    try {
      const dbase::Table::PackReport report = CompactTable(table, name);
      for (const auto& r : report.repairs)
        if (repairs) repairs->push_back(session_.Core.Drives.WithWindowsPaths(r));
      for (const auto& b : report.backups)
        if (backups) backups->push_back(session_.Core.Drives.WithWindowsPaths(b));
    } catch (...) {
      failure = std::current_exception();
    }
  }
  try {
    ReopenShared(table, path, tag);
  } catch (...) {
    // Both are told: first what stopped the pack, then why the table
    // stays closed.
    if (failure) {
      try {
        std::rethrow_exception(failure);
      } catch (const std::exception& e) {
        session_.Core.Hooks.ShowErrorBox(e.what());
      }
    }
    throw;
  }
  if (failure) std::rethrow_exception(failure);
}

void TRegler::ReopenShared(dbase::Table& table, const std::string& path, const std::string& tag) {
  // A second try: the first opening after a failed pack may have finished
  // or undone the pack's renames.
  for (int attempt = 1;; ++attempt) {
    try {
      table.Close();
      table.Open(path, dbase::ShareMode::Shared);
      if (!table.Tags().empty() || tag.empty()) table.SetIndexName(tag);
      table.First();
      return;
    } catch (const dbase::DbError&) {
      if (attempt == 2) throw;
    }
  }
}

void TRegler::Button1Click() {
  if (!IsComClassRegistered(*session_.Core.Classes, "", "", kSmtpClassDescription)) {
    forms::MessageBox(RegisteringSmtpText(), forms::ApplicationTitle(), forms::MB_OK);
    RegisterOcxLibrary(session_.Core.Drives, kSmtpControlFile);
  }
}

}  // namespace zorvel
