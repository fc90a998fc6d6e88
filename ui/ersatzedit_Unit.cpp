#include "ui/ersatzedit_Unit.h"

#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

#include "catalogue/zutatenedit_model.h"
#include "platform/codepage.h"
#include "ui/dialogframe.h"
#include "ui/qtext.h"

namespace ui {

namespace {

constexpr int clientwidth = 320;
constexpr int clientheight = 236;
constexpr int margin = 6;
constexpr int buttonwidth = 96;
constexpr int buttonheight = 25;
constexpr int listwidth = clientwidth - 3 * margin - buttonwidth;

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int top) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(clientwidth - margin - buttonwidth, top, buttonwidth, buttonheight);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

Tersatzedit::Tersatzedit(catalogue::ZutateneditModel& model, QWidget* parent) : QDialog(parent), model_(model) {
  setObjectName(QStringLiteral("ersatzedit"));
  setdialogframe(*this, clientwidth, clientheight, false);
  Label_ersatz = new QLabel(this);
  Label_ersatz->setObjectName(QStringLiteral("Label_ersatz"));
  Label_ersatz->setGeometry(margin, margin, clientwidth - 2 * margin, 16);
  l_ersatz = new QListWidget(this);
  l_ersatz->setObjectName(QStringLiteral("l_ersatz"));
  l_ersatz->setGeometry(margin, 26, listwidth, clientheight - 26 - 2 * margin - 22);
  e_ersatz = new QLineEdit(this);
  e_ersatz->setObjectName(QStringLiteral("e_ersatz"));
  e_ersatz->setGeometry(margin, clientheight - margin - 22, listwidth, 22);
  e_ersatz->setMaxLength(255);
  b_hinzufuegen = button(this, "b_hinzufuegen", toqt("&Hinzufügen"_cp), clientheight - margin - buttonheight);
  b_entfernen = button(this, "b_entfernen", QStringLiteral("E&ntfernen"), 26);
  b_schliessen = button(this, "b_schliessen", toqt("&Schließen"_cp), 26 + buttonheight + margin);
  connect(b_hinzufuegen, &QPushButton::clicked, this, &Tersatzedit::b_hinzufuegenClick);
  connect(e_ersatz, &QLineEdit::returnPressed, this, &Tersatzedit::b_hinzufuegenClick);
  connect(b_entfernen, &QPushButton::clicked, this, &Tersatzedit::b_entfernenClick);
  connect(b_schliessen, &QPushButton::clicked, this, &QDialog::accept);
}

void Tersatzedit::anzeigen(int32_t row) {
  row_ = row;
  QStringList namen;
  for (const std::string& name : model_.zutatnamen()) namen << toqt(name);
  namen.sort(Qt::CaseInsensitive);
  auto* completer = new QCompleter(namen, e_ersatz);
  completer->setCaseSensitivity(Qt::CaseInsensitive);
  completer->setFilterMode(Qt::MatchContains);
  delete e_ersatz->completer();
  e_ersatz->setCompleter(completer);
  const std::string name = model_.cell(catalogue::ZutateneditModel::name, row);
  setWindowTitle(toqt(std::string("Ersatz für "_cp) + name));
  Label_ersatz->setText(toqt("Statt " + name + std::string(" geht auch:"_cp)));
  e_ersatz->clear();
  zeigeliste();
  e_ersatz->setFocus();
  centreonscreen(*this);
  exec();
}

void Tersatzedit::zeigeliste() {
  l_ersatz->clear();
  for (const std::string& name : model_.ersatznamen(row_)) l_ersatz->addItem(toqt(name));
  if (l_ersatz->count() > 0) l_ersatz->setCurrentRow(0);
}

void Tersatzedit::b_hinzufuegenClick() {
  if (e_ersatz->text().trimmed().isEmpty() || !model_.ersatzhinzufuegen(row_, fromqt(e_ersatz->text()))) return;
  e_ersatz->clear();
  zeigeliste();
  l_ersatz->setCurrentRow(l_ersatz->count() - 1);
}

void Tersatzedit::b_entfernenClick() {
  const int current = l_ersatz->currentRow();
  if (current < 0) return;
  model_.ersatzentfernen(row_, static_cast<std::size_t>(current));
  zeigeliste();
  l_ersatz->setCurrentRow(std::min(current, l_ersatz->count() - 1));
}

}  // namespace ui
