#include "ui/resultlist_model.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/collation.h"
#include "ui/qtext.h"

namespace ui {

void ResultlistModel::setrows(std::vector<catalogue::ResultRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

const std::string& ResultlistModel::rezeptid(int row) const { return rows_[static_cast<std::size_t>(row)].id; }

void ResultlistModel::setwertung(int row, const std::string& stars) {
  rows_[static_cast<std::size_t>(row)].wertung = stars;
  const QModelIndex cell = index(row, wertung);
  emit dataChanged(cell, cell, {Qt::DisplayRole});
}

int ResultlistModel::rowofid(const std::string& id) const {
  for (std::size_t row = 0; row < rows_.size(); ++row)
    if (rows_[row].id == id) return static_cast<int>(row);
  return -1;
}

void ResultlistModel::setrow(int row, catalogue::ResultRow values) {
  rows_[static_cast<std::size_t>(row)] = std::move(values);
  emit dataChanged(index(row, 0), index(row, spaltenzahl - 1), {Qt::DisplayRole});
}

void ResultlistModel::removerow(int row) {
  beginRemoveRows({}, row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
}

int ResultlistModel::insertrow(catalogue::ResultRow values) {
  const auto at = std::upper_bound(rows_.begin(), rows_.end(), values, [](const auto& a, const auto& b) {
    return platform::comparenames(a.caption, b.caption) < 0;
  });
  const auto row = static_cast<int>(at - rows_.begin());
  beginInsertRows({}, row, row);
  rows_.insert(at, std::move(values));
  endInsertRows();
  return row;
}

int ResultlistModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultlistModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : spaltenzahl; }

QVariant ResultlistModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const catalogue::ResultRow& row = rows_[static_cast<std::size_t>(index.row())];
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
