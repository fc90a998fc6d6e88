#include "catalogue/zutatcocktails.h"

#include <unordered_set>

#include "catalogue/anzeigetexte.h"
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

// The ids of the recipes with a line of the ingredient or of one it can stand in for.
std::unordered_set<int32_t> rezeptemit(const Catalogue& catalogue, int32_t zutat) {
  std::unordered_set<int32_t> zutaten{zutat};
  for (const Ersatzpaar& paar : leseersatz(catalogue.ersatz()))
    if (paar.ersatz == zutat) zutaten.insert(paar.zutat);
  std::unordered_set<int32_t> rezepte;
  const Rezeptezutatentabelle c_rezeptezutaten = catalogue.rezeptezutaten();
  for (int32_t row = 0; row < c_rezeptezutaten->getrowcount(); ++row) {
    const Rezeptzutatzeile zeile = leserezeptzutat(c_rezeptezutaten, row);
    if (zutaten.contains(idnummer(zeile.zutatid(), linkersatz))) rezepte.insert(idnummer(zeile.rezeptid(), linkersatz));
  }
  return rezepte;
}

}  // namespace

// The rows in name order, their columns from the recipes' kept facts as the search's.
Suchtreffer cocktailsmitzutat(const Catalogue& catalogue, int32_t zutat, ProgressPort& progress) {
  const std::unordered_set<int32_t> rezepte = rezeptemit(catalogue, zutat);
  const Rezeptetabelle c_rezepte = catalogue.rezepte();
  Rezeptfakten& fakten = catalogue.rezeptfakten();
  fakten.fuer(c_rezepte, catalogue.rezeptezutaten(), catalogue.zutaten(), catalogue.ersatz());
  Suchtreffer out;
  std::vector<int32_t> folge;
  const std::vector<int32_t>& ordnung = catalogue.namensordnung().fuer(c_rezepte);
  for (std::size_t i = 0; i < ordnung.size(); ++i) {
    progress.zeigefortschritt(fortschrittprozent(static_cast<int64_t>(i + 1), static_cast<int64_t>(ordnung.size())));
    const Rezeptzeile rezept = leserezept(c_rezepte, ordnung[i]);
    if (!rezepte.contains(idnummer(rezept.id(), zeilenersatz))) continue;
    folge.push_back(
        static_cast<int32_t>(out.liste.dazu(rezept.name(), rezept.wertung(), rezept.id(),
                                            fakten.alkoholisch(ordnung[i]), fakten.alleverfuegbar(ordnung[i]))));
  }
  out.liste.folge(std::move(folge));
  out.hitcount = std::to_string(out.liste.size()) + " Cocktails mit " + zutatname(catalogue.zutaten(), zutat);
  progress.close();
  return out;
}

}  // namespace catalogue
