#pragma once
// A formatted-text control bound to a memo field. The field holds the
// minimal rich-text form (see rich_text.h); a field that is not rich text is
// shown as plain text. What the user edits is written back as rich text.
#include <QTextEdit>
#include <string>

#include "forms/data/data_source.h"

namespace forms {

class DBRichEdit : public QTextEdit {
  Q_OBJECT

 public:
  explicit DBRichEdit(QWidget* parent = nullptr);
  void SetDataSource(DataSource* source, const std::string& field);
  const std::string& Field() const { return field_; }

 private:
  void Load();
  void Store();

  DataSource* source_ = nullptr;
  std::string field_;
  QString shown_;  // the text as last loaded or stored
  bool loading_ = false;
  bool storing_ = false;
};

}  // namespace forms
