// "Info" → "Kurzanleitung": a short guide, in a window with its title, to
// what the program does beyond its ten-line description.
#pragma once

#include <QDialog>
#include <string_view>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace ui {

// The guide's lines, Windows-1252; an empty line between its sections.
const std::vector<std::string_view>& kurzanleitungzeilen();

class Tkurzanleitung : public QDialog {
  Q_OBJECT

 public:
  explicit Tkurzanleitung(QWidget* parent = nullptr);

  // Shows the guide from its start; returns when the user closes it.
  void anzeigen();

  QPlainTextEdit* Memo = nullptr;
  QPushButton* b_schliessen = nullptr;
};

}  // namespace ui
