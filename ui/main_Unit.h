// The main window: search settings, the result list, the info box over it,
// the menus and the two window shortcuts. It owns the catalogue and passes
// on what the user does; the catalogue computes everything shown.
#pragma once

#include <QMainWindow>
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
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace ui {

class Tfortschrittform;
class Tsplashform;
class TMemoform;
class Twertungsform;
class Tzutatenedit;
class Anchors;

// The two texts of the "Info" menu, one line each, tabs and blanks exact.
const std::vector<std::string>& einheitenzeilen();
const std::vector<std::string>& programmbeschreibungzeilen();

class TMainform : public QMainWindow, public catalogue::ApplicationPort, public catalogue::ImportFilePort {
  Q_OBJECT

 public:
  // The other five windows, created after the main window.
  struct Fenster {
    Tzutatenedit* zutatenedit = nullptr;
    Tfortschrittform* fortschrittform = nullptr;
    Tsplashform* splashform = nullptr;
    TMemoform* memoform = nullptr;
    Twertungsform* wertungsform = nullptr;
  };

  // FormCreate. programfile is the program's full path; the database lives
  // in "db/" beside it.
  explicit TMainform(const std::string& programfile, QWidget* parent = nullptr);
  ~TMainform() override;

  // Called once the other windows exist, before the event loop runs.
  void setfenster(const Fenster& fenster);

  catalogue::Catalogue& catalogue() { return *catalogue_; }
  // Ports that reach the splash and progress windows once they exist; the
  // catalogue and the ingredient editor are created before those windows.
  catalogue::SplashPort& splashport();
  catalogue::ProgressPort& progressport();

  // catalogue::ApplicationPort
  void endapplication() override;
  void armstarttimer() override;
  // catalogue::ImportFilePort: OpenDialogimport
  std::optional<std::string> chooseimportfile() override;

  // The window's components, named as in its layout.
  QGroupBox* GroupBox1;
  QLabel* Label1;
  QLabel* Label2;
  QLineEdit* e_suchbegriff;
  QRadioButton* r_nurcocktailname;
  QRadioButton* r_rezeptzusaetzlich;
  QLabel* Label3;
  QWidget* Panel1;
  QRadioButton* c_alk_egal;
  QRadioButton* c_alk_ja;
  QRadioButton* c_alk_nein;
  QCheckBox* c_nurverfuegbar;
  QPushButton* b_suchen;
  QLabel* label_suchinf;
  QTreeWidget* ListView_erg;
  QGroupBox* GB_info;
  QPushButton* b_info_x;
  QPlainTextEdit* infomemo;
  QMenu* Programm1;
  QAction* beenden1;
  QMenu* Zutaten1;
  QAction* Zutatenbearbeiten1;
  QMenu* debug1;
  QAction* DBreset1;
  QAction* Importieren1;
  QMenu* Info1;
  QAction* Einheiten1;
  QAction* N1;
  QAction* Programmbeschreibung1;
  QAction* ber1;
  QMenu* PopupMenu_Liste;
  QAction* Wertungndern1;
  QAction* Action_debug;
  QAction* Action_Abbruch;
  QTimer* Starttimer;
  QFileDialog* OpenDialogimport;

  // The hidden recipe id of a result row.
  static std::string rezeptid(const QTreeWidgetItem& item);

 public slots:
  void b_suchenClick();
  void e_suchbegriffKeyPress();
  void changeclick();
  void ListView_ergDblClick();
  void ListView_ergKeyDown(int key);
  void Wertungndern1Click();
  void b_info_xClick();
  void Action_debugExecute();
  void Action_AbbruchExecute();
  void beenden1Click();
  void Zutatenbearbeiten1Click();
  void DBreset1Click();
  void Importieren1Click();
  void Einheiten1Click();
  void Programmbeschreibung1Click();
  void ber1Click();
  void StarttimerTimer();

 protected:
  void closeEvent(QCloseEvent* event) override;  // FormCloseQuery
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class SplashForwarder;
  class ProgressForwarder;

  void createsearchsettings();
  void createresultlist();
  void createinfobox();
  void createmenus();
  void createactions();
  void createopendialog();
  void settaborder();
  void placesuchinf();
  void fillresultlist(const std::vector<catalogue::ResultRow>& rows);
  void showlines(const std::vector<std::string>& lines);
  QTreeWidgetItem* selectedrow() const;

  Fenster fenster_;
  std::unique_ptr<SplashForwarder> splashforwarder_;
  std::unique_ptr<ProgressForwarder> progressforwarder_;
  std::unique_ptr<catalogue::Catalogue> catalogue_;
  Anchors* anchors_ = nullptr;
  bool closed_ = false;
};

}  // namespace ui
