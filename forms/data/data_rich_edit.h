#pragma once
// A formatted-text control bound to a memo field. The field holds the
// minimal rich-text form (see rich_text.h); a field that is not rich text is
// shown as plain text. Bold, italic and underline are shown and kept, and
// set with Ctrl+B, Ctrl+I and Ctrl+U. What the user edits is written back as
// rich text; before a text whose other formatting the control cannot keep is
// changed, the user is asked (see SetRichTextLossQuestion).
#include <QTextEdit>
#include <functional>
#include <string>
#include <vector>

#include "forms/data/data_source.h"
#include "forms/data/rich_text.h"

namespace forms {

// Asked once per shown text, at the first change of a text holding
// formatting the control cannot keep: true goes on (the formatting will be
// lost when the text is saved), false restores the text. The program asks
// with its message box; by default the change goes on.
void SetRichTextLossQuestion(std::function<bool()> question);

class DBRichEdit : public QTextEdit {
  Q_OBJECT

 public:
  explicit DBRichEdit(QWidget* parent = nullptr);
  void SetDataSource(DataSource* source, const std::string& field);
  const std::string& Field() const { return field_; }

  // The text with its bold, italic and underline as the control holds it.
  std::vector<RichRun> Runs() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Load();
  void Store();

  DataSource* source_ = nullptr;
  std::string field_;
  std::string shown_;    // the rich text as last loaded or stored
  bool unkept_ = false;  // the loaded text holds formatting the runs lose
  bool loading_ = false;
  bool storing_ = false;
};

}  // namespace forms
