#include "catalogue/recipeview.h"

#include <algorithm>

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
std::string ohneplatzhalter(const std::string& subfield) {
  return subfield == "0" || subfield == "-" ? std::string() : subfield;
}

}  // namespace

int32_t idnummer(std::string_view text, int32_t ersatz) {
  int32_t value = 0;
  return platform::strtoint(text, value) ? value : ersatz;
}

bool flaggesetzt(const std::string& subfield) { return platform::trim(subfield) == "1"; }

bool laderezept(const TdbdynGrid& c_rezeptezutaten, const TdbdynGrid& c_zutaten, const std::string& id,
                rrezept& list) {
  list.clear();
  const int32_t rezept = idnummer(id, -1);
  for (int32_t row = 0; row < c_rezeptezutaten.getrowcount(); ++row) {
    if (idnummer(c_rezeptezutaten.getcell(0, row), -2) != rezept) continue;
    const std::string packed = c_rezeptezutaten.getcell(2, row);
    rrezepteintrag entry;
    entry.menge = ohneplatzhalter(TdbdynGrid::getsubfield(packed, 1));
    entry.einheit = ohneplatzhalter(TdbdynGrid::getsubfield(packed, 2));
    entry.zutatid = c_rezeptezutaten.getcell(1, row);
    list.push_back(entry);
  }
  for (int32_t row = 0; row < c_zutaten.getrowcount(); ++row) {
    const int32_t zutat = idnummer(c_zutaten.getcell(0, row), -1);
    for (rrezepteintrag& entry : list) {
      if (idnummer(entry.zutatid, -2) != zutat) continue;
      const std::string packed = c_zutaten.getcell(1, row);
      entry.zutatname = TdbdynGrid::getsubfield(packed, 1);
      entry.verfuegbar = flaggesetzt(TdbdynGrid::getsubfield(packed, 2));
      entry.alkoholisch = flaggesetzt(TdbdynGrid::getsubfield(packed, 3));
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
    platform::showwarning("Fehler bem Laden des Rezeptes!");
    return std::nullopt;
  }
  std::vector<std::string> lines;
  for (const rrezepteintrag& entry : list) lines.push_back(zeigecocktailzeile(entry));
  return lines;
}

}  // namespace catalogue
