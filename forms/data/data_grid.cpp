#include "forms/data/data_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <stdexcept>
#include <utility>

#include "forms/text.h"

namespace forms {

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::SetSource(DataSource* source) {
  if (source_) disconnect(source_, nullptr, this, nullptr);
  source_ = source;
  if (source_) {
    connect(source_, &DataSource::RowsChanged, this, &GridModel::Reload);
    connect(source_, &DataSource::Opened, this, &GridModel::Reload);
    connect(source_, &DataSource::Closing, this, [this] {
      beginResetModel();
      rows_.clear();
      insertShown_ = false;
      endResetModel();
    });
    connect(source_, &DataSource::Scrolled, this, [this] {
      failed_.reset();
      CurrentMoved();
    });
    connect(source_, &DataSource::StateChanged, this, [this] {
      if (source_->State() == dbase::DataState::Browse) failed_.reset();
      const bool insert = InsertRowShown();
      if (insert != insertShown_) {
        // An insert shows its blank row at the end until it is posted or
        // cancelled; a post then reloads the rows.
        if (insert) {
          beginInsertRows({}, static_cast<int>(rows_.size()), static_cast<int>(rows_.size()));
          insertShown_ = true;
          endInsertRows();
        } else {
          Reload();
        }
      }
      CurrentMoved();
    });
    connect(source_, &DataSource::FieldChanged, this, [this](const QString&) {
      const int row = CurrentRow();
      if (row >= 0) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
  }
  Reload();
}

void GridModel::SetColumns(std::vector<GridColumn> columns) {
  beginResetModel();
  columns_ = std::move(columns);
  endResetModel();
  Reload();
}

bool GridModel::InsertRowShown() const {
  return source_ && source_->State() == dbase::DataState::Insert;
}

void GridModel::Reload() {
  beginResetModel();
  rows_.clear();
  insertShown_ = false;
  if (source_ && source_->Active()) {
    const dbase::Table& t = *source_->Table();
    for (dbase::Bookmark mark : t.Bookmarks()) {
      Row row;
      row.bookmark = mark;
      for (const GridColumn& c : columns_) row.values.push_back(t.AsStringAt(mark, c.field));
      rows_.push_back(std::move(row));
    }
    insertShown_ = t.State() == dbase::DataState::Insert;
  }
  endResetModel();
  emit CurrentRowChanged(CurrentRow());
}

int GridModel::CurrentRow() const {
  if (!source_ || !source_->Active()) return -1;
  if (insertShown_) return static_cast<int>(rows_.size());
  const dbase::Bookmark mark = source_->Table()->GetBookmark();
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].bookmark == mark) return static_cast<int>(i);
  }
  return -1;
}

void GridModel::CurrentMoved() { emit CurrentRowChanged(CurrentRow()); }

void GridModel::MoveTo(int row) {
  if (!source_ || !source_->Active() || row < 0) return;
  if (row == CurrentRow()) return;
  if (row >= static_cast<int>(rows_.size())) return;
  source_->Table()->GotoBookmark(rows_[static_cast<size_t>(row)].bookmark);
}

int GridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(rows_.size()) + (insertShown_ ? 1 : 0);
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto col = static_cast<size_t>(index.column());
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(columns_[col].alignment);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  // The cursor's row shows the edit buffer while it is edited.
  if (source_->State() != dbase::DataState::Browse && index.row() == CurrentRow()) {
    return ToQ(source_->Table()->AsString(columns_[col].field));
  }
  if (index.row() >= static_cast<int>(rows_.size())) return {};
  return ToQ(rows_[static_cast<size_t>(index.row())].values[col]);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= static_cast<int>(columns_.size())) return {};
  return ToQ(columns_[static_cast<size_t>(section)].caption);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (!readOnly_ && source_ && source_->Table() && !source_->Table()->ReadOnly())
    f |= Qt::ItemIsEditable;
  return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !source_ || !source_->Active()) return false;
  dbase::Table& t = *source_->Table();
  const std::string& field = columns_[static_cast<size_t>(index.column())].field;
  const std::string text = FromQ(value.toString());
  try {
    MoveTo(index.row());
    if (t.AsString(field) == text && t.State() == dbase::DataState::Browse) return true;
    if (t.State() == dbase::DataState::Browse) t.Edit();
    t.SetString(field, text);
  } catch (const std::exception& e) {
    failed_ = FailedEdit{index.row(), index.column(), value.toString(), e.what()};
    ReportDataError(e);
    return false;
  }
  if (failed_ && failed_->row == index.row() && failed_->column == index.column()) failed_.reset();
  emit dataChanged(index, index);
  return true;
}

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), model_(new GridModel(this)) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  horizontalHeader()->setMinimumSectionSize(4);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  verticalHeader()->setFixedWidth(12);
  connect(model_, &GridModel::CurrentRowChanged, this, &DBGrid::FollowCursor);
  connect(model_, &QAbstractItemModel::modelReset, this,
          [this] { FollowCursor(model_->CurrentRow()); });
  // A click on a half-visible row scrolls the view; the mouse is then over
  // the next row when it is released, and Qt would highlight that one.
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { KeepSelectionOnCursor(); });
  // Esc in the cell's editor gives up what was typed, a refused value too.
  connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
          [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
            if (hint == QAbstractItemDelegate::RevertModelCache) model_->DropFailed();
          });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& now, const QModelIndex& before) {
            if (following_ || !now.isValid()) return;
            if (now.column() != before.column()) emit ColEnter();
            if (now.row() == before.row()) return;
            try {
              model_->MoveTo(now.row());
            } catch (const std::exception& e) {
              ReportDataError(e);
            }
            FollowCursor(model_->CurrentRow());
          });
}

void DBGrid::SetDataSource(DataSource* source) {
  if (source_) disconnect(source_, &DataSource::Opened, this, nullptr);
  source_ = source;
  model_->SetSource(source);
  if (source_) connect(source_, &DataSource::Opened, this, &DBGrid::FitColumns);
}

void DBGrid::SetColumns(std::vector<GridColumn> columns) {
  model_->SetColumns(std::move(columns));
  FitColumns();
}

void DBGrid::FitColumns() {
  const auto& cols = model_->Columns();
  const dbase::Table* t = source_ && source_->Active() ? source_->Table() : nullptr;
  // The cell's own margins around the text, as the style draws them.
  const int margin =
      2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
  for (size_t i = 0; i < cols.size(); ++i) {
    const int c = static_cast<int>(i);
    int width = cols[i].width >= 0 ? cols[i].width : horizontalHeader()->defaultSectionSize();
    width = std::max(width, horizontalHeader()->sectionSizeHint(c));
    if (t) {
      const int f = t->FieldIndex(cols[i].field);
      if (f >= 0) {
        const dbase::FieldDef& def = t->Fields()[static_cast<size_t>(f)];
        if (def.type == dbase::FieldType::Numeric || def.type == dbase::FieldType::Float) {
          width =
              std::max(width, fontMetrics().horizontalAdvance(QString(def.length, '9')) + margin);
        }
      }
    }
    setColumnWidth(c, width);
  }
}

bool DBGrid::ReopenFailedEdit() {
  const auto& failed = model_->Failed();
  if (!failed) return false;
  const GridModel::FailedEdit pending = *failed;
  ReportDataError(std::runtime_error(pending.error));
  const QModelIndex cell = model_->index(pending.row, pending.column);
  if (cell.isValid()) {
    setCurrentIndex(cell);
    setFocus();
    edit(cell);
    for (auto* editor : viewport()->findChildren<QLineEdit*>()) editor->setText(pending.text);
  }
  return true;
}

bool DBGrid::CommitOpenEditor() {
  if (state() != QAbstractItemView::EditingState) return true;
  const QModelIndex cell = currentIndex();
  QWidget* editor = indexWidget(cell);
  if (editor == nullptr) return true;
  commitData(editor);
  const auto& failed = model_->Failed();
  if (failed && failed->row == cell.row() && failed->column == cell.column()) return false;
  closeEditor(editor, QAbstractItemDelegate::NoHint);
  return true;
}

void DBGrid::KeepSelectionOnCursor() {
  if (following_) return;
  const int row = model_->CurrentRow();
  if (row < 0 || row >= model_->rowCount()) return;
  // A key moving the current cell selects the new cell before it tells the
  // cell moved: the cursor follows it then (or the grid comes back to the
  // cursor if the move is refused).
  if (currentIndex().isValid() && currentIndex().row() != row) return;
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  if (selected.size() == 1 && selected[0].row() == row && currentIndex().row() == row) return;
  FollowCursor(row);
}

void DBGrid::SetReadOnly(bool readOnly) {
  model_->SetReadOnly(readOnly);
  setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                           : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
}

void DBGrid::FollowCursor(int row) {
  following_ = true;
  const int col = std::max(0, currentIndex().column());
  if (row >= 0 && row < model_->rowCount()) {
    selectionModel()->setCurrentIndex(model_->index(row, col), QItemSelectionModel::ClearAndSelect);
    scrollTo(model_->index(row, col));
  } else {
    selectionModel()->clearSelection();
  }
  following_ = false;
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
  dbase::Table* t = source_ ? source_->Table() : nullptr;
  const bool active = t && t->Active();
  try {
    if (active && event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
      if (allowInsert_) t->Insert();
      return;
    }
    if (active && event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
      if (allowDelete_ && !t->IsEmpty() && ConfirmDataDelete()) t->Delete();
      return;
    }
    if (active && event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier &&
        currentIndex().row() == model_->rowCount() - 1 && t->State() == dbase::DataState::Browse) {
      if (allowInsert_) t->Append();
      return;
    }
    if (active && event->key() == Qt::Key_Escape && t->State() != dbase::DataState::Browse &&
        state() != QAbstractItemView::EditingState) {
      t->Cancel();
      return;
    }
  } catch (const std::exception& e) {
    ReportDataError(e);
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace forms
