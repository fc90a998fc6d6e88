// "Einkaufstipps": how many recipes can be mixed from what is marked
// available, which one bottle, or which two, would complete the most further
// recipes, and a plan of the next few purchases. One pass over the recipes'
// kept facts; it writes nothing. Its cost does not grow with the length of
// the tips' lists: each names its first recipes, the rest on demand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

namespace catalogue {

// The recipes that one missing ingredient, or one pair of them, would complete.
struct Einkaufstipp {
  std::vector<std::string> zutaten;  // one name, or the two of a pair in name order
  std::vector<std::string> rezepte;  // the first gezeigterezepte, in the result list's name order
  int64_t weitere = 0;               // how many more recipes it completes
  bool operator==(const Einkaufstipp&) const = default;
};

inline constexpr std::size_t gezeigterezepte = 10;

// One purchase of the plan: the recipes it completes on top of the
// purchases before it, and those of all purchases up to it.
struct Einkaufsschritt {
  std::string zutat;
  int64_t neu = 0;
  int64_t zusammen = 0;
  bool operator==(const Einkaufsschritt&) const = default;
};

struct Einkaufstipps {
  int64_t mixbar = 0;              // recipes with lines whose ingredients are all available
  bool keinerezepte = true;        // no recipe has a line: there is nothing to buy for
  bool nichtsverfuegbar = true;    // no ingredient is marked available
  std::vector<Einkaufstipp> eine;  // recipes missing exactly one ingredient
  // The best maxpaare pairs by all the recipes buying both completes: those
  // missing exactly one of the two and those missing exactly both.
  std::vector<Einkaufstipp> paare;
  // Up to planschritte purchases, each the one that completes the most
  // recipes given those before it; the plan ends early when no purchase
  // completes anything more.
  std::vector<Einkaufsschritt> plan;
  // All recipes of each tip, those of eine first, then those of paare, and
  // last the mixable ones, as rows of c_rezepte in no particular order
  // (allerezepte orders them).
  std::vector<std::vector<int32_t>> rezeptzeilen;
};

inline constexpr std::size_t maxpaare = 20;
inline constexpr std::size_t planschritte = 5;

// Ingredients and recipes mean what the search and the recipe view take them
// to mean: a recipe's lines are its link rows, ids compared as numbers, the
// later of two ingredient rows with one id counts, and a line whose
// ingredient has no row is not available. A recipe without lines is never
// counted or listed; a recipe that lists one ingredient twice misses it once.
//
// Tips are things one can buy by name, so a line whose ingredient has no row
// is never offered: its recipe is not mixable, and no bottle completes it, so
// it appears in no tip either.
//
// Order: tips with more recipes first; ties by the ingredient names in the
// result list's order (a pair by its first name, then its second), then by
// the ingredients' places in c_zutaten, so that equal names keep a fixed order.
// A purchase of the plan that ties with another is chosen by the same order.
//
// Substitutes: a line is available when its ingredient or one of its
// substitutes is, and a bottle completes every line it can stand in for. A
// recipe missing more than planschritte ingredients stays out of the tips and
// the plan, even when one bottle could stand in for two of them.
Einkaufstipps einkaufstipps(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
                            Ersatztabelle c_ersatz, Namensordnung& namensordnung, Rezeptfakten& fakten);
Einkaufstipps einkaufstipps(const Catalogue& catalogue);

// Every recipe of a tip (counted over eine, then paare, then the mixable
// ones) as rows of c_rezepte
// in the result list's name order, while the tables are as the tips found them.
std::vector<int32_t> allerezepte(const Catalogue& catalogue, const Einkaufstipps& tipps, std::size_t tipp);

}  // namespace catalogue
