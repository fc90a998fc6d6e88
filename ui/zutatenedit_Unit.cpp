#include "ui/zutatenedit_Unit.h"

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QWindow>
#include <cmath>

#include "catalogue/zutatenedit_model.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "ui/anchors.h"
#include "ui/art.h"
#include "ui/dialogframe.h"
#include "ui/ersatzedit_Unit.h"
#include "ui/qtext.h"
#include "ui/zutatengrid_model.h"

namespace ui {

using catalogue::ZutateneditModel;

namespace {

// The layout in client pixels: the filter at the top left, the grid below
// it, the buttons below that in the corners.
constexpr int filterheight = 26;
constexpr int ersatzheight = 18;  // the line of the substitutes under the grid
constexpr int clientwidth = 532;
constexpr int clientheight = 375 + filterheight + ersatzheight;
constexpr int gridwidth = 530;
constexpr int gridheight = 345;
constexpr int buttonwidth = 99;
constexpr int buttonheight = 25;
constexpr int buttonmargin = 2;
constexpr int buttontop = clientheight - buttonheight - buttonmargin;
constexpr int rowheight = 16;
constexpr int namewidth = 200;
constexpr int flagwidth = 70;

// Half a length, to the nearest whole pixel; a half goes to the even one.
int halfrounded(int length) { return static_cast<int>(std::nearbyint(length / 2.0)); }

}  // namespace

Tzutatenedit::Tzutatenedit(catalogue::Catalogue& catalogue, catalogue::ProgressPort& progress, QWidget* parent)
    : QDialog(parent),
      catalogue_(catalogue),
      progress_(progress),
      model_(std::make_unique<ZutateneditModel>(catalogue)) {
  setObjectName(QStringLiteral("zutatenedit"));
  setFont(programfont());
  resize(clientwidth, clientheight);
  anchors_ = new Anchors(this);
  createfilter();
  creategrid();
  createheaders();
  createbuttons();
  createnurlesen();
  createactions();
  createersatz();
}

Tzutatenedit::~Tzutatenedit() = default;

void Tzutatenedit::createfilter() {
  Label_suchen = new QLabel(QStringLiteral("Suchen:"), this);
  Label_suchen->setObjectName(QStringLiteral("Label_suchen"));
  Label_suchen->setGeometry(buttonmargin, 6, 50, 13);
  e_suchen = new QLineEdit(this);
  e_suchen->setObjectName(QStringLiteral("e_suchen"));
  e_suchen->setGeometry(54, 2, 200, 21);
  e_suchen->setMaxLength(255);
  Label_suchen->setBuddy(e_suchen);
  connect(e_suchen, &QLineEdit::textChanged, this, &Tzutatenedit::e_suchenChange);
}

void Tzutatenedit::creategrid() {
  zutatengrid = new QTableView(this);
  zutatengrid->setObjectName(QStringLiteral("zutatengrid"));
  gridmodel_ = new ZutatengridModel(*model_, this);
  zutatengrid->setModel(gridmodel_);
  // The names are shown as the row headers, fixed at the left; the corner
  // above them is their header cell.
  zutatengrid->setColumnHidden(ZutateneditModel::name, true);
  zutatengrid->setGeometry(0, filterheight, gridwidth, gridheight);
  anchors_->add(zutatengrid, Anchors::left | Anchors::top | Anchors::right | Anchors::bottom);
  zutatengrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  zutatengrid->setSelectionMode(QAbstractItemView::SingleSelection);
  zutatengrid->setSelectionBehavior(QAbstractItemView::SelectItems);
  zutatengrid->setWordWrap(false);
  connect(zutatengrid->selectionModel(), &QItemSelectionModel::currentChanged, this, &Tzutatenedit::zutatengridSelect);
  zutatengrid->installEventFilter(this);  // Space
}

void Tzutatenedit::createheaders() {
  QHeaderView* top = zutatengrid->horizontalHeader();
  top->setSectionResizeMode(QHeaderView::Fixed);
  top->setDefaultSectionSize(flagwidth);
  top->setStretchLastSection(false);
  top->setSectionsClickable(false);
  top->setHighlightSections(false);
  top->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  top->setFixedHeight(rowheight);

  QHeaderView* left = zutatengrid->verticalHeader();
  left->setSectionResizeMode(QHeaderView::Fixed);
  left->setMinimumSectionSize(0);
  left->setDefaultSectionSize(rowheight);
  left->setSectionsClickable(false);
  left->setHighlightSections(false);
  left->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  left->setFixedWidth(namewidth);

  // The corner cell holds the header of the name column; a press there
  // sorts, and never selects the whole grid.
  corner_ = zutatengrid->findChild<QAbstractButton*>();
  for (QObject* watched : {static_cast<QObject*>(zutatengrid->viewport()), static_cast<QObject*>(top->viewport()),
                           static_cast<QObject*>(left->viewport()), static_cast<QObject*>(corner_)})
    if (watched != nullptr) watched->installEventFilter(this);
}

void Tzutatenedit::createbuttons() {
  b_ok = new QPushButton(okglyph(), QStringLiteral("&Speichern"), this);
  b_ok->setObjectName(QStringLiteral("b_ok"));
  b_ok->setGeometry(clientwidth - buttonwidth - buttonmargin, buttontop, buttonwidth, buttonheight);
  b_ok->setAutoDefault(false);
  anchors_->add(b_ok, Anchors::right | Anchors::bottom);
  connect(b_ok, &QPushButton::clicked, this, &Tzutatenedit::b_okClick);

  b_zusatz = new QPushButton(zusatzglyph(), QStringLiteral("Zusatzf."), this);
  b_zusatz->setObjectName(QStringLiteral("b_zusatz"));
  b_zusatz->setGeometry(buttonmargin, buttontop, buttonwidth, buttonheight);
  b_zusatz->setAutoDefault(false);
  b_zusatz->hide();
  anchors_->add(b_zusatz, Anchors::left | Anchors::bottom);
  connect(b_zusatz, &QPushButton::clicked, this, &Tzutatenedit::b_zusatzClick);

  PopupMenu_zusatz = new QMenu(this);
  PopupMenu_zusatz->setObjectName(QStringLiteral("PopupMenu_zusatz"));
  Zutatumbenennen1 = PopupMenu_zusatz->addAction(QStringLiteral("Zutat &umbenennen"));
  Zutatumbenennen1->setObjectName(QStringLiteral("Zutatumbenennen1"));
  zutataufloesen = PopupMenu_zusatz->addAction(toqt("Zutat &auflösen (ist andere Zutat der Liste)"_cp));
  zutataufloesen->setObjectName(QStringLiteral("zutataufloesen"));
  connect(Zutatumbenennen1, &QAction::triggered, this, &Tzutatenedit::Zutatumbenennen1Click);
  connect(zutataufloesen, &QAction::triggered, this, &Tzutatenedit::zutataufloesenClick);
}

// Shown between the two buttons, beside the "Speichern" it explains, while
// the catalogue can only be read.
void Tzutatenedit::createnurlesen() {
  Label_nurlesen = new QLabel(toqt("Nur zum Lesen geöffnet: Speichern ist nicht möglich."_cp), this);
  Label_nurlesen->setObjectName(QStringLiteral("Label_nurlesen"));
  Label_nurlesen->setGeometry(buttonwidth + 4 * buttonmargin, buttontop,
                              clientwidth - 2 * buttonwidth - 8 * buttonmargin, buttonheight);
  Label_nurlesen->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label_nurlesen->setStyleSheet(QStringLiteral("color: #a00000;"));
  Label_nurlesen->hide();
  anchors_->add(Label_nurlesen, Anchors::left | Anchors::right | Anchors::bottom);
}

void Tzutatenedit::createactions() {
  // Escape ends a pick; as a window shortcut it comes before the dialog's
  // own Escape handling, so it never closes the window.
  Action_abbrechen = new QAction(this);
  Action_abbrechen->setObjectName(QStringLiteral("Action_abbrechen"));
  Action_abbrechen->setShortcut(QKeySequence(Qt::Key_Escape));
  Action_abbrechen->setShortcutContext(Qt::WindowShortcut);
  addAction(Action_abbrechen);
  connect(Action_abbrechen, &QAction::triggered, this, &Tzutatenedit::Action_abbrechenExecute);
}

void Tzutatenedit::createersatz() {
  Label_ersatzzeile = new QLabel(this);
  Label_ersatzzeile->setObjectName(QStringLiteral("Label_ersatzzeile"));
  Label_ersatzzeile->setGeometry(buttonmargin, filterheight + gridheight + 1, gridwidth - 2 * buttonmargin, 16);
  anchors_->add(Label_ersatzzeile, Anchors::left | Anchors::right | Anchors::bottom);
  constexpr int ersatzwidth = 130;
  b_ersatz = new QPushButton(toqt("&Ersatz bearbeiten…"_cp), this);
  b_ersatz->setObjectName(QStringLiteral("b_ersatz"));
  b_ersatz->setGeometry(clientwidth - buttonwidth - ersatzwidth - 3 * buttonmargin, buttontop, ersatzwidth,
                        buttonheight);
  b_ersatz->setAutoDefault(false);
  anchors_->add(b_ersatz, Anchors::right | Anchors::bottom);
  Ersatzbearbeiten1 = new QAction(toqt("Ersatz bearbeiten…"_cp), this);
  Ersatzbearbeiten1->setObjectName(QStringLiteral("Ersatzbearbeiten1"));
  Cocktailsmitzutat1 = new QAction(QStringLiteral("Cocktails mit dieser Zutat"), this);
  Cocktailsmitzutat1->setObjectName(QStringLiteral("Cocktailsmitzutat1"));
  PopupMenu_zusatz->addActions({Ersatzbearbeiten1, Cocktailsmitzutat1});
  PopupMenu_zutat = new QMenu(this);
  PopupMenu_zutat->setObjectName(QStringLiteral("PopupMenu_zutat"));
  PopupMenu_zutat->addActions({Ersatzbearbeiten1, Cocktailsmitzutat1});
  zutatengrid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(zutatengrid, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu_zutat->popup(zutatengrid->viewport()->mapToGlobal(at)); });
  connect(b_ersatz, &QPushButton::clicked, this, &Tzutatenedit::Ersatzbearbeiten1Click);
  connect(Ersatzbearbeiten1, &QAction::triggered, this, &Tzutatenedit::Ersatzbearbeiten1Click);
  connect(Cocktailsmitzutat1, &QAction::triggered, this, &Tzutatenedit::Cocktailsmitzutat1Click);
  ersatzedit = new Tersatzedit(*model_, this);
}

void Tzutatenedit::anzeigen(bool extras) {
  cocktailzutat_ = -1;
  if (extras) b_zusatz->show();
  {
    const QSignalBlocker quiet(e_suchen);  // the filling shows every row
    e_suchen->clear();
  }
  gridmodel_->refill([this] { model_->fuellen(progress_); });
  // A copy that only reads says so before anything is toggled.
  const bool nurlesen = catalogue_.readonly() != catalogue::Catalogue::ReadOnly::no;
  Label_nurlesen->setVisible(nurlesen);
  b_ok->setEnabled(!nurlesen);
  setWindowTitle(toqt(model_->caption()));
  showselection();
  showpointer();
  zutatengrid->setFocus();
  centreonscreen(*this);
  exec();
}

void Tzutatenedit::reject() {
  if (model_->geaendert() && b_ok->isEnabled()) {
    switch (platform::askyesnocancel(std::string("Änderungen speichern?"_cp))) {
      case platform::Antwort::ja: b_okClick(); return;
      case platform::Antwort::nein: break;
      case platform::Antwort::abbrechen: return;
    }
  }
  QDialog::reject();
}

QPoint Tzutatenedit::zusatzmenupoint() const {
  // The frame as the window system has it now: the widget's own copy of it
  // can still lack the title bar when the window is shown a second time.
  const QRect frame = windowHandle() != nullptr ? windowHandle()->frameGeometry() : frameGeometry();
  return {frame.left() + b_zusatz->x() + halfrounded(b_zusatz->width()),
          frame.top() + b_zusatz->y() + halfrounded(b_zusatz->height())};
}

void Tzutatenedit::b_okClick() {
  if (model_->b_okClick()) accept();
}

void Tzutatenedit::b_zusatzClick() { PopupMenu_zusatz->popup(zusatzmenupoint()); }

void Tzutatenedit::Zutatumbenennen1Click() {
  model_->Zutatumbenennen1Click();
  gridmodel_->textschanged();
  showersatz();
}

void Tzutatenedit::zutataufloesenClick() {
  model_->zutataufloesenClick();
  showpointer();
}

void Tzutatenedit::Action_abbrechenExecute() {
  model_->Action_abbrechenExecute();
  showpointer();
}

void Tzutatenedit::zutatengridSelect(const QModelIndex& cell) {
  if (cell.isValid()) model_->select(cell.row(), cell.column());
  showersatz();
}

void Tzutatenedit::showersatz() { Label_ersatzzeile->setText(toqt(model_->ersatzzeile())); }

void Tzutatenedit::Ersatzbearbeiten1Click() {
  if (model_->schluesselvon(model_->selectedrow()) < 0) return;
  ersatzedit->anzeigen(model_->selectedrow());
  showersatz();
}

// The window closes as by its title-bar button, asking about unsaved
// changes; answered "Abbrechen", it stays open and nothing is listed.
void Tzutatenedit::Cocktailsmitzutat1Click() {
  cocktailzutat_ = model_->schluesselvon(model_->selectedrow());
  if (cocktailzutat_ < 0) return;
  reject();
  if (isVisible()) cocktailzutat_ = -1;
}

void Tzutatenedit::e_suchenChange(const QString& text) {
  gridmodel_->refill([this, &text] { model_->filtern(fromqt(text)); });
  showselection();
}

// R0, R1 and R2 are the right edges of the name, "verwendet" and
// "alkoholisch?" header cells, counted from the name column's left edge.
void Tzutatenedit::zutatengridMouseDown(int x) {
  const auto rightedge = [this](int column) {
    return zutatengrid->columnViewportPosition(column) + zutatengrid->columnWidth(column);
  };
  const int r0 = zutatengrid->verticalHeader()->width();
  const int r1 = r0 + rightedge(ZutateneditModel::verwendet);
  const int r2 = r0 + rightedge(ZutateneditModel::alkoholisch);
  model_->zutatengridMouseDown(x, r0, r1, r2);
  gridmodel_->textschanged();
  showersatz();  // another ingredient stands in the selected row now
}

void Tzutatenedit::zutatengridDblClick() {
  model_->zutatengridDblClick();
  gridmodel_->textschanged();
  showpointer();
}

// The horizontal position of a press in the grid, counted from the left edge
// of the name column, or -1 when the press is not in the header row.
int Tzutatenedit::gridx(QObject* watched, int x) const {
  if (watched == corner_) return x;
  if (watched == zutatengrid->horizontalHeader()->viewport()) return zutatengrid->verticalHeader()->width() + x;
  return -1;
}

bool Tzutatenedit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == corner_ && event->type() == QEvent::Paint) {
    paintcorner();
    return true;
  }
  if (watched == zutatengrid && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier) return false;
    zutatengridDblClick();  // Space acts on the selected cell as a double-click does
    return true;
  }
  const bool press = event->type() == QEvent::MouseButtonPress;
  const bool doubleclick = event->type() == QEvent::MouseButtonDblClick;
  if (!press && !doubleclick) return QDialog::eventFilter(watched, event);

  // In the header row a press sorts, and the second press of a double-click
  // only sorts again: the cell selected before belongs to another ingredient
  // once the rows have moved.
  const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
  const int x = gridx(watched, at.x());
  if (x >= 0) {
    zutatengridMouseDown(x);
    return true;
  }
  if (!doubleclick) return false;  // other presses select cells as usual
  // A double-click acts on the cell selected by its first press.
  if (watched == zutatengrid->verticalHeader()->viewport()) picknamerow(at.y());
  zutatengridDblClick();
  return true;
}

// A name cell selects nothing of its own; while a merge target is picked, a
// double-click on a name picks that row.
void Tzutatenedit::picknamerow(int y) {
  const int row = zutatengrid->verticalHeader()->logicalIndexAt(y);
  if (model_->aufloesmodus() && row >= 0)
    zutatengrid->setCurrentIndex(gridmodel_->index(row, ZutateneditModel::verwendet));
}

// The corner is the header cell of the name column.
void Tzutatenedit::paintcorner() {
  QPainter painter(corner_);
  QStyleOptionHeader header;
  header.initFrom(corner_);
  header.rect = corner_->rect();
  header.text = gridmodel_->headerData(ZutateneditModel::name, Qt::Horizontal).toString();
  header.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  header.position = QStyleOptionHeader::OnlyOneSection;
  style()->drawControl(QStyle::CE_Header, &header, &painter, corner_);
}

void Tzutatenedit::showselection() {
  if (gridmodel_->rowCount() > 0)
    zutatengrid->setCurrentIndex(gridmodel_->index(model_->selectedrow(), model_->selectedcol()));
  showersatz();
}

void Tzutatenedit::showpointer() {
  const Qt::CursorShape shape = model_->aufloesmodus() ? Qt::PointingHandCursor : Qt::ArrowCursor;
  zutatengrid->setCursor(shape);
  zutatengrid->viewport()->setCursor(shape);
}

}  // namespace ui
