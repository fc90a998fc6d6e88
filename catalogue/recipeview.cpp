#include "catalogue/recipeview.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "catalogue/anzeigetexte.h"
#include "catalogue/rezeptformat.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "platform/text.h"

namespace catalogue {

namespace {

constexpr int32_t infozeilenbreite = 30;
// An ingredient line with its flags: 30, then "(alkoholisch:", four, " verfügbar:", four and ")".
constexpr std::size_t zubereitungsbreite = 63;

// The preparation of the recipe with the id; "" when it has none.
std::string_view zubereitung(Zubereitungentabelle c_zubereitungen, int32_t rezept) {
  for (int32_t row = 0; row < c_zubereitungen->getrowcount(); ++row) {
    if (idnummer(c_zubereitungen->cellview(zubereitungspalte::rezeptid, row), linkersatz) == rezept)
      return c_zubereitungen->cellview(zubereitungspalte::text, row);
  }
  return {};
}

// The lines not available by themselves that a substitute makes available,
// each naming the first such one in the relations' order. A line whose
// ingredient has no row has none.
void ersatzeintragen(Zutatentabelle c_zutaten, const Ersatzliste& ersatz, rrezept& list) {
  std::unordered_map<int32_t, Zutatzeile> zutaten;  // by id; a later row of an id counts
  for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row) {
    const Zutatzeile zutat = lesezutat(c_zutaten, row);
    zutaten[idnummer(zutat.id(), zeilenersatz)] = zutat;
  }
  for (rrezepteintrag& entry : list) {
    const int32_t id = idnummer(entry.zutatid, linkersatz);
    if (entry.verfuegbar || !zutaten.contains(id)) continue;
    for (const int32_t ersatzid : ersatzfuer(ersatz, id)) {
      const auto found = zutaten.find(ersatzid);
      if (entry.verfuegbar || found == zutaten.end() || !found->second.verfuegbar()) continue;
      entry.verfuegbar = true;
      entry.ersatz = found->second.name();
    }
  }
}

}  // namespace

rrezepteintrag linkeintrag(Rezeptezutatentabelle c_rezeptezutaten, int32_t row) {
  const Mengenangabe angabe = lesemenge(c_rezeptezutaten, row);
  rrezepteintrag entry;
  entry.menge = ohneplatzhalter(angabe.menge());
  entry.einheit = ohneplatzhalter(angabe.einheit());
  entry.zutatid = leserezeptzutat(c_rezeptezutaten, row).zutatid();
  return entry;
}

bool laderezept(Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten, const std::string& id, rrezept& list,
                const Ersatzliste& ersatz) {
  list.clear();
  const int32_t rezept = idnummer(id, zeilenersatz);
  std::vector<int32_t> rows;
  for (int32_t row = 0; row < c_rezeptezutaten->getrowcount(); ++row)
    if (idnummer(c_rezeptezutaten->cellview(rezeptzutatspalte::rezeptid, row), linkersatz) == rezept)
      rows.push_back(row);
  insatzfolge(c_rezeptezutaten.tabelle, rows);
  for (const int32_t row : rows) list.push_back(linkeintrag(c_rezeptezutaten, row));
  for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row) {
    const Zutatzeile zutat = lesezutat(c_zutaten, row);
    const int32_t nummer = idnummer(zutat.id(), zeilenersatz);
    for (rrezepteintrag& entry : list) {
      if (idnummer(entry.zutatid, linkersatz) != nummer) continue;
      entry.zutatname = zutat.name();
      entry.verfuegbar = zutat.verfuegbar();
      entry.alkoholisch = zutat.alkoholisch();
    }
  }
  if (!ersatz.empty()) ersatzeintragen(c_zutaten, ersatz, list);
  return !list.empty();
}

bool laderezept(const Catalogue& catalogue, const std::string& id, rrezept& list) {
  return laderezept(catalogue.rezeptezutaten(), catalogue.zutaten(), id, list, leseersatz(catalogue.ersatz()));
}

void portionieren(rrezept& list, const Portionen& portionen) {
  for (rrezepteintrag& entry : list) {
    Menge menge = portioniert(entry.menge, entry.einheit, portionen);
    entry.menge = std::move(menge.menge);
    entry.einheit = std::move(menge.einheit);
  }
}

std::string zeigecocktailzeile(const rrezepteintrag& entry) {
  std::string line = platform::trim(entry.menge + " " + entry.einheit + " " + entry.zutatname);
  if (line.size() < infozeilenbreite) line.resize(infozeilenbreite, ' ');
  // A line available through a substitute names it: "verfügbar:Ja (Limette)".
  const std::string verfuegbar = entry.ersatz.empty() ? janein(entry.verfuegbar) : "Ja (" + entry.ersatz + ")";
  return line + "(alkoholisch:" + janein(entry.alkoholisch) + std::string(" verfügbar:"_cp) + verfuegbar + ")";
}

std::optional<std::vector<std::string>> zeigecocktail(const Catalogue& catalogue, const std::string& id,
                                                      const Portionen& portionen) {
  rrezept list;
  if (!laderezept(catalogue, id, list)) {
    // "bem" is how this warning has always read; it stays so, as users know
    // and quote it by these words.
    platform::showwarning("Fehler bem Laden des Rezeptes!");
    return std::nullopt;
  }
  portionieren(list, portionen);
  std::vector<std::string> lines;
  for (const rrezepteintrag& entry : list) lines.push_back(zeigecocktailzeile(entry));
  const std::string_view text = zubereitung(catalogue.zubereitungen(), idnummer(id, zeilenersatz));
  if (text.empty()) return lines;
  lines.emplace_back();
  // Each line of the preparation wrapped on its own.
  for (const std::string_view zeile : zubereitungszeilen(text)) {
    std::vector<std::string> wrapped = umbrechen(zeile, zubereitungsbreite);
    if (wrapped.empty()) wrapped.emplace_back();
    for (std::string& line : wrapped) lines.push_back(std::move(line));
  }
  return lines;
}

std::string infotitel(const Catalogue& catalogue, const std::string& id) {
  const Rezeptetabelle c_rezepte = catalogue.rezepte();
  const int32_t row = findrezept(c_rezepte, idnummer(id, linkersatz));
  return row < 0 ? "Info" : "Info: " + std::string(leserezept(c_rezepte, row).name());
}

}  // namespace catalogue
