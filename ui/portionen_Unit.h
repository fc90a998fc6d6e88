// The row at the top of the info box: for how many glasses and in which unit
// the recipe is shown, and the button that prints it.
#pragma once

#include <QWidget>

#include "catalogue/mengen.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace ui {

class Portionenwahl : public QWidget {
  Q_OBJECT

 public:
  // The row's height; the memo below it starts that much lower.
  static constexpr int hoehe = 24;

  explicit Portionenwahl(QWidget* parent = nullptr);

  catalogue::Portionen portionen() const;
  // A newly opened recipe is shown for one glass; the unit stays as chosen.
  void neuesrezept();

  QLabel* Label_glaeser = nullptr;
  QSpinBox* e_glaeser = nullptr;
  QLabel* Label_einheit = nullptr;
  QComboBox* c_einheit = nullptr;
  QPushButton* b_rezeptdrucken = nullptr;

 signals:
  void geaendert();  // the glasses or the unit changed
  void drucken();    // "Rezept drucken…" was pressed
};

}  // namespace ui
