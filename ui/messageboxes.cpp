#include "ui/messageboxes.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "ui/qtext.h"

namespace ui {

namespace {

// Messages break their lines with LF CR (and sometimes CR LF), in the order
// the table store has always written them; they keep it, byte for byte, up
// to this point. Only on screen does each pair, and a lone CR, become one
// line break.
QString displaytext(const std::string& text) {
  QString shown = toqt(text);
  shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

// A box over the active window, which the program keeps centred on the screen.
void preparebox(QMessageBox& box, QMessageBox::Icon icon, const char* title, const std::string& text) {
  box.setIcon(icon);
  box.setWindowTitle(QString::fromUtf8(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(displaytext(text));
  box.setWindowModality(Qt::ApplicationModal);
}

void showokbox(QMessageBox::Icon icon, const char* title, const std::string& text) {
  QMessageBox box(QApplication::activeWindow());
  preparebox(box, icon, title, text);
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
}

}  // namespace

void QtMessages::warning(const std::string& text) { showokbox(QMessageBox::Warning, "Warnung", text); }

void QtMessages::information(const std::string& text) { showokbox(QMessageBox::Information, "Information", text); }

bool QtMessages::question(const std::string& text, platform::Vorgabe vorgabe) {
  QMessageBox box(QApplication::activeWindow());
  preparebox(box, QMessageBox::Question, "Bestätigung", text);
  QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
  box.setDefaultButton(vorgabe == platform::Vorgabe::nein ? no : yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

platform::Antwort QtMessages::yesnocancel(const std::string& text) {
  QMessageBox box(QApplication::activeWindow());
  preparebox(box, QMessageBox::Question, "Bestätigung", text);
  QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == yes) return platform::Antwort::ja;
  if (box.clickedButton() == no) return platform::Antwort::nein;
  return platform::Antwort::abbrechen;
}

bool QtMessages::inputbox(const std::string& caption, const std::string& prompt, std::string& value) {
  QInputDialog box(QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  box.setInputMode(QInputDialog::TextInput);
  box.setWindowTitle(toqt(caption));
  box.setLabelText(toqt(prompt));
  box.setOkButtonText(QStringLiteral("OK"));
  box.setCancelButtonText(QStringLiteral("Abbrechen"));
  // QInputDialog has no length limit of its own; its field has.
  if (auto* field = box.findChild<QLineEdit*>()) field->setMaxLength(inputboxmaxlength);
  box.setTextValue(toqt(value).left(inputboxmaxlength));
  if (box.exec() != QDialog::Accepted) return false;
  value = fromqt(box.textValue());
  return true;
}

}  // namespace ui
