#pragma once
// The mail-root chooser, shown when no register was found at start-up: an
// edit with the root, the folders of one drive and the drive list.
#include <memory>
#include <string>

#include "correspondent_register/state.h"
#include "forms/form.h"

class QTreeWidgetItem;

namespace Ui {
class TSce;
}

namespace zorvel {

class TSce : public forms::Form {
  Q_OBJECT

 public:
  explicit TSce(RegisterState& session, QWidget* parent = nullptr);
  ~TSce() override;

  void FormShow();
  void OKClick();
  void kartClick();
  void kartChange();
  void drwChange();

  // The Windows path of the folder list's current folder.
  std::string CurrentFolder() const;
  // Shows the folders of a drive ("F"), its root current.
  void ShowDrive(char letter);

  Ui::TSce* ui() const { return ui_.get(); }

 signals:
  // A folder with a register was chosen and remembered in the paths.
  void RootChosen();
  // The register window is to be shown.
  void RegisterWanted();

 protected:
  void FormClose() override;
  void showEvent(QShowEvent* event) override;

 private:
  void FillChildren(QTreeWidgetItem* item);

  RegisterState& session_;
  std::unique_ptr<Ui::TSce> ui_;
};

}  // namespace zorvel
