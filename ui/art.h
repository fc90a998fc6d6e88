// The pictures stored in the program: the splash picture, the button glyphs
// and the program's icon, all from the one resource file art.qrc.
#pragma once

#include <QByteArray>
#include <QIcon>

namespace ui {

// The JPEG bytes of the splash picture.
QByteArray splashjpeg();
// The check mark of the OK and "Speichern" buttons.
QIcon okglyph();
// The glyph of the "Zusatzf." button.
QIcon zusatzglyph();
// The glyph of "Cocktails suchen".
QIcon suchenglyph();
// The program's icon, for the window frames.
QIcon programicon();

}  // namespace ui
