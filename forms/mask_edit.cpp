#include "forms/mask_edit.h"

#include <QStringList>

namespace forms {

namespace {

struct ParsedMask {
  QString mask;
  bool saveLiterals = true;
  QChar blank = QChar('_');
};

ParsedMask Parse(const QString& editMask) {
  ParsedMask parsed;
  // The fields are separated by ';' that is not escaped.
  QStringList fields;
  QString current;
  for (qsizetype i = 0; i < editMask.size(); ++i) {
    const QChar c = editMask[i];
    if (c == '\\' && i + 1 < editMask.size()) {
      current += c;
      current += editMask[++i];
    } else if (c == ';' && fields.size() < 2) {
      fields << current;
      current.clear();
    } else {
      current += c;
    }
  }
  fields << current;
  parsed.mask = fields.value(0);
  if (fields.size() > 1) parsed.saveLiterals = fields[1].trimmed() != "0";
  if (fields.size() > 2 && !fields[2].isEmpty()) parsed.blank = fields[2][0];
  return parsed;
}

bool IsQtMaskCharacter(QChar c) { return QStringLiteral("AaNnXx9D0d#HhBb><!\\[]{}").contains(c); }

// Walks an edit mask; `visit` gets each position with its Qt form and
// whether it is a literal.
template <typename Visit>
void EachPosition(const QString& mask, Visit visit) {
  for (qsizetype i = 0; i < mask.size(); ++i) {
    const QChar c = mask[i];
    if (c == '\\' && i + 1 < mask.size()) {
      const QChar literal = mask[++i];
      visit(IsQtMaskCharacter(literal) ? QString("\\") + literal : QString(literal), true, false);
      continue;
    }
    if (c == '<' && i + 1 < mask.size() && mask[i + 1] == '>') {
      visit(QStringLiteral("!"), false, true);
      ++i;
      continue;
    }
    switch (c.unicode()) {
      case '!': break;  // how optional blanks are stored: no Qt twin, no position
      case '0': visit(QStringLiteral("9"), false, false); break;
      case '9': visit(QStringLiteral("0"), false, false); break;
      case '#': visit(QStringLiteral("#"), false, false); break;
      case 'L': visit(QStringLiteral("A"), false, false); break;
      case 'l': visit(QStringLiteral("a"), false, false); break;
      case 'A': visit(QStringLiteral("N"), false, false); break;
      case 'a': visit(QStringLiteral("n"), false, false); break;
      case 'C': visit(QStringLiteral("X"), false, false); break;
      case 'c': visit(QStringLiteral("x"), false, false); break;
      case '>':
      case '<': visit(QString(c), false, true); break;
      default: visit(IsQtMaskCharacter(c) ? QString("\\") + c : QString(c), true, false); break;
    }
  }
}

}  // namespace

QString QtInputMask(const QString& editMask) {
  const ParsedMask parsed = Parse(editMask);
  if (parsed.mask.isEmpty()) return {};
  QString qt;
  EachPosition(parsed.mask, [&](const QString& part, bool, bool) { qt += part; });
  return qt + ';' + parsed.blank;
}

MaskEdit::MaskEdit(QWidget* parent) : QLineEdit(parent) {}

void MaskEdit::setEditMask(const QString& mask) {
  editMask_ = mask;
  saveLiterals_ = Parse(mask).saveLiterals;
  setInputMask(QtInputMask(mask));
}

QString MaskEdit::Text() const {
  if (editMask_.isEmpty()) return text();
  const ParsedMask parsed = Parse(editMask_);
  const QString shown = displayText();
  QString result;
  qsizetype position = 0;
  EachPosition(parsed.mask, [&](const QString&, bool literal, bool caseSwitch) {
    if (caseSwitch) return;
    const QChar c = position < shown.size() ? shown[position] : QChar(' ');
    ++position;
    if (literal) {
      if (saveLiterals_) result += c;
    } else {
      result += c == parsed.blank ? QChar(' ') : c;
    }
  });
  return result;
}

}  // namespace forms
