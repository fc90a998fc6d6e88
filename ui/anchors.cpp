#include "ui/anchors.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace ui {

namespace {

// One axis: the new start and length for a growth of delta.
std::pair<int, int> follow(int start, int length, int delta, bool near, bool far) {
  if (near && far) return {start, std::max(0, length + delta)};
  if (far) return {start + delta, length};
  return {start, length};
}

}  // namespace

void Anchors::add(QWidget* control, int edges) {
  QWidget* parent = control->parentWidget();
  if (!anchors_.contains(parent)) parent->installEventFilter(this);
  anchors_.insert(parent, {control, edges, control->geometry(), parent->size()});
}

bool Anchors::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize)
    for (const Anchor& anchor : anchors_.values(static_cast<QWidget*>(watched))) place(anchor);
  return false;
}

void Anchors::place(const Anchor& anchor) {
  const QSize now = anchor.control->parentWidget()->size();
  const auto [x, width] = follow(anchor.design.x(), anchor.design.width(), now.width() - anchor.parentdesign.width(),
                                 anchor.edges & left, anchor.edges & right);
  const auto [y, height] =
      follow(anchor.design.y(), anchor.design.height(), now.height() - anchor.parentdesign.height(), anchor.edges & top,
             anchor.edges & bottom);
  anchor.control->setGeometry(x, y, width, height);
}

}  // namespace ui
