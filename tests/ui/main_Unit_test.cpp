// The main window with the real dialogs over a catalogue in a temp folder:
// start-up, import through the open-file dialog, search settings, the result
// list, the info box, the rating, the menus and shortcuts, and the close.
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <fstream>
#include <functional>

#include "platform/codepage.h"
#include "platform/file.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recording_progress.h"
#include "tests/ui/modalanswer.h"
#include "ui/barkarte_Unit.h"
#include "ui/fortschritt_Unit.h"
#include "ui/infogeometrie.h"
#include "ui/main_Unit.h"
#include "ui/memo_Unit.h"
#include "ui/portionen_Unit.h"
#include "ui/qtext.h"
#include "ui/rezeptedit_Unit.h"
#include "ui/splash_Unit.h"
#include "ui/wertungs_Unit.h"
#include "ui/zutatenedit_Unit.h"

using testsupport::ModalAnswer;

namespace {

// Four recipes; "Leer" has no ingredient lines. Windows-1252, CR LF.
const char* const rezepte =
    "Sommerdrink\r\nZutaten:\r\n4 cl Rum\r\n2 cl Zitronensaft\r\nEis\r\nZubereitung: auf Eis\r\n\r\n"
    "Zombie\r\nZutaten:\r\n4 cl Rum\r\n2 cl Kr\xE4uterlik\xF6r\r\n\r\n"
    "Apfelschorle\r\nZutaten:\r\n10 cl Apfelsaft\r\n10 cl Wasser\r\n\r\n"
    "Leer\r\nZutaten:\r\n\r\n";

int rowcount(const QTreeView& list) { return list.model()->rowCount(); }

QString cell(const QModelIndex& row, int col) { return row.siblingAtColumn(col).data().toString(); }

QStringList column(const QTreeView& list, int col) {
  QStringList texts;
  for (int i = 0; i < rowcount(list); ++i) texts << cell(list.model()->index(i, 0), col);
  return texts;
}

QModelIndex rownamed(const QTreeView& list, const QString& name) {
  for (int i = 0; i < rowcount(list); ++i)
    if (cell(list.model()->index(i, 0), 0) == name) return list.model()->index(i, 0);
  return {};
}

// A caption as it reads on screen: without the marker of its underlined letter.
QString shown(const QAction& action) { return QString(action.text()).remove(QLatin1Char('&')); }

QStringList lines(const QPlainTextEdit& memo) { return memo.toPlainText().split(QLatin1Char('\n')); }

QStringList toqt(const std::vector<std::string>& texts) {
  QStringList out;
  for (const std::string& text : texts) out << ui::toqt(text);
  return out;
}

// A one-line recipe view: name padded to 30, then the two flags.
QString viewline(const QString& text, bool alk, bool avail) {
  return text.leftJustified(30) + "(alkoholisch:" + (alk ? "Ja  " : "Nein") + QString::fromUtf8(" verfügbar:") +
         (avail ? "Ja  " : "Nein") + ")";
}

}  // namespace

class MainUnitTest : public QObject {
  Q_OBJECT

 protected:  // what the tests share, named like the other fixtures' state
  QTemporaryDir folder;
  testsupport::FakeClock clock;  // the splash's minimum second passes at once
  testsupport::FakeMessages messages;
  std::unique_ptr<ui::TMainform> form;
  std::unique_ptr<ui::Tzutatenedit> zutatenedit;
  std::unique_ptr<ui::Tfortschrittform> fortschrittform;
  std::unique_ptr<ui::Tsplashform> splashform;
  std::unique_ptr<ui::TMemoform> memoform;
  std::unique_ptr<ui::Twertungsform> wertungsform;
  std::unique_ptr<ui::Trezeptedit> rezeptedit;

  QString dbfile(const char* name) const { return folder.filePath(QStringLiteral("db/")) + name; }

  void search() { form->b_suchen->click(); }

  // Sets one flag subfield of an ingredient (2 available, 3 alcoholic) straight in the table.
  void setflag(const std::string& name, int32_t subfield) {
    TdbdynGrid& zutaten = form->catalogue().c_zutaten();
    for (int32_t row = 0; row < zutaten.getrowcount(); ++row) {
      std::vector<std::string> values;
      QVERIFY(zutaten.getrow(row, values));
      if (TdbdynGrid::getsubfield(values[1], 1) != name) continue;
      QVERIFY(TdbdynGrid::setsubfield(values[1], subfield, "1"));
      QVERIFY(zutaten.updaterow(row, values));
    }
  }

  // Modal windows and pop-ups may leave another window active; the
  // shortcuts act only while the main window is.
  // The window system's activation can run ahead of Qt's own idea of the
  // active window, which the shortcuts go by; on a busy machine either may
  // take seconds, so the wait is on Qt's own and long. The splash screen,
  // shown by the start-up timer meanwhile, can take the activation away, so
  // the wait asks again until the window has it.
  bool activate() {
    return QTest::qWaitFor(
        [this] {
          if (QApplication::activeWindow() != form.get()) form->activateWindow();
          return QApplication::activeWindow() == form.get();
        },
        30000);
  }

  // Runs a print command and answers "Als PDF speichern…", then the save
  // dialog with path; gives the file name the dialog suggested.
  QString savepdf(const std::function<void()>& command, const QString& path) {
    QString suggested;
    ModalAnswer answer([&](QWidget* modal) {
      if (auto* choice = qobject_cast<ui::Tbarkarteform*>(modal)) choice->b_pdf->click();
      auto* name = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (modal->objectName() != QStringLiteral("SaveDialogpdf") || name == nullptr) return false;
      suggested = name->text();
      name->setText(path);
      static_cast<QDialog*>(modal)->accept();
      return true;
    });
    command();
    return answer.done ? suggested : QString();
  }

  // The PDF's text as pdftotext reads it, pages ending in a form feed.
  static QString pdftext(const QString& path) {
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    return reader.waitForFinished() ? QString::fromUtf8(reader.readAllStandardOutput()) : QString();
  }

  void select(const char* name) {
    const QModelIndex row = rownamed(*form->ListView_erg, QString::fromUtf8(name));
    QVERIFY(row.isValid());
    form->ListView_erg->setCurrentIndex(row);
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));  // as the program
    qputenv("HOME", folder.path().toLocal8Bit());  // where the open-file dialog first looks
    form = std::make_unique<ui::TMainform>(folder.filePath(QStringLiteral("mixolino")).toStdString());
    zutatenedit = std::make_unique<ui::Tzutatenedit>(form->catalogue(), form->progressport(), form.get());
    fortschrittform = std::make_unique<ui::Tfortschrittform>(form.get());
    splashform = std::make_unique<ui::Tsplashform>(form.get());
    memoform = std::make_unique<ui::TMemoform>(form.get());
    wertungsform = std::make_unique<ui::Twertungsform>(form.get());
    rezeptedit = std::make_unique<ui::Trezeptedit>(form->catalogue(), form.get());
    form->setfenster({zutatenedit.get(), fortschrittform.get(), splashform.get(), memoform.get(), wertungsform.get(),
                      rezeptedit.get()});
    form->show();
    QVERIFY(activate());
    // The start-up timer creates db/ with its files and loads the tables.
    QTRY_VERIFY(QFile::exists(dbfile("status.txt")));
    QTRY_VERIFY(!splashform->isVisible());
    // The new, empty database is offered the sample; "Nein" leaves it empty.
    QTRY_COMPARE(
        messages.questions(),
        std::vector<std::string>{"Die Datenbank ist leer. Sollen die mitgelieferten Beispielrezepte geladen werden?"});
    QCOMPARE(messages.log.size(), std::size_t(1));
    QCOMPARE(form->catalogue().c_rezepte().getcell(0, 0), std::string());
    messages.clear();
  }

  void startsWithItsCaptionAndHiddenParts() {
    QCOMPARE(form->windowTitle(), QStringLiteral("Mixolino - v1.01"));
    QCOMPARE(form->label_suchinf->text(), QStringLiteral("--"));
    QVERIFY(!form->GB_info->isVisible());
    QVERIFY(!form->debug1->menuAction()->isVisible());
    QStringList menus;
    for (QAction* menu : form->menuBar()->actions()) menus << shown(*menu);
    QCOMPARE(menus, (QStringList{"Programm", "Zutaten", "Rezepte", "Debug", "Info"}));
    QCOMPARE(rowcount(*form->ListView_erg), 0);
    QStringList headings;
    QList<int> widths;
    for (int col = 0; col < form->ListView_erg->header()->count(); ++col) {
      headings << form->ListView_erg->model()->headerData(col, Qt::Horizontal).toString();
      widths << form->ListView_erg->columnWidth(col);
    }
    QCOMPARE(headings, (QStringList{"Cocktailname", "Wertung", "alk?", QString::fromUtf8("verfügbar?")}));
    QCOMPARE(widths, (QList<int>{250, 70, 70, 70}));
    QCOMPARE(form->c_nurverfuegbar->text(), QString::fromUtf8("Zeige nur Cocktails aus verfügbaren Zutaten"));
  }

  // Tab enters each choice once, at its selected button, however often the
  // user has been through the other choice; the arrow keys stay inside one.
  void tabAndArrowsKeepTheTwoChoicesApart() {
    QVERIFY(activate());
    form->e_suchbegriff->setFocus(Qt::TabFocusReason);
    QList<QWidget*> visited;
    for (int i = 0; i < 12; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited << QApplication::focusWidget();
    }
    const QList<QWidget*> round{form->c_alk_egal,        form->c_nurverfuegbar, form->b_suchen,
                                form->r_nurcocktailname, form->ListView_erg,    form->e_suchbegriff};
    QCOMPARE(visited, round + round);

    form->r_nurcocktailname->setFocus(Qt::TabFocusReason);
    QTest::keyClick(form->r_nurcocktailname, Qt::Key_Down);
    QTest::keyClick(form->r_rezeptzusaetzlich, Qt::Key_Down);
    QTest::keyClick(form->r_rezeptzusaetzlich, Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), form->r_rezeptzusaetzlich);
    QVERIFY(form->r_rezeptzusaetzlich->isChecked());
    QVERIFY(form->c_alk_egal->isChecked());
    QCOMPARE(form->label_suchinf->text(), QStringLiteral("--"));
    QTest::keyClick(form->r_rezeptzusaetzlich, Qt::Key_Up);
    QVERIFY(form->r_nurcocktailname->isChecked());
  }

  // Alt and a menu's underlined letter open it; the hidden "Debug" menu
  // never opens that way. The entries read as in the layout.
  void altAndALetterOpenTheMenus() {
    const auto opens = [this](Qt::Key letter) -> QWidget* {
      if (!activate()) return nullptr;
      QTest::keyClick(form.get(), letter, Qt::AltModifier);
      QWidget* popup = QApplication::activePopupWidget();
      if (popup != nullptr) popup->close();
      return popup;
    };
    QCOMPARE(opens(Qt::Key_P), form->Programm1);
    QCOMPARE(opens(Qt::Key_Z), form->Zutaten1);
    QCOMPARE(opens(Qt::Key_I), form->Info1);
    QCOMPARE(opens(Qt::Key_R), form->Rezepte1);
    QCOMPARE(opens(Qt::Key_D), nullptr);
    QVERIFY(form->e_suchbegriff->text().isEmpty());

    QStringList entries;
    QStringList names;
    for (QMenu* menu : {form->Programm1, form->Zutaten1, form->Rezepte1, form->debug1, form->Info1})
      for (QAction* entry : menu->actions())
        if (!entry->isSeparator()) {
          entries << shown(*entry);
          names << entry->objectName();
        }
    QCOMPARE(entries,
             (QStringList{"beenden", "Zutaten bearbeiten", "Einkaufstipps", QString::fromUtf8("Rezepte importieren…"),
                          QString::fromUtf8("Rezepte exportieren…"), QString::fromUtf8("Datenbank sichern…"),
                          QString::fromUtf8("Datenbank wiederherstellen…"), QString::fromUtf8("Neues Rezept…"),
                          QString::fromUtf8("Barkarte erstellen…"), QString::fromUtf8("Datenbank löschen"),
                          "Daten Importieren", "Einheiten", "Programmbeschreibung", "Kurzanleitung",
                          QString::fromUtf8("Über")}));
    QCOMPARE(names.mid(3, 5), (QStringList{"Rezepteimportieren1", "Rezepteexportieren1", "Datenbanksichern1",
                                           "Datenbankwiederherstellen1", "NeuesRezept1"}));
  }

  void controlsFollowTheirAnchorsWhenResized() {
    const QSize before = form->size();
    const QRect list = form->ListView_erg->geometry();
    const QRect info = form->GB_info->geometry();
    const int button = form->b_suchen->x();
    form->resize(before + QSize(100, 60));
    QCOMPARE(form->ListView_erg->geometry(), list.adjusted(0, 0, 100, 60));
    QCOMPARE(form->GroupBox1->width(), 649);
    QCOMPARE(form->GroupBox1->height(), 97);
    QCOMPARE(form->b_suchen->x(), button + 100);
    QCOMPARE(form->GB_info->geometry(), info);
    QCOMPARE(form->label_suchinf->geometry().right() + 1, 649 - 9);
    form->resize(before);
    QCOMPARE(form->ListView_erg->geometry(), list);
    QCOMPARE(form->GroupBox1->width(), 549);
    QCOMPARE(form->b_suchen->x(), button);
  }

  // The import file is named without a dot: the dialog's one filter, shown
  // as "*.*", must still list it.
  void importsThroughTheOpenFileDialog() {
    const QString path = folder.filePath(QStringLiteral("rezepte"));
    {
      std::ofstream out(path.toStdString(), std::ios::binary);
      out << rezepte;
    }
    std::ofstream(folder.filePath(QStringLiteral("notiz.txt")).toStdString()) << "x";
    QString filtertext;
    QString startfolder;
    bool listed = false;
    ModalAnswer answer([&](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      if (dialog == nullptr) return false;
      filtertext = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText();
      startfolder = dialog->directory().absolutePath();
      const QListView* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
      const QAbstractItemModel* model = view->model();
      for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
        if (model->index(row, 0, view->rootIndex()).data().toString() == QStringLiteral("rezepte")) listed = true;
      if (!listed) return false;  // the folder is read in the background
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      name->setText(path);
      QTest::keyClick(name, Qt::Key_Return);
      return true;
    });
    form->Rezepteimportieren1->trigger();
    QVERIFY(answer.done);
    QCOMPARE(startfolder, QDir(folder.path()).absolutePath());
    QCOMPARE(filtertext, QStringLiteral("Alle Dateien (*.*)"));
    QVERIFY(listed);
    QCOMPARE(messages.informations(),
             std::vector<std::string>{std::string("Import wurde ausgeführt, 4 Einträge verarbeitet!"_cp)});
    messages.clear();
    setflag("Rum", 3);
    setflag("Kr\xE4uterlik\xF6r", 3);
  }

  void searchListsEveryRecipeByName() {
    search();
    QCOMPARE(column(*form->ListView_erg, 0), (QStringList{"Apfelschorle", "Leer", "Sommerdrink", "Zombie"}));
    QCOMPARE(form->label_suchinf->text(), QStringLiteral("4 Suchergebnisse"));
    const QModelIndex zombie = rownamed(*form->ListView_erg, "Zombie");
    QCOMPARE((QStringList{cell(zombie, 1), cell(zombie, 2), cell(zombie, 3)}), (QStringList{"", "Ja  ", "Nein"}));
    QCOMPARE(form->rezeptid(zombie), std::string("2"));
    // The label keeps its right end where the layout puts it.
    QCOMPARE(form->label_suchinf->geometry().right() + 1, 549 - 9);
  }

  void alcoholChoiceAndAvailabilitySearchAtOnce() {
    QTest::mouseClick(form->c_alk_ja, Qt::LeftButton);
    QCOMPARE(column(*form->ListView_erg, 0), (QStringList{"Sommerdrink", "Zombie"}));
    QTest::mouseClick(form->c_alk_nein, Qt::LeftButton);
    QCOMPARE(column(*form->ListView_erg, 0), QStringList{"Apfelschorle"});
    QCOMPARE(form->label_suchinf->text(), QStringLiteral("1 Suchergebnisse"));

    // A term typed without Enter waits for the next search; clicking the
    // choice already selected runs none, another one does.
    form->e_suchbegriff->setText(QStringLiteral("zom"));
    QTest::mouseClick(form->c_alk_nein, Qt::LeftButton);
    QCOMPARE(column(*form->ListView_erg, 0), QStringList{"Apfelschorle"});
    QTest::mouseClick(form->c_alk_egal, Qt::LeftButton);
    QCOMPARE(column(*form->ListView_erg, 0), QStringList{"Zombie"});

    form->e_suchbegriff->clear();
    QTest::mouseClick(form->c_nurverfuegbar, Qt::LeftButton);
    QCOMPARE(rowcount(*form->ListView_erg), 0);
    QCOMPARE(form->label_suchinf->text(), QStringLiteral("0 Suchergebnisse"));
    QTest::mouseClick(form->c_nurverfuegbar, Qt::LeftButton);
    QCOMPARE(rowcount(*form->ListView_erg), 4);
  }

  void scopeChangesWaitForTheNextSearch() {
    form->e_suchbegriff->setText(QStringLiteral("RUM"));
    search();
    QCOMPARE(rowcount(*form->ListView_erg), 0);
    QTest::mouseClick(form->r_rezeptzusaetzlich, Qt::LeftButton);
    QCOMPARE(rowcount(*form->ListView_erg), 0);
    search();
    QCOMPARE(column(*form->ListView_erg, 0), (QStringList{"Sommerdrink", "Zombie"}));
    QTest::mouseClick(form->r_nurcocktailname, Qt::LeftButton);
  }

  void enterInTheSearchFieldSearches() {
    form->e_suchbegriff->clear();
    QTest::keyClicks(form->e_suchbegriff, QStringLiteral("  apfel "));
    QCOMPARE(rowcount(*form->ListView_erg), 2);  // typing alone does not search
    QTest::keyClick(form->e_suchbegriff, Qt::Key_Return);
    QCOMPARE(column(*form->ListView_erg, 0), QStringList{"Apfelschorle"});
    form->e_suchbegriff->clear();
    QTest::keyClick(form->e_suchbegriff, Qt::Key_Enter);
    QCOMPARE(rowcount(*form->ListView_erg), 4);
  }

  void enterOrDoubleClickShowsTheRecipe() {
    search();
    select("Zombie");
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    QVERIFY(form->GB_info->isVisible());
    QCOMPARE(form->GB_info->title(), QStringLiteral("Info: Zombie"));
    QCOMPARE(lines(*form->infomemo), (QStringList{viewline("4 cl Rum", true, false),
                                                  viewline(QString::fromUtf8("2 cl Kräuterlikör"), true, false)}));
    QCOMPARE(lines(*form->infomemo).first().size(), 63);

    form->b_info_x->click();
    QVERIFY(!form->GB_info->isVisible());
    QVERIFY(form->infomemo->toPlainText().isEmpty());

    select("Sommerdrink");
    const QRect row = form->ListView_erg->visualRect(form->ListView_erg->currentIndex());
    QTest::mouseDClick(form->ListView_erg->viewport(), Qt::LeftButton, {}, row.center());
    QVERIFY(form->GB_info->isVisible());
    QCOMPARE(lines(*form->infomemo),
             (QStringList{viewline("4 cl Rum", true, false), viewline("2 cl Zitronensaft", false, false),
                          viewline("Eis", false, false), "", "auf Eis"}));
    QVERIFY(messages.log.empty());
  }

  // A new search leaves no row selected: the old selection would name
  // another recipe among the new rows.
  void doubleClickWithoutSelectionDoesNothing() {
    form->b_info_x->click();
    select("Zombie");
    search();
    QVERIFY(form->ListView_erg->selectionModel()->selectedRows().isEmpty());
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    QVERIFY(!form->GB_info->isVisible());
    const QPoint below(20, form->ListView_erg->viewport()->height() - 5);  // under the last row
    QTest::mouseDClick(form->ListView_erg->viewport(), Qt::LeftButton, {}, below);
    QVERIFY(!form->GB_info->isVisible());
    QVERIFY(messages.log.empty());
  }

  void recipeWithoutLinesWarnsAndEmptiesTheBox() {
    select("Zombie");
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    select("Leer");
    QTest::keyClick(form->ListView_erg, Qt::Key_Enter);
    QCOMPARE(messages.warnings(), std::vector<std::string>{"Fehler bem Laden des Rezeptes!"});
    QVERIFY(form->GB_info->isVisible());
    QVERIFY(form->infomemo->toPlainText().isEmpty());
    messages.clear();
  }

  void escapeEmptiesAndHidesTheInfoBox() {
    QVERIFY(activate());
    select("Zombie");
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    QVERIFY(form->GB_info->isVisible());
    QCOMPARE(form->GB_info->title(), QStringLiteral("Info: Zombie"));
    QTest::keyClick(form->e_suchbegriff, Qt::Key_Escape);
    QVERIFY(!form->GB_info->isVisible());
    QVERIFY(form->infomemo->toPlainText().isEmpty());

    // Hidden already: nothing the user can see changes.
    QTest::keyClick(form->ListView_erg, Qt::Key_Escape);
    QVERIFY(!form->GB_info->isVisible());
    QCOMPARE(rowcount(*form->ListView_erg), 4);
    QCOMPARE(form->label_suchinf->text(), QStringLiteral("4 Suchergebnisse"));
  }

  // Alt+G reaches the glasses; the lines follow the glasses and the unit,
  // the preparation stays; the next recipe opens for one glass in the unit
  // chosen.
  void glassesAndUnitRescaleTheOpenRecipe() {
    QVERIFY(activate());
    select("Zombie");
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    QSpinBox* glaeser = form->portionenwahl->e_glaeser;
    QCOMPARE(glaeser->value(), 1);
    QTest::keyClick(form.get(), Qt::Key_G, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), glaeser);
    for (int i = 0; i < 3; ++i) QTest::keyClick(glaeser, Qt::Key_Up);
    QCOMPARE(lines(*form->infomemo), (QStringList{viewline("16 cl Rum", true, false),
                                                  viewline(QString::fromUtf8("8 cl Kräuterlikör"), true, false)}));
    form->portionenwahl->c_einheit->setCurrentText(QStringLiteral("oz (US)"));
    QCOMPARE(lines(*form->infomemo).first(), viewline("5,5 oz Rum", true, false));
    QVERIFY(form->portionenwahl->geometry().bottom() < form->infomemo->geometry().top());

    select("Sommerdrink");
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    QCOMPARE(glaeser->value(), 1);
    QCOMPARE(lines(*form->infomemo).mid(0, 1) + lines(*form->infomemo).mid(3),
             (QStringList{viewline("1,25 oz Rum", true, false), "", "auf Eis"}));
    form->portionenwahl->c_einheit->setCurrentIndex(0);
  }

  // The hits, for two glasses, as a PDF file read back; one recipe from the
  // list's pop-up is saved under its name.
  void barkarteAndOneRecipeAreSavedAsPdf() {
    form->e_suchbegriff->setText(QStringLiteral("nichts"));
    search();
    form->Barkarteerstellen1->trigger();
    QCOMPARE(messages.informations(),
             std::vector<std::string>{"Die Trefferliste ist leer: erst suchen, dann die Barkarte erstellen."});
    messages.clear();
    form->e_suchbegriff->clear();
    search();
    select("Sommerdrink");
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    form->portionenwahl->e_glaeser->setValue(2);
    std::vector<std::string> zweizeilig{"3", "umr\xFChren\xB6kalt servieren"};  // Apfelschorle's
    QVERIFY(form->catalogue().c_zubereitungen().addrow(zweizeilig) && form->catalogue().flush());
    const QString karte = folder.filePath(QStringLiteral("karte.pdf"));
    QCOMPARE(savepdf([this] { form->Barkarteerstellen1->trigger(); }, karte), QStringLiteral("Barkarte.pdf"));
    const QString text = pdftext(karte);
    for (const char* shown :
         {"Barkarte", "4 Rezepte", "Mengen für 2 Gläser in cl", "Apfelschorle", "20 cl Apfelsaft", "Leer",
          "Sommerdrink", "8 cl Rum", "auf Eis", "Zombie", "4 cl Kräuterlikör", "Seite 1 von 1"})
      QVERIFY2(text.contains(QString::fromUtf8(shown)), shown);
    QVERIFY(text.contains(QRegularExpression(QString::fromUtf8("umrühren *\n *kalt servieren"))));
    QCOMPARE(text.count(QLatin1Char('\f')), 1);
    QVERIFY(text.indexOf("Apfelschorle") < text.indexOf("Leer") &&
            text.indexOf("Sommerdrink") < text.indexOf("Zombie"));

    select("Zombie");
    const QString rezept = folder.filePath(QStringLiteral("zombie.pdf"));
    QCOMPARE(savepdf([this] { form->Rezeptdrucken1->trigger(); }, rezept), QStringLiteral("Zombie.pdf"));
    QVERIFY(pdftext(rezept).contains(QStringLiteral("1 Rezept")) &&
            pdftext(rezept).contains(QStringLiteral("8 cl Rum")));
    QVERIFY(!pdftext(rezept).contains(QStringLiteral("Sommerdrink")));
    // The info box's button prints the recipe it shows.
    const QString gezeigt = folder.filePath(QStringLiteral("gezeigt.pdf"));
    QCOMPARE(savepdf([this] { form->portionenwahl->b_rezeptdrucken->click(); }, gezeigt),
             QStringLiteral("Sommerdrink.pdf"));
    QVERIFY(pdftext(gezeigt).contains(QStringLiteral("8 cl Rum")));
    form->b_info_x->click();
  }

  // A long card: every recipe whole on one page, numbered pages.
  void longCardsBreakBetweenRecipes() {
    std::vector<catalogue::Kartenrezept> karte;
    for (int i = 0; i < 60; ++i)
      karte.push_back({"Drink " + std::to_string(i), {"4 cl Rum", "2 cl Saft"}, "Ende " + std::to_string(i) + "."});
    const QString path = folder.filePath(QStringLiteral("lang.pdf"));
    testsupport::RecordingProgress progress;
    QVERIFY(ui::barkartepdf(path, {"Barkarte"}, karte, &progress));
    QCOMPARE(progress.shown.size(), karte.size());
    QVERIFY(progress.shown.back() == 100 && progress.closed == 1);
    const QStringList pages = pdftext(path).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QVERIFY(pages.size() > 2);
    for (int i = 0; i < 60; ++i) {
      const QRegularExpression whole(QStringLiteral("Drink %1\\s[^D]*Ende %1\\.").arg(i));
      QVERIFY2(
          std::count_if(pages.begin(), pages.end(), [&](const QString& page) { return page.contains(whole); }) == 1,
          qPrintable(whole.pattern()));
    }
    for (int page = 1; page <= pages.size(); ++page)
      QVERIFY(pages[page - 1].contains(QStringLiteral("Seite %1 von %2").arg(page).arg(pages.size())));
    QVERIFY(!ui::barkartepdf(folder.filePath(QStringLiteral("nicht/da.pdf")), {"Barkarte"}, karte, nullptr));
  }

  void ratingGoesThroughThePopupAndTheDialog() {
    select("Zombie");
    const QModelIndex zombie = form->ListView_erg->currentIndex();
    const QPoint at = form->ListView_erg->visualRect(zombie).center();
    QContextMenuEvent rightclick(QContextMenuEvent::Mouse, at, form->ListView_erg->viewport()->mapToGlobal(at));
    QApplication::sendEvent(form->ListView_erg->viewport(), &rightclick);
    QTRY_VERIFY(form->PopupMenu_Liste->isVisible());
    QCOMPARE(form->PopupMenu_Liste->actions(), (QList<QAction*>{form->Wertungndern1, form->Rezeptbearbeiten1,
                                                                form->Rezeptlschen1, form->Rezeptdrucken1}));
    QCOMPARE(shown(*form->Wertungndern1), QString::fromUtf8("Wertung ändern"));
    form->PopupMenu_Liste->close();

    int shownat = 0;
    ModalAnswer confirm([&](QWidget* modal) {
      if (modal != wertungsform.get()) return false;
      shownat = wertungsform->wertungsregler->value();
      wertungsform->wertungsregler->setValue(4);
      wertungsform->b_ok->click();
      return true;
    });
    form->Wertungndern1->trigger();
    QVERIFY(confirm.done);
    QCOMPARE(shownat, 3);  // never rated
    QCOMPARE(cell(zombie, 1), QStringLiteral("* * * *"));
    QCOMPARE(TdbdynGrid::getsubfield(form->catalogue().c_rezepte().getcell(1, 1), 2), std::string("4"));

    ModalAnswer cancel([&](QWidget* modal) {
      if (modal != wertungsform.get()) return false;
      shownat = wertungsform->wertungsregler->value();
      wertungsform->wertungsregler->setValue(1);
      wertungsform->reject();
      return true;
    });
    form->Wertungndern1->trigger();
    QVERIFY(cancel.done);
    QCOMPARE(shownat, 4);
    QCOMPARE(cell(zombie, 1), QStringLiteral("* * * *"));
    QCOMPARE(TdbdynGrid::getsubfield(form->catalogue().c_rezepte().getcell(1, 1), 2), std::string("4"));
    QVERIFY(messages.log.empty());
  }

  // Ctrl+N, then the list's pop-up and the Delete key: a recipe written,
  // refused, changed and deleted through the real window.
  void recipeWindowWritesAndTheListAndInfoBoxFollow() {
    QVERIFY(activate());
    bool stayed = false;
    messages.threeway = {platform::Antwort::abbrechen, platform::Antwort::nein};
    ModalAnswer discard([&](QWidget* modal) {
      if (modal != rezeptedit.get()) return false;
      rezeptedit->e_name->setText(QStringLiteral("Verworfen"));
      rezeptedit->close();  // "Abbrechen": stays open
      stayed = rezeptedit->isVisible();
      rezeptedit->close();  // "Nein"
      return true;
    });
    QTest::keyClick(form.get(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(discard.done && stayed);
    QCOMPARE(messages.texts(testsupport::Message::Kind::yesnocancel),
             std::vector<std::string>(2, std::string("Änderungen speichern?"_cp)));

    bool added = false;
    ModalAnswer create([&](QWidget* modal) {
      if (modal != rezeptedit.get()) return false;
      rezeptedit->e_name->setText(QStringLiteral("Daiquiri"));
      rezeptedit->zutatengrid->item(0, 2)->setText(QStringLiteral("rum"));
      rezeptedit->b_zeileneu->click();  // the new line's quantity is being edited
      qobject_cast<QLineEdit*>(QApplication::focusWidget())->setText(QStringLiteral("2"));
      rezeptedit->b_speichern->click();  // refused: the line has no ingredient
      stayed = rezeptedit->isVisible();
      rezeptedit->zutatengrid->item(1, 2)->setText(QStringLiteral("Zitronensaft"));
      // Tab in the last cell adds a line; left empty, it is not saved.
      rezeptedit->zutatengrid->setCurrentCell(1, 2);
      QTest::keyClick(rezeptedit->zutatengrid, Qt::Key_Tab);
      added = rezeptedit->zutatengrid->rowCount() == 3 && rezeptedit->zutatengrid->currentRow() == 2;
      rezeptedit->b_speichern->click();
      return true;
    });
    form->NeuesRezept1->trigger();
    QVERIFY(create.done && stayed && added);
    QCOMPARE(messages.warnings(), std::vector<std::string>{"Zutatenzeile 2: Bitte geben Sie eine Zutat an."});
    // The list follows without a search: the new row selected, the count one more.
    QCOMPARE(cell(form->ListView_erg->currentIndex(), 0), QStringLiteral("Daiquiri"));
    QCOMPARE(column(*form->ListView_erg, 0),
             (QStringList{"Apfelschorle", "Daiquiri", "Leer", "Sommerdrink", "Zombie"}));
    QCOMPARE(form->label_suchinf->text(), QStringLiteral("5 Suchergebnisse"));
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    QCOMPARE(lines(*form->infomemo),
             (QStringList{viewline("Rum", true, false), viewline("2  Zitronensaft", false, false)}));

    ModalAnswer change([&](QWidget* modal) {
      if (modal != rezeptedit.get()) return false;
      rezeptedit->e_name->setText(QStringLiteral("Daiquiri Natural"));
      rezeptedit->zutatengrid->setCurrentCell(0, 0);
      rezeptedit->b_zeileloeschen->click();
      rezeptedit->b_speichern->click();
      return true;
    });
    form->Rezeptbearbeiten1->trigger();
    QVERIFY(change.done);
    const QModelIndex row = form->ListView_erg->currentIndex();
    QCOMPARE((QStringList{cell(row, 0), cell(row, 2), cell(row, 3)}),
             (QStringList{"Daiquiri Natural", "Nein", "Nein"}));
    QCOMPARE(lines(*form->infomemo), QStringList{viewline("2  Zitronensaft", false, false)});

    messages.clear();
    messages.answers = {true};
    QTest::keyClick(form->ListView_erg, Qt::Key_Delete);
    QCOMPARE(messages.questions(),
             std::vector<std::string>{std::string("Soll das Rezept „Daiquiri Natural“ gelöscht werden?"_cp)});
    QCOMPARE(column(*form->ListView_erg, 0), (QStringList{"Apfelschorle", "Leer", "Sommerdrink", "Zombie"}));
    QCOMPARE(form->label_suchinf->text(), QStringLiteral("4 Suchergebnisse"));
    QVERIFY(!form->GB_info->isVisible());
    messages.clear();
  }

  // "Nein" to a new ingredient goes back to its line, the completion open.
  void anUnknownIngredientIsAskedForAndNeinGoesBackToItsLine() {
    QPoint cellat;
    bool completing = false;
    messages.answers = {false};
    ModalAnswer typo([&](QWidget* modal) {
      if (modal != rezeptedit.get()) return false;
      rezeptedit->e_name->setText(QStringLiteral("Kräutertraum"));
      rezeptedit->zutatengrid->item(0, 2)->setText(QStringLiteral("Kräuter"));
      rezeptedit->b_speichern->click();
      cellat = {rezeptedit->zutatengrid->currentColumn(), rezeptedit->zutatengrid->currentRow()};
      auto* edit = rezeptedit->zutatengrid->viewport()->findChild<QLineEdit*>();
      completing = edit != nullptr && edit->completer()->popup()->isVisible();
      rezeptedit->b_abbrechen->click();  // "Änderungen speichern?": "Nein"
      return true;
    });
    form->NeuesRezept1->trigger();
    QVERIFY(typo.done);
    QCOMPARE(messages.questions(),
             std::vector<std::string>{std::string(
                 "Die Zutat „Kräuter“ gibt es noch nicht. Neu anlegen?\n\nÄhnliche Zutaten: „Kräuterlikör“"_cp)});
    QCOMPARE(cellat, QPoint(2, 0));
    QVERIFY(completing);
    QCOMPARE(rowcount(*form->ListView_erg), 4);
    messages.clear();
  }

  // The box keeps its place for a recipe that fits and covers the whole list
  // for a longer one; a larger window gives it more room both ways.
  void infoBoxFitsTheRecipe() {
    const QRect box(32, 128, 489, 193);
    const QRect kopf(8, 16, 473, 24);
    const QRect memo(8, 40, 473, 145);
    const QRect liste(4, 96, 549, 246);
    const QSize rand(20, 20);
    QCOMPARE(ui::infogeometrie({453, 125}, rand, 24, liste, {}), (ui::Infogeometrie{box, kopf, memo}));
    QCOMPARE(ui::infogeometrie({100, 100}, rand, 24, liste.adjusted(0, 0, 300, 200), {300, 200}),
             (ui::Infogeometrie{box, kopf, memo}));
    QCOMPARE(ui::infogeometrie({100, 126}, rand, 24, liste, {}),
             (ui::Infogeometrie{{32, 96, 489, 246}, kopf, {8, 40, 473, 198}}));
    QCOMPARE(ui::infogeometrie({454, 100}, rand, 24, liste.adjusted(0, 0, 300, 200), {300, 200}),
             (ui::Infogeometrie{{32, 96, 789, 446}, {8, 16, 773, 24}, {8, 40, 773, 398}}));
    QCOMPARE(ui::infogeometrie({100, 400}, rand, 24, liste.adjusted(0, 0, -100, -100), {-100, -100}),
             (ui::Infogeometrie{{32, 96, 489, 225}, kopf, {8, 40, 473, 177}}));  // never below its first place
    QCOMPARE(ui::infogeometrie({453, 149}, rand, 0, liste, {}),
             (ui::Infogeometrie{box, {8, 16, 473, 0}, {8, 16, 473, 169}}));

    std::vector<std::string> zubereitung{"2", std::string(20, 'x')};
    for (int i = 0; i < 14; ++i) zubereitung[1] += " Zeile\xB6";  // after "Zombie"'s two lines: 17 in all
    QVERIFY(form->catalogue().c_zubereitungen().addrow(zubereitung) && form->catalogue().flush());
    select("Sommerdrink");
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    QCOMPARE(form->GB_info->geometry(), box);
    QCOMPARE(form->infomemo->geometry(), memo);
    select("Zombie");
    QTest::keyClick(form->ListView_erg, Qt::Key_Return);
    QCOMPARE(form->GB_info->geometry(), QRect(32, 96, 489, 246));
    QCOMPARE(form->b_info_x->geometry(), QRect(472, 0, 17, 17));
    const QSize before = form->size();
    form->resize(before + QSize(300, 200));
    QCOMPARE(form->GB_info->geometry(), QRect(32, 96, 789, 446));
    QCOMPARE(form->b_info_x->x(), 772);
    QCOMPARE(form->infomemo->verticalScrollBar()->maximum(), 0);  // the whole recipe in view
    form->resize(before);
    form->b_info_x->click();
  }

  // The guide to the commands beyond the description, in a titled window.
  void kurzanleitungShowsTheGuide() {
    QString title;
    QString text;
    ModalAnswer answer([&](QWidget* modal) {
      auto* memo = modal->findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
      if (modal->objectName() != QStringLiteral("kurzanleitung") || memo == nullptr) return false;
      title = modal->windowTitle();
      text = memo->toPlainText();
      return modal->close();
    });
    form->Kurzanleitung1->trigger();
    QVERIFY(answer.done);
    QCOMPARE(title, QStringLiteral("Kurzanleitung"));
    for (const char* section : {"Erster Start", "Eigene Rezepte", "Export", "Sichern und Wiederherstellen",
                                "Einkaufstipps", "Ersatz", "Gläser, Einheit und Barkarte"})
      QVERIFY2(text.contains(QLatin1Char('\n') + QString::fromUtf8(section) + QLatin1Char('\n')), section);
  }

  // Alt+Z, E: the tips in a window of their own, in the info box's font,
  // wrapped to its width. Nothing is marked available after the import, so
  // first the window says how to.
  void einkaufstippsShowInAWindowOfTheirOwn() {
    QStringList shown;
    QFont font;
    int overflow = -1;
    QString title;
    QSize minimum;
    const auto view = [&] {
      ModalAnswer answer([&](QWidget* modal) {
        auto* memo = modal->findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
        if (modal->objectName() != QStringLiteral("einkaufstippsform") || memo == nullptr) return false;
        shown = lines(*memo);
        font = memo->font();
        overflow = memo->horizontalScrollBar()->maximum();
        title = modal->windowTitle();
        minimum = modal->minimumSize();
        return modal->close();
      });
      QVERIFY(activate());
      QTest::keyClick(form.get(), Qt::Key_Z, Qt::AltModifier);
      QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_E);
      QTRY_VERIFY(answer.done);
    };
    const QString mixbar = QString::fromUtf8("Aus den verfügbaren Zutaten lassen sich 0 Rezepte mixen.");
    view();
    QCOMPARE(shown.mid(0, 2), (QStringList{mixbar, ""}));
    QVERIFY(shown.mid(2).join(' ').startsWith(QString::fromUtf8("Noch ist keine Zutat als verfügbar markiert: ")));
    QCOMPARE(overflow, 0);
    QCOMPARE(font, form->infomemo->font());
    QCOMPARE(title, QStringLiteral("Einkaufstipps"));
    QVERIFY(minimum.width() >= 640 && minimum.height() >= 480);

    setflag("Rum", 2);
    setflag("Wasser", 2);
    view();
    // Apfelsaft and Kräuterlikör tie in the plan: the name decides.
    QCOMPARE(shown, (QStringList{mixbar, "", "Es fehlt nur eine Zutat:", "Apfelsaft: 1 Rezept", "    Apfelschorle",
                                 QString::fromUtf8("Kräuterlikör: 1 Rezept"), "    Zombie", "",
                                 "Zwei Zutaten zusammen:", QString::fromUtf8("Apfelsaft + Kräuterlikör: 2 Rezepte"),
                                 "    Apfelschorle, Zombie", "Eis + Zitronensaft: 1 Rezept", "    Sommerdrink", "",
                                 "Einkaufsplan", "1. Apfelsaft: +1 neues Rezept (zusammen 1)",
                                 QString::fromUtf8("2. Kräuterlikör: +1 neues Rezept (zusammen 2)")}));
    QCOMPARE(QApplication::overrideCursor(), nullptr);  // the busy cursor is gone
  }

  void textViewerIsEmptiedBeforeEachText() {
    QStringList shown;
    const auto readandclose = [&](QWidget* modal) {
      if (modal != memoform.get()) return false;
      shown = lines(*memoform->Memo);
      memoform->reject();
      return true;
    };
    {
      ModalAnswer answer(readandclose);
      form->Einheiten1->trigger();
      QVERIFY(answer.done);
    }
    QCOMPARE(shown, toqt(ui::einheitenzeilen()));
    {
      ModalAnswer answer(readandclose);
      form->Programmbeschreibung1->trigger();
      QVERIFY(answer.done);
    }
    QCOMPARE(shown, toqt(ui::programmbeschreibungzeilen()));
  }

  void infoTextsHaveTheirExactLengths() {
    std::vector<std::size_t> lengths;
    for (const std::string& line : ui::einheitenzeilen()) lengths.push_back(line.size());
    QCOMPARE(lengths, (std::vector<std::size_t>{25, 0, 36, 46, 36, 35, 29, 47, 46, 55, 35, 44, 44, 29}));
    const std::vector<std::string>& einheiten = ui::einheitenzeilen();
    QCOMPARE(einheiten[3], std::string("ml \t  Mililiter \t                \t10 ml = 1 cl"));
    QCOMPARE(einheiten[9], std::string("Me\xDFglas    -----                     \t\t1 Me\xDFglas = 2 cl"));

    const std::vector<std::string>& beschreibung = ui::programmbeschreibungzeilen();
    QCOMPARE(beschreibung.size(), std::size_t(10));
    QCOMPARE(beschreibung[6], std::string("- die Zutaten k\xF6nnen \xFC"
                                          "ber das Men\xFC \"Zutaten bearbeiten\" bearbeitet werden"));
    QCOMPARE(beschreibung[7].substr(0, 3), std::string("  ("));
    QCOMPARE(beschreibung[9], std::string("Das Programm sollte selbsterkl\xE4rend sein."));
  }

  // The editor gets its extra functions while "Debug" is visible; a second
  // Ctrl+Alt+J hides the menu again.
  void debugShortcutFlipsTheMenuAndTheEditorsExtras() {
    QVERIFY(activate());
    bool extras = true;
    const auto lookandclose = [&](QWidget* modal) {
      if (modal != zutatenedit.get()) return false;
      extras = zutatenedit->b_zusatz->isVisible();
      zutatenedit->reject();
      return true;
    };
    {
      ModalAnswer answer(lookandclose);
      form->Zutatenbearbeiten1->trigger();
      QVERIFY(answer.done);
    }
    QVERIFY(!extras);

    QVERIFY(activate());
    QTest::keyClick(form.get(), Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(form->debug1->menuAction()->isVisible());
    QStringList menus;
    for (QAction* menu : form->menuBar()->actions())
      if (menu->isVisible()) menus << shown(*menu);
    QCOMPARE(menus, (QStringList{"Programm", "Zutaten", "Rezepte", "Debug", "Info"}));
    {
      ModalAnswer answer(lookandclose);
      form->Zutatenbearbeiten1->trigger();
      QVERIFY(answer.done);
    }
    QVERIFY(extras);

    QVERIFY(activate());
    QTest::keyClick(form.get(), Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(!form->debug1->menuAction()->isVisible());
  }

  // The reset re-arms the start-up timer; the result list keeps its rows
  // until the next search.
  void resetReloadsEmptyTablesLater() {
    search();
    messages.answers = {true, true, true, true, true, true};  // "Sind Sie sicher?" and five overwrites; no sample
    form->DBreset1->trigger();
    QCOMPARE(messages.questions().front(), std::string("Sind Sie sicher?"));
    QTRY_COMPARE(messages.questions().size(), std::size_t(7));
    QTRY_VERIFY(QFile::exists(dbfile("status.txt")));
    QCOMPARE(rowcount(*form->ListView_erg), 4);
    search();
    QCOMPARE(form->label_suchinf->text(), QStringLiteral("1 Suchergebnisse"));
    messages.clear();
  }

  // FormCloseQuery closes the table files: another writer can have them. A
  // start-up armed just before must not run on the closed tables.
  void closingTheWindowReleasesTheTables() {
    const std::string path = dbfile("c_rezepte.db").toStdString();
    QVERIFY(platform::File::open(path, platform::File::Access::readwritedenywrite) == nullptr);
    form->armstarttimer();
    QVERIFY(form->close());
    QVERIFY(platform::File::open(path, platform::File::Access::readwritedenywrite) != nullptr);
    QVERIFY(!form->Starttimer->isActive());
  }

  void cleanupTestCase() {
    rezeptedit.reset();
    wertungsform.reset();
    memoform.reset();
    splashform.reset();
    fortschrittform.reset();
    zutatenedit.reset();
    form.reset();
  }
};

QTEST_MAIN(MainUnitTest)
#include "main_Unit_test.moc"
