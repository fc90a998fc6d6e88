#include "ui/dialogframe.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace ui {

namespace {

// The whole window, frame included, in the middle of its screen.
void placecentred(QWidget& window) {
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

}  // namespace

QFont programfont() {
  QFont font;
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                    QStringLiteral("Helvetica")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

QFont pixelfont(const QFont& base, int pixels, bool bold) {
  QFont font = base;
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

void setdialogframe(QDialog& dialog, int clientwidth, int clientheight, bool staysontop) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
  if (staysontop) flags |= Qt::WindowStaysOnTopHint;
  dialog.setWindowFlags(flags);
  dialog.setFixedSize(clientwidth, clientheight);
  dialog.setFont(pixelfont(dialog.font(), 11, false));
}

void centreonscreen(QWidget& window) {
  placecentred(window);
  const bool framed = window.frameGeometry().size() != window.size();
  const QString watcher = QString::fromLatin1(CentreWhenFramed::name);
  if (!framed && window.findChild<QObject*>(watcher, Qt::FindDirectChildrenOnly) == nullptr)
    new CentreWhenFramed(window);
}

void showandpaint(QWidget& window) {
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
