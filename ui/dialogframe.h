// The frame shared by the small dialogs: fixed size, a title bar with only a
// close button, the program's 11-pixel sans-serif font, centred on the screen
// (the main window and the ingredient editor are centred the same way).
#pragma once

#include <QFont>

class QDialog;
class QWidget;

namespace ui {

// The narrow 8-point sans serif (text 11 pixels high) that the main window,
// the ingredient editor and the text viewer were laid out for; the wide
// default sans of many desktops would not fit their captions and texts. Its
// lines are taller, so the small dialogs, whose labels have fixed heights,
// keep the default sans.
QFont programfont();

// The size of a text in pixels, for labels and fonts given that way.
QFont pixelfont(const QFont& base, int pixels, bool bold);

void setdialogframe(QDialog& dialog, int clientwidth, int clientheight, bool staysontop);

// Places the whole window, frame included, in the middle of its screen, and
// once more when a window manager adds the frame only at the first showing.
void centreonscreen(QWidget& window);

// Shows a window that must be on screen before the caller blocks the event
// loop. The window system maps a new window in its own time, so this waits
// (a second at most) until the window can be painted, then paints it. User
// input stays queued meanwhile.
void showandpaint(QWidget& window);

}  // namespace ui
