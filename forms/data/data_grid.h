#pragma once
// A grid over one table: one row per live record in the table's current
// order, the cursor's row selected. Selecting a row moves the cursor;
// editing a cell puts the row into edit state and sets the field (the row is
// posted when the cursor moves). Insert (Insert key, Down on the last row)
// and delete (Ctrl+Del) are allowed only where the window allows them.
#include <QAbstractTableModel>
#include <QTableView>
#include <optional>
#include <string>
#include <vector>

#include "forms/data/data_source.h"

namespace forms {

struct GridColumn {
  std::string field;
  std::string caption;  // Windows-1250
  int width = -1;       // pixels; -1: the grid's default
  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit GridModel(QObject* parent = nullptr);

  void SetSource(DataSource* source);
  void SetColumns(std::vector<GridColumn> columns);
  const std::vector<GridColumn>& Columns() const { return columns_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  // The row of the cursor, -1 without one.
  int CurrentRow() const;
  // Moves the cursor to a row of the grid.
  void MoveTo(int row);
  // Reads the rows again through the cursor (browse state only).
  void Reload();

  // A value the table refused (the error was reported): the cell and what
  // the user typed, until the cell takes a value, the cursor moves or the
  // edit ends.
  struct FailedEdit {
    int row = -1;
    int column = -1;
    QString text;
    std::string error;  // Windows-1250
  };
  const std::optional<FailedEdit>& Failed() const { return failed_; }
  void DropFailed() { failed_.reset(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 signals:
  void CurrentRowChanged(int row);

 private:
  struct Row {
    dbase::Bookmark bookmark = 0;
    std::vector<std::string> values;
  };
  bool InsertRowShown() const;
  void CurrentMoved();

  DataSource* source_ = nullptr;
  std::vector<GridColumn> columns_;
  std::vector<Row> rows_;
  bool insertShown_ = false;
  bool readOnly_ = false;
  std::optional<FailedEdit> failed_;
};

class DBGrid : public QTableView {
  Q_OBJECT

 public:
  explicit DBGrid(QWidget* parent = nullptr);

  void SetDataSource(DataSource* source);
  void SetColumns(std::vector<GridColumn> columns);

  void SetReadOnly(bool readOnly);
  // Column widths as given, widened where the title or the widest value of
  // the field (all digits of a numeric field) would not fit in the grid's
  // font. Runs when the columns are set and when the table opens.
  void FitColumns();
  // When a value the table refused is still pending: its error is reported
  // again and the cell's editor opens with what the user typed. True when
  // there was one (a window then does not close).
  bool ReopenFailedEdit();
  // Stores what an open cell editor holds, as leaving the cell does, and
  // closes it. False when the table refused the value (the error reported,
  // the editor left open with it).
  bool CommitOpenEditor();
  void SetAllowInsert(bool allow) { allowInsert_ = allow; }
  void SetAllowDelete(bool allow) { allowDelete_ = allow; }

 signals:
  void ColEnter();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FollowCursor(int row);
  // The highlighted cell is always the cursor's row.
  void KeepSelectionOnCursor();

  DataSource* source_ = nullptr;
  GridModel* model_;
  bool allowInsert_ = true;
  bool allowDelete_ = true;
  bool following_ = false;
};

}  // namespace forms
