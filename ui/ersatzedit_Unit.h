// "Ersatz bearbeiten…": a small window over the ingredient editor that lists
// the substitutes of one ingredient and adds (by a known name, with
// completion) and removes them. The changes stay in the editor's model until
// its "Speichern".
#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace catalogue {
class ZutateneditModel;
}

namespace ui {

class Tersatzedit : public QDialog {
  Q_OBJECT

 public:
  Tersatzedit(catalogue::ZutateneditModel& model, QWidget* parent = nullptr);

  // Shows the substitutes of the ingredient in the shown row, modally.
  void anzeigen(int32_t row);

  QLabel* Label_ersatz = nullptr;
  QListWidget* l_ersatz = nullptr;
  QLineEdit* e_ersatz = nullptr;
  QPushButton* b_hinzufuegen = nullptr;
  QPushButton* b_entfernen = nullptr;
  QPushButton* b_schliessen = nullptr;

 private slots:
  void b_hinzufuegenClick();
  void b_entfernenClick();

 private:
  void zeigeliste();

  catalogue::ZutateneditModel& model_;
  int32_t row_ = -1;
};

}  // namespace ui
