#include "forms/data/data_edit.h"

#include <QInputMethodEvent>
#include <QTextCursor>
#include <algorithm>

#include "forms/text.h"

namespace forms {

namespace {

bool CurrentRow(DataSource* source) {
  return source && source->Active() &&
         (source->State() != dbase::DataState::Browse || !source->Table()->IsEmpty());
}

// Puts the row into edit state for a typed value; false when there is none.
bool BeginEdit(DataSource* source) {
  dbase::Table& t = *source->Table();
  if (t.State() == dbase::DataState::Browse) {
    if (t.IsEmpty()) return false;
    t.Edit();
  }
  return true;
}

template <typename Widget, typename LoadFn>
void Follow(Widget* widget, DataSource* source, const std::string& field, LoadFn load) {
  QObject::connect(source, &DataSource::Opened, widget, load);
  QObject::connect(source, &DataSource::Closing, widget, load);
  QObject::connect(source, &DataSource::Scrolled, widget, load);
  QObject::connect(source, &DataSource::RowsChanged, widget, load);
  QObject::connect(source, &DataSource::StateChanged, widget, load);
  QObject::connect(source, &DataSource::FieldChanged, widget,
                   [field, load](const QString& changed) {
                     if (changed.compare(QString::fromStdString(field), Qt::CaseInsensitive) == 0)
                       load();
                   });
}

}  // namespace

QString MemoToWidget(const std::string& cp1250) {
  QString text = ToQ(cp1250);
  text.replace("\r\n", "\n");
  return text;
}

std::string MemoFromWidget(const QString& text) {
  QString crlf = text;
  crlf.replace("\n", "\r\n");
  return FromQ(crlf);
}

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textEdited, this, &DBEdit::Store);
}

void DBEdit::SetDataSource(DataSource* source, const std::string& field) {
  if (source_) disconnect(source_, nullptr, this, nullptr);
  source_ = source;
  field_ = field;
  if (source_) Follow(this, source_, field_, [this] { Load(); });
  Load();
}

void DBEdit::Load() {
  if (storing_) return;  // the text already shows what is being stored
  loading_ = true;
  QString text;
  if (CurrentRow(source_)) {
    dbase::Table& t = *source_->Table();
    text = ToQ(t.AsString(field_));
    const int i = t.FieldIndex(field_);
    const auto& def = t.Fields()[static_cast<size_t>(i)];
    if (def.type == dbase::FieldType::Character) setMaxLength(def.length);
  }
  // Text set by the program is never cut by the typing limit.
  if (text.size() > maxLength()) setMaxLength(static_cast<int>(text.size()));
  if (text != this->text()) setText(text);
  loading_ = false;
}

void DBEdit::Store(const QString& text) {
  if (loading_ || isReadOnly() || !CurrentRow(source_)) return;
  storing_ = true;
  try {
    if (BeginEdit(source_)) source_->Table()->SetString(field_, FromQ(text));
    storing_ = false;
  } catch (const std::exception& e) {
    storing_ = false;
    ReportDataError(e);
    Load();
  }
}

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent) {
  connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::Store);
}

void DBMemo::SetDataSource(DataSource* source, const std::string& field) {
  if (source_) disconnect(source_, nullptr, this, nullptr);
  source_ = source;
  field_ = field;
  if (source_) Follow(this, source_, field_, [this] { Load(); });
  Load();
}

void DBMemo::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  setReadOnly(readOnly_ || unreadable_);
}

void DBMemo::Load() {
  if (storing_) return;
  loading_ = true;
  loaded_.clear();
  // A text that cannot be read shows as such, never the text of the row
  // shown before.
  unreadable_ = false;
  if (CurrentRow(source_)) {
    try {
      loaded_ = source_->Table()->AsString(field_);
    } catch (const std::exception&) {
      unreadable_ = true;
    }
  }
  setReadOnly(readOnly_ || unreadable_);
  setPlaceholderText(unreadable_ ? QString::fromUtf8("Nie można odczytać tej notatki.")
                                 : QString());
  const QString text = MemoToWidget(loaded_);
  if (text != toPlainText()) {
    // The caret stays where it was (at the end when it was there), so that
    // typing goes on where the user put it.
    const int at = textCursor().position();
    const bool atEnd = at == toPlainText().size();
    setPlainText(text);
    QTextCursor caret = textCursor();
    caret.setPosition(atEnd ? static_cast<int>(text.size()) : std::min(at, int(text.size())));
    setTextCursor(caret);
  }
  loading_ = false;
}

bool DBMemo::Freshen(bool tell) {
  if (isReadOnly() || !source_ || !source_->Active()) return true;
  dbase::Table& t = *source_->Table();
  if (t.State() != dbase::DataState::Browse || t.IsEmpty()) return true;
  const dbase::Bookmark row = t.GetBookmark();
  try {
    t.Refresh();  // the controls load what it reads
  } catch (const std::exception& e) {
    ReportDataError(e);
  }
  if (t.GetBookmark() == row) return true;
  // Another program deleted the row: the user learns it from the same
  // check that refuses a change for a deleted correspondent (the cursor
  // stays on the row now current).
  if (tell) {
    try {
      t.GotoBookmark(row);
    } catch (const std::exception& e) {
      ReportDataError(e);
    }
  }
  return false;
}

void DBMemo::keyPressEvent(QKeyEvent* event) {
  // A key meant for a row that another program deleted meanwhile is not
  // typed into the row shown now.
  if (Freshen(true)) QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::inputMethodEvent(QInputMethodEvent* event) {
  const bool typed = !event->commitString().isEmpty();
  if (Freshen(typed) || !typed) QPlainTextEdit::inputMethodEvent(event);
}

void DBMemo::mousePressEvent(QMouseEvent* event) {
  Freshen(false);
  QPlainTextEdit::mousePressEvent(event);
}

void DBMemo::dragEnterEvent(QDragEnterEvent* event) {
  Freshen(false);
  QPlainTextEdit::dragEnterEvent(event);
}

void DBMemo::Store() {
  if (loading_ || isReadOnly() || !CurrentRow(source_)) return;
  const std::string value = MemoFromWidget(toPlainText());
  dbase::Table& t = *source_->Table();
  storing_ = true;
  try {
    const bool starts = t.State() == dbase::DataState::Browse;
    if (t.AsString(field_) != value && BeginEdit(source_)) {
      if (starts && t.AsString(field_) != loaded_) {
        // Another program stored the field after it was read for the
        // screen (the edit reads the row afresh): this change was made to
        // an older text. The stored one is shown for the user to change.
        t.Cancel();
        storing_ = false;
        Load();
        return;
      }
      t.SetString(field_, value);
    }
    storing_ = false;
  } catch (const std::exception& e) {
    storing_ = false;
    ReportDataError(e);
    Load();
  }
}

}  // namespace forms
