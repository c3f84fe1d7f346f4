#include "forms/file_dialog.h"

#include "forms/process_state.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

#include "forms/actions.h"
#include "forms/trace.h"

namespace forms {

namespace {

FileDialogRunner& Runner() { return Process().fileDialogRunner; }

std::optional<QString> RunReal(const FileDialog& dialog) {
  QFileDialog box(nullptr, QString(), QDir::currentPath(), QtFileFilter(dialog.Filter()));
  const bool save = dialog.DialogKind() == FileDialog::Kind::Save;
  box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  box.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  QString suffix = dialog.DefaultExt();
  if (suffix.startsWith("*.")) suffix = suffix.mid(2);
  box.setDefaultSuffix(suffix);
  TakeHeldCloseRequests();
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return std::nullopt;
  return box.selectedFiles().front();
}

}  // namespace

QString QtFileFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    const QString patterns = QString(parts[i + 1]).replace(';', ' ');
    if (!description.contains('(')) description += " (" + patterns + ")";
    filters << description;
  }
  return filters.join(";;");
}

bool FileDialog::Execute() {
  const bool save = kind_ == Kind::Save;
  Trace(std::string("file ") + (save ? "save " : "open ") + objectName().toStdString());
  const std::optional<QString> chosen = Runner() ? Runner()(*this) : RunReal(*this);
  if (!chosen) return false;
  fileName_ = *chosen;
  return true;
}

void SetFileDialogRunner(FileDialogRunner runner) { Runner() = std::move(runner); }

}  // namespace forms
