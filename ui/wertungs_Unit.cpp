#include "ui/wertungs_Unit.h"

#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>

#include "ui/art.h"
#include "ui/dialogframe.h"

namespace ui {

namespace {

QLabel* boldlabel(QWidget* parent, const char* name, const char* text, int left) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(pixelfont(parent->font(), 13, true));
  label->adjustSize();
  label->move(left, 0);
  return label;
}

// The platform's look with a thumb 20 pixels long.
class ThumbStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    return metric == PM_SliderLength ? 20 : QProxyStyle::pixelMetric(metric, option, widget);
  }
};

}  // namespace

Twertungsform::Twertungsform(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("wertungsform"));
  setWindowTitle(QStringLiteral("Bewertung"));
  setdialogframe(*this, 291, 82, true);

  // Qt draws the ticks at the bottom edge of the track bar; at the usual 45
  // pixels they would lie behind "OK", so the bar ends just above it.
  wertungsregler = new QSlider(Qt::Horizontal, this);
  wertungsregler->setObjectName(QStringLiteral("wertungsregler"));
  wertungsregler->setGeometry(0, 16, 289, 36);
  wertungsregler->setRange(1, 5);
  wertungsregler->setTickInterval(1);
  wertungsregler->setTickPosition(QSlider::TicksBelow);
  wertungsregler->setPageStep(1);
  auto* thumbstyle = new ThumbStyle;
  thumbstyle->setParent(wertungsregler);
  wertungsregler->setStyle(thumbstyle);

  Label1 = boldlabel(this, "Label1", "schlecht", 6);
  Label3 = boldlabel(this, "Label3", "geht so", 118);
  Label2 = boldlabel(this, "Label2", "super", 244);

  b_ok = new QPushButton(okglyph(), QStringLiteral("OK"), this);
  b_ok->setObjectName(QStringLiteral("b_ok"));
  b_ok->setGeometry(94, 52, 105, 25);
  b_ok->setDefault(true);
  connect(b_ok, &QPushButton::clicked, this, &Twertungsform::b_okClick);
}

bool Twertungsform::anzeigen(int& rating) {
  okgedrueckt = false;
  const bool inrange = rating >= wertungsregler->minimum() && rating <= wertungsregler->maximum();
  wertungsregler->setValue(inrange ? rating : 3);
  centreonscreen(*this);
  exec();
  if (!okgedrueckt) return false;
  rating = wertungsregler->value();
  return true;
}

void Twertungsform::b_okClick() {
  okgedrueckt = true;
  accept();
}

}  // namespace ui
