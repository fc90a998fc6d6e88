#include "catalogue/einkaufstipps_text.h"

#include "catalogue/rezeptformat.h"
#include "platform/codepage.h"

namespace catalogue {

namespace {

const std::string einzug = "    ";

std::string rezepte(std::size_t anzahl) { return std::to_string(anzahl) + (anzahl == 1 ? " Rezept" : " Rezepte"); }

// The words wrapped (umbrechen) to lines of at most breite characters that
// begin with the indent.
void eingerueckt(const std::vector<std::string>& woerter, std::size_t breite, const std::string& vorne,
                 std::vector<std::string>& zeilen) {
  for (const std::string& zeile : umbrechen(woerter, breite > vorne.size() ? breite - vorne.size() : 1))
    zeilen.push_back(vorne + zeile);
}

std::vector<std::string> woerter(const std::string& satz) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t blank = satz.find(' '); blank != std::string::npos; blank = satz.find(' ', start)) {
    out.push_back(satz.substr(start, blank - start));
    start = blank + 1;
  }
  out.push_back(satz.substr(start));
  return out;
}

// The number with a point between each three digits: 70.812.
std::string tausender(int64_t zahl) {
  const std::string ziffern = std::to_string(zahl);
  std::string text;
  for (std::size_t i = 0; i < ziffern.size(); ++i) {
    if (i > 0 && (ziffern.size() - i) % 3 == 0) text += '.';
    text += ziffern[i];
  }
  return text;
}

// "Cola: 3 Rezepte", then the first recipe names with commas, a name
// staying whole, and how many more there are.
void tippzeilen(const catalogue::Einkaufstipp& tipp, std::size_t breite, std::vector<std::string>& zeilen) {
  std::string zutaten;
  for (const std::string& name : tipp.zutaten) zutaten += (zutaten.empty() ? "" : " + ") + name;
  zeilen.push_back(zutaten + ": " + rezepte(tipp.rezepte.size() + static_cast<std::size_t>(tipp.weitere)));
  std::vector<std::string> namen;
  for (std::size_t i = 0; i < tipp.rezepte.size(); ++i)
    namen.push_back(tipp.rezepte[i] + (i + 1 < tipp.rezepte.size() || tipp.weitere > 0 ? "," : ""));
  if (tipp.weitere > 0)
    for (std::string& wort :
         woerter(std::string("… und "_cp) + tausender(tipp.weitere) + " weitere (Doppelklick zeigt alle)"))
      namen.push_back(std::move(wort));
  eingerueckt(namen, breite, einzug, zeilen);
}

// The lines of each tip are marked with its number in nummern, counted on
// from erster; every other line with -1.
void block(const std::vector<catalogue::Einkaufstipp>& tipps, const std::string& ueberschrift,
           const std::string& keiner, std::size_t breite, std::vector<std::string>& zeilen, int32_t erster,
           std::vector<int32_t>& nummern) {
  zeilen.push_back("");
  if (tipps.empty()) {
    zeilen.push_back(keiner);
    return;
  }
  zeilen.push_back(ueberschrift);
  for (std::size_t i = 0; i < tipps.size(); ++i) {
    nummern.resize(zeilen.size(), -1);
    tippzeilen(tipps[i], breite, zeilen);
    nummern.resize(zeilen.size(), erster + static_cast<int32_t>(i));
  }
}

// "1. Cola: +3 neue Rezepte (zusammen 3)", one line per purchase: the new
// recipes that purchase completes, then all it and the ones before complete.
void planblock(const std::vector<catalogue::Einkaufsschritt>& plan, std::vector<std::string>& zeilen) {
  zeilen.push_back("");
  if (plan.empty()) {
    zeilen.push_back(std::string("Kein einzelner Kauf vervollständigt ein Rezept."_cp));
    return;
  }
  zeilen.push_back("Einkaufsplan");
  for (std::size_t i = 0; i < plan.size(); ++i)
    zeilen.push_back(std::to_string(i + 1) + ". " + plan[i].zutat + ": +" + std::to_string(plan[i].neu) +
                     (plan[i].neu == 1 ? " neues Rezept" : " neue Rezepte") + " (zusammen " +
                     std::to_string(plan[i].zusammen) + ")");
}

// What to do first when there is nothing to compute yet.
void hinweis(const catalogue::Einkaufstipps& tipps, std::size_t breite, std::vector<std::string>& zeilen) {
  const std::string text(
      tipps.keinerezepte
          ? "Noch sind keine Rezepte vorhanden: im Menü \"Debug\" (Strg+Alt+J) unter \"Daten Importieren\" "
            "Rezepte importieren, zum Beispiel die mitgelieferten aus der Datei \"rezepte.txt\"."_cp
          : "Noch ist keine Zutat als verfügbar markiert: im Menü \"Zutaten\" unter \"Zutaten bearbeiten\" die "
            "vorhandenen Zutaten per Doppelklick auf ihr Feld \"verfügbar?\" markieren und dann \"Speichern\" "
            "drücken."_cp);
  zeilen.push_back("");
  eingerueckt(woerter(text), breite, "", zeilen);
}

}  // namespace

std::vector<std::string> einkaufstippszeilen(const catalogue::Einkaufstipps& tipps, std::size_t breite,
                                             std::vector<int32_t>* tippnummern) {
  std::vector<int32_t> nummern;
  std::vector<std::string> zeilen;
  zeilen.push_back(tipps.mixbar == 1 ? std::string("Aus den verfügbaren Zutaten lässt sich 1 Rezept mixen."_cp)
                                     : std::string("Aus den verfügbaren Zutaten lassen sich "_cp) +
                                           std::to_string(tipps.mixbar) + " Rezepte mixen.");
  // The first line stands for the mixable recipes, numbered after the tips.
  if (tipps.mixbar > 0) nummern.push_back(static_cast<int32_t>(tipps.eine.size() + tipps.paare.size()));
  if (tipps.keinerezepte || tipps.nichtsverfuegbar) {
    hinweis(tipps, breite, zeilen);
  } else {
    block(tipps.eine, "Es fehlt nur eine Zutat:", "Keinem Rezept fehlt nur eine Zutat.", breite, zeilen, 0, nummern);
    block(tipps.paare, "Zwei Zutaten zusammen:", "Kein Paar von Zutaten bringt mehr als eine allein.", breite, zeilen,
          static_cast<int32_t>(tipps.eine.size()), nummern);
    planblock(tipps.plan, zeilen);
  }
  nummern.resize(zeilen.size(), -1);
  if (tippnummern != nullptr) *tippnummern = std::move(nummern);
  return zeilen;
}

}  // namespace catalogue
