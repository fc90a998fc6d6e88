// The rating dialog: a track bar from 1 to 5 and an "OK" button.
#pragma once

#include <QDialog>

#include "catalogue/ports.h"

class QLabel;
class QPushButton;
class QSlider;

namespace ui {

class Twertungsform : public QDialog, public catalogue::RatingPort {
  Q_OBJECT

 public:
  explicit Twertungsform(QWidget* parent = nullptr);

  // Shows the dialog modally with the thumb at rating (3 when rating is not
  // 1..5). True and the chosen rating after "OK"; false, rating untouched,
  // when the dialog was closed any other way.
  bool anzeigen(int& rating) override;

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QSlider* wertungsregler = nullptr;
  QPushButton* b_ok = nullptr;

 private slots:
  void b_okClick();

 private:
  bool okgedrueckt = false;
};

}  // namespace ui
