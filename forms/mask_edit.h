#pragma once
// A masked edit; its edit mask reads "mask;save literals;blank".
//   0 digit required    9 digit optional    # digit or sign optional
//   L letter required   l letter optional   A letter/digit required
//   a letter/digit optional   C any required   c any optional
//   > upper case   < lower case   <> no case   \ next character literal
//   ! blanks of optional positions stored leading (ignored here)
// Anything else is a literal. Qt raises nothing for an incomplete entry, so
// the form asks IsComplete() itself.
#include <QLineEdit>
#include <QString>

namespace forms {

// The Qt input mask for an edit mask ("00000000;1;_" -> "99999999;_").
QString QtInputMask(const QString& editMask);

class MaskEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(QString editMask READ EditMask WRITE setEditMask)

 public:
  explicit MaskEdit(QWidget* parent = nullptr);

  QString EditMask() const { return editMask_; }
  void setEditMask(const QString& mask);
  // Every required position filled.
  bool IsComplete() const { return hasAcceptableInput(); }
  // The text as the program reads it: blanks as spaces, literals kept only
  // when the mask says so.
  QString Text() const;
  void SetText(const QString& text) { setText(text); }

 private:
  QString editMask_;
  bool saveLiterals_ = true;
};

}  // namespace forms
