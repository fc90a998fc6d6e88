// The recipe search behind "Cocktails suchen": filters every recipe by term,
// alcohol and availability and gives the rows of the result list, sorted by
// name, with the hit count text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/namensordnung.h"
#include "catalogue/ports.h"
#include "catalogue/rezeptfakten.h"
#include "catalogue/tables.h"
#include "catalogue/trefferliste.h"

namespace catalogue {

enum class Suchbereich { nurcocktailname, rezeptzusaetzlich };  // r_nurcocktailname / r_rezeptzusaetzlich
enum class Alkoholwahl { egal, ja, nein };                      // c_alk_egal / c_alk_ja / c_alk_nein

struct SearchSettings {
  std::string suchbegriff;  // e_suchbegriff as typed; trimmed and lower-cased by the search
  Suchbereich bereich = Suchbereich::nurcocktailname;
  Alkoholwahl alkohol = Alkoholwahl::egal;
  bool nurverfuegbar = false;  // c_nurverfuegbar
};

struct SearchResult {
  std::vector<ResultRow> rows;  // sorted by caption with platform::comparenames
  std::string hitcount;         // label_suchinf: count + " Suchergebnisse"
};

// The search as the window runs it: the rows of the list held compactly.
struct Suchtreffer {
  Trefferliste liste;
  std::string hitcount;
};
Suchtreffer suche(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
                  Ersatztabelle c_ersatz, Namensordnung& namensordnung, Rezeptfakten& fakten,
                  const SearchSettings& settings, ProgressPort& progress);
Suchtreffer suche(const Catalogue& catalogue, const SearchSettings& settings, ProgressPort& progress);

// b_suchenClick: shows progress once per recipe and closes the progress
// dialog at the end. Reads the tables only. The same search, every row as
// text. A line counts as available when its ingredient or one of its
// substitutes is.
SearchResult b_suchenClick(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
                           Ersatztabelle c_ersatz, Namensordnung& namensordnung, Rezeptfakten& fakten,
                           const SearchSettings& settings, ProgressPort& progress);
SearchResult b_suchenClick(const Catalogue& catalogue, const SearchSettings& settings, ProgressPort& progress);

// Whether the row is a deleted recipe: a row of empty cells without a record,
// as a delete leaves it until the next load. Among other rows it is no hit;
// the one such row of a table that never held a recipe is.
bool geloescht(Rezeptetabelle c_rezepte, int32_t row, const Rezeptzeile& rezept);

}  // namespace catalogue
