#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>

#include "catalogue/catalogue.h"
#include "catalogue/zutatenedit_model.h"
#include "platform/codepage.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recording_progress.h"
#include "tests/support/tablebuilder.h"
#include "tests/ui/modalanswer.h"
#include "ui/ersatzedit_Unit.h"
#include "ui/qtext.h"
#include "ui/zutatenedit_Unit.h"

namespace {

using catalogue::ZutateneditModel;
using enum ZutateneditModel::Spalte;  // the grid's columns; the names are its row headers

// A catalogue in a temporary folder with three ingredients:
//   1 Rum          alcoholic, not available, used by 2 recipe lines
//   2 apfelsaft    not alcoholic, available,  used by 3 recipe lines
//   3 Zitrone      not alcoholic, not available, unused
class Kueche {
 public:
  Kueche() {
    catalogue.StarttimerTimer();
    zutat("1", "Rum", "0", "1");
    zutat("2", "apfelsaft", "1", "0");
    zutat("3", "Zitrone", "0", "0");
    for (const char* key : {"1", "2", "2", "1", "2"}) link(key);
    QVERIFY(catalogue.flush());
    catalogue.StarttimerTimer();  // reload: the placeholder rows are gone
  }

  std::string record(int row) const { return catalogue.c_zutaten().getcell(1, row); }

  testsupport::TempFolder folder;
  testsupport::FakeMessages messages;
  testsupport::FakeClock clock;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  testsupport::RecordingProgress progress;
  catalogue::Catalogue catalogue{folder.path() + "mixolino", splash, application};

 private:
  void zutat(const std::string& key, const std::string& name, const std::string& avail, const std::string& alk) {
    std::vector<std::string> row{key, testsupport::packed({name, avail, alk})};
    catalogue.c_zutaten().addrow(row);
  }
  void link(const std::string& key) {
    std::vector<std::string> row{"7", key, testsupport::packed({"4", "cl"})};
    catalogue.c_rezeptezutaten().addrow(row);
  }
};

// The names down the grid, as the window shows them.
QStringList shownnames(const QTableView& grid) {
  QStringList names;
  for (int row = 0; row < grid.model()->rowCount(); ++row)
    names << grid.model()->headerData(row, Qt::Vertical).toString();
  return names;
}

QString celltext(const QTableView& grid, int row, int column) {
  return grid.model()->index(row, column).data().toString();
}

QPoint cellcentre(const QTableView& grid, int row, int column) {
  return grid.visualRect(grid.model()->index(row, column)).center();
}

// A double-click as the window system delivers it: a press and release,
// then the second press arrives as the double-click itself.
void doppelklick(QTableView& grid, int row, int column) {
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellcentre(grid, row, column));
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cellcentre(grid, row, column));
}

// Opens the editor, runs act inside it, then closes it with the title-bar
// button unless act closed it already.
void imfenster(ui::Tzutatenedit& editor, bool extras, const std::function<void()>& act) {
  testsupport::ModalAnswer answer([&](QWidget* modal) {
    if (modal != &editor) return false;
    act();
    if (editor.isVisible()) editor.close();
    return true;
  });
  editor.anzeigen(extras);
}

}  // namespace

class ZutateneditTest : public QObject {
  Q_OBJECT

 private slots:
  void showsEveryIngredientWithCountAndFlags() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    QString caption;
    QStringList names;
    QStringList headers;
    QStringList apfelsaft;
    imfenster(editor, false, [&] {
      caption = editor.windowTitle();
      names = shownnames(*editor.zutatengrid);
      for (int column = verwendet; column <= verfuegbar; ++column) {
        headers << editor.zutatengrid->model()->headerData(column, Qt::Horizontal).toString();
        apfelsaft << celltext(*editor.zutatengrid, 1, column);
      }
    });
    QCOMPARE(caption, QStringLiteral("Zutaten (3)"));
    QCOMPARE(names, QStringList({"Rum", "apfelsaft", "Zitrone"}));
    QCOMPARE(headers, QStringList({"verwendet", "alkoholisch?", QString::fromUtf8("verf\u00fcgbar?")}));
    QCOMPARE(apfelsaft, QStringList({"3", "Nein", "Ja"}));
    QCOMPARE(kueche.progress.shown, std::vector<int>({33, 67, 100}));
    QCOMPARE(kueche.progress.closed, 1);
  }

  void zusatzfStaysVisibleOnceShownWithExtras() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    std::vector<bool> visible;
    for (bool extras : {false, true, false})
      imfenster(editor, extras, [&] { visible.push_back(editor.b_zusatz->isVisible()); });
    QCOMPARE(visible, std::vector<bool>({false, true, true}));
  }

  void aPressInTheHeaderRowSortsByTheColumnUnderIt() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    QStringList bycount, byname, byavailable, afterdatapress;
    int selectedafternameclick = 0;
    imfenster(editor, false, [&] {
      QHeaderView* header = editor.zutatengrid->horizontalHeader();
      const int y = header->height() / 2;
      QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(10, y));
      bycount = shownnames(*editor.zutatengrid);
      QAbstractButton* corner = editor.zutatengrid->findChild<QAbstractButton*>();
      QTest::mousePress(corner, Qt::RightButton, {}, QPoint(10, y));
      byname = shownnames(*editor.zutatengrid);
      // Right of the last column counts as the last column.
      QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(header->viewport()->width() - 5, y));
      byavailable = shownnames(*editor.zutatengrid);
      QTest::mouseClick(editor.zutatengrid->viewport(), Qt::LeftButton, {},
                        cellcentre(*editor.zutatengrid, 0, verwendet));
      afterdatapress = shownnames(*editor.zutatengrid);
      // The name column is a header: a click there selects nothing.
      QHeaderView* names = editor.zutatengrid->verticalHeader();
      QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, QPoint(20, names->sectionViewportPosition(2) + 8));
      selectedafternameclick = editor.model().selectedrow();
    });
    QCOMPARE(selectedafternameclick, 0);
    QCOMPARE(bycount, QStringList({"apfelsaft", "Rum", "Zitrone"}));
    QCOMPARE(byname, QStringList({"apfelsaft", "Rum", "Zitrone"}));
    QCOMPARE(byavailable.first(), QStringLiteral("apfelsaft"));  // "Ja" before "Nein"
    QCOMPARE(afterdatapress, byavailable);
  }

  void aDoubleClickOnTheHeaderOnlySorts() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    QStringList alcoholic;
    imfenster(editor, false, [&] {
      QTableView& grid = *editor.zutatengrid;
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellcentre(grid, 0, alkoholisch));  // Rum
      QHeaderView* header = grid.horizontalHeader();
      const QPoint verwendet(10, header->height() / 2);
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, verwendet);
      QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, verwendet);
      for (int row = 0; row < grid.model()->rowCount(); ++row) alcoholic << celltext(grid, row, alkoholisch);
    });
    QCOMPARE(alcoholic, QStringList({"Nein", "Ja", "Nein"}));  // apfelsaft, Rum, Zitrone
  }

  void doubleClickTogglesOnlyTheFlagColumns() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    QStringList afterone, aftertwo;
    QString count;
    imfenster(editor, false, [&] {
      QTableView& grid = *editor.zutatengrid;
      doppelklick(grid, 2, alkoholisch);
      doppelklick(grid, 2, verfuegbar);
      afterone << celltext(grid, 2, alkoholisch) << celltext(grid, 2, verfuegbar);
      doppelklick(grid, 2, alkoholisch);
      aftertwo << celltext(grid, 2, alkoholisch) << celltext(grid, 2, verfuegbar);
      doppelklick(grid, 2, verwendet);
      count = celltext(grid, 2, verwendet);
    });
    QCOMPARE(afterone, QStringList({"Ja", "Ja"}));
    QCOMPARE(aftertwo, QStringList({"Nein", "Ja"}));
    QCOMPARE(count, QStringLiteral("0"));
  }

  // Typing in "Suchen:" keeps the rows whose name contains the text; Space
  // toggles the selected flag cell as a double-click does.
  void filterFieldAndSpaceFindAndMarkARow() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    QStringList shown;
    imfenster(editor, false, [&] {
      QTest::keyClicks(editor.e_suchen, QStringLiteral("ZI"));
      shown = shownnames(*editor.zutatengrid);
      editor.zutatengrid->setCurrentIndex(editor.zutatengrid->model()->index(0, verfuegbar));
      QTest::keyClick(editor.zutatengrid, Qt::Key_Space);
      editor.b_ok->click();
    });
    QCOMPARE(shown, QStringList{"Zitrone"});
    QCOMPARE(kueche.record(2), testsupport::packed({"Zitrone", "1", "0"}));
  }

  // The title-bar button with unsaved changes: Abbrechen keeps the window,
  // Nein drops the changes, Ja saves them; without changes it only closes.
  void closingWithChangesAsksWhetherToSave() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    std::vector<bool> open;
    const auto closewith = [&](std::deque<platform::Antwort> answers) {
      imfenster(editor, false, [&] {
        doppelklick(*editor.zutatengrid, 2, verfuegbar);
        kueche.messages.threeway = answers;
        for (std::size_t i = 0; i < answers.size(); ++i) {
          editor.close();
          open.push_back(editor.isVisible());
        }
      });
    };
    closewith({platform::Antwort::abbrechen, platform::Antwort::nein});
    QCOMPARE(kueche.record(2), testsupport::packed({"Zitrone", "0", "0"}));
    QCOMPARE(kueche.application.armed, 0);
    closewith({platform::Antwort::ja});
    QCOMPARE(open, (std::vector<bool>{true, false, false}));
    QCOMPARE(kueche.record(2), testsupport::packed({"Zitrone", "1", "0"}));
    QCOMPARE(kueche.application.armed, 1);
    QCOMPARE(kueche.messages.texts(testsupport::Message::Kind::yesnocancel),
             std::vector<std::string>(3, std::string("Änderungen speichern?"_cp)));
    kueche.messages.clear();
    imfenster(editor, false, [] {});
    QVERIFY(kueche.messages.log.empty());
  }

  void escapeEndsAPickAndKeepsTheWindowOpen() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    Qt::CursorShape picking = Qt::ArrowCursor, afterescape = Qt::PointingHandCursor;
    bool active = false;
    bool openafterescape = false;
    std::size_t pairs = 99;
    imfenster(editor, true, [&] {
      // Qt's own idea of the active window, which the keys go by; a busy machine may take seconds.
      active = QTest::qWaitFor([&editor] { return QApplication::activeWindow() == &editor; }, 30000);
      QTest::mouseClick(editor.zutatengrid->viewport(), Qt::LeftButton, {},
                        cellcentre(*editor.zutatengrid, 0, verwendet));
      editor.zutataufloesen->trigger();
      picking = editor.zutatengrid->viewport()->cursor().shape();
      QTest::keyClick(&editor, Qt::Key_Escape);
      afterescape = editor.zutatengrid->viewport()->cursor().shape();
      openafterescape = editor.isVisible();
      pairs = editor.model().aufloesliste().size();
    });
    QVERIFY(active);
    QCOMPARE(picking, Qt::PointingHandCursor);
    QCOMPARE(afterescape, Qt::ArrowCursor);
    QVERIFY(openafterescape);
    QCOMPARE(pairs, std::size_t(0));
    QCOMPARE(kueche.messages.informations().size(), std::size_t(1));
  }

  void aDoubleClickPicksTheMergeTarget() {
    Kueche kueche;
    kueche.messages.answers = {true};
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    std::vector<catalogue::Aufloespaar> pairs;
    Qt::CursorShape afterpick = Qt::PointingHandCursor;
    imfenster(editor, true, [&] {
      QTableView& grid = *editor.zutatengrid;
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellcentre(grid, 2, verwendet));  // Zitrone
      editor.zutataufloesen->trigger();
      QHeaderView* names = grid.verticalHeader();  // the name of apfelsaft
      const QPoint apfelsaft(20, names->sectionViewportPosition(1) + 8);
      QTest::mouseClick(names->viewport(), Qt::LeftButton, {}, apfelsaft);
      QTest::mouseDClick(names->viewport(), Qt::LeftButton, {}, apfelsaft);
      pairs = editor.model().aufloesliste();
      afterpick = grid.viewport()->cursor().shape();
    });
    QCOMPARE(pairs, std::vector<catalogue::Aufloespaar>({{3, 2}}));
    QCOMPARE(afterpick, Qt::ArrowCursor);
    QCOMPARE(kueche.messages.questions(),
             std::vector<std::string>(
                 {std::string("Wollen Sie Zitrone auflösen und die Rezeptreferenzen auf apfelsaft schieben?"_cp)}));
  }

  void renameGoesThroughTheInputBox() {
    Kueche kueche;
    kueche.messages.inputs = {{true, std::string("Wei\xDF"
                                                 "er Rum")}};
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    QString shown;
    imfenster(editor, true, [&] {
      QTest::mouseClick(editor.zutatengrid->viewport(), Qt::LeftButton, {},
                        cellcentre(*editor.zutatengrid, 0, verfuegbar));
      editor.Zutatumbenennen1->trigger();
      shown = editor.zutatengrid->model()->headerData(0, Qt::Vertical).toString();
    });
    QCOMPARE(kueche.messages.prefills, std::vector<std::string>({"Rum"}));
    QCOMPARE(shown, QString::fromUtf8("Wei\u00dfer Rum"));
  }

  void zusatzfOpensItsMenuAtTheButtonsMiddle() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    QPoint expected, point, opened;
    bool menushown = false;
    imfenster(editor, true, [&] {
      const QRect frame = editor.frameGeometry();
      // 99 / 2 and 25 / 2 round to the even neighbours 50 and 12.
      expected = frame.topLeft() + editor.b_zusatz->pos() + QPoint(50, 12);
      point = editor.zusatzmenupoint();
      QTest::mouseClick(editor.b_zusatz, Qt::LeftButton);
      menushown = editor.PopupMenu_zusatz->isVisible();
      opened = editor.PopupMenu_zusatz->pos();
      editor.PopupMenu_zusatz->close();
    });
    QVERIFY(menushown);
    QCOMPARE(point, expected);
    QCOMPARE(opened, expected);
  }

  void speichernWritesClosesAndRestarts() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    bool closed = false;
    imfenster(editor, false, [&] {
      QTableView& grid = *editor.zutatengrid;
      doppelklick(grid, 2, verfuegbar);  // Zitrone
      QTest::mouseClick(editor.b_ok, Qt::LeftButton);
      closed = !editor.isVisible();
    });
    QVERIFY(closed);
    QCOMPARE(kueche.application.armed, 1);
    QCOMPARE(TdbdynGrid::getsubfield(kueche.record(2), 2), std::string("1"));
    QCOMPARE(kueche.messages.informations(), std::vector<std::string>({"1 Zutateneintr\xE4ge ge\xE4ndert!"}));
  }

  void closingWithTheTitleBarDiscardsEdits() {
    Kueche kueche;
    kueche.messages.inputs = {{true, "Gin"}};
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    const std::string before = kueche.record(0);
    imfenster(editor, true, [&] {
      QTableView& grid = *editor.zutatengrid;
      doppelklick(grid, 0, alkoholisch);
      QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellcentre(grid, 0, verwendet));
      editor.Zutatumbenennen1->trigger();
    });
    QCOMPARE(kueche.record(0), before);
    QCOMPARE(kueche.application.armed, 0);
    QVERIFY(kueche.messages.informations().empty());
  }

  // "Ersatz bearbeiten…" opens the substitutes of the selected ingredient; one added there
  // shows under the grid. "Cocktails mit dieser Zutat" then closes the
  // window through its question and names the ingredient for the list.
  void substitutesAreEditedInTheirWindowAndCocktailsCloseTheEditor() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    QString line;
    imfenster(editor, false, [&] {
      QTest::mouseClick(editor.zutatengrid->viewport(), Qt::LeftButton, {},
                        cellcentre(*editor.zutatengrid, 2, verwendet));
      testsupport::ModalAnswer substitutes([&](QWidget* modal) {
        if (modal != editor.ersatzedit) return false;
        QTest::keyClicks(editor.ersatzedit->e_ersatz, "rum");
        QTest::mouseClick(editor.ersatzedit->b_hinzufuegen, Qt::LeftButton);
        QTest::mouseClick(editor.ersatzedit->b_schliessen, Qt::LeftButton);
        return true;
      });
      QTest::mouseClick(editor.b_ersatz, Qt::LeftButton);
      line = editor.Label_ersatzzeile->text();
      kueche.messages.threeway = {platform::Antwort::nein};
      editor.Cocktailsmitzutat1->trigger();
    });
    QCOMPARE(line, QString::fromUtf8("Ersatz f\u00fcr Zitrone: Rum"));
    QCOMPARE(editor.cocktailzutat(), 3);  // set only once the window has closed
    QCOMPARE(kueche.messages.texts(testsupport::Message::Kind::yesnocancel).size(), std::size_t(1));
  }

  void theGridAndButtonsFollowTheWindowsEdges() {
    Kueche kueche;
    ui::Tzutatenedit editor(kueche.catalogue, kueche.progress);
    QSize grid, gridafter;
    QRect ok, okafter, zusatz, zusatzafter;
    imfenster(editor, true, [&] {
      grid = editor.zutatengrid->size();
      ok = editor.b_ok->geometry();
      zusatz = editor.b_zusatz->geometry();
      editor.resize(editor.size() + QSize(100, 60));
      gridafter = editor.zutatengrid->size();
      okafter = editor.b_ok->geometry();
      zusatzafter = editor.b_zusatz->geometry();
    });
    QCOMPARE(grid, QSize(530, 345));
    QVERIFY(grid.height() < ok.top() && grid.height() < zusatz.top());
    QCOMPARE(ok.size(), QSize(99, 25));
    QCOMPARE(gridafter, grid + QSize(100, 60));
    QCOMPARE(okafter, ok.translated(100, 60));
    QCOMPARE(zusatzafter, zusatz.translated(0, 60));
  }
};

QTEST_MAIN(ZutateneditTest)
#include "zutatenedit_Unit_test.moc"
