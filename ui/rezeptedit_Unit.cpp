#include "ui/rezeptedit_Unit.h"

#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <functional>

#include "catalogue/rezeptedit_model.h"
#include "catalogue/rezeptfragen.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "ui/anchors.h"
#include "ui/dialogframe.h"
#include "ui/qtext.h"

namespace ui {

namespace {

// The layout in client pixels: the name at the top, the grid with its line
// buttons to the right, the preparation below, the two buttons at the bottom.
constexpr int clientwidth = 520;
constexpr int clientheight = 440;
constexpr int margin = 8;
constexpr int fieldleft = 90;
constexpr int gridtop = 56;
constexpr int gridwidth = 400;
constexpr int gridheight = 200;
constexpr int buttonwidth = 96;
constexpr int buttonheight = 25;
constexpr int linebuttonleft = margin + gridwidth + margin;
constexpr int zubereitungtop = 282;
constexpr int zubereitungheight = 110;
constexpr int buttontop = clientheight - buttonheight - margin;
constexpr int maxlength = 255;  // what a subfield reads back

enum Spalte { menge, einheit, zutat, spaltenzahl };

// The editors of the grid's cells: the unit offers the units the catalogue
// uses, the ingredient completes from the known names, ignoring the case of
// a-z as the import's matching does.
class ZeilenDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void setlists(const std::vector<std::string>& namen, const std::vector<std::string>& einheiten) {
    namen_.clear();
    einheiten_.clear();
    for (const std::string& name : namen) namen_ << toqt(name);
    for (const std::string& einheit : einheiten) einheiten_ << toqt(einheit);
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    if (index.column() == einheit) {
      auto* box = new QComboBox(parent);
      box->setEditable(true);
      box->setInsertPolicy(QComboBox::NoInsert);
      box->addItems(einheiten_);
      box->lineEdit()->setMaxLength(maxlength);
      return box;
    }
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(maxlength);
    if (index.column() == zutat) {
      auto* completer = new QCompleter(namen_, edit);
      completer->setCaseSensitivity(Qt::CaseInsensitive);
      completer->setFilterMode(Qt::MatchContains);  // "Minze" offers "Frische Minze" too
      completer->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
      edit->setCompleter(completer);
      // The field takes the name picked even when the completion was opened
      // for it (after "Neu anlegen?"), not by typing: the field connects
      // itself only when it gains the focus.
      connect(completer, qOverload<const QString&>(&QCompleter::activated), edit, &QLineEdit::setText);
    }
    return edit;
  }

 private:
  QStringList namen_;
  QStringList einheiten_;
};

// The grid of lines, in which Tab in the last cell adds a line to fill in,
// as the next line is what one goes on to.
class Zeilengrid : public QTableWidget {
 public:
  Zeilengrid(std::function<void()> neuezeile, QWidget* parent)
      : QTableWidget(0, spaltenzahl, parent), neuezeile_(std::move(neuezeile)) {}

 protected:
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
    const QModelIndex current = currentIndex();
    if (action != MoveNext || current.row() != rowCount() - 1 || current.column() != columnCount() - 1)
      return QTableWidget::moveCursor(action, modifiers);
    neuezeile_();
    return model()->index(rowCount() - 1, menge);
  }

 private:
  std::function<void()> neuezeile_;
};

std::string& feld(catalogue::Zutatenzeile& zeile, int column) {
  return column == menge ? zeile.menge : column == einheit ? zeile.einheit : zeile.zutat;
}

}  // namespace

Trezeptedit::Trezeptedit(catalogue::Catalogue& catalogue, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), model_(std::make_unique<catalogue::RezepteditModel>(catalogue)) {
  setObjectName(QStringLiteral("rezeptedit"));
  setFont(programfont());
  resize(clientwidth, clientheight);
  anchors_ = new Anchors(this);
  createfields();
  creategrid();
  createlinebuttons();
  createbuttons();
  // As the fields stand from the top: the name, the lines, the preparation.
  QWidget* const order[] = {e_name,        zutatengrid,   b_zeileneu,  b_zeileloeschen, b_zeilehoch,
                            b_zeilerunter, m_zubereitung, b_speichern, b_abbrechen};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

Trezeptedit::~Trezeptedit() = default;

void Trezeptedit::createfields() {
  auto* label = new QLabel(QStringLiteral("&Name:"), this);
  label->setObjectName(QStringLiteral("Label1"));
  label->move(margin, 11);
  label->adjustSize();
  e_name = new QLineEdit(this);
  e_name->setObjectName(QStringLiteral("e_name"));
  e_name->setGeometry(fieldleft, margin, clientwidth - fieldleft - margin, 21);
  e_name->setMaxLength(maxlength);
  label->setBuddy(e_name);
  anchors_->add(e_name, Anchors::left | Anchors::top | Anchors::right);
  connect(e_name, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!filling_) model_->entwurf().name = fromqt(text);
  });

  label = new QLabel(QStringLiteral("Zu&bereitung:"), this);
  label->setObjectName(QStringLiteral("Label3"));
  label->move(margin, zubereitungtop - 18);
  label->adjustSize();
  anchors_->add(label, Anchors::left | Anchors::bottom);
  m_zubereitung = new QPlainTextEdit(this);
  m_zubereitung->setObjectName(QStringLiteral("m_zubereitung"));
  m_zubereitung->setGeometry(margin, zubereitungtop, clientwidth - 2 * margin, zubereitungheight);
  m_zubereitung->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  m_zubereitung->setTabChangesFocus(true);
  label->setBuddy(m_zubereitung);
  anchors_->add(m_zubereitung, Anchors::left | Anchors::right | Anchors::bottom);
  connect(m_zubereitung, &QPlainTextEdit::textChanged, this, [this] {
    if (!filling_) model_->entwurf().zubereitung = fromqt(m_zubereitung->toPlainText());
  });
}

void Trezeptedit::creategrid() {
  auto* label = new QLabel(QStringLiteral("&Zutaten:"), this);
  label->setObjectName(QStringLiteral("Label2"));
  label->move(margin, gridtop - 18);
  label->adjustSize();
  zutatengrid = new Zeilengrid([this] { showlines(model_->neuezeile(zutatengrid->currentRow())); }, this);
  zutatengrid->setObjectName(QStringLiteral("zutatengrid"));
  zutatengrid->setGeometry(margin, gridtop, gridwidth, gridheight);
  zutatengrid->setHorizontalHeaderLabels({QStringLiteral("Menge"), QStringLiteral("Einheit"), QStringLiteral("Zutat")});
  zutatengrid->setColumnWidth(menge, 70);
  zutatengrid->setColumnWidth(einheit, 80);
  zutatengrid->horizontalHeader()->setStretchLastSection(true);
  zutatengrid->verticalHeader()->setDefaultSectionSize(20);
  zutatengrid->setSelectionMode(QAbstractItemView::SingleSelection);
  zutatengrid->setItemDelegate(new ZeilenDelegate(zutatengrid));
  label->setBuddy(zutatengrid);
  anchors_->add(zutatengrid, Anchors::left | Anchors::top | Anchors::right | Anchors::bottom);
  connect(zutatengrid, &QTableWidget::cellChanged, this, &Trezeptedit::zutatengridChange);
}

void Trezeptedit::createlinebuttons() {
  using Model = catalogue::RezepteditModel;
  const auto add = [this](const char* name, const QString& caption, int row, auto action) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(linebuttonleft, gridtop + row * (buttonheight + 5), buttonwidth, buttonheight);
    button->setAutoDefault(false);
    anchors_->add(button, Anchors::top | Anchors::right);
    connect(button, &QPushButton::clicked, this, action);
    return button;
  };
  b_zeileneu = add("b_zeileneu", toqt("Zeile &hinzufügen"_cp), 0, [this] { b_zeileneuClick(); });
  b_zeileloeschen =
      add("b_zeileloeschen", QStringLiteral("Zeile &entfernen"), 1, [this] { lineaction(&Model::zeileloeschen); });
  b_zeilehoch = add("b_zeilehoch", QStringLiteral("Nach &oben"), 2, [this] { lineaction(&Model::zeilehoch); });
  b_zeilerunter = add("b_zeilerunter", QStringLiteral("Nach &unten"), 3, [this] { lineaction(&Model::zeilerunter); });
}

void Trezeptedit::createbuttons() {
  b_speichern = new QPushButton(QStringLiteral("&Speichern"), this);
  b_speichern->setObjectName(QStringLiteral("b_speichern"));
  b_speichern->setGeometry(clientwidth - 2 * (buttonwidth + margin), buttontop, buttonwidth, buttonheight);
  // No default button: Return in the grid would save a half-typed recipe.
  b_speichern->setAutoDefault(false);
  anchors_->add(b_speichern, Anchors::right | Anchors::bottom);
  connect(b_speichern, &QPushButton::clicked, this, &Trezeptedit::b_speichernClick);

  b_abbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
  b_abbrechen->setObjectName(QStringLiteral("b_abbrechen"));
  b_abbrechen->setGeometry(clientwidth - buttonwidth - margin, buttontop, buttonwidth, buttonheight);
  b_abbrechen->setAutoDefault(false);
  anchors_->add(b_abbrechen, Anchors::right | Anchors::bottom);
  connect(b_abbrechen, &QPushButton::clicked, this, &Trezeptedit::reject);
}

std::optional<std::string> Trezeptedit::anzeigen(const std::string& id) {
  saved_.reset();
  if (id.empty()) {
    model_->neu();
  } else if (!model_->oeffnen(id)) {
    platform::showwarning("Das Rezept ist nicht mehr in der Datenbank.");
    return std::nullopt;
  }
  static_cast<ZeilenDelegate*>(zutatengrid->itemDelegate())->setlists(model_->zutatennamen(), model_->einheiten());
  setWindowTitle(id.empty() ? QStringLiteral("Neues Rezept") : QStringLiteral("Rezept bearbeiten"));
  zutatengrid->setCurrentIndex(QModelIndex());  // each recipe is entered from its first quantity on
  showrecipe();
  e_name->setFocus();
  centreonscreen(*this);
  exec();
  return saved_;
}

void Trezeptedit::showrecipe() {
  filling_ = true;
  e_name->setText(toqt(model_->entwurf().name));
  m_zubereitung->setPlainText(toqt(model_->entwurf().zubereitung));
  filling_ = false;
  showlines(0);
}

void Trezeptedit::showlines(int current) {
  filling_ = true;
  const std::vector<catalogue::Zutatenzeile>& zeilen = model_->entwurf().zeilen;
  zutatengrid->setRowCount(static_cast<int>(zeilen.size()));
  for (int row = 0; row < zutatengrid->rowCount(); ++row) {
    catalogue::Zutatenzeile zeile = zeilen[static_cast<std::size_t>(row)];
    for (int column = 0; column < spaltenzahl; ++column)
      zutatengrid->setItem(row, column, new QTableWidgetItem(toqt(feld(zeile, column))));
  }
  filling_ = false;
  if (current >= 0 && current < zutatengrid->rowCount())
    zutatengrid->setCurrentCell(current, std::max(zutatengrid->currentColumn(), 0));
}

void Trezeptedit::zutatengridChange(int row, int column) {
  std::vector<catalogue::Zutatenzeile>& zeilen = model_->entwurf().zeilen;
  if (filling_ || row < 0 || row >= static_cast<int>(zeilen.size())) return;
  feld(zeilen[static_cast<std::size_t>(row)], column) = fromqt(zutatengrid->item(row, column)->text());
}

void Trezeptedit::lineaction(int32_t (catalogue::RezepteditModel::*action)(int32_t)) {
  showlines(((*model_).*action)(zutatengrid->currentRow()));
  zutatengrid->setFocus();
}

void Trezeptedit::b_zeileneuClick() {
  lineaction(&catalogue::RezepteditModel::neuezeile);
  // A new line is there to be filled in: from its quantity on.
  zutatengrid->setCurrentCell(zutatengrid->currentRow(), menge);
  zutatengrid->editItem(zutatengrid->currentItem());
}

// A cell still being edited counts: moving the current cell commits it.
void Trezeptedit::commitedit() {
  const int row = zutatengrid->currentRow();
  const int column = zutatengrid->currentColumn();
  zutatengrid->setCurrentIndex(QModelIndex());
  if (row >= 0) zutatengrid->setCurrentCell(row, column);
}

bool Trezeptedit::save() {
  commitedit();
  const catalogue::Vorpruefung geprueft = catalogue::vorpruefen(catalogue_, model_->entwurf(), model_->zutatennamen());
  if (!geprueft.speichern) {
    if (geprueft.zeile >= 0) zeigezutat(geprueft.zeile);
    return false;
  }
  const catalogue::Outcome saved = model_->speichern();
  if (saved) saved_ = model_->entwurf().id;
  return saved.done;
}

// Back at the ingredient of the line, its completion open to pick a known one.
void Trezeptedit::zeigezutat(int row) {
  zutatengrid->setFocus();
  zutatengrid->setCurrentCell(row, zutat);
  zutatengrid->editItem(zutatengrid->currentItem());
  auto* edit = zutatengrid->viewport()->findChild<QLineEdit*>();
  if (edit == nullptr || edit->completer() == nullptr) return;
  edit->completer()->setCompletionPrefix(edit->text());
  if (edit->completer()->completionCount() == 0) edit->completer()->setCompletionPrefix(QString());
  edit->completer()->complete();
}

void Trezeptedit::b_speichernClick() {
  if (save()) accept();
}

void Trezeptedit::reject() {
  commitedit();
  if (model_->geaendert()) {
    switch (platform::askyesnocancel(std::string("Änderungen speichern?"_cp))) {
      case platform::Antwort::ja:
        if (!save()) return;
        break;
      case platform::Antwort::nein: break;
      case platform::Antwort::abbrechen: return;
    }
  }
  QDialog::reject();
}

}  // namespace ui
