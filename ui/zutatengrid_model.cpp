#include "ui/zutatengrid_model.h"

#include "catalogue/zutatenedit_model.h"
#include "ui/qtext.h"

namespace ui {

using catalogue::ZutateneditModel;

ZutatengridModel::ZutatengridModel(const ZutateneditModel& zutaten, QObject* parent)
    : QAbstractTableModel(parent), zutaten_(zutaten) {}

void ZutatengridModel::refill(const std::function<void()>& fill) {
  beginResetModel();
  fill();
  endResetModel();
}

void ZutatengridModel::textschanged() {
  if (rowCount() == 0) return;
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
  emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

int ZutatengridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : zutaten_.rowcount(); }

int ZutatengridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ZutateneditModel::showncolumns;
}

QVariant ZutatengridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return toqt(zutaten_.cell(index.column(), index.row()));
}

QVariant ZutatengridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return toqt(ZutateneditModel::header(section));
  return toqt(zutaten_.cell(ZutateneditModel::name, section));
}

}  // namespace ui
