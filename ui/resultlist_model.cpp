#include "ui/resultlist_model.h"

#include "platform/codepage.h"
#include "platform/collation.h"
#include "ui/qtext.h"

namespace ui {

void ResultlistModel::setrows(catalogue::Trefferliste rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

std::string ResultlistModel::rezeptid(int row) const { return rows_.id(static_cast<std::size_t>(row)); }

void ResultlistModel::setwertung(int row, const std::string& stars) {
  catalogue::ResultRow values = rows_.zeile(static_cast<std::size_t>(row));
  values.wertung = stars;
  rows_.setzen(static_cast<std::size_t>(row), std::move(values));
  const QModelIndex cell = index(row, wertung);
  emit dataChanged(cell, cell, {Qt::DisplayRole});
}

int ResultlistModel::rowofid(const std::string& id) const {
  for (std::size_t row = 0; row < rows_.size(); ++row)
    if (rows_.id(row) == id) return static_cast<int>(row);
  return -1;
}

void ResultlistModel::setrow(int row, catalogue::ResultRow values) {
  rows_.setzen(static_cast<std::size_t>(row), std::move(values));
  emit dataChanged(index(row, 0), index(row, spaltenzahl - 1), {Qt::DisplayRole});
}

void ResultlistModel::removerow(int row) {
  beginRemoveRows({}, row, row);
  rows_.entfernen(static_cast<std::size_t>(row));
  endRemoveRows();
}

int ResultlistModel::insertrow(catalogue::ResultRow values) {
  int row = 0;
  for (int count = rowCount(); count > 0;) {  // the first row whose name comes after it
    const int half = count / 2;
    if (platform::comparenames(rows_.zeile(static_cast<std::size_t>(row + half)).caption, values.caption) <= 0) {
      row += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  beginInsertRows({}, row, row);
  rows_.einfuegen(static_cast<std::size_t>(row), std::move(values));
  endInsertRows();
  return row;
}

int ResultlistModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultlistModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : spaltenzahl; }

QVariant ResultlistModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const catalogue::ResultRow row = rows_.zeile(static_cast<std::size_t>(index.row()));
  switch (index.column()) {
    case cocktailname: return toqt(row.caption);
    case wertung: return toqt(row.wertung);
    case alk: return toqt(row.alk);
    case verfuegbar: return toqt(row.verfuegbar);
    default: return {};
  }
}

QVariant ResultlistModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
  switch (section) {
    case cocktailname: return QStringLiteral("Cocktailname");
    case wertung: return QStringLiteral("Wertung");
    case alk: return QStringLiteral("alk?");
    case verfuegbar: return toqt("verfügbar?"_cp);
    default: return {};
  }
}

}  // namespace ui
