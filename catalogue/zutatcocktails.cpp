#include "catalogue/zutatcocktails.h"

#include <unordered_set>

#include "catalogue/ersatz.h"
#include "catalogue/tables.h"

namespace catalogue {

namespace {

// The ingredient's name; a later row of its id counts.
std::string zutatname(Zutatentabelle c_zutaten, int32_t zutat) {
  std::string name;
  for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row)
    if (idnummer(lesezutat(c_zutaten, row).id(), zeilenersatz) == zutat) name = lesezutat(c_zutaten, row).name();
  return name;
}

}  // namespace

SearchResult cocktailsmitzutat(const Catalogue& catalogue, int32_t zutat, ProgressPort& progress) {
  std::unordered_set<int32_t> zutaten{zutat};
  for (const Ersatzpaar& paar : leseersatz(catalogue.ersatz()))
    if (paar.ersatz == zutat) zutaten.insert(paar.zutat);
  std::unordered_set<int32_t> rezepte;
  const Rezeptezutatentabelle c_rezeptezutaten = catalogue.rezeptezutaten();
  for (int32_t row = 0; row < c_rezeptezutaten->getrowcount(); ++row) {
    const Rezeptzutatzeile zeile = leserezeptzutat(c_rezeptezutaten, row);
    if (zutaten.contains(idnummer(zeile.zutatid(), linkersatz))) rezepte.insert(idnummer(zeile.rezeptid(), linkersatz));
  }
  SearchResult result = b_suchenClick(catalogue, SearchSettings{}, progress);
  std::erase_if(result.rows, [&](const ResultRow& row) { return !rezepte.contains(idnummer(row.id, zeilenersatz)); });
  result.hitcount = std::to_string(result.rows.size()) + " Cocktails mit " + zutatname(catalogue.zutaten(), zutat);
  return result;
}

}  // namespace catalogue
