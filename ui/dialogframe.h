// The frame shared by the small dialogs: fixed size, a title bar with only a
// close button, the program's 11-pixel sans-serif font, centred on the screen.
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFont>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace ui {

// The narrow 8-point sans serif (text 11 pixels high) that the main window,
// the ingredient editor and the text viewer were laid out for; the wide
// default sans of many desktops would not fit their captions and texts. Its
// lines are taller, so the small dialogs, whose labels have fixed heights,
// keep the default sans.
inline QFont programfont() {
  QFont font;
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                    QStringLiteral("Helvetica")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

// The size of a text in pixels, for labels and fonts given that way.
inline QFont pixelfont(const QFont& base, int pixels, bool bold) {
  QFont font = base;
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

inline void setdialogframe(QDialog& dialog, int clientwidth, int clientheight, bool staysontop) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
  if (staysontop) flags |= Qt::WindowStaysOnTopHint;
  dialog.setWindowFlags(flags);
  dialog.setFixedSize(clientwidth, clientheight);
  dialog.setFont(pixelfont(dialog.font(), 11, false));
}

inline void centreonscreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

// Shows a window that must be on screen before the caller blocks the event
// loop. The window system maps a new window in its own time, so this waits
// (a second at most) until the window can be painted, then paints it. User
// input stays queued meanwhile.
inline void showandpaint(QWidget& window) {
  window.show();
  QElapsedTimer waited;
  waited.start();
  while (!window.windowHandle()->isExposed() && waited.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(5);
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  window.repaint();
}

}  // namespace ui
