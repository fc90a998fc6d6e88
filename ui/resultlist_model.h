// The rows of ListView_erg: the result rows of the last search, held as the
// search gave them. Only the rows the list paints are turned into Qt text,
// so a search that lists a hundred thousand recipes costs no item objects.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "catalogue/search.h"

namespace ui {

class ResultlistModel : public QAbstractTableModel {
 public:
  // The list's columns; each row also carries its recipe id, never shown.
  enum Spalte { cocktailname, wertung, alk, verfuegbar, spaltenzahl };

  using QAbstractTableModel::QAbstractTableModel;

  // Replaces every row, in the order given.
  void setrows(std::vector<catalogue::ResultRow> rows);
  // The hidden recipe id of a row.
  const std::string& rezeptid(int row) const;
  // Shows a new star text in the row's "Wertung" cell.
  void setwertung(int row, const std::string& stars);
  // The row of the recipe with the id, or -1.
  int rowofid(const std::string& id) const;
  // Shows a recipe's new version in its row, or removes the row; the other
  // rows stay as they are.
  void setrow(int row, catalogue::ResultRow values);
  void removerow(int row);
  // Adds a recipe's row where the name order puts it; the row it got.
  int insertrow(catalogue::ResultRow values);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<catalogue::ResultRow> rows_;
};

}  // namespace ui
