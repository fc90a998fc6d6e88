#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include "platform/codepage.h"
#include "tests/ui/modalanswer.h"
#include "ui/main_Unit.h"
#include "ui/memo_Unit.h"

class MemoformTest : public QObject {
  Q_OBJECT

 private slots:
  void startsWithOneEmptyLine() {
    ui::TMemoform form;
    form.addline("erste");
    QCOMPARE(form.Memo->toPlainText(), QStringLiteral("\nerste"));
  }

  void clearingLeavesNoLineBeforeTheNextOne() {
    ui::TMemoform form;
    form.addline("alt");
    form.clearmemo();
    QCOMPARE(form.Memo->toPlainText(), QString());
    form.addline("eins");
    form.addline("");
    form.addline("drei");
    QCOMPARE(form.Memo->toPlainText(), QStringLiteral("eins\n\ndrei"));
    QCOMPARE(form.Memo->document()->blockCount(), 3);
  }

  void linesAreWindows1252AndKeepTabsAndBlanks() {
    ui::TMemoform form;
    form.clearmemo();
    form.addline(std::string("BL \t  Barlöffel    \t\t1 BL = 0,25 cl"_cp));
    QCOMPARE(form.Memo->toPlainText(), QString::fromUtf8("BL \t  Barl\u00f6ffel    \t\t1 BL = 0,25 cl"));
  }

  void longLinesScrollInsteadOfWrapping() {
    ui::TMemoform form;
    form.clearmemo();
    form.addline(std::string(400, 'x'));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.Memo->document()->lineCount(), 1);
    QVERIFY(form.Memo->horizontalScrollBar()->maximum() > 0);
  }

  // The viewer is as wide as the program description's longest line, in the
  // narrow sans serif the windows are laid out for.
  void theProgramDescriptionNeedsNoScrolling() {
    ui::TMemoform form;
    form.clearmemo();
    for (const std::string& line : ui::programmbeschreibungzeilen()) form.addline(line);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.Memo->horizontalScrollBar()->maximum(), 0);
  }

  void showmodalReturnsWhenTheUserCloses() {
    ui::TMemoform form;
    form.clearmemo();
    form.addline("Features:");
    QString shown;
    testsupport::ModalAnswer answer([&](QWidget* dialog) {
      shown = form.Memo->toPlainText();
      return dialog->close();
    });
    form.showmodal();
    QVERIFY(answer.done);
    QCOMPARE(shown, QStringLiteral("Features:"));
    QVERIFY(!form.isVisible());
  }
};

QTEST_MAIN(MemoformTest)
#include "memo_Unit_test.moc"
