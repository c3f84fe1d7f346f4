#include "operator_console/info_dialog.h"

#include <QWidget>

#include "forms/text.h"
#include "operator_console/console_forms.h"
#include "operator_console/main_window.h"

void CentreOverMainWindow(QWidget& dialog) {
  if (GlowneOkno == nullptr) return;
  dialog.move(GlowneOkno->x() + (GlowneOkno->width() - dialog.width()) / 2,
              GlowneOkno->y() + (GlowneOkno->height() - dialog.height()) / 2);
}

QString LabelText(const std::string& cp1250Text) {
  QString text = forms::ToQ(cp1250Text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  return text;
}
