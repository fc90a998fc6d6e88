#include "ui/infogeometrie.h"

#include <algorithm>

namespace ui {

namespace {

const QRect erstebox(32, 128, 489, 193);
const QRect erstesmemo(8, 16, 473, 169);

// The box of the given size, split into the row above and the text field.
Infogeometrie teile(QSize box, int kopfhoehe) {
  const QSize innen = box - (erstebox.size() - erstesmemo.size());  // less the box's caption and edges
  return {QRect(erstebox.topLeft(), box), QRect(erstesmemo.topLeft(), QSize(innen.width(), kopfhoehe)),
          QRect(erstesmemo.topLeft() + QPoint(0, kopfhoehe), innen - QSize(0, kopfhoehe))};
}

}  // namespace

Infogeometrie infogeometrie(QSize text, QSize rand, int kopfhoehe, QRect liste, QSize groesser) {
  const QSize platz = erstesmemo.size() - rand - QSize(0, kopfhoehe);
  if (text.width() <= platz.width() && text.height() <= platz.height()) return teile(erstebox.size(), kopfhoehe);
  const int breite = erstebox.width() + std::max(0, groesser.width());
  const int hoehe = std::max(erstebox.height(), liste.y() + liste.height() - erstebox.y());
  return teile(QSize(breite, hoehe), kopfhoehe);
}

}  // namespace ui
