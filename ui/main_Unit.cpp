#include "ui/main_Unit.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextCursor>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include "catalogue/beispiel.h"
#include "catalogue/export.h"
#include "catalogue/import.h"
#include "catalogue/rating.h"
#include "catalogue/recipeview.h"
#include "catalogue/rezeptedit_model.h"
#include "catalogue/search.h"
#include "catalogue/wiederherstellen.h"
#include "catalogue/zutatcocktails.h"
#include "platform/codepage.h"
#include "ui/anchors.h"
#include "ui/art.h"
#include "ui/barkarte_Unit.h"
#include "ui/dialogframe.h"
#include "ui/einkaufstipps_Unit.h"
#include "ui/fortschritt_Unit.h"
#include "ui/infogeometrie.h"
#include "ui/kurzanleitung_Unit.h"
#include "ui/memo_Unit.h"
#include "ui/portionen_Unit.h"
#include "ui/qtext.h"
#include "ui/resultlist_model.h"
#include "ui/rezeptedit_Unit.h"
#include "ui/splash_Unit.h"
#include "ui/wertungs_Unit.h"
#include "ui/zutatenedit_Unit.h"

namespace ui {

namespace {

// The client area below the menu bar of the 564 x 398 window frame.
constexpr int clientwidth = 556;
constexpr int clientheight = 352;
// The right end of label_suchinf lies this far inside GroupBox1's right edge.
constexpr int suchinfrightmargin = 9;
constexpr int starttimerinterval = 100;
constexpr int zweitekopieversatz = 48;  // pixels right and down

// Qt's file system model writes sizes and dates in the system's locale, on
// many systems English; the open-file dialog shows them in the program's
// locale, German, like everything else.
class GermanFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    enum Column { size = 1, modified = 3 };  // the file system model's columns
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr || role != Qt::DisplayRole) return QIdentityProxyModel::data(index, role);
    const QModelIndex file = mapToSource(index);
    if (index.column() == size && !files->isDir(file)) return QLocale().formattedDataSize(files->size(file));
    if (index.column() == modified) return QLocale().toString(files->lastModified(file), QLocale::ShortFormat);
    return QIdentityProxyModel::data(index, role);
  }
};

// "Courier New" where it is installed, else the system's fixed-pitch font.
QFont memofont() {
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  if (!QFontInfo(font).fixedPitch()) font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPixelSize(11);
  return font;
}

}  // namespace

// The catalogue is created with the main window, before the splash and the
// progress windows exist; these reach them once setfenster has run.
class TMainform::SplashForwarder : public catalogue::SplashPort {
 public:
  Tsplashform* target = nullptr;
  void show() override {
    if (target) target->showpainted();
  }
  void close() override {
    if (target) target->close();
  }
};

class TMainform::ProgressForwarder : public catalogue::ProgressPort {
 public:
  Tfortschrittform* target = nullptr;
  void zeigefortschritt(int percent) override {
    if (target) target->zeigefortschritt(percent);
  }
  void close() override {
    if (target) target->close();
  }
};

// Shown exactly as they have always read: "Mililiter" with one l, the old
// spelling "Schuß" and "Meßglas", and the uneven runs of blanks and tabs that
// line the columns up only at the viewer's tab stops. Correcting or
// re-aligning them changes what the user knows.
const std::string_view einheiten[] = {
    "Cocktail Maße & Einheiten"_cp,
    "",
    "cl \t  Centiliter \t\t1 cl = 0,01 Liter",
    "ml \t  Mililiter \t                \t10 ml = 1 cl",
    "Dash \t  1 Spritzer \t\t1 Dash = 0,1 cl",
    "BL \t  Barlöffel    \t\t1 BL = 0,25 cl"_cp,
    "TL \t  Teelöffel \t\t1 TL = 2 BL"_cp,
    "Schuß \t  ----- \t                \t1 Schuß = 1 cl"_cp,
    "EL \t  Eßlöffel \t                \t1 EL = 1,5 cl"_cp,
    "Meßglas    -----                     \t\t1 Meßglas = 2 cl"_cp,
    "Jigger \t  amerik. Whiskymaß \t4,2 cl"_cp,
    "Gill \t  brit.  Whiskymaß             \t3,6 cl"_cp,
    "Ounce \t  -----                      \t\t2,8 cl",
    "Pony \t  gleich Ounce \t\t2,8 cl",
};

const std::vector<std::string>& einheitenzeilen() {
  static const std::vector<std::string> lines(std::begin(einheiten), std::end(einheiten));
  return lines;
}

const std::string_view programmbeschreibung[] = {
    "Features:",
    "",
    "- die DB umfasst mehr als 1400 Rezepte",
    "- Suche über Suchbegriff, Alkoholhaltigkeit und Verfügbarkeit möglich"_cp,
    "- Cocktails sind über die rechte Maustaste im Suchergebnis bewertbar"_cp,
    "- Zutaten der Cocktails werden bei Doppelklick auf Suchergebniseinträge angezeigt"_cp,
    "- die Zutaten können über das Menü \"Zutaten bearbeiten\" bearbeitet werden"_cp,
    "  (Angabe welche Zutaten verfügbar sind per Doppelklick auf die Einträge)"_cp,
    "",
    "Das Programm sollte selbsterklärend sein."_cp,
};

const std::vector<std::string>& programmbeschreibungzeilen() {
  static const std::vector<std::string> lines(std::begin(programmbeschreibung), std::end(programmbeschreibung));
  return lines;
}

TMainform::TMainform(const std::string& programfile, QWidget* parent)
    : QMainWindow(parent),
      splashforwarder_(std::make_unique<SplashForwarder>()),
      progressforwarder_(std::make_unique<ProgressForwarder>()) {
  setObjectName(QStringLiteral("Mainform"));
  setWindowTitle(QStringLiteral("Mixolino"));
  setFont(programfont());
  anchors_ = new Anchors(this);

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->resize(clientwidth, clientheight);
  setCentralWidget(client);
  createsearchsettings();
  createresultlist();
  createinfobox();
  createmenus();
  createactions();
  createopendialog();
  createexportdialogs();
  settaborder();
  GroupBox1->installEventFilter(this);  // once every control it looks at exists

  resize(clientwidth, clientheight + menuBar()->sizeHint().height());
  centreonscreen(*this);

  Starttimer = new QTimer(this);
  Starttimer->setObjectName(QStringLiteral("Starttimer"));
  Starttimer->setSingleShot(true);
  Starttimer->setInterval(starttimerinterval);
  connect(Starttimer, &QTimer::timeout, this, &TMainform::StarttimerTimer);

  // FormCreate
  setWindowTitle(windowTitle() + QStringLiteral(" - v") + QStringLiteral(MIXOLINO_VERSION));
  catalogue_ = std::make_unique<catalogue::Catalogue>(programfile, *splashforwarder_, *this);
  Starttimer->start();
}

TMainform::~TMainform() = default;

void TMainform::setfenster(const Fenster& fenster) {
  fenster_ = fenster;
  splashforwarder_->target = fenster.splashform;
  progressforwarder_->target = fenster.fortschrittform;
}

catalogue::ProgressPort& TMainform::progressport() { return *progressforwarder_; }

void TMainform::createsearchsettings() {
  GroupBox1 = new QGroupBox(QStringLiteral("Sucheinstellungen"), centralWidget());
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(4, 0, 549, 97);
  anchors_->add(GroupBox1, Anchors::left | Anchors::top | Anchors::right);
  createtermandscope();
  createalcoholchoice();
  createsearchbutton();
}

QLabel* TMainform::createlabel(const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, GroupBox1);
  label->setObjectName(QString::fromUtf8(name));
  label->move(left, top);
  label->adjustSize();
  return label;
}

void TMainform::createtermandscope() {
  Label1 = createlabel("Label1", QStringLiteral("Suchbegriff:"), 8, 20);
  Label2 = createlabel("Label2", QStringLiteral("(optional)"), 8, 34);

  e_suchbegriff = new QLineEdit(GroupBox1);
  e_suchbegriff->setObjectName(QStringLiteral("e_suchbegriff"));
  e_suchbegriff->setGeometry(72, 24, 177, 21);
  connect(e_suchbegriff, &QLineEdit::returnPressed, this, &TMainform::e_suchbegriffKeyPress);

  r_nurcocktailname = new QRadioButton(QStringLiteral("nur im Cocktailnamen suchen"), GroupBox1);
  r_nurcocktailname->setObjectName(QStringLiteral("r_nurcocktailname"));
  r_nurcocktailname->setGeometry(256, 18, 217, 17);
  r_nurcocktailname->setChecked(true);
  r_rezeptzusaetzlich = new QRadioButton(QStringLiteral("im Cocktailnamen und Rezept suchen"), GroupBox1);
  r_rezeptzusaetzlich->setObjectName(QStringLiteral("r_rezeptzusaetzlich"));
  r_rezeptzusaetzlich->setGeometry(256, 34, 217, 17);
  choicegroup({r_nurcocktailname, r_rezeptzusaetzlich});
}

void TMainform::createalcoholchoice() {
  Label3 = createlabel("Label3", QStringLiteral("Alkohol:"), 8, 56);

  Panel1 = new QWidget(GroupBox1);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(72, 55, 193, 17);
  const auto alkradio = [this](const char* name, const char* caption, int left) {
    auto* radio = new QRadioButton(QString::fromUtf8(caption), Panel1);
    radio->setObjectName(QString::fromUtf8(name));
    radio->setGeometry(left, 0, 57, 17);
    return radio;
  };
  c_alk_egal = alkradio("c_alk_egal", "egal", 0);
  c_alk_egal->setChecked(true);
  c_alk_ja = alkradio("c_alk_ja", "ja", 72);
  c_alk_nein = alkradio("c_alk_nein", "nein", 136);
  choicegroup({c_alk_egal, c_alk_ja, c_alk_nein});
  // A choice that becomes selected searches at once; clicking the one already
  // selected does not.
  for (QRadioButton* radio : {c_alk_egal, c_alk_ja, c_alk_nein})
    connect(radio, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked) changeclick();
    });

  c_nurverfuegbar = new QCheckBox(toqt("Zeige nur Cocktails aus verfügbaren Zutaten"_cp), GroupBox1);
  c_nurverfuegbar->setObjectName(QStringLiteral("c_nurverfuegbar"));
  c_nurverfuegbar->setGeometry(8, 76, 265, 17);
  connect(c_nurverfuegbar, &QCheckBox::toggled, this, &TMainform::changeclick);
}

void TMainform::createsearchbutton() {
  b_suchen = new QPushButton(suchenglyph(), QStringLiteral("Cocktails suchen"), GroupBox1);
  b_suchen->setObjectName(QStringLiteral("b_suchen"));
  b_suchen->setGeometry(414, 58, 129, 33);
  b_suchen->setAutoDefault(false);
  anchors_->add(b_suchen, Anchors::right | Anchors::bottom);
  connect(b_suchen, &QPushButton::clicked, this, &TMainform::b_suchenClick);

  label_suchinf = new QLabel(QStringLiteral("--"), GroupBox1);
  label_suchinf->setObjectName(QStringLiteral("label_suchinf"));
  label_suchinf->setAlignment(Qt::AlignRight | Qt::AlignTop);
  // Painted over the group box's frame line, as it sits on the top edge.
  label_suchinf->setAutoFillBackground(true);
  placesuchinf();
}

// One choice of radio buttons. Without a group, Qt takes every radio button
// anywhere inside the same parent as one choice: the scope buttons would
// then share Tab and the arrow keys with the alcohol buttons in Panel1.
void TMainform::choicegroup(std::initializer_list<QRadioButton*> buttons) {
  auto* group = new QButtonGroup(this);
  for (QRadioButton* button : buttons) group->addButton(button);
}

// label_suchinf sizes itself to its text and keeps its right end in place.
void TMainform::placesuchinf() {
  label_suchinf->adjustSize();
  label_suchinf->move(GroupBox1->width() - suchinfrightmargin - label_suchinf->width(), 0);
}

void TMainform::createresultlist() {
  ListView_erg = new QTreeView(centralWidget());
  ListView_erg->setObjectName(QStringLiteral("ListView_erg"));
  ListView_erg->setGeometry(4, 96, 549, 246);
  anchors_->add(ListView_erg, Anchors::left | Anchors::top | Anchors::right | Anchors::bottom);
  resultrows_ = new ResultlistModel(this);
  ListView_erg->setModel(resultrows_);
  // Set once the model has given the header its columns.
  const int widths[ResultlistModel::spaltenzahl] = {250, 70, 70, 70};
  for (int column = 0; column < ResultlistModel::spaltenzahl; ++column)
    ListView_erg->setColumnWidth(column, widths[column]);
  ListView_erg->header()->setStretchLastSection(false);
  ListView_erg->header()->setSectionsClickable(false);
  ListView_erg->setRootIsDecorated(false);
  ListView_erg->setUniformRowHeights(true);
  ListView_erg->setAllColumnsShowFocus(true);
  ListView_erg->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView_erg->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView_erg->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView_erg->installEventFilter(this);
  ListView_erg->viewport()->installEventFilter(this);

  PopupMenu_Liste = new QMenu(this);
  PopupMenu_Liste->setObjectName(QStringLiteral("PopupMenu_Liste"));
  Wertungndern1 = PopupMenu_Liste->addAction(toqt("&Wertung ändern"_cp));
  Wertungndern1->setObjectName(QStringLiteral("Wertungndern1"));
  connect(Wertungndern1, &QAction::triggered, this, &TMainform::Wertungndern1Click);
  Rezeptbearbeiten1 = PopupMenu_Liste->addAction(toqt("Rezept &bearbeiten…"_cp));
  Rezeptbearbeiten1->setObjectName(QStringLiteral("Rezeptbearbeiten1"));
  connect(Rezeptbearbeiten1, &QAction::triggered, this, &TMainform::Rezeptbearbeiten1Click);
  Rezeptlschen1 = PopupMenu_Liste->addAction(toqt("Rezept &löschen…"_cp));
  Rezeptlschen1->setObjectName(QStringLiteral("Rezeptlschen1"));
  connect(Rezeptlschen1, &QAction::triggered, this, &TMainform::Rezeptlschen1Click);
  Rezeptdrucken1 = PopupMenu_Liste->addAction(toqt("Rezept &drucken…"_cp));
  Rezeptdrucken1->setObjectName(QStringLiteral("Rezeptdrucken1"));
  connect(Rezeptdrucken1, &QAction::triggered, this, &TMainform::Rezeptdrucken1Click);
  ListView_erg->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ListView_erg, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu_Liste->popup(ListView_erg->viewport()->mapToGlobal(at)); });
}

void TMainform::createinfobox() {
  GB_info = new QGroupBox(QStringLiteral("Info"), centralWidget());
  GB_info->setObjectName(QStringLiteral("GB_info"));
  GB_info->setGeometry(32, 128, 489, 193);
  GB_info->setAutoFillBackground(true);
  GB_info->hide();

  b_info_x = new QPushButton(QStringLiteral("X"), GB_info);
  b_info_x->setObjectName(QStringLiteral("b_info_x"));
  b_info_x->setGeometry(472, 0, 17, 17);
  b_info_x->setAutoDefault(false);
  connect(b_info_x, &QPushButton::clicked, this, &TMainform::b_info_xClick);

  infomemo = new QPlainTextEdit(GB_info);
  infomemo->setObjectName(QStringLiteral("infomemo"));
  infomemo->setGeometry(8, 16, 473, 169);
  infomemo->setReadOnly(true);
  infomemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  infomemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  infomemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  infomemo->setFont(memofont());

  portionenwahl = new Portionenwahl(GB_info);
  connect(portionenwahl, &Portionenwahl::geaendert, this, [this] {
    if (GB_info->isVisible()) zeigeinfo(infoid_);
  });
  connect(portionenwahl, &Portionenwahl::drucken, this, &TMainform::b_rezeptdruckenClick);
}

QMenu* TMainform::addmenu(const char* name, const QString& caption) {
  QMenu* menu = menuBar()->addMenu(caption);
  menu->setObjectName(QString::fromUtf8(name));
  return menu;
}

QAction* TMainform::addentry(QMenu* menu, const char* name, const QString& caption, void (TMainform::*handler)()) {
  QAction* entry = menu->addAction(caption);
  entry->setObjectName(QString::fromUtf8(name));
  connect(entry, &QAction::triggered, this, handler);
  return entry;
}

void TMainform::createmenus() {
  menuBar()->setObjectName(QStringLiteral("MainMenu1"));
  // The underlined letters open a menu with Alt and pick an entry in an open
  // one; the captions read as they are without them. "Debug" has none: Qt
  // would open the hidden menu on its letter.
  Programm1 = addmenu("Programm1", QStringLiteral("&Programm"));
  beenden1 = addentry(Programm1, "beenden1", QStringLiteral("&beenden"), &TMainform::beenden1Click);

  Zutaten1 = addmenu("Zutaten1", QStringLiteral("&Zutaten"));
  Zutatenbearbeiten1 = addentry(Zutaten1, "Zutatenbearbeiten1", QStringLiteral("&Zutaten bearbeiten"),
                                &TMainform::Zutatenbearbeiten1Click);
  Einkaufstipps1 =
      addentry(Zutaten1, "Einkaufstipps1", QStringLiteral("&Einkaufstipps"), &TMainform::Einkaufstipps1Click);

  createrezeptemenu();

  debug1 = addmenu("debug1", QStringLiteral("Debug"));
  DBreset1 = addentry(debug1, "DBreset1", toqt("&Datenbank löschen"_cp), &TMainform::DBreset1Click);
  Importieren1 = addentry(debug1, "Importieren1", QStringLiteral("Daten &Importieren"), &TMainform::Importieren1Click);
  debug1->menuAction()->setVisible(false);

  Info1 = addmenu("Info1", QStringLiteral("&Info"));
  Einheiten1 = addentry(Info1, "Einheiten1", QStringLiteral("&Einheiten"), &TMainform::Einheiten1Click);
  N1 = Info1->addSeparator();
  N1->setObjectName(QStringLiteral("N1"));
  Programmbeschreibung1 = addentry(Info1, "Programmbeschreibung1", QStringLiteral("&Programmbeschreibung"),
                                   &TMainform::Programmbeschreibung1Click);
  Kurzanleitung1 = addentry(Info1, "Kurzanleitung1", QStringLiteral("&Kurzanleitung"), &TMainform::Kurzanleitung1Click);
  ber1 = addentry(Info1, "ber1", toqt("Ü&ber"_cp), &TMainform::ber1Click);
}

void TMainform::createrezeptemenu() {
  Rezepte1 = addmenu("Rezepte1", QStringLiteral("&Rezepte"));
  Rezepteimportieren1 =
      addentry(Rezepte1, "Rezepteimportieren1", toqt("Rezepte &importieren…"_cp), &TMainform::Rezepteimportieren1Click);
  Rezepteexportieren1 =
      addentry(Rezepte1, "Rezepteexportieren1", toqt("Rezepte &exportieren…"_cp), &TMainform::Rezepteexportieren1Click);
  Datenbanksichern1 =
      addentry(Rezepte1, "Datenbanksichern1", toqt("Datenbank &sichern…"_cp), &TMainform::Datenbanksichern1Click);
  Datenbankwiederherstellen1 = addentry(Rezepte1, "Datenbankwiederherstellen1", toqt("Datenbank &wiederherstellen…"_cp),
                                        &TMainform::Datenbankwiederherstellen1Click);
  Rezepte1->addSeparator();
  NeuesRezept1 = addentry(Rezepte1, "NeuesRezept1", toqt("&Neues Rezept…"_cp), &TMainform::NeuesRezept1Click);
  NeuesRezept1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  Barkarteerstellen1 =
      addentry(Rezepte1, "Barkarteerstellen1", toqt("&Barkarte erstellen…"_cp), &TMainform::Barkarteerstellen1Click);
}

void TMainform::createactions() {
  // Both belong to the window itself: a shortcut of the hidden "Debug" menu
  // would never fire.
  Action_debug = new QAction(QStringLiteral("Action_debug"), this);
  Action_debug->setObjectName(QStringLiteral("Action_debug"));
  Action_debug->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_J));
  Action_debug->setShortcutContext(Qt::WindowShortcut);
  connect(Action_debug, &QAction::triggered, this, &TMainform::Action_debugExecute);
  addAction(Action_debug);

  Action_Abbruch = new QAction(QStringLiteral("Action_Abbruch"), this);
  Action_Abbruch->setObjectName(QStringLiteral("Action_Abbruch"));
  Action_Abbruch->setShortcut(QKeySequence(Qt::Key_Escape));
  Action_Abbruch->setShortcutContext(Qt::WindowShortcut);
  connect(Action_Abbruch, &QAction::triggered, this, &TMainform::Action_AbbruchExecute);
  addAction(Action_Abbruch);
}

// The file dialogs show every file's details in columns wide enough for
// long names, sizes and dates.
QFileDialog* TMainform::createfiledialog(const char* name) {
  auto* dialog = new QFileDialog(this);
  dialog->setObjectName(QString::fromUtf8(name));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setProxyModel(new GermanFileColumns(dialog));
  dialog->setViewMode(QFileDialog::Detail);
  dialog->resize(760, 460);
  if (auto* files = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
    files->header()->setMinimumSectionSize(90);
    files->header()->resizeSection(0, 320);
  }
  return dialog;
}

void TMainform::createopendialog() {
  OpenDialogimport = createfiledialog("OpenDialogimport");
  OpenDialogimport->setFileMode(QFileDialog::ExistingFile);
  OpenDialogimport->setAcceptMode(QFileDialog::AcceptOpen);
  // The one filter matches every file, names without a dot too; only its
  // caption shows the pattern "*.*". The dialog filters with the pattern it
  // was given, not with the caption.
  OpenDialogimport->setNameFilter(QStringLiteral("Alle Dateien (*)"));
  if (auto* filters = OpenDialogimport->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
    filters->setItemText(0, QStringLiteral("Alle Dateien (*.*)"));
}

void TMainform::createexportdialogs() {
  SaveDialogexport = createfiledialog("SaveDialogexport");
  SaveDialogexport->setFileMode(QFileDialog::AnyFile);
  SaveDialogexport->setAcceptMode(QFileDialog::AcceptSave);
  SaveDialogexport->setNameFilter(QStringLiteral("Textdateien (*.txt);;Alle Dateien (*)"));
  SaveDialogexport->setDefaultSuffix(QStringLiteral("txt"));
  SaveDialogexport->setDirectory(QDir::homePath());
  SaveDialogexport->selectFile(QStringLiteral("rezepte.txt"));

  FolderDialogsichern = createfiledialog("FolderDialogsichern");
  FolderDialogsichern->setFileMode(QFileDialog::Directory);
  FolderDialogsichern->setOption(QFileDialog::ShowDirsOnly);
  FolderDialogsichern->setDirectory(QDir::homePath());
}

void TMainform::settaborder() {
  QWidget* const order[] = {e_suchbegriff,
                            c_alk_egal,
                            c_alk_ja,
                            c_alk_nein,
                            c_nurverfuegbar,
                            b_suchen,
                            r_nurcocktailname,
                            r_rezeptzusaetzlich,
                            ListView_erg,
                            b_info_x,
                            portionenwahl->e_glaeser,
                            portionenwahl->c_einheit,
                            portionenwahl->b_rezeptdrucken,
                            infomemo};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

std::string TMainform::rezeptid(const QModelIndex& row) const { return resultrows_->rezeptid(row.row()); }

QModelIndex TMainform::selectedrow() const {
  const QModelIndexList rows = ListView_erg->selectionModel()->selectedRows();
  return rows.isEmpty() ? QModelIndex() : rows.first();
}

// --- the search and the result list ---

void TMainform::b_suchenClick() {
  catalogue::SearchSettings settings;
  settings.suchbegriff = fromqt(e_suchbegriff->text());
  settings.bereich = r_rezeptzusaetzlich->isChecked() ? catalogue::Suchbereich::rezeptzusaetzlich
                                                      : catalogue::Suchbereich::nurcocktailname;
  settings.alkohol = c_alk_ja->isChecked()     ? catalogue::Alkoholwahl::ja
                     : c_alk_nein->isChecked() ? catalogue::Alkoholwahl::nein
                                               : catalogue::Alkoholwahl::egal;
  settings.nurverfuegbar = c_nurverfuegbar->isChecked();

  fillresultlist({});
  catalogue::Suchtreffer result = catalogue::suche(*catalogue_, settings, *progressforwarder_);
  fillresultlist(std::move(result.liste));
  label_suchinf->setText(toqt(result.hitcount));
  placesuchinf();
}

// The rows come sorted by name; the list keeps that order.
void TMainform::fillresultlist(catalogue::Trefferliste rows) { resultrows_->setrows(std::move(rows)); }

void TMainform::e_suchbegriffKeyPress() { b_suchen->click(); }

void TMainform::changeclick() { b_suchen->click(); }

// --- the recipe view and the rating ---

void TMainform::ListView_ergDblClick() {
  const QModelIndex row = selectedrow();
  if (row.isValid()) zeigeinfo(rezeptid(row));
}

bool TMainform::zeigeinfo(const std::string& id) {
  infomemo->clear();
  if (id != infoid_ || !GB_info->isVisible()) portionenwahl->neuesrezept();
  const std::optional<std::vector<std::string>> lines =
      catalogue::zeigecocktail(*catalogue_, id, portionenwahl->portionen());
  if (!lines) return false;
  for (const std::string& line : *lines) infomemo->appendPlainText(toqt(line));
  infomemo->moveCursor(QTextCursor::Start);  // the first line in view, not the end of the preparation
  infoid_ = id;
  GB_info->setTitle(toqt(catalogue::infotitel(*catalogue_, id)));
  placeinfobox();
  GB_info->show();
  GB_info->raise();
  return true;
}

// The lines measured in the memo's font: what infogeometrie needs.
void TMainform::placeinfobox() {
  const QFontMetrics metrics(infomemo->font());
  const QStringList lines = infomemo->toPlainText().split(QLatin1Char('\n'));
  int width = 0;
  for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
  const int margins = 2 * static_cast<int>(infomemo->document()->documentMargin());
  const QSize text(width + margins, static_cast<int>(lines.size()) * metrics.lineSpacing() + margins);
  const int frame = 2 * infomemo->frameWidth();
  const QSize rand(frame + infomemo->verticalScrollBar()->sizeHint().width(),
                   frame + infomemo->horizontalScrollBar()->sizeHint().height());
  const QSize groesser = centralWidget()->size() - QSize(clientwidth, clientheight);
  const Infogeometrie geometrie = infogeometrie(text, rand, Portionenwahl::hoehe, ListView_erg->geometry(), groesser);
  GB_info->setGeometry(geometrie.box);
  portionenwahl->setGeometry(geometrie.kopf);
  infomemo->setGeometry(geometrie.memo);
  b_info_x->move(geometrie.box.width() - b_info_x->width(), 0);
}

void TMainform::ListView_ergKeyDown(int key) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter) ListView_ergDblClick();
}

void TMainform::Wertungndern1Click() {
  const QModelIndex row = selectedrow();
  if (!row.isValid() || fenster_.wertungsform == nullptr) return;
  const std::optional<std::string> stars =
      catalogue::Wertungndern1Click(*catalogue_, rezeptid(row), *fenster_.wertungsform);
  if (stars) resultrows_->setwertung(row.row(), *stars);
}

// --- the recipe window ---

void TMainform::NeuesRezept1Click() {
  if (fenster_.rezeptedit == nullptr || !catalogue_->maywrite().orwarn()) return;
  if (const std::optional<std::string> saved = fenster_.rezeptedit->anzeigen("")) rezeptgeaendert(*saved);
}

void TMainform::Rezeptbearbeiten1Click() {
  const QModelIndex row = selectedrow();
  if (!row.isValid() || fenster_.rezeptedit == nullptr || !catalogue_->maywrite().orwarn()) return;
  if (const std::optional<std::string> saved = fenster_.rezeptedit->anzeigen(rezeptid(row))) rezeptgeaendert(*saved);
}

void TMainform::Rezeptlschen1Click() {
  const QModelIndex row = selectedrow();
  if (row.isValid() && catalogue::rezeptloeschen(*catalogue_, rezeptid(row))) rezeptgeaendert(rezeptid(row));
}

void TMainform::rezeptgeaendert(const std::string& id) {
  const std::optional<catalogue::ResultRow> values = catalogue::ergebniszeile(*catalogue_, id);
  if (const int row = resultrows_->rowofid(id); row >= 0) {
    if (values)
      resultrows_->setrow(row, *values);
    else
      resultrows_->removerow(row);
  } else if (values) {
    // A new recipe: in the list at its place, selected and in view.
    const QModelIndex added = resultrows_->index(resultrows_->insertrow(*values), 0);
    ListView_erg->setCurrentIndex(added);
    ListView_erg->scrollTo(added);
    ListView_erg->setFocus();  // Enter opens it
  }
  // The count follows the list; the search is not run again.
  label_suchinf->setText(toqt(std::to_string(resultrows_->rowCount()) + " Suchergebnisse"));
  placesuchinf();
  if (!GB_info->isVisible() || infoid_ != id) return;
  catalogue::rrezept lines;
  // A recipe left without lines has nothing to show: the box closes.
  if (!values || !catalogue::laderezept(*catalogue_, id, lines) || !zeigeinfo(id)) b_info_xClick();
}

// --- the printed card ---

void TMainform::Barkarteerstellen1Click() {
  std::vector<std::string> ids;
  for (int row = 0; row < resultrows_->rowCount(); ++row) ids.push_back(resultrows_->rezeptid(row));
  if (ids.empty())
    platform::showinformation("Die Trefferliste ist leer: erst suchen, dann die Barkarte erstellen.");
  else
    ausgeben(ids);
}

void TMainform::Rezeptdrucken1Click() {
  if (const QModelIndex row = selectedrow(); row.isValid()) ausgeben({rezeptid(row)});
}

void TMainform::b_rezeptdruckenClick() {
  if (GB_info->isVisible()) ausgeben({infoid_});
}

void TMainform::ausgeben(const std::vector<std::string>& ids) {
  if (barkarteform_ == nullptr) barkarteform_ = new Tbarkarteform(*catalogue_, *progressforwarder_, this);
  barkarteform_->ausgeben(ids, portionenwahl->portionen());
}

void TMainform::b_info_xClick() {
  infomemo->clear();
  GB_info->setTitle(QStringLiteral("Info"));
  GB_info->hide();
}

// --- the actions and the menus ---

void TMainform::Action_debugExecute() { debug1->menuAction()->setVisible(!debug1->menuAction()->isVisible()); }

void TMainform::Action_AbbruchExecute() { b_info_x->click(); }

void TMainform::beenden1Click() { close(); }

void TMainform::Zutatenbearbeiten1Click() {
  if (!fenster_.zutatenedit) return;
  fenster_.zutatenedit->anzeigen(debug1->menuAction()->isVisible());
  // "Cocktails mit dieser Zutat" closed the editor: its recipes fill the list.
  if (const int32_t zutat = fenster_.zutatenedit->cocktailzutat(); zutat >= 0) {
    catalogue::Suchtreffer result = catalogue::cocktailsmitzutat(*catalogue_, zutat, *progressforwarder_);
    fillresultlist(std::move(result.liste));
    label_suchinf->setText(toqt(result.hitcount));
    placesuchinf();
  }
}

// The tips in the info box's fixed-pitch font, in a window of their own.
void TMainform::Einkaufstipps1Click() {
  if (einkaufstippsform_ == nullptr) einkaufstippsform_ = new Teinkaufstippsform(*catalogue_, infomemo->font(), this);
  einkaufstippsform_->anzeigen();
}

void TMainform::DBreset1Click() { catalogue_->DBreset1Click(); }

void TMainform::Importieren1Click() { catalogue::Importieren1Click(*catalogue_, *this); }

void TMainform::Rezepteimportieren1Click() { Importieren1Click(); }

void TMainform::Rezepteexportieren1Click() { catalogue::Rezepteexportieren1Click(*catalogue_, *this); }

void TMainform::Datenbanksichern1Click() { catalogue::Datenbanksichern1Click(*catalogue_, *this); }

// The current search runs again, so that the list shows the restored recipes.
void TMainform::Datenbankwiederherstellen1Click() {
  if (catalogue::Datenbankwiederherstellen1Click(*catalogue_, *this)) b_suchenClick();
}

void TMainform::Einheiten1Click() { showlines(einheitenzeilen()); }

void TMainform::Programmbeschreibung1Click() { showlines(programmbeschreibungzeilen()); }

// The guide to what the description does not name, in a window made when first opened.
void TMainform::Kurzanleitung1Click() {
  if (kurzanleitung_ == nullptr) kurzanleitung_ = new Tkurzanleitung(this);
  kurzanleitung_->anzeigen();
}

void TMainform::showlines(const std::vector<std::string>& lines) {
  if (fenster_.memoform == nullptr) return;
  fenster_.memoform->clearmemo();
  for (const std::string& line : lines) fenster_.memoform->addline(line);
  fenster_.memoform->showmodal();
}

void TMainform::ber1Click() {
  if (fenster_.splashform) fenster_.splashform->showmodal();
}

// --- the application ---

// A database just made empty is offered the sample in data/ beside the program.
void TMainform::StarttimerTimer() {
  Starttimer->stop();
  catalogue_->StarttimerTimer();
  // A second copy stands beside the first, not exactly over it.
  if (catalogue_->readonly() == catalogue::Catalogue::ReadOnly::inuse && !versetzt_) {
    versetzt_ = true;
    move(pos() + QPoint(zweitekopieversatz, zweitekopieversatz));
  }
  // A sample just loaded is listed whole, as an empty search lists it.
  if (catalogue_->neuangelegt() && catalogue::beispielanbieten(*catalogue_, catalogue_->programfolder() + "data/"))
    b_suchenClick();
}

void TMainform::armstarttimer() { Starttimer->start(); }

void TMainform::endapplication() { QApplication::exit(0); }

// The dialog starts in the folder of this run's last import, else at home.
// The sample's folder beside the program is one click away in the sidebar.
std::optional<std::string> TMainform::chooseimportfile() {
  OpenDialogimport->setDirectory(importfolder_.isEmpty() ? QDir::homePath() : importfolder_);
  const QString beispiele = QFile::decodeName(QByteArray::fromStdString(catalogue_->programfolder() + "data"));
  QList<QUrl> places{QUrl(QStringLiteral("file:")), QUrl::fromLocalFile(QDir::homePath())};
  if (QDir(beispiele).exists()) places << QUrl::fromLocalFile(beispiele);
  OpenDialogimport->setSidebarUrls(places);
  std::optional<std::string> path = chosenpath(*OpenDialogimport);
  if (path) importfolder_ = OpenDialogimport->directory().absolutePath();
  return path;
}

std::optional<std::string> TMainform::chooseexportfile() { return chosenpath(*SaveDialogexport); }

std::optional<std::string> TMainform::choosebackupfolder() {
  std::optional<std::string> folder = chosenpath(*FolderDialogsichern);
  if (folder && !folder->ends_with('/')) *folder += '/';
  return folder;
}

std::optional<std::string> TMainform::chosenpath(QFileDialog& dialog) {
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  const QByteArray path = QFile::encodeName(chosen.first());
  return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

// FormCloseQuery: the catalogue closes its tables; the window always closes.
void TMainform::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    closed_ = true;
    Starttimer->stop();  // a start-up still pending would find no tables
    catalogue_->FormCloseQuery();
  }
  event->accept();
}

bool TMainform::eventFilter(QObject* watched, QEvent* event) {
  if (watched == GroupBox1 && event->type() == QEvent::Resize) {
    placesuchinf();
  } else if (watched == ListView_erg && event->type() == QEvent::Resize) {
    placeinfobox();
  } else if (watched == ListView_erg && event->type() == QEvent::KeyPress) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) Rezeptlschen1Click();
    ListView_ergKeyDown(static_cast<QKeyEvent*>(event)->key());
  } else if (watched == ListView_erg->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    ListView_ergDblClick();
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace ui
