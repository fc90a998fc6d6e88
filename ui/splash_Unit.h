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

  // Shows the window without waiting and paints it before returning. The
  // start-up keeps the splash up for at least a second, and for as long as
  // the tables take to load, all the while blocking the event loop: painted
  // only later, the splash would be an empty frame for that time.
  void showpainted();
  // The about box: returns when the user closes the window.
  void showmodal();

  QLabel* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
};

}  // namespace ui
