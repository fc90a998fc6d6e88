#include <QTest>

#include "ui/fortschritt_Unit.h"

namespace {

// Counts the events of one type that reach a widget.
class EventCounter : public QObject {
 public:
  EventCounter(QWidget& widget, QEvent::Type type) : type_(type) { widget.installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == type_) ++count;
    return false;
  }

 private:
  QEvent::Type type_;
};

// The colour in the middle of the gauge's height at x.
QColor gaugecolour(ui::Tfortschrittsbalken& gauge, int x) {
  return gauge.grab().toImage().pixelColor(x, gauge.height() / 2);
}

}  // namespace

class FortschrittformTest : public QObject {
  Q_OBJECT

 private slots:
  void valuesAboveHundredShowAFullBar() {
    ui::Tfortschrittform form;
    form.zeigefortschritt(150);
    QVERIFY(form.isVisible());
    QCOMPARE(form.fortschritt->value(), 100);
    QCOMPARE(form.fortschritt->text(), QStringLiteral("100%"));
    QCOMPARE(gaugecolour(*form.fortschritt, 3), QColor(Qt::blue));
    // The last blue column lies inside the dialog, where the gauge shows.
    QCOMPARE(gaugecolour(*form.fortschritt, form.width() - 2), QColor(Qt::blue));
    QCOMPARE(gaugecolour(*form.fortschritt, form.width() - 1), QColor(Qt::black));
  }

  void negativeValuesShowAnEmptyBar() {
    ui::Tfortschrittform form;
    form.zeigefortschritt(-5);
    QCOMPARE(form.fortschritt->value(), 0);
    QCOMPARE(form.fortschritt->text(), QStringLiteral("0%"));
    QCOMPARE(gaugecolour(*form.fortschritt, 3), QColor(Qt::white));
  }

  void theBarCoversTheShareOfTheWidth() {
    ui::Tfortschrittform form;
    form.zeigefortschritt(25);
    ui::Tfortschrittsbalken& gauge = *form.fortschritt;
    QCOMPARE(gauge.text(), QStringLiteral("25%"));
    QCOMPARE(gaugecolour(gauge, form.width() / 4 - 4), QColor(Qt::blue));
    QCOMPARE(gaugecolour(gauge, form.width() / 4 + 4), QColor(Qt::white));
  }

  void aSecondCallOnlyMovesTheBar() {
    ui::Tfortschrittform form;
    EventCounter shows(form, QEvent::Show);
    form.zeigefortschritt(10);
    form.move(form.pos() + QPoint(37, 21));  // the user moved it aside
    const QPoint moved = form.pos();
    form.zeigefortschritt(60);
    QCOMPARE(shows.count, 1);
    QCOMPARE(form.pos(), moved);
    QCOMPARE(form.fortschritt->text(), QStringLiteral("60%"));
  }

  void theGaugePaintsAtOnceWhenThePercentageChanges() {
    ui::Tfortschrittform form;
    form.zeigefortschritt(1);
    EventCounter paints(*form.fortschritt, QEvent::Paint);
    // No event loop runs between the calls, as in the caller's busy loop.
    form.zeigefortschritt(2);
    QCOMPARE(paints.count, 1);
    form.zeigefortschritt(2);
    QCOMPARE(paints.count, 1);
    form.zeigefortschritt(3);
    QCOMPARE(paints.count, 2);
  }

  void closingHidesAndTheNextCallShowsAgain() {
    ui::Tfortschrittform form;
    form.zeigefortschritt(100);
    form.close();
    QVERIFY(!form.isVisible());
    form.zeigefortschritt(0);
    QVERIFY(form.isVisible());
    QCOMPARE(form.fortschritt->text(), QStringLiteral("0%"));
  }

  void percentOfAnyRangeIsTheWholeShare() {
    ui::Tfortschrittsbalken gauge;
    gauge.setrange(-200, 100);
    gauge.setvalue(-101);
    QCOMPARE(gauge.percent(), 33);
    gauge.setrange(5, 5);
    QCOMPARE(gauge.text(), QStringLiteral("0%"));
  }
};

QTEST_MAIN(FortschrittformTest)
#include "fortschritt_Unit_test.moc"
