#include "forms/radio_group.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <algorithm>

namespace forms {

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent) {
  group_.setExclusive(true);
  new QGridLayout(this);
  connect(&group_, &QButtonGroup::idClicked, this, [this] { emit Clicked(); });
  connect(&group_, &QButtonGroup::idToggled, this, [this] { FixTabStop(); });
}

void RadioGroup::FixTabStop() {
  const int chosen = std::max(0, ItemIndex());
  for (size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->setFocusPolicy(static_cast<int>(i) == chosen ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

bool RadioGroup::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QGroupBox::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  int step = 0;
  if (key == Qt::Key_Down || key == Qt::Key_Right) step = 1;
  if (key == Qt::Key_Up || key == Qt::Key_Left) step = -1;
  const auto at = std::find(buttons_.begin(), buttons_.end(), watched);
  if (step == 0 || at == buttons_.end()) return QGroupBox::eventFilter(watched, event);
  const int count = static_cast<int>(buttons_.size());
  int index = static_cast<int>(at - buttons_.begin());
  for (int tried = 1; tried < count; ++tried) {
    index = (index + step + count) % count;
    QRadioButton* next = buttons_[static_cast<size_t>(index)];
    if (!next->isEnabled() || next->isHidden()) continue;
    next->setFocus(Qt::TabFocusReason);
    // As a click: the choice changes and its handler runs.
    next->click();
    break;
  }
  return true;
}

int RadioGroup::ItemIndex() const { return group_.checkedId(); }

void RadioGroup::setItems(const QStringList& items) {
  items_ = items;
  Rebuild();
}

void RadioGroup::setColumns(int columns) {
  columns_ = std::max(1, columns);
  Rebuild();
}

void RadioGroup::setItemIndex(int index) {
  if (index >= 0 && index < static_cast<int>(buttons_.size())) {
    buttons_[static_cast<size_t>(index)]->setChecked(true);
    return;
  }
  // No item chosen.
  group_.setExclusive(false);
  for (QRadioButton* button : buttons_) button->setChecked(false);
  group_.setExclusive(true);
}

QRadioButton* RadioGroup::Button(int index) const {
  return index >= 0 && index < static_cast<int>(buttons_.size())
             ? buttons_[static_cast<size_t>(index)]
             : nullptr;
}

void RadioGroup::Rebuild() {
  const int chosen = ItemIndex();
  for (QRadioButton* button : buttons_) delete button;
  buttons_.clear();
  auto* grid = static_cast<QGridLayout*>(layout());
  // Items fill the first column top to bottom, then the next.
  const int rows = (static_cast<int>(items_.size()) + columns_ - 1) / columns_;
  for (int i = 0; i < items_.size(); ++i) {
    auto* button = new QRadioButton(items_[i], this);
    button->setObjectName(objectName() + "_" + QString::number(i));
    group_.addButton(button, i);
    button->installEventFilter(this);
    grid->addWidget(button, rows > 0 ? i % rows : 0, rows > 0 ? i / rows : 0);
    buttons_.push_back(button);
  }
  setItemIndex(chosen);
  FixTabStop();
}

}  // namespace forms
