#include <QLabel>
#include <QTest>

#include "tests/ui/modalanswer.h"
#include "ui/qtext.h"
#include "ui/splash_Unit.h"

class SplashformTest : public QObject {
  Q_OBJECT

 private slots:
  void showsThePictureAndTwoLines() {
    ui::Tsplashform form;
    QCOMPARE(form.Image1->pixmap().size(), QSize(373, 336));
    QCOMPARE(form.Label1->text(), QString::fromUtf8("Mixolino - Cocktailrezepte f\u00fcr zu Hause"));
    QCOMPARE(form.Label2->text(), QStringLiteral("Version 1.01"));
  }

  void eachLineFitsItsLabel() {
    ui::Tsplashform form;
    for (QLabel* label : {form.Label1, form.Label2}) {
      const QFontMetrics metrics(label->font());
      QVERIFY(metrics.horizontalAdvance(label->text()) <= label->width());
      QVERIFY(metrics.height() <= label->height() + 2);
    }
  }

  void showPaintsWithoutAnEventLoop() {
    ui::Tsplashform form;
    int paints = 0;
    struct PaintCounter : QObject {
      int* count;
      explicit PaintCounter(int* c) : count(c) {}
      bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++*count;
        return false;
      }
    } counter(&paints);
    form.installEventFilter(&counter);
    form.showpainted();
    QVERIFY(form.isVisible());
    QVERIFY(paints > 0);
    form.close();
    QVERIFY(!form.isVisible());
  }

  void theAboutBoxReturnsWhenClosed() {
    ui::Tsplashform form;
    bool wasmodal = false;
    testsupport::ModalAnswer answer([&](QWidget* dialog) {
      wasmodal = dialog == &form;
      return dialog->close();
    });
    form.showmodal();
    QVERIFY(answer.done);
    QVERIFY(wasmodal);
    QVERIFY(!form.isVisible());
  }
};

QTEST_MAIN(SplashformTest)
#include "splash_Unit_test.moc"
