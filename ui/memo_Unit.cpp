#include "ui/memo_Unit.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include "ui/dialogframe.h"
#include "ui/qtext.h"

namespace ui {

TMemoform::TMemoform(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Memoform"));
  // The viewer has no caption. An empty title would make the window system
  // show the program's name instead, so the title is a lone blank.
  setWindowTitle(QStringLiteral(" "));
  setdialogframe(*this, 452, 291, false);
  setFont(programfont());  // the program description's longest line just fits

  Memo = new QPlainTextEdit(this);
  Memo->setObjectName(QStringLiteral("Memo"));
  Memo->setGeometry(0, 0, 449, 289);
  Memo->setReadOnly(true);
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The usual tab stops of a text field: every eight average characters.
  Memo->setTabStopDistance(8 * Memo->fontMetrics().averageCharWidth());
}

void TMemoform::clearmemo() {
  Memo->clear();
  linecount_ = 0;
}

void TMemoform::addline(const std::string& line) {
  // An empty field and a field holding one empty line look alike; only the
  // count tells whether the new line fills the first line or follows it.
  QTextCursor end(Memo->document());
  end.movePosition(QTextCursor::End);
  if (linecount_ > 0) end.insertBlock();
  end.insertText(toqt(line));
  ++linecount_;
}

void TMemoform::showmodal() {
  centreonscreen(*this);
  exec();
}

}  // namespace ui
