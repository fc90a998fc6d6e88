#include "ui/dialogart.h"

#include <QFile>

// The resources live in a static library; nothing would pull their object
// file into the program without this explicit registration.
static void registerdialogresources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(dialogs);
    return true;
  }();
  (void)registered;
}

namespace ui {

QByteArray splashjpeg() {
  registerdialogresources();
  QFile file(":/dialogs/splash.jpg");
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QIcon okglyph() {
  registerdialogresources();
  return QIcon(":/dialogs/ok.png");
}

QIcon zusatzglyph() {
  registerdialogresources();
  return QIcon(":/dialogs/zusatz.png");
}

QIcon programicon() {
  registerdialogresources();
  return QIcon(":/dialogs/mixolino.png");
}

}  // namespace ui
