// The cells of the ingredient editor's grid: the editor model's rows one to
// one, turned into Qt text only when the grid paints them. The name of each
// row is its row header and the column titles are the column headers; the
// window shows the name column as the fixed left header.
#pragma once

#include <QAbstractTableModel>
#include <functional>

namespace catalogue {
class ZutateneditModel;
}

namespace ui {

class ZutatengridModel : public QAbstractTableModel {
 public:
  ZutatengridModel(const catalogue::ZutateneditModel& zutaten, QObject* parent);

  // Runs fill, which fills the editor model anew: the rows may come or go.
  void refill(const std::function<void()>& fill);
  // Texts of the rows changed or moved between rows (a sort, a toggle, a
  // rename); the number of rows stays.
  void textschanged();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  const catalogue::ZutateneditModel& zutaten_;
};

}  // namespace ui
