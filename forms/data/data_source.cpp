#include "forms/data/data_source.h"

#include "forms/process_state.h"

#include <iostream>
#include <utility>

#include "platform/text/cp1250.h"

namespace forms {

namespace {

std::function<void(const std::string&)>& Reporter() { return Process().dataErrorReporter; }

std::function<bool()>& DeleteConfirmation() { return Process().dataDeleteConfirmation; }

}  // namespace

void SetDataErrorReporter(std::function<void(const std::string&)> reporter) {
  Reporter() = std::move(reporter);
}

void ReportDataError(const std::exception& error) {
  if (Reporter()) {
    Reporter()(error.what());
  } else {
    std::cerr << platform::Utf8FromCp1250(error.what()) << '\n';
  }
}

void SetDataDeleteConfirmation(std::function<bool()> confirm) {
  DeleteConfirmation() = std::move(confirm);
}

bool ConfirmDataDelete() { return DeleteConfirmation() ? DeleteConfirmation()() : true; }

DataSource::DataSource(QObject* parent) : QObject(parent) {}

DataSource::~DataSource() { SetTable(nullptr); }

void DataSource::SetTable(dbase::Table* table) {
  if (table_ && observer_ >= 0) table_->RemoveObserver(observer_);
  table_ = table;
  observer_ = -1;
  if (table_) {
    observer_ = table_->AddObserver(
        [this](dbase::DataEvent event, const std::string& field) { Event(event, field); });
  }
  if (!ControlsDisabled()) emit RowsChanged();
}

void DataSource::DisableControls() { ++disabled_; }

void DataSource::EnableControls() {
  if (disabled_ > 0 && --disabled_ == 0) {
    // Runs as a guard goes out of scope, an error of the operation perhaps
    // on its way: a control that cannot read its value reports it here, and
    // nothing is thrown.
    try {
      emit RowsChanged();
      emit StateChanged();
      if (OnDataChange) OnDataChange(std::string());
    } catch (const std::exception& e) {
      ReportDataError(e);
    }
  }
}

void DataSource::Event(dbase::DataEvent event, const std::string& field) {
  if (ControlsDisabled()) return;
  // A control that cannot read its value (a damaged memo) reports it; the
  // error never reaches the engine, which is in the middle of a move, a
  // close or a pack and must finish it.
  try {
    Forward(event, field);
  } catch (const std::exception& e) {
    ReportDataError(e);
  }
}

void DataSource::Forward(dbase::DataEvent event, const std::string& field) {
  switch (event) {
    case dbase::DataEvent::Opened: emit Opened(); break;
    case dbase::DataEvent::Closing: emit Closing(); return;
    case dbase::DataEvent::Scrolled: emit Scrolled(); break;
    case dbase::DataEvent::StateChanged: emit StateChanged(); return;
    case dbase::DataEvent::FieldChanged: emit FieldChanged(QString::fromStdString(field)); break;
    case dbase::DataEvent::DataChanged: emit RowsChanged(); break;
  }
  if (OnDataChange) OnDataChange(event == dbase::DataEvent::FieldChanged ? field : std::string());
}

}  // namespace forms
