#include "operator_console/info_dialog.h"

#include "forms/text.h"

QString LabelText(const std::string& cp1250Text) {
  QString text = forms::ToQ(cp1250Text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  return text;
}

std::string ShownText(const QLabel& label) {
  QString text = label.text();
  text.replace(QChar('\n'), QChar('\r'));
  return forms::FromQ(text);
}
