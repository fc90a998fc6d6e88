#include "ui/zutatenedit_Unit.h"

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionHeader>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "catalogue/zutatenedit_model.h"
#include "ui/anchors.h"
#include "ui/art.h"
#include "ui/dialogframe.h"
#include "ui/qtext.h"

namespace ui {

namespace {

// The layout in client pixels: the grid at the top left, the buttons below
// it in the corners.
constexpr int clientwidth = 532;
constexpr int clientheight = 375;
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

void settext(QTableWidget& grid, int row, int column, const QString& text) {
  QTableWidgetItem* item = grid.item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    grid.setItem(row, column, item);
  }
  if (item->text() != text) item->setText(text);
}

void setheadertext(QTableWidget& grid, int row, const QString& text) {
  QTableWidgetItem* item = grid.verticalHeaderItem(row);
  if (item == nullptr) {
    item = new QTableWidgetItem;
    grid.setVerticalHeaderItem(row, item);
  }
  if (item->text() != text) item->setText(text);
}

}  // namespace

Tzutatenedit::Tzutatenedit(catalogue::Catalogue& catalogue, catalogue::ProgressPort& progress, QWidget* parent)
    : QDialog(parent), progress_(progress), model_(std::make_unique<catalogue::ZutateneditModel>(catalogue)) {
  setFont(programfont());
  resize(clientwidth, clientheight);
  anchors_ = new Anchors(this);
  creategrid();
  createbuttons();
  createactions();
}

Tzutatenedit::~Tzutatenedit() = default;

void Tzutatenedit::creategrid() {
  zutatengrid = new QTableWidget(0, 3, this);
  zutatengrid->setGeometry(0, 0, gridwidth, gridheight);
  anchors_->add(zutatengrid, Anchors::left | Anchors::top | Anchors::right | Anchors::bottom);
  zutatengrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  zutatengrid->setSelectionMode(QAbstractItemView::SingleSelection);
  zutatengrid->setSelectionBehavior(QAbstractItemView::SelectItems);
  zutatengrid->setWordWrap(false);

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

  connect(zutatengrid, &QTableWidget::currentCellChanged, this, &Tzutatenedit::zutatengridSelect);
}

void Tzutatenedit::createbuttons() {
  b_ok = new QPushButton(okglyph(), QStringLiteral("Speichern"), this);
  b_ok->setGeometry(clientwidth - buttonwidth - buttonmargin, buttontop, buttonwidth, buttonheight);
  b_ok->setAutoDefault(false);
  anchors_->add(b_ok, Anchors::right | Anchors::bottom);
  connect(b_ok, &QPushButton::clicked, this, &Tzutatenedit::b_okClick);

  b_zusatz = new QPushButton(zusatzglyph(), QStringLiteral("Zusatzf."), this);
  b_zusatz->setGeometry(buttonmargin, buttontop, buttonwidth, buttonheight);
  b_zusatz->setAutoDefault(false);
  b_zusatz->hide();
  anchors_->add(b_zusatz, Anchors::left | Anchors::bottom);
  connect(b_zusatz, &QPushButton::clicked, this, &Tzutatenedit::b_zusatzClick);

  PopupMenu_zusatz = new QMenu(this);
  Zutatumbenennen1 = PopupMenu_zusatz->addAction(QStringLiteral("Zutat &umbenennen"));
  zutataufloesen = PopupMenu_zusatz->addAction(toqt("Zutat &auflösen (ist andere Zutat der Liste)"_cp));
  connect(Zutatumbenennen1, &QAction::triggered, this, &Tzutatenedit::Zutatumbenennen1Click);
  connect(zutataufloesen, &QAction::triggered, this, &Tzutatenedit::zutataufloesenClick);
}

void Tzutatenedit::createactions() {
  // Escape ends a pick; as a window shortcut it comes before the dialog's
  // own Escape handling, so it never closes the window.
  Action_abbrechen = new QAction(this);
  Action_abbrechen->setShortcut(QKeySequence(Qt::Key_Escape));
  Action_abbrechen->setShortcutContext(Qt::WindowShortcut);
  addAction(Action_abbrechen);
  connect(Action_abbrechen, &QAction::triggered, this, &Tzutatenedit::Action_abbrechenExecute);
}

void Tzutatenedit::anzeigen(bool extras) {
  if (extras) b_zusatz->show();
  model_->fuellen(progress_);
  setWindowTitle(toqt(model_->caption()));
  showgrid();
  showselection();
  showpointer();
  centreonscreen(*this);
  exec();
}

QPoint Tzutatenedit::zusatzmenupoint() const {
  const QRect frame = frameGeometry();
  return {frame.left() + b_zusatz->x() + halfrounded(b_zusatz->width()),
          frame.top() + b_zusatz->y() + halfrounded(b_zusatz->height())};
}

void Tzutatenedit::b_okClick() {
  if (model_->b_okClick()) accept();
}

void Tzutatenedit::b_zusatzClick() { PopupMenu_zusatz->popup(zusatzmenupoint()); }

void Tzutatenedit::Zutatumbenennen1Click() {
  model_->Zutatumbenennen1Click();
  showgrid();
}

void Tzutatenedit::zutataufloesenClick() {
  model_->zutataufloesenClick();
  showpointer();
}

void Tzutatenedit::Action_abbrechenExecute() {
  model_->Action_abbrechenExecute();
  showpointer();
}

void Tzutatenedit::zutatengridSelect(int row, int column) {
  if (row >= 0 && column >= 0) model_->select(row + 1, column + 1);
}

void Tzutatenedit::zutatengridMouseDown(int x) {
  const int r0 = zutatengrid->verticalHeader()->width();
  const int r1 = r0 + zutatengrid->columnViewportPosition(0) + zutatengrid->columnWidth(0);
  const int r2 = r0 + zutatengrid->columnViewportPosition(1) + zutatengrid->columnWidth(1);
  model_->zutatengridMouseDown(x, r0, r1, r2);
  showgrid();
}

void Tzutatenedit::zutatengridDblClick() {
  model_->zutatengridDblClick();
  showgrid();
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
  if (model_->aufloesmodus() && row >= 0) zutatengrid->setCurrentCell(row, 0);
}

// The corner is the header cell of the name column.
void Tzutatenedit::paintcorner() {
  QPainter painter(corner_);
  QStyleOptionHeader header;
  header.initFrom(corner_);
  header.rect = corner_->rect();
  header.text = toqt(model_->cell(0, 0));
  header.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
  header.position = QStyleOptionHeader::OnlyOneSection;
  style()->drawControl(QStyle::CE_Header, &header, &painter, corner_);
}

void Tzutatenedit::showgrid() {
  const int datarows = std::max(model_->rowcount() - 1, 0);
  zutatengrid->setRowCount(datarows);
  for (int column = 1; column <= 3; ++column) {
    QTableWidgetItem* header = zutatengrid->horizontalHeaderItem(column - 1);
    if (header == nullptr) zutatengrid->setHorizontalHeaderItem(column - 1, header = new QTableWidgetItem);
    header->setText(toqt(model_->cell(column, 0)));
  }
  for (int row = 1; row <= datarows; ++row) {
    setheadertext(*zutatengrid, row - 1, toqt(model_->cell(0, row)));
    for (int column = 1; column <= 3; ++column)
      settext(*zutatengrid, row - 1, column - 1, toqt(model_->cell(column, row)));
  }
  if (corner_ != nullptr) corner_->update();
}

void Tzutatenedit::showselection() {
  if (zutatengrid->rowCount() > 0)
    zutatengrid->setCurrentCell(model_->selectedrow() - 1, model_->selectedcol() - 1);
}

void Tzutatenedit::showpointer() {
  const Qt::CursorShape shape = model_->aufloesmodus() ? Qt::PointingHandCursor : Qt::ArrowCursor;
  zutatengrid->setCursor(shape);
  zutatengrid->viewport()->setCursor(shape);
}

}  // namespace ui
