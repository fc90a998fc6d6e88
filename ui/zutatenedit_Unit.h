// The ingredient editor: a modal grid over the ingredient table in which the
// user finds rows by name, toggles flags (double-click or Space), sorts,
// renames and picks merges; "Speichern" writes, and closing the window with
// unsaved changes asks first.
// The window only shows the model's grid and passes on what the user does.
#pragma once

#include <QDialog>
#include <memory>

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"

class QAbstractButton;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPushButton;
class QTableView;

namespace catalogue {
class ZutateneditModel;
}

namespace ui {

class Anchors;
class Tersatzedit;
class ZutatengridModel;

class Tzutatenedit : public QDialog {
  Q_OBJECT

 public:
  Tzutatenedit(catalogue::Catalogue& catalogue, catalogue::ProgressPort& progress, QWidget* parent = nullptr);
  ~Tzutatenedit() override;

  // Fills the grid from the tables and shows the window modally. extras makes
  // "Zusatzf." visible for the rest of the program's life.
  void anzeigen(bool extras);

  // Where "Zusatzf." opens its menu, in screen coordinates.
  QPoint zusatzmenupoint() const;
  const catalogue::ZutateneditModel& model() const { return *model_; }

  // The title-bar button: with unsaved changes it asks whether to save them.
  void reject() override;

  // The key of the ingredient whose cocktails the main window is to list,
  // after "Cocktails mit dieser Zutat" closed the window; -1 otherwise.
  int32_t cocktailzutat() const { return cocktailzutat_; }

  // The grid: the names are the row headers and the column titles the column
  // headers, so both stay in place while the data scrolls. The corner above
  // the names is the name column's header cell.
  QLabel* Label_suchen = nullptr;
  QLineEdit* e_suchen = nullptr;     // shows only the rows whose name contains its text
  QLabel* Label_nurlesen = nullptr;  // shown while the catalogue can only be read
  QTableView* zutatengrid = nullptr;
  QPushButton* b_ok = nullptr;
  QPushButton* b_zusatz = nullptr;
  QMenu* PopupMenu_zusatz = nullptr;
  QAction* Zutatumbenennen1 = nullptr;
  QAction* zutataufloesen = nullptr;
  QAction* Action_abbrechen = nullptr;
  // The substitutes: the selected ingredient's under the grid, and their
  // window, opened by the button and the pop-ups; the pop-up of the grid
  // holds that entry and "Cocktails mit dieser Zutat".
  QLabel* Label_ersatzzeile = nullptr;
  QPushButton* b_ersatz = nullptr;
  QAction* Ersatzbearbeiten1 = nullptr;
  QAction* Cocktailsmitzutat1 = nullptr;
  QMenu* PopupMenu_zutat = nullptr;
  Tersatzedit* ersatzedit = nullptr;

 private slots:
  void b_okClick();
  void b_zusatzClick();
  void Zutatumbenennen1Click();
  void zutataufloesenClick();
  void Action_abbrechenExecute();
  void zutatengridSelect(const QModelIndex& cell);
  void e_suchenChange(const QString& text);
  void Ersatzbearbeiten1Click();
  void Cocktailsmitzutat1Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createfilter();
  void creategrid();
  void createheaders();
  void createbuttons();
  void createnurlesen();
  void createactions();
  void showselection();
  void showpointer();
  void zutatengridMouseDown(int x);
  void zutatengridDblClick();
  void picknamerow(int y);
  int gridx(QObject* watched, int x) const;
  void paintcorner();
  void createersatz();
  void showersatz();

  catalogue::Catalogue& catalogue_;
  catalogue::ProgressPort& progress_;
  std::unique_ptr<catalogue::ZutateneditModel> model_;
  ZutatengridModel* gridmodel_ = nullptr;
  QAbstractButton* corner_ = nullptr;
  Anchors* anchors_ = nullptr;
  int32_t cocktailzutat_ = -1;
};

}  // namespace ui
