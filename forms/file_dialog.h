#pragma once
// The open and save file dialogs: a component on its form with its filter and
// default extension, run through one runner that tests replace. Both start in
// the process's current folder.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace forms {

class FileDialog : public QObject {
  Q_OBJECT

 public:
  enum class Kind { Open, Save };
  FileDialog(Kind kind, QObject* parent = nullptr) : QObject(parent), kind_(kind) {}

  Kind DialogKind() const { return kind_; }
  // "Description (*.txt)|*.txt|...": descriptions and patterns split by '|'.
  QString Filter() const { return filter_; }
  void SetFilter(const QString& filter) { filter_ = filter; }
  // "*.txt": what a name typed without one gets.
  QString DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const QString& ext) { defaultExt_ = ext; }

  // Shows the dialog; true when a file was chosen (FileName() then holds it).
  // Records "file open|save <object name>" in the trace.
  bool Execute();
  QString FileName() const { return fileName_; }

 private:
  Kind kind_;
  QString filter_;
  QString defaultExt_;
  QString fileName_;
};

// The Qt form of a '|' filter: "A (*.txt)|*.txt|B|*.*" -> "A (*.txt);;B (*.*)".
QString QtFileFilter(const QString& filter);

// Runs the dialog; the chosen file's full name, or nothing when cancelled.
using FileDialogRunner = std::function<std::optional<QString>(const FileDialog& dialog)>;
// An empty runner brings the real dialogs back.
void SetFileDialogRunner(FileDialogRunner runner);

}  // namespace forms
