#pragma once
// A radio group: a framed caption over items laid out in columns, one of
// them chosen by its index (-1: none).
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

 private:
  void Rebuild();

  QStringList items_;
  int columns_ = 1;
  QButtonGroup group_;
  std::vector<QRadioButton*> buttons_;
};

}  // namespace forms
