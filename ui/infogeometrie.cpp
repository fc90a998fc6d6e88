#include "ui/infogeometrie.h"

#include <algorithm>

namespace ui {

namespace {

const QRect erstebox(32, 128, 489, 193);
const QRect erstesmemo(8, 16, 473, 169);

}  // namespace

Infogeometrie infogeometrie(QSize text, QSize rand, QRect liste, QSize groesser) {
  const QSize platz = erstesmemo.size() - rand;
  if (text.width() <= platz.width() && text.height() <= platz.height()) return {erstebox, erstesmemo};
  const int breite = erstebox.width() + std::max(0, groesser.width());
  const int hoehe = std::max(erstebox.height(), liste.y() + liste.height() - erstebox.y());
  const QSize umrandung = erstebox.size() - erstesmemo.size();  // the box's caption and edges
  return {QRect(erstebox.topLeft(), QSize(breite, hoehe)),
          QRect(erstesmemo.topLeft(), QSize(breite, hoehe) - umrandung)};
}

}  // namespace ui
