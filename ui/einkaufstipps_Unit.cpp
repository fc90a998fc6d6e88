#include "ui/einkaufstipps_Unit.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QFontMetrics>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/einkaufstipps.h"
#include "catalogue/einkaufstipps_text.h"
#include "catalogue/tables.h"
#include "ui/dialogframe.h"
#include "ui/qtext.h"

namespace ui {

namespace {

constexpr int minwidth = 640;
constexpr int minheight = 480;

// The names of recipe rows, made when the list paints them.
class Rezeptnamen : public QAbstractListModel {
 public:
  Rezeptnamen(const catalogue::Catalogue& catalogue, std::vector<int32_t> rows, QObject* parent)
      : QAbstractListModel(parent), catalogue_(catalogue), rows_(std::move(rows)) {}
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return toqt(catalogue::leserezept(catalogue_.rezepte(), rows_[static_cast<std::size_t>(index.row())]).name());
  }

 private:
  const catalogue::Catalogue& catalogue_;
  std::vector<int32_t> rows_;
};

// Restores the cursor however the computation ends.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

Teinkaufstippsform::Teinkaufstippsform(const catalogue::Catalogue& catalogue, const QFont& font, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue) {
  setObjectName(QStringLiteral("einkaufstippsform"));
  setWindowTitle(QStringLiteral("Einkaufstipps"));
  setMinimumSize(minwidth, minheight);
  resize(minwidth, minheight);

  // A plain text field lays out only the lines it shows, so that tens of
  // thousands of recipe names appear at once.
  Memo = new QPlainTextEdit(this);
  Memo->setObjectName(QStringLiteral("Memo"));
  Memo->setReadOnly(true);
  // The arrow and page keys and Ctrl+End move through a long text too.
  Memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo->setFont(font);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Memo);
  Memo->viewport()->installEventFilter(this);
}

void Teinkaufstippsform::anzeigen() {
  {
    const BusyCursor busy;
    fuellen();
  }
  centreonscreen(*this);
  exec();
}

void Teinkaufstippsform::fuellen() {
  tipps_ = catalogue::einkaufstipps(catalogue_);
  layout()->activate();  // the field's width before the window is first shown
  const std::vector<std::string> lines =
      catalogue::einkaufstippszeilen(tipps_, static_cast<std::size_t>(spalten()), &tippnummern_);
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  // One text at once: adding line by line would lay out every line.
  Memo->setPlainText(toqt(text));
}

bool Teinkaufstippsform::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Memo->viewport() || event->type() != QEvent::MouseButtonDblClick) return false;
  const auto line = static_cast<std::size_t>(
      Memo->cursorForPosition(static_cast<QMouseEvent*>(event)->position().toPoint()).blockNumber());
  if (line >= tippnummern_.size() || tippnummern_[line] < 0) return false;
  zeigealle(tippnummern_[line]);
  return true;
}

// The list's title is the tip's first line.
void Teinkaufstippsform::zeigealle(int32_t tipp) {
  const auto k = static_cast<std::size_t>(tipp);
  const auto erste = std::find(tippnummern_.begin(), tippnummern_.end(), tipp) - tippnummern_.begin();
  QDialog liste(this);
  liste.setObjectName(QStringLiteral("tipprezepteform"));
  liste.setWindowTitle(Memo->document()->findBlockByNumber(static_cast<int>(erste)).text());
  liste.resize(minwidth / 2, minheight);
  auto* view = new QListView(&liste);
  view->setObjectName(QStringLiteral("ListView_rezepte"));
  view->setUniformItemSizes(true);  // no row is measured but those shown
  view->setFont(Memo->font());
  view->setModel(new Rezeptnamen(catalogue_, catalogue::allerezepte(catalogue_, tipps_, k), &liste));
  auto* layout = new QVBoxLayout(&liste);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view);
  liste.exec();
}

// The field's width less its frame, the vertical scroll bar, the text's
// margins and the cursor, in characters of its font.
int Teinkaufstippsform::spalten() const {
  const int margins = 2 * static_cast<int>(Memo->document()->documentMargin());
  const int width =
      Memo->contentsRect().width() - Memo->verticalScrollBar()->sizeHint().width() - margins - Memo->cursorWidth();
  return width / QFontMetrics(Memo->font()).horizontalAdvance(QLatin1Char('x'));
}

}  // namespace ui
