#pragma once
// A radio group: a framed caption over items laid out in columns, one of
// them chosen by its index (-1: none). The group is one stop of the Tab
// order, at its chosen item; the arrow keys choose the next (Down, Right) or
// the previous (Up, Left) item, round the group.
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>
#include <vector>

namespace forms {

class RadioGroup : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(QStringList items READ Items WRITE setItems)
  Q_PROPERTY(int columns READ Columns WRITE setColumns)
  Q_PROPERTY(int itemIndex READ ItemIndex WRITE setItemIndex)

 public:
  explicit RadioGroup(QWidget* parent = nullptr);

  QStringList Items() const { return items_; }
  int Columns() const { return columns_; }
  int ItemIndex() const;
  void setItems(const QStringList& items);
  void setColumns(int columns);
  void setItemIndex(int index);
  QRadioButton* Button(int index) const;

 signals:
  void Clicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Rebuild();
  // Only the chosen item (the first when none is) takes the focus by Tab.
  void FixTabStop();

  QStringList items_;
  int columns_ = 1;
  QButtonGroup group_;
  std::vector<QRadioButton*> buttons_;
};

}  // namespace forms
