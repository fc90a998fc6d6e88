// Keeps controls at fixed distances from the edges of their parent that they
// are anchored to, as the parent is resized. A control anchored to both
// opposite edges stretches; anchored to the right or bottom only, it moves.
#pragma once

#include <QMultiHash>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

class Anchors : public QObject {
 public:
  enum Edge { left = 1, top = 2, right = 4, bottom = 8 };

  using QObject::QObject;

  // Takes the control's geometry and its parent's size as they are now.
  void add(QWidget* control, int edges);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Anchor {
    QWidget* control;
    int edges;
    QRect design;
    QSize parentdesign;
  };

  static void place(const Anchor& anchor);

  QMultiHash<QWidget*, Anchor> anchors_;
};

}  // namespace ui
