// The ingredient editor: a modal grid over the ingredient table in which the
// user toggles flags, sorts, renames and picks merges; "Speichern" writes.
#pragma once

#include <QDialog>

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"

class QAction;
class QMenu;
class QPushButton;
class QTableWidget;

namespace ui {

class Tzutatenedit : public QDialog {
  Q_OBJECT

 public:
  Tzutatenedit(catalogue::Catalogue& catalogue, catalogue::ProgressPort& progress, QWidget* parent = nullptr);
  ~Tzutatenedit() override;

  // Fills the grid from the tables and shows the window modally. extras makes
  // "Zusatzf." visible for the rest of the program's life.
  void anzeigen(bool extras);

  QTableWidget* zutatengrid;
  QPushButton* b_ok;
  QPushButton* b_zusatz;
  QMenu* PopupMenu_zusatz;
  QAction* Zutatumbenennen1;
  QAction* zutataufloesen;
  QAction* Action_abbrechen;
};

}  // namespace ui
