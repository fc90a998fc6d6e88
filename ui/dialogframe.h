// The frame shared by the small dialogs: fixed size, a title bar with only a
// close button, the program's 11-pixel sans-serif font, centred on the screen.
#pragma once

#include <QDialog>
#include <QFont>
#include <QScreen>

namespace ui {

inline void setdialogframe(QDialog& dialog, int clientwidth, int clientheight, bool staysontop) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
  if (staysontop) flags |= Qt::WindowStaysOnTopHint;
  dialog.setWindowFlags(flags);
  dialog.setFixedSize(clientwidth, clientheight);
  QFont font = dialog.font();
  font.setPixelSize(11);
  dialog.setFont(font);
}

// The size of a text in pixels, for labels and fonts given that way.
inline QFont pixelfont(const QFont& base, int pixels, bool bold) {
  QFont font = base;
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

inline void centreonscreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

}  // namespace ui
