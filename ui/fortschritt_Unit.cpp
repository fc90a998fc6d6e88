#include "ui/fortschritt_Unit.h"

#include <QPainter>
#include <algorithm>

#include "ui/dialogframe.h"

namespace ui {

Tfortschrittsbalken::Tfortschrittsbalken(QWidget* parent) : QWidget(parent) {}

void Tfortschrittsbalken::setrange(int minimum, int maximum) {
  const int before = percent();
  minimum_ = minimum;
  maximum_ = std::max(minimum, maximum);
  value_ = std::clamp(value_, minimum_, maximum_);
  if (percent() != before) repaint();
}

void Tfortschrittsbalken::setvalue(int value) {
  const int before = percent();
  value_ = std::clamp(value, minimum_, maximum_);
  if (percent() != before) repaint();
}

int Tfortschrittsbalken::share(int whole) const {
  const long long span = static_cast<long long>(maximum_) - minimum_;
  if (span == 0) return 0;
  return static_cast<int>((static_cast<long long>(value_) - minimum_) * whole / span);
}

int Tfortschrittsbalken::percent() const { return share(100); }

QString Tfortschrittsbalken::text() const { return QString::asprintf("%d%%", percent()); }

// The gauge is a little wider than the dialog's client area; drawing within
// the part that shows keeps its right border and its centred text on screen.
QRect Tfortschrittsbalken::shownarea() const {
  return parentWidget() == nullptr ? rect() : rect() & parentWidget()->rect().translated(-pos());
}

void Tfortschrittsbalken::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = shownarea();
  const QRect inside = area.adjusted(1, 1, -1, -1);
  const QRect bar(inside.left(), inside.top(), share(inside.width()), inside.height());

  painter.fillRect(inside, Qt::white);
  painter.fillRect(bar, Qt::blue);
  painter.setPen(Qt::black);
  painter.drawRect(area.adjusted(0, 0, -1, -1));

  // The text is black on white and white where the bar lies under it.
  painter.setClipRect(inside);
  painter.drawText(inside, Qt::AlignCenter, text());
  painter.setClipRect(bar);
  painter.setPen(Qt::white);
  painter.drawText(inside, Qt::AlignCenter, text());
}

Tfortschrittform::Tfortschrittform(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fortschrittform"));
  setWindowTitle(QStringLiteral("Einen Moment bitte"));
  setdialogframe(*this, 286, 17, true);
  fortschritt = new Tfortschrittsbalken(this);
  fortschritt->setObjectName(QStringLiteral("fortschritt"));
  fortschritt->setGeometry(0, 0, 289, 17);
}

void Tfortschrittform::zeigefortschritt(int percent) {
  fortschritt->setrange(0, 100);
  fortschritt->setvalue(percent);
  if (isVisible()) return;
  centreonscreen(*this);
  showandpaint(*this);  // the caller's loop blocks the event loop next
}

}  // namespace ui
