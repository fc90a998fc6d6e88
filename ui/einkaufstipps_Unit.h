// The shopping tips in a window of their own: resizable, in a fixed-pitch
// font, with a busy cursor while they are computed.
#pragma once

#include <QDialog>

#include "catalogue/catalogue.h"

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

 private:
  void fuellen();
  int spalten() const;

  const catalogue::Catalogue& catalogue_;
};

}  // namespace ui
