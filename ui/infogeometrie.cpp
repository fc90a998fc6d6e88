#include "ui/infogeometrie.h"

#include <algorithm>

namespace ui {

namespace {

const QRect erstebox(32, 128, 489, 193);
const QRect erstesmemo(8, 16, 473, 169);

// The box of the given size, split into the row above and the text field.
Infogeometrie teile(QRect box, int kopfhoehe) {
  const QSize innen = box.size() - (erstebox.size() - erstesmemo.size());  // less the box's caption and edges
  return {box, QRect(erstesmemo.topLeft(), QSize(innen.width(), kopfhoehe)),
          QRect(erstesmemo.topLeft() + QPoint(0, kopfhoehe), innen - QSize(0, kopfhoehe))};
}

}  // namespace

Infogeometrie infogeometrie(QSize text, QSize rand, int kopfhoehe, QRect liste, QSize groesser) {
  const QSize platz = erstesmemo.size() - rand - QSize(0, kopfhoehe);
  if (text.width() <= platz.width() && text.height() <= platz.height()) return teile(erstebox, kopfhoehe);
  // The row above the text field takes lines a longer recipe needs: the box
  // covers the list from its top, not only from its own first place.
  const int oben = std::min(erstebox.y(), liste.y());
  const int breite = erstebox.width() + std::max(0, groesser.width());
  const int hoehe = std::max(erstebox.y() + erstebox.height(), liste.y() + liste.height()) - oben;
  return teile(QRect(erstebox.x(), oben, breite, hoehe), kopfhoehe);
}

}  // namespace ui
