// "Einkaufstipps": how many recipes can be mixed from what is marked
// available, and which one bottle, or which two, would complete the most
// further recipes. One pass over each table; it writes nothing.
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
  std::vector<std::string> rezepte;  // in the result list's name order
  bool operator==(const Einkaufstipp&) const = default;
};

struct Einkaufstipps {
  int64_t mixbar = 0;               // recipes with lines whose ingredients are all available
  bool nichtsverfuegbar = true;     // no ingredient is marked available
  std::vector<Einkaufstipp> eine;   // recipes missing exactly one ingredient
  std::vector<Einkaufstipp> paare;  // recipes missing exactly two; the best maxpaare pairs
};

inline constexpr std::size_t maxpaare = 20;

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
Einkaufstipps einkaufstipps(const TdbdynGrid& c_rezepte, const TdbdynGrid& c_rezeptezutaten,
                            const TdbdynGrid& c_zutaten);
Einkaufstipps einkaufstipps(const Catalogue& catalogue);

}  // namespace catalogue
