#pragma once
// A data source joins the data-aware controls of a window to one table's
// cursor: the table's events reach every control as Qt signals, and the
// window's own data-change handler (PolaSpisuDataChange and the like) runs
// when the current row moves or a value changes. Texts are Windows-1250.
#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

#include "dbase/dbase.h"

namespace forms {

// What a control does with an error of the engine raised while it wrote a
// value or ran a navigator button (no exception may cross Qt's own event
// handling). The program shows its error box; by default the message goes
// to standard error.
void SetDataErrorReporter(std::function<void(const std::string& cp1250Message)> reporter);
void ReportDataError(const std::exception& error);
// The question a navigator or grid asks before it deletes a row (true: go
// on). The program asks with its message box; by default nothing is asked.
void SetDataDeleteConfirmation(std::function<bool()> confirm);
bool ConfirmDataDelete();

class DataSource : public QObject {
  Q_OBJECT

 public:
  explicit DataSource(QObject* parent = nullptr);
  ~DataSource() override;

  // The table must outlive the source (or be unset first).
  void SetTable(dbase::Table* table);
  dbase::Table* Table() const { return table_; }
  bool Active() const { return table_ && table_->Active(); }
  dbase::DataState State() const { return table_ ? table_->State() : dbase::DataState::Inactive; }

  // While controls are disabled no signal is sent and the data-change handler
  // does not run; the last EnableControls tells every control to reload (an
  // error a control meets there is reported, never thrown).
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disabled_ > 0; }

  // The window's data-change handler: the current row moved, a value
  // changed, rows were written, the table opened. Field is the changed field
  // or empty.
  std::function<void(const std::string& field)> OnDataChange;

 signals:
  void Opened();
  void Closing();
  void Scrolled();
  void StateChanged();
  void FieldChanged(const QString& field);
  void RowsChanged();  // post, delete, refresh, index switch; also a reload

 private:
  void Event(dbase::DataEvent event, const std::string& field);
  void Forward(dbase::DataEvent event, const std::string& field);

  dbase::Table* table_ = nullptr;
  int observer_ = -1;
  int disabled_ = 0;
};

// Disables the controls of a source for a scope; the end of the scope never
// throws, however the scope ends.
class ControlsDisabled {
 public:
  explicit ControlsDisabled(DataSource& source) : source_(source) { source_.DisableControls(); }
  ~ControlsDisabled() { source_.EnableControls(); }
  ControlsDisabled(const ControlsDisabled&) = delete;
  ControlsDisabled& operator=(const ControlsDisabled&) = delete;

 private:
  DataSource& source_;
};

}  // namespace forms
