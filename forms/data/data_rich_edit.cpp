#include "forms/data/data_rich_edit.h"

#include "forms/process_state.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <utility>

#include "forms/data/data_edit.h"

namespace forms {

namespace {

std::function<bool()>& LossQuestion() { return Process().richTextLossQuestion; }

QTextCharFormat FormatOf(const RichRun& run) {
  QTextCharFormat f;
  f.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(run.italic);
  f.setFontUnderline(run.underline);
  return f;
}

void Append(std::vector<RichRun>& runs, RichRun run) {
  if (run.text.empty()) return;
  if (!runs.empty() && runs.back().bold == run.bold && runs.back().italic == run.italic &&
      runs.back().underline == run.underline) {
    runs.back().text += run.text;
  } else {
    runs.push_back(std::move(run));
  }
}

}  // namespace

void SetRichTextLossQuestion(std::function<bool()> question) {
  LossQuestion() = std::move(question);
}

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

std::vector<RichRun> DBRichEdit::Runs() const {
  std::vector<RichRun> runs;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    if (block != document()->begin())
      Append(runs, RichRun{"\r\n", runs.empty() ? false : runs.back().bold,
                           runs.empty() ? false : runs.back().italic,
                           runs.empty() ? false : runs.back().underline});
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.isValid()) continue;
      const QTextCharFormat f = fragment.charFormat();
      QString text = fragment.text();
      text.replace(QChar::LineSeparator, "\n");
      Append(runs, RichRun{MemoFromWidget(text), f.fontWeight() > QFont::Normal, f.fontItalic(),
                           f.fontUnderline()});
    }
  }
  return runs;
}

void DBRichEdit::Load() {
  if (storing_) return;
  std::string value;
  const bool row = source_ && source_->Active() &&
                   (source_->State() != dbase::DataState::Browse || !source_->Table()->IsEmpty());
  if (row) value = source_->Table()->AsString(field_);
  RichDocument doc;
  if (IsRichText(value)) {
    doc = ReadRichText(value);
  } else if (!value.empty()) {
    doc.runs.push_back(RichRun{value, false, false, false});
  }
  if (Runs() == doc.runs && !loading_) {
    unkept_ = doc.unkept;
    shown_ = WriteRichText(doc.runs);
    return;
  }
  loading_ = true;
  clear();
  QTextCursor cursor(document());
  cursor.setCharFormat(QTextCharFormat());
  for (const RichRun& run : doc.runs) {
    const QTextCharFormat format = FormatOf(run);
    const QStringList lines = MemoToWidget(run.text).split('\n');
    for (qsizetype k = 0; k < lines.size(); ++k) {
      if (k > 0) cursor.insertBlock(QTextBlockFormat(), format);
      cursor.insertText(lines[k], format);
    }
  }
  setTextCursor(QTextCursor(document()));
  unkept_ = doc.unkept;
  shown_ = WriteRichText(Runs());
  loading_ = false;
}

void DBRichEdit::Store() {
  if (loading_ || isReadOnly() || !source_ || !source_->Active()) return;
  dbase::Table& t = *source_->Table();
  if (t.State() == dbase::DataState::Browse && t.IsEmpty()) return;
  const std::string rtf = WriteRichText(Runs());
  if (rtf == shown_) return;
  if (unkept_) {
    // Asked once: after a yes the text is the control's own.
    unkept_ = false;
    if (LossQuestion() && !LossQuestion()()) {
      shown_.clear();
      Load();
      return;
    }
  }
  storing_ = true;
  try {
    if (t.State() == dbase::DataState::Browse) t.Edit();
    t.SetString(field_, rtf);
    shown_ = rtf;
    storing_ = false;
  } catch (const std::exception& e) {
    storing_ = false;
    ReportDataError(e);
    Load();
  }
}

void DBRichEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (event->modifiers() == Qt::ControlModifier &&
      (key == Qt::Key_B || key == Qt::Key_I || key == Qt::Key_U)) {
    if (isReadOnly()) return;
    QTextCharFormat f;
    const QTextCharFormat now = textCursor().charFormat();
    if (key == Qt::Key_B)
      f.setFontWeight(now.fontWeight() > QFont::Normal ? QFont::Normal : QFont::Bold);
    if (key == Qt::Key_I) f.setFontItalic(!now.fontItalic());
    if (key == Qt::Key_U) f.setFontUnderline(!now.fontUnderline());
    mergeCurrentCharFormat(f);
    return;
  }
  QTextEdit::keyPressEvent(event);
}

}  // namespace forms
