#pragma once
// A navigator: a row of buttons that move the cursor of one table and change
// its state. Buttons follow the table (first and prior off at the first row,
// post and cancel only while editing). The window's click handler runs after
// the button's action, with the button that was pressed.
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "forms/data/data_source.h"

namespace forms {

enum class NavButton { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };

class DBNavigator : public QWidget {
  Q_OBJECT

 public:
  explicit DBNavigator(QWidget* parent = nullptr);

  void SetDataSource(DataSource* source);
  void SetVisibleButtons(const std::vector<NavButton>& buttons);
  // One hint for every button (the window's own), Windows-1250; empty: each
  // button's own hint.
  void SetHint(const std::string& cp1250Hint);
  QPushButton* Button(NavButton button) const;
  // Read-only: only the moving buttons work (the table may be writable).
  void SetReadOnly(bool readOnly);

  // Runs a button as a click does (tests, keys).
  void Click(NavButton button);

  std::function<void(NavButton)> OnClick;

 private:
  void UpdateButtons();

  DataSource* source_ = nullptr;
  std::vector<QPushButton*> buttons_;
  bool readOnly_ = false;
};

}  // namespace forms
