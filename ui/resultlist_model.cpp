#include "ui/resultlist_model.h"

#include "platform/codepage.h"
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
