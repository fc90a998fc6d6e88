// The frame shared by the small dialogs: fixed size, a title bar with only a
// close button, the program's 11-pixel sans-serif font, centred on the screen
// (the main window and the ingredient editor are centred the same way).
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
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

// Places the whole window, frame included, in the middle of its screen.
inline void placecentred(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize frame = window.frameGeometry().size();
  window.move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

// A window manager may frame a window only once it is shown, so before its
// first showing the frame is unknown. This centres its window once more when
// the frame first appears, then goes.
class CentreWhenFramed : public QObject {
 public:
  static constexpr const char* name = "CentreWhenFramed";
  explicit CentreWhenFramed(QWidget& window) : QObject(&window) {
    setObjectName(QString::fromLatin1(name));
    window.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto& window = static_cast<QWidget&>(*watched);
    if (event->type() == QEvent::Move && window.frameGeometry().size() != window.size()) {
      window.removeEventFilter(this);
      placecentred(window);
      deleteLater();
    }
    return false;
  }
};

inline void centreonscreen(QWidget& window) {
  placecentred(window);
  const bool framed = window.frameGeometry().size() != window.size();
  const QString watcher = QString::fromLatin1(CentreWhenFramed::name);
  if (!framed && window.findChild<QObject*>(watcher, Qt::FindDirectChildrenOnly) == nullptr) new CentreWhenFramed(window);
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
