// The recipe window: a recipe's name, its ingredient lines as a grid and its
// preparation, for a new recipe or a stored one. The window only shows the
// model's recipe and passes on what the user does; the model checks and saves.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/catalogue.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace catalogue {
class RezepteditModel;
}

namespace ui {

class Anchors;

class Trezeptedit : public QDialog {
  Q_OBJECT

 public:
  explicit Trezeptedit(catalogue::Catalogue& catalogue, QWidget* parent = nullptr);
  ~Trezeptedit() override;

  // Shows the window modally for a new recipe (id "") or the stored one with
  // the id. The id that was saved; nothing when the window closed without
  // saving or the recipe is gone (after the warning).
  std::optional<std::string> anzeigen(const std::string& id);

  QLineEdit* e_name = nullptr;
  QTableWidget* zutatengrid = nullptr;
  QPushButton* b_zeileneu = nullptr;
  QPushButton* b_zeileloeschen = nullptr;
  QPushButton* b_zeilehoch = nullptr;
  QPushButton* b_zeilerunter = nullptr;
  QPlainTextEdit* m_zubereitung = nullptr;
  QPushButton* b_speichern = nullptr;
  QPushButton* b_abbrechen = nullptr;

 public slots:
  // Escape, "Abbrechen" and the title-bar button: with changes, asks
  // "Änderungen speichern?" first.
  void reject() override;

 private slots:
  void b_speichernClick();
  void b_zeileneuClick();
  void zutatengridChange(int row, int column);

 private:
  void createfields();
  void creategrid();
  void createlinebuttons();
  void createbuttons();
  void showrecipe();
  void showlines(int current);
  // Runs a line operation of the model on the current row and shows its result.
  void lineaction(int32_t (catalogue::RezepteditModel::*action)(int32_t));
  void commitedit();
  bool save();
  void zeigezutat(int row);

  catalogue::Catalogue& catalogue_;
  std::unique_ptr<catalogue::RezepteditModel> model_;
  std::optional<std::string> saved_;
  Anchors* anchors_ = nullptr;
  bool filling_ = false;  // the window itself writes the fields
};

}  // namespace ui
