// The main window: search settings, the result list, the info box over it,
// the menus and the two window shortcuts. It owns the catalogue and passes
// on what the user does; the catalogue computes everything shown.
#pragma once

#include <QMainWindow>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"
#include "catalogue/search.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QModelIndex;
class QTimer;
class QTreeView;
class QWidget;

namespace ui {

class Teinkaufstippsform;
class Tbarkarteform;
class Portionenwahl;
class Tkurzanleitung;
class Tfortschrittform;
class Tsplashform;
class TMemoform;
class Twertungsform;
class Tzutatenedit;
class Trezeptedit;
class Anchors;
class ResultlistModel;

// The two texts of the "Info" menu, one line each, tabs and blanks exact.
const std::vector<std::string>& einheitenzeilen();
const std::vector<std::string>& programmbeschreibungzeilen();

class TMainform : public QMainWindow,
                  public catalogue::ApplicationPort,
                  public catalogue::ImportFilePort,
                  public catalogue::ExportPort {
  Q_OBJECT

 public:
  // The other five windows, created after the main window.
  struct Fenster {
    Tzutatenedit* zutatenedit = nullptr;
    Tfortschrittform* fortschrittform = nullptr;
    Tsplashform* splashform = nullptr;
    TMemoform* memoform = nullptr;
    Twertungsform* wertungsform = nullptr;
    Trezeptedit* rezeptedit = nullptr;
  };

  // FormCreate. programfile is the program's full path; the database lives
  // in "db/" beside it.
  explicit TMainform(const std::string& programfile, QWidget* parent = nullptr);
  ~TMainform() override;

  // Called once the other windows exist, before the event loop runs.
  void setfenster(const Fenster& fenster);

  catalogue::Catalogue& catalogue() { return *catalogue_; }
  // The progress window once it exists; the ingredient editor is created
  // before it.
  catalogue::ProgressPort& progressport();

  // catalogue::ApplicationPort
  void endapplication() override;
  void armstarttimer() override;
  // catalogue::ImportFilePort: OpenDialogimport
  std::optional<std::string> chooseimportfile() override;
  // catalogue::ExportPort
  std::optional<std::string> chooseexportfile() override;
  std::optional<std::string> choosebackupfolder() override;

  // The window's components, named as in its layout.
  QGroupBox* GroupBox1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* e_suchbegriff = nullptr;
  QRadioButton* r_nurcocktailname = nullptr;
  QRadioButton* r_rezeptzusaetzlich = nullptr;
  QLabel* Label3 = nullptr;
  QWidget* Panel1 = nullptr;
  QRadioButton* c_alk_egal = nullptr;
  QRadioButton* c_alk_ja = nullptr;
  QRadioButton* c_alk_nein = nullptr;
  QCheckBox* c_nurverfuegbar = nullptr;
  QPushButton* b_suchen = nullptr;
  QLabel* label_suchinf = nullptr;
  QTreeView* ListView_erg = nullptr;
  QGroupBox* GB_info = nullptr;
  QPushButton* b_info_x = nullptr;
  QPlainTextEdit* infomemo = nullptr;
  Portionenwahl* portionenwahl = nullptr;  // glasses, unit and printing, atop infomemo
  QMenu* Programm1 = nullptr;
  QAction* beenden1 = nullptr;
  QMenu* Zutaten1 = nullptr;
  QAction* Zutatenbearbeiten1 = nullptr;
  QAction* Einkaufstipps1 = nullptr;
  QMenu* Rezepte1 = nullptr;
  QAction* NeuesRezept1 = nullptr;
  QAction* Barkarteerstellen1 = nullptr;
  QAction* Rezepteimportieren1 = nullptr;
  QAction* Rezepteexportieren1 = nullptr;
  QAction* Datenbanksichern1 = nullptr;
  QAction* Datenbankwiederherstellen1 = nullptr;
  QMenu* debug1 = nullptr;
  QAction* DBreset1 = nullptr;
  QAction* Importieren1 = nullptr;
  QMenu* Info1 = nullptr;
  QAction* Einheiten1 = nullptr;
  QAction* N1 = nullptr;
  QAction* Programmbeschreibung1 = nullptr;
  QAction* Kurzanleitung1 = nullptr;
  QAction* ber1 = nullptr;
  QMenu* PopupMenu_Liste = nullptr;
  QAction* Wertungndern1 = nullptr;
  QAction* Rezeptbearbeiten1 = nullptr;
  QAction* Rezeptlschen1 = nullptr;
  QAction* Rezeptdrucken1 = nullptr;
  QAction* Action_debug = nullptr;
  QAction* Action_Abbruch = nullptr;
  QTimer* Starttimer = nullptr;
  QFileDialog* OpenDialogimport = nullptr;
  QFileDialog* SaveDialogexport = nullptr;
  QFileDialog* FolderDialogsichern = nullptr;

  // The hidden recipe id of a row of ListView_erg.
  std::string rezeptid(const QModelIndex& row) const;
  // Shows the rows of a search in ListView_erg, each with its hidden id,
  // in place of the rows shown so far.
  void fillresultlist(std::vector<catalogue::ResultRow> rows);

 public slots:
  void b_suchenClick();
  void e_suchbegriffKeyPress();
  void changeclick();
  void ListView_ergDblClick();
  void ListView_ergKeyDown(int key);
  void Wertungndern1Click();
  void NeuesRezept1Click();
  void Rezeptbearbeiten1Click();
  void Rezeptlschen1Click();
  void Barkarteerstellen1Click();
  void Rezeptdrucken1Click();
  void b_rezeptdruckenClick();
  void b_info_xClick();
  void Action_debugExecute();
  void Action_AbbruchExecute();
  void beenden1Click();
  void Zutatenbearbeiten1Click();
  void Einkaufstipps1Click();
  void DBreset1Click();
  void Importieren1Click();
  void Rezepteimportieren1Click();
  void Rezepteexportieren1Click();
  void Datenbanksichern1Click();
  void Datenbankwiederherstellen1Click();
  void Einheiten1Click();
  void Programmbeschreibung1Click();
  void Kurzanleitung1Click();
  void ber1Click();
  void StarttimerTimer();

 protected:
  void closeEvent(QCloseEvent* event) override;  // FormCloseQuery
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class SplashForwarder;
  class ProgressForwarder;

  void createsearchsettings();
  QLabel* createlabel(const char* name, const QString& text, int left, int top);
  void createtermandscope();
  void createalcoholchoice();
  void createsearchbutton();
  void choicegroup(std::initializer_list<QRadioButton*> buttons);
  void createresultlist();
  void createinfobox();
  void createmenus();
  void createrezeptemenu();
  // A menu of the menu bar, and an entry of a menu calling handler; both
  // named for the tests.
  QMenu* addmenu(const char* name, const QString& caption);
  QAction* addentry(QMenu* menu, const char* name, const QString& caption, void (TMainform::*handler)());
  void createactions();
  void createopendialog();
  void createexportdialogs();
  QFileDialog* createfiledialog(const char* name);
  static std::optional<std::string> chosenpath(QFileDialog& dialog);
  void settaborder();
  void placesuchinf();
  void showlines(const std::vector<std::string>& lines);
  QModelIndex selectedrow() const;  // invalid when no row is selected
  // Fills and shows the info box with the recipe; false when it has no lines.
  bool zeigeinfo(const std::string& id);
  // GB_info and infomemo as large as the recipe shown needs, within the list.
  void placeinfobox();
  // After a recipe was saved or deleted: its row in the list and the info
  // box showing it follow at once.
  void rezeptgeaendert(const std::string& id);
  // The recipes, in this order, saved as a PDF file or printed.
  void ausgeben(const std::vector<std::string>& ids);

  Fenster fenster_;
  std::unique_ptr<SplashForwarder> splashforwarder_;
  std::unique_ptr<ProgressForwarder> progressforwarder_;
  std::unique_ptr<catalogue::Catalogue> catalogue_;
  Anchors* anchors_ = nullptr;
  ResultlistModel* resultrows_ = nullptr;
  Teinkaufstippsform* einkaufstippsform_ = nullptr;  // made when first opened
  Tbarkarteform* barkarteform_ = nullptr;            // made when first used
  Tkurzanleitung* kurzanleitung_ = nullptr;          // made when first opened
  bool closed_ = false;
  bool versetzt_ = false;  // moved aside from another copy's window
  std::string infoid_;     // the recipe the info box shows
  QString importfolder_;   // of the last import's file in this run
};

}  // namespace ui
