// The splash window: the program's picture and two lines of text. Shown
// without waiting during start-up and modally as the about box.
#pragma once

#include <QDialog>

class QLabel;

namespace ui {

class Tsplashform : public QDialog {
  Q_OBJECT

 public:
  explicit Tsplashform(QWidget* parent = nullptr);

  // Shows the window without waiting and paints it before returning: the
  // start-up sequence keeps the event loop busy while the splash is up.
  void showpainted();
  // The about box: returns when the user closes the window.
  void showmodal();

  QLabel* Image1;
  QLabel* Label1;
  QLabel* Label2;
};

}  // namespace ui
