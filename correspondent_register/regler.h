#pragma once
// The register window: the correspondents (SPIS.DBF) and the mailing groups
// (GRUPY.DBF) in data-aware grids, adding and deleting correspondents with
// their mail folders, group membership, sorting, the duplicate-number
// warning, the predictions editor, packing, and the end of the program after
// 180 idle seconds.
#include <QTimer>
#include <memory>
#include <string>

#include "correspondent_register/database.h"
#include "correspondent_register/state.h"
#include "dbase/dbase.h"
#include "forms/data/data_source.h"
#include "forms/form.h"

namespace Ui {
class TRegler;
}

namespace zorvel {

class TRegler : public forms::Form {
  Q_OBJECT

 public:
  explicit TRegler(RegisterState& session, QWidget* parent = nullptr);
  ~TRegler() override;

  // Declared before the data sources, which must go first.
  dbase::Table Spis;
  dbase::Table Grr;
  Database Dane;
  forms::DataSource PolaSpisu;
  forms::DataSource PolaGrup;
  // Ticks once a second: counts the idle seconds towards the idle end.
  QTimer Timerr;

  // Handlers.
  void FormShow();
  void FormHide();
  void KoniecClick();
  void wgnuClick();
  void wgnaClick();
  // The two navigators (register, groups) and the data changes count as activity.
  void DBNavigator1Click();
  void DBNavigator2Click();
  void PolaSpisuDataChange();
  void PolaGrupDataChange();
  void TimerrTimer();
  // The number field (DBEdit1) changed: shows the row's full name.
  void DBEdit1Change();
  void ddgClick();
  void UzgClick();
  void WstawClick();
  void kaszkoClick();
  void NprzeClick();
  void pakClick();
  // Bound to no control: registers the SMTP control when its class is
  // missing.
  void Button1Click();

  void CheckDuplicateNumbers();
  // Closes the tables and the connection (the chooser, before it points the
  // window at another mail root).
  void CloseDatabase();

  Ui::TRegler* ui() const { return ui_.get(); }

 signals:
  // The register's folder is set: the predictions follow it.
  void DataFolderChosen();
  // "Nowa przepowiednia".
  void PredictionsWanted();

 protected:
  void FormClose() override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Widens the full name at the expense of what does not need its width.
  void FitNameRow();
  // Shows a refusal of an operation.
  void Refuse(const std::string& text);
  // A table opened read-only (read-only or damaged file) leaves the window
  // for looking only: no insert, edit, delete, membership change or pack;
  // a register without its index tags is not sorted either.
  void ApplyWriteAccess();
  // True (with the refusal shown) when the window is read-only.
  bool RefusedAsReadOnly();
  // Posts the edits in progress before the window closes; false (with the
  // reason shown) when one cannot be posted: the window then stays open.
  bool PostPendingEdits();
  // The idle limit: the program ends once its edits are posted.
  void EndWhenIdle();
  // Packs one table in exclusive use and opens it shared again; the alert
  // when another program holds it. What the pack repaired is added to
  // repairs and backups (paths as the administrator knows them).
  void PackTable(dbase::Table& table, const std::string& name, const std::string& inUseText,
                 std::vector<std::string>* repairs = nullptr,
                 std::vector<std::string>* backups = nullptr);
  // A table opened read-only for damage that a pack repairs: the pack is
  // offered, and done when the administrator agrees.
  void OfferRepairs();
  static void ReopenShared(dbase::Table& table, const std::string& path, const std::string& tag);

  RegisterState& session_;
  std::unique_ptr<Ui::TRegler> ui_;
  bool holdIdle_ = false;    // a deletion runs: the idle count waits
  bool readOnly_ = false;    // a table was opened read-only
  bool idleEnding_ = false;  // the idle end posts the edits
};

}  // namespace zorvel
