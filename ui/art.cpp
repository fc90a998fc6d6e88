#include "ui/art.h"

#include <QFile>

// The resource file is compiled into this static library; nothing would pull
// its object file into the program without this explicit registration, done
// once, before the first picture is read.
static void registerart() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(art);
    return true;
  }();
  (void)registered;
}

namespace ui {

namespace {

QIcon glyph(const char* path) {
  registerart();
  return QIcon(QString::fromLatin1(path));
}

}  // namespace

QByteArray splashjpeg() {
  registerart();
  QFile file(QStringLiteral(":/art/splash.jpg"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QIcon okglyph() { return glyph(":/art/ok.png"); }

QIcon zusatzglyph() { return glyph(":/art/zusatz.png"); }

QIcon suchenglyph() { return glyph(":/art/suchen.png"); }

QIcon programicon() { return glyph(":/art/mixolino.png"); }

}  // namespace ui
