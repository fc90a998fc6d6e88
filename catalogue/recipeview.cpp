#include "catalogue/recipeview.h"

#include <algorithm>

#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "platform/text.h"

namespace catalogue {

namespace {

constexpr int32_t infozeilenbreite = 30;
// A list cell shows no more; a hand-edited rating of two billion would
// otherwise ask for gigabytes of asterisks.
constexpr int32_t maxsterne = 100;

// Quantity "0" and unit "-" stand for "none".
std::string ohneplatzhalter(std::string_view subfield) {
  return subfield == "0" || subfield == "-" ? std::string() : std::string(subfield);
}

}  // namespace

bool laderezept(const TdbdynGrid& c_rezeptezutaten, const TdbdynGrid& c_zutaten, const std::string& id,
                rrezept& list) {
  list.clear();
  const int32_t rezept = idnummer(id, zeilenersatz);
  std::vector<int32_t> rows;
  for (int32_t row = 0; row < c_rezeptezutaten.getrowcount(); ++row)
    if (idnummer(leserezeptzutat(c_rezeptezutaten, row).rezeptid(), linkersatz) == rezept) rows.push_back(row);
  insatzfolge(c_rezeptezutaten, rows);
  for (const int32_t row : rows) {
    const Mengenangabe angabe = lesemenge(c_rezeptezutaten, row);
    rrezepteintrag entry;
    entry.menge = ohneplatzhalter(angabe.menge());
    entry.einheit = ohneplatzhalter(angabe.einheit());
    entry.zutatid = leserezeptzutat(c_rezeptezutaten, row).zutatid();
    list.push_back(entry);
  }
  for (int32_t row = 0; row < c_zutaten.getrowcount(); ++row) {
    const Zutatzeile zutat = lesezutat(c_zutaten, row);
    const int32_t nummer = idnummer(zutat.id(), zeilenersatz);
    for (rrezepteintrag& entry : list) {
      if (idnummer(entry.zutatid, linkersatz) != nummer) continue;
      entry.zutatname = zutat.name();
      entry.verfuegbar = zutat.verfuegbar();
      entry.alkoholisch = zutat.alkoholisch();
    }
  }
  return !list.empty();
}

bool laderezept(const Catalogue& catalogue, const std::string& id, rrezept& list) {
  return laderezept(catalogue.c_rezeptezutaten(), catalogue.c_zutaten(), id, list);
}

std::string wertungtostern(std::string_view rating) {
  int32_t stars = 0;
  if (!platform::strtoint(rating, stars) || stars <= 0) return "";
  std::string text(static_cast<std::size_t>(std::min(stars, maxsterne)) * 2 - 1, ' ');
  for (std::size_t i = 0; i < text.size(); i += 2) text[i] = '*';
  return text;
}

std::string janein(bool flag) { return flag ? "Ja  " : "Nein"; }

std::string zeigecocktailzeile(const rrezepteintrag& entry) {
  std::string line = platform::trim(entry.menge + " " + entry.einheit + " " + entry.zutatname);
  if (line.size() < infozeilenbreite) line.resize(infozeilenbreite, ' ');
  return line + "(alkoholisch:" + janein(entry.alkoholisch) + std::string(" verfügbar:"_cp) +
         janein(entry.verfuegbar) + ")";
}

std::optional<std::vector<std::string>> zeigecocktail(const Catalogue& catalogue, const std::string& id) {
  rrezept list;
  if (!laderezept(catalogue, id, list)) {
    // "bem" is how this warning has always read; it stays so, as users know
    // and quote it by these words.
    platform::showwarning("Fehler bem Laden des Rezeptes!");
    return std::nullopt;
  }
  std::vector<std::string> lines;
  for (const rrezepteintrag& entry : list) lines.push_back(zeigecocktailzeile(entry));
  return lines;
}

}  // namespace catalogue
