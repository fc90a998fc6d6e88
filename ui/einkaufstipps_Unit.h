// The shopping tips in a window of their own: resizable, in a fixed-pitch
// font, with a busy cursor while they are computed. A double click on a
// tip's lines shows all its recipes in a list that names only the rows it
// paints.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/einkaufstipps.h"

class QFont;
class QPlainTextEdit;

namespace ui {

class Teinkaufstippsform : public QDialog {
  Q_OBJECT

 public:
  Teinkaufstippsform(const catalogue::Catalogue& catalogue, const QFont& font, QWidget* parent = nullptr);

  // Computes the tips, shows them wrapped to the window's width and returns
  // when the user closes the window.
  void anzeigen();

  QPlainTextEdit* Memo = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fuellen();
  int spalten() const;
  // The list of every recipe of the tip with that number.
  void zeigealle(int32_t tipp);

  const catalogue::Catalogue& catalogue_;
  catalogue::Einkaufstipps tipps_;
  std::vector<int32_t> tippnummern_;  // per line of Memo: its tip, or -1
};

}  // namespace ui
