#include "ui/kurzanleitung_Unit.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "platform/codepage.h"
#include "ui/dialogframe.h"
#include "ui/qtext.h"

namespace ui {

namespace {

constexpr int fensterbreite = 600;
constexpr int fensterhoehe = 640;

const std::string_view kurzanleitung[] = {
    "Was Mixolino über die Programmbeschreibung hinaus kann"_cp,
    "",
    "Erster Start",
    "Beim ersten Start bietet Mixolino die mitgelieferten Beispielrezepte an (218 Cocktails mit Zubereitung). "
    "Mit \"Ja\" werden sie geladen und gleich alle in der Liste gezeigt. Danach im Menü \"Zutaten\" unter "
    "\"Zutaten bearbeiten\" markieren, was zu Hause verfügbar ist."_cp,
    "",
    "Eigene Rezepte",
    "Menü \"Rezepte\", \"Neues Rezept…\" (Strg+N): Name, Zutatenzeilen (Menge, Einheit, Zutat) und Zubereitung. "
    "Die Zutat wird aus den bekannten Namen ergänzt; eine Zutat, die es noch nicht gibt, wird erst nach einer "
    "Rückfrage neu angelegt. Tab in der letzten Zelle fügt eine Zeile hinzu. Mit der rechten Maustaste auf einem "
    "Suchergebnis: \"Rezept bearbeiten…\" und \"Rezept löschen…\" (auch mit der Taste Entf). Die Liste zeigt "
    "neue, geänderte und gelöschte Rezepte sofort."_cp,
    "",
    "Export",
    "Menü \"Rezepte\", \"Rezepte exportieren…\" schreibt alle Rezepte in eine Textdatei, die \"Rezepte "
    "importieren…\" in jede Datenbank wieder einliest. Die Beispielrezepte liegen im Ordner \"data\" neben "
    "dem Programm."_cp,
    "",
    "Sichern und Wiederherstellen",
    "Menü \"Rezepte\", \"Datenbank sichern…\" kopiert die ganze Datenbank in einen Ordner; \"Datenbank "
    "wiederherstellen…\" holt eine solche Sicherung zurück und zeigt sie sofort."_cp,
    "",
    "Einkaufstipps",
    "Menü \"Zutaten\", \"Einkaufstipps\": wie viele Rezepte sich aus den verfügbaren Zutaten mixen lassen, "
    "welche fehlende Zutat die meisten Rezepte vervollständigt, welche zwei zusammen, und ein Einkaufsplan "
    "für die nächsten Käufe."_cp,
    "",
    "Ersatz",
    "Im Fenster \"Zutaten bearbeiten\" legt \"Ersatz bearbeiten…\" fest, welche Zutat für eine andere "
    "einspringen kann (etwa Limette für Limettensaft). Ein verfügbarer Ersatz zählt in der Suche, in der "
    "Spalte \"verfügbar?\", im Rezept und in den Einkaufstipps."_cp,
    "",
    "Gläser, Einheit und Barkarte"_cp,
    "Im Info-Feld eines Rezeptes rechnen \"Gläser:\" und \"Einheit:\" die Mengen für mehrere Gläser und in cl, "
    "ml oder oz um; \"Rezept drucken…\" druckt es so. Menü \"Rezepte\", \"Barkarte erstellen…\" druckt die "
    "Rezepte der Trefferliste oder speichert sie als PDF."_cp,
    "",
    "Das Info-Feld",
    "Ein langes Rezept bekommt ein größeres Info-Feld; im maximierten Fenster ist das ganze Rezept zu sehen. "
    "\"X\" oder Escape schließen es."_cp,
};

}  // namespace

const std::vector<std::string_view>& kurzanleitungzeilen() {
  static const std::vector<std::string_view> lines(std::begin(kurzanleitung), std::end(kurzanleitung));
  return lines;
}

Tkurzanleitung::Tkurzanleitung(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("kurzanleitung"));
  setWindowTitle(QStringLiteral("Kurzanleitung"));
  resize(fensterbreite, fensterhoehe);
  Memo = new QPlainTextEdit(this);
  Memo->setObjectName(QStringLiteral("Memo"));
  Memo->setReadOnly(true);
  Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  for (const std::string_view line : kurzanleitungzeilen()) Memo->appendPlainText(toqt(line));
  b_schliessen = new QPushButton(toqt("&Schließen"_cp), this);
  b_schliessen->setObjectName(QStringLiteral("b_schliessen"));
  connect(b_schliessen, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo);
  layout->addWidget(b_schliessen, 0, Qt::AlignRight);
}

void Tkurzanleitung::anzeigen() {
  Memo->moveCursor(QTextCursor::Start);
  centreonscreen(*this);
  exec();
}

}  // namespace ui
