#include "ui/splash_Unit.h"

#include <QLabel>
#include <QPixmap>

#include "ui/art.h"
#include "ui/dialogframe.h"
#include "ui/jpegpicture.h"
#include "ui/qtext.h"

namespace ui {

namespace {

QLabel* centredline(QWidget* parent, const char* name, const std::string& text, int top) {
  auto* label = new QLabel(toqt(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(pixelfont(parent->font(), 11, true));
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label->setGeometry(8, top, 361, 13);
  return label;
}

}  // namespace

Tsplashform::Tsplashform(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("splashform"));
  setWindowTitle(QStringLiteral("Mixolino"));
  setdialogframe(*this, 376, 378, false);
  QPalette background = palette();
  background.setColor(QPalette::Window, Qt::white);
  setPalette(background);
  setAutoFillBackground(true);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(0, 0, 377, 337);
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const QImage picture = decodejpeg(splashjpeg());
  if (!picture.isNull()) Image1->setPixmap(QPixmap::fromImage(picture));

  Label1 = centredline(this, "Label1", std::string("Mixolino - Cocktailrezepte für zu Hause"_cp), 344);
  Label2 = centredline(this, "Label2", "Version " MIXOLINO_VERSION, 360);
}

void Tsplashform::showpainted() {
  centreonscreen(*this);
  showandpaint(*this);
}

void Tsplashform::showmodal() {
  centreonscreen(*this);
  exec();
}

}  // namespace ui
