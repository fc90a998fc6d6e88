// Where the info box and its text field lie. The box was laid out for a
// recipe's ingredient lines; a recipe with its preparation often needs more
// room, so a recipe that does not fit gets it from the result list below and
// from a window made larger than it started.
#pragma once

#include <QRect>
#include <QSize>

namespace ui {

struct Infogeometrie {
  QRect box;   // GB_info in the window's client area
  QRect kopf;  // the row above the text field in GB_info
  QRect memo;  // infomemo in GB_info
  bool operator==(const Infogeometrie&) const = default;
};

// text: the pixels the recipe's lines need; rand: what the text field takes
// around them (frame and scroll bars), both axes; kopfhoehe: the row of
// controls above the text field, taken from its room; liste: the result list in
// the client area; groesser: how much larger the client area is than at the
// start (negative when smaller). A recipe that fits keeps the box as it has
// always been; a longer one makes it cover the list from its top to its
// bottom edge and grow across by as much as the window has grown.
Infogeometrie infogeometrie(QSize text, QSize rand, int kopfhoehe, QRect liste, QSize groesser);

}  // namespace ui
