#include "forms/data/data_navigator.h"

#include <QHBoxLayout>
#include <utility>

#include "forms/text.h"

namespace forms {

namespace {

struct ButtonLook {
  NavButton button;
  const char* objectName;
  const char* glyph;  // UTF-8
  const char* hint;   // UTF-8
};

constexpr ButtonLook kLooks[] = {
    {NavButton::First, "First", "|\xE2\x97\x80", "Pierwszy rekord"},
    {NavButton::Prior, "Prior", "\xE2\x97\x80", "Poprzedni rekord"},
    {NavButton::Next, "Next", "\xE2\x96\xB6", "Nast\xC4\x99pny rekord"},
    {NavButton::Last, "Last", "\xE2\x96\xB6|", "Ostatni rekord"},
    {NavButton::Insert, "Insert", "+", "Wstaw rekord"},
    {NavButton::Delete, "Delete", "\xE2\x88\x92", "Usu\xC5\x84 rekord"},
    {NavButton::Edit, "Edit", "\xE2\x96\xB2", "Edytuj rekord"},
    {NavButton::Post, "Post", "\xE2\x9C\x93", "Zapisz zmiany"},
    {NavButton::Cancel, "Cancel", "\xE2\x9C\x97", "Anuluj zmiany"},
    {NavButton::Refresh, "Refresh", "\xE2\x86\xBB", "Od\xC5\x9Bwie\xC5\xBC dane"},
};

}  // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (const ButtonLook& look : kLooks) {
    auto* b = new QPushButton(QString::fromUtf8(look.glyph), this);
    b->setObjectName(QString("nb") + look.objectName);
    b->setToolTip(QString::fromUtf8(look.hint));
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumWidth(20);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(b);
    buttons_.push_back(b);
    const NavButton which = look.button;
    connect(b, &QPushButton::clicked, this, [this, which] { Click(which); });
  }
  UpdateButtons();
}

QPushButton* DBNavigator::Button(NavButton button) const {
  return buttons_[static_cast<size_t>(button)];
}

void DBNavigator::SetDataSource(DataSource* source) {
  if (source_) disconnect(source_, nullptr, this, nullptr);
  source_ = source;
  if (source_) {
    // The engine tells of a move before its first/last flags are set: the
    // buttons follow once the move is complete.
    for (auto signal : {&DataSource::Opened, &DataSource::Closing, &DataSource::Scrolled,
                        &DataSource::StateChanged, &DataSource::RowsChanged}) {
      connect(source_, signal, this, &DBNavigator::UpdateButtons);
      connect(source_, signal, this, &DBNavigator::UpdateButtons, Qt::QueuedConnection);
    }
  }
  UpdateButtons();
}

void DBNavigator::SetVisibleButtons(const std::vector<NavButton>& visible) {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    bool shown = false;
    for (NavButton v : visible) shown = shown || static_cast<size_t>(v) == i;
    buttons_[i]->setVisible(shown);
  }
}

void DBNavigator::SetHint(const std::string& cp1250Hint) {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->setToolTip(cp1250Hint.empty() ? QString::fromUtf8(kLooks[i].hint)
                                               : ToQ(cp1250Hint));
  }
}

void DBNavigator::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  UpdateButtons();
}

void DBNavigator::Click(NavButton button) {
  if (!source_ || !source_->Active()) return;
  if (!Button(button)->isEnabled() && readOnly_) return;
  dbase::Table& t = *source_->Table();
  try {
    switch (button) {
      case NavButton::First: t.First(); break;
      case NavButton::Prior: t.Prior(); break;
      case NavButton::Next: t.Next(); break;
      case NavButton::Last: t.Last(); break;
      case NavButton::Insert: t.Insert(); break;
      case NavButton::Delete:
        if (!t.IsEmpty() && ConfirmDataDelete()) t.Delete();
        break;
      case NavButton::Edit:
        if (!t.IsEmpty()) t.Edit();
        break;
      case NavButton::Post: t.Post(); break;
      case NavButton::Cancel: t.Cancel(); break;
      case NavButton::Refresh: t.Refresh(); break;
    }
  } catch (const std::exception& e) {
    ReportDataError(e);
  }
  UpdateButtons();
  if (OnClick) OnClick(button);
}

void DBNavigator::UpdateButtons() {
  const bool active = source_ && source_->Active();
  const dbase::Table* t = active ? source_->Table() : nullptr;
  const bool browse = active && t->State() == dbase::DataState::Browse;
  const bool editing = active && !browse;
  const bool empty = !active || t->IsEmpty();
  const bool canWrite = active && !readOnly_ && !t->ReadOnly();
  const bool atFirst = !active || empty || t->Bof();
  const bool atLast = !active || empty || t->Eof();
  auto set = [this](NavButton b, bool on) { Button(b)->setEnabled(on); };
  set(NavButton::First, active && !atFirst);
  set(NavButton::Prior, active && !atFirst);
  set(NavButton::Next, active && !atLast);
  set(NavButton::Last, active && !atLast);
  set(NavButton::Insert, canWrite);
  set(NavButton::Delete, canWrite && !empty);
  set(NavButton::Edit, canWrite && browse && !empty);
  set(NavButton::Post, editing);
  set(NavButton::Cancel, editing);
  set(NavButton::Refresh, active);
}

}  // namespace forms
