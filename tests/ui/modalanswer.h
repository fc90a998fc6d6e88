// Answers the next modal window from outside its event loop: a 10 ms timer
// polls QApplication::activeModalWidget() and hands it to act until act says
// it is done. Never check anything inside act: record what it saw and check
// after the modal call has returned.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

namespace testsupport {

class ModalAnswer : public QObject {
 public:
  // act returns true when it has dealt with the window (usually by closing it).
  explicit ModalAnswer(std::function<bool(QWidget*)> act, int giveupms = 5000) : act_(std::move(act)) {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, [this, giveupms] {
      if (clock_.elapsed() > giveupms) {
        timer_.stop();
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();  // never hang a test
        return;
      }
      QWidget* modal = QApplication::activeModalWidget();
      if (modal != nullptr && act_(modal)) {
        done = true;
        timer_.stop();
      }
    });
    clock_.start();
    timer_.start();
  }

  bool done = false;

 private:
  std::function<bool(QWidget*)> act_;
  QTimer timer_;
  QElapsedTimer clock_;
};

}  // namespace testsupport
