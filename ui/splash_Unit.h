// The splash window: the program's picture and two lines of text. Shown
// without waiting during start-up and modally as the about box.
#pragma once

#include <QDialog>

#include "catalogue/ports.h"

class QLabel;

namespace ui {

class Tsplashform : public QDialog, public catalogue::SplashPort {
  Q_OBJECT

 public:
  explicit Tsplashform(QWidget* parent = nullptr);

  // Shows the window without waiting and paints it before returning.
  void show() override;
  void close() override;
  // The about box: returns when the user closes the window.
  void showmodal();

  QLabel* Image1;
  QLabel* Label1;
  QLabel* Label2;
};

}  // namespace ui
