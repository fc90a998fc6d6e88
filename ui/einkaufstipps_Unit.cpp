#include "ui/einkaufstipps_Unit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "catalogue/einkaufstipps.h"
#include "ui/dialogframe.h"
#include "ui/einkaufstipps_text.h"
#include "ui/qtext.h"

namespace ui {

namespace {

constexpr int minwidth = 640;
constexpr int minheight = 480;

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
  const catalogue::Einkaufstipps tipps = catalogue::einkaufstipps(catalogue_);
  layout()->activate();  // the field's width before the window is first shown
  const std::vector<std::string> lines = einkaufstippszeilen(tipps, static_cast<std::size_t>(spalten()));
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  // One text at once: adding line by line would lay out every line.
  Memo->setPlainText(toqt(text));
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
