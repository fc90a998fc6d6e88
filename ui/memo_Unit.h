// The text viewer: one read-only multi-line text field, shown modally.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace ui {

class TMemoform : public QDialog {
  Q_OBJECT

 public:
  explicit TMemoform(QWidget* parent = nullptr);

  void clearmemo();                       // no lines at all
  void addline(const std::string& line);  // Windows-1252, one line at the end
  void showmodal();                       // returns when the user closes it

  QPlainTextEdit* Memo = nullptr;

 private:
  int linecount_ = 1;  // the field starts with one empty line
};

}  // namespace ui
