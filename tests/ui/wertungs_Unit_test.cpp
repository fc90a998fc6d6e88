#include <QPushButton>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTest>

#include "tests/ui/modalanswer.h"
#include "ui/wertungs_Unit.h"

using testsupport::ModalAnswer;

class WertungsformTest : public QObject {
  Q_OBJECT

 private slots:
  void okReturnsTheThumbPosition() {
    ui::Twertungsform form;
    int shownat = 0;
    ModalAnswer answer([&](QWidget*) {
      shownat = form.wertungsregler->value();
      form.wertungsregler->setValue(2);
      QTest::mouseClick(form.b_ok, Qt::LeftButton);
      return true;
    });
    int rating = 4;
    QVERIFY(form.anzeigen(rating));
    QVERIFY(answer.done);
    QCOMPARE(shownat, 4);
    QCOMPARE(rating, 2);
    QVERIFY(!form.isVisible());
  }

  void enterPressesOk() {
    ui::Twertungsform form;
    ModalAnswer answer([](QWidget* dialog) {
      QTest::keyClick(dialog, Qt::Key_Return);
      return true;
    });
    int rating = 5;
    QVERIFY(form.anzeigen(rating));
    QCOMPARE(rating, 5);
  }

  void ratingsOutsideOneToFiveOpenAtThree_data() {
    QTest::addColumn<int>("rating");
    QTest::newRow("never rated") << 0;
    QTest::newRow("above") << 6;
    QTest::newRow("negative") << -1;
  }
  void ratingsOutsideOneToFiveOpenAtThree() {
    QFETCH(int, rating);
    ui::Twertungsform form;
    form.wertungsregler->setValue(5);  // left over from an earlier showing
    int shownat = 0;
    ModalAnswer answer([&](QWidget*) {
      shownat = form.wertungsregler->value();
      form.b_ok->click();
      return true;
    });
    QVERIFY(form.anzeigen(rating));
    QCOMPARE(shownat, 3);
    QCOMPARE(rating, 3);
  }

  void closingWithoutOkLeavesTheRating_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("title-bar button") << false;
    QTest::newRow("escape") << true;
  }
  void closingWithoutOkLeavesTheRating() {
    QFETCH(bool, escape);
    ui::Twertungsform form;
    ModalAnswer answer([&](QWidget* dialog) {
      form.wertungsregler->setValue(5);
      if (escape)
        QTest::keyClick(dialog, Qt::Key_Escape);
      else
        dialog->close();
      return true;
    });
    int rating = 1;
    QVERIFY(!form.anzeigen(rating));
    QVERIFY(answer.done);
    QCOMPARE(rating, 1);
  }

  void theThumbIsTwentyPixelsLongAndTheTicksClearOk() {
    ui::Twertungsform form;
    QStyleOptionSlider option;
    option.initFrom(form.wertungsregler);
    option.orientation = Qt::Horizontal;
    option.minimum = 1;
    option.maximum = 5;
    option.tickPosition = QSlider::TicksBelow;
    option.tickInterval = 1;
    const QRect thumb = form.wertungsregler->style()->subControlRect(QStyle::CC_Slider, &option,
                                                                     QStyle::SC_SliderHandle, form.wertungsregler);
    QCOMPARE(thumb.width(), 20);
    QVERIFY(form.wertungsregler->geometry().bottom() < form.b_ok->geometry().top());
  }

  void okOfAnEarlierShowingDoesNotCountAgain() {
    ui::Twertungsform form;
    int rating = 2;
    {
      ModalAnswer answer([&](QWidget*) {
        form.b_ok->click();
        return true;
      });
      QVERIFY(form.anzeigen(rating));
    }
    ModalAnswer answer([](QWidget* dialog) { return dialog->close(); });
    QVERIFY(!form.anzeigen(rating));
    QCOMPARE(rating, 2);
  }
};

QTEST_MAIN(WertungsformTest)
#include "wertungs_Unit_test.moc"
