#include "forms/radio_group.h"

#include <QGridLayout>

namespace forms {

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent) {
  group_.setExclusive(true);
  new QGridLayout(this);
  connect(&group_, &QButtonGroup::idClicked, this, [this] { emit Clicked(); });
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
  return index >= 0 && index < static_cast<int>(buttons_.size()) ? buttons_[static_cast<size_t>(index)]
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
    grid->addWidget(button, rows > 0 ? i % rows : 0, rows > 0 ? i / rows : 0);
    buttons_.push_back(button);
  }
  setItemIndex(chosen);
}

}  // namespace forms
