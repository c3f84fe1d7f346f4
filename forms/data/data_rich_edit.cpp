#include "forms/data/data_rich_edit.h"

#include "forms/data/data_edit.h"
#include "forms/data/rich_text.h"

namespace forms {

DBRichEdit::DBRichEdit(QWidget* parent) : QTextEdit(parent) {
  setAcceptRichText(false);
  connect(this, &QTextEdit::textChanged, this, &DBRichEdit::Store);
}

void DBRichEdit::SetDataSource(DataSource* source, const std::string& field) {
  if (source_) disconnect(source_, nullptr, this, nullptr);
  source_ = source;
  field_ = field;
  if (source_) {
    auto load = [this] { Load(); };
    connect(source_, &DataSource::Opened, this, load);
    connect(source_, &DataSource::Closing, this, load);
    connect(source_, &DataSource::Scrolled, this, load);
    connect(source_, &DataSource::RowsChanged, this, load);
    connect(source_, &DataSource::StateChanged, this, load);
    connect(source_, &DataSource::FieldChanged, this, [this](const QString& changed) {
      if (changed.compare(QString::fromStdString(field_), Qt::CaseInsensitive) == 0) Load();
    });
  }
  Load();
}

void DBRichEdit::Load() {
  if (storing_) return;
  std::string value;
  const bool row = source_ && source_->Active() &&
                   (source_->State() != dbase::DataState::Browse || !source_->Table()->IsEmpty());
  if (row) value = source_->Table()->AsString(field_);
  const QString text = MemoToWidget(IsRichText(value) ? RichTextToPlain(value) : value);
  shown_ = text;
  if (text == toPlainText()) return;
  loading_ = true;
  setPlainText(text);
  loading_ = false;
}

void DBRichEdit::Store() {
  if (loading_ || isReadOnly() || !source_ || !source_->Active()) return;
  dbase::Table& t = *source_->Table();
  if (t.State() == dbase::DataState::Browse && t.IsEmpty()) return;
  const QString text = toPlainText();
  if (text == shown_) return;
  storing_ = true;
  try {
    if (t.State() == dbase::DataState::Browse) t.Edit();
    t.SetString(field_, PlainToRichText(MemoFromWidget(text)));
    shown_ = text;
    storing_ = false;
  } catch (const std::exception& e) {
    storing_ = false;
    ReportDataError(e);
    Load();
  }
}

}  // namespace forms
