#pragma once
// One-field controls: an edit and a memo that show a field of the cursor's
// row and, when not read-only, write what the user types into the edit
// buffer (the row goes into edit state on the first keystroke and is posted
// when the cursor moves or the window posts it).
#include <QLineEdit>
#include <QPlainTextEdit>
#include <string>

#include "forms/data/data_source.h"

namespace forms {

class DBEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit DBEdit(QWidget* parent = nullptr);
  void SetDataSource(DataSource* source, const std::string& field);
  const std::string& Field() const { return field_; }

 private:
  void Load();
  void Store(const QString& text);

  DataSource* source_ = nullptr;
  std::string field_;
  bool loading_ = false;
  bool storing_ = false;
};

// A memo keeps the field's CR LF line breaks. Another program may change
// the field while the memo shows it: an edit starts from the field as stored
// (the row is read again as the user starts typing, pasting or clicking into
// a row that is not yet being edited), never from an older text on screen.
// A key meant for a row that another program deleted is dropped and the
// user told why. A text that cannot be read (a damaged memo file) shows as
// unreadable, and cannot be edited, until it can be read again.
class DBMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit DBMemo(QWidget* parent = nullptr);
  void SetDataSource(DataSource* source, const std::string& field);
  const std::string& Field() const { return field_; }
  // The window's choice; an unreadable text is read-only whatever it is.
  void SetReadOnly(bool readOnly);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;

 private:
  void Load();
  void Store();
  // Reads the row as stored now, before the user's first change to it;
  // false when that row is gone and another one is current (told to the
  // user when a key was meant for it).
  bool Freshen(bool tell);

  DataSource* source_ = nullptr;
  std::string field_;
  std::string loaded_;  // the field's text as last shown
  bool loading_ = false;
  bool storing_ = false;
  bool readOnly_ = false;
  bool unreadable_ = false;
};

// Field text with CR LF breaks <-> the widgets' LF breaks.
QString MemoToWidget(const std::string& cp1250);
std::string MemoFromWidget(const QString& text);

}  // namespace forms
