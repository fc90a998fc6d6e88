// The printed card of recipes ("Barkarte"): what it says and how its recipes
// fall onto pages. The window side measures and paints; the page break is
// decided here from the measured heights, so that it is tested without a
// printer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/mengen.h"

namespace catalogue {

// One recipe as the card shows it.
struct Kartenrezept {
  std::string name;
  std::vector<std::string> zutaten;  // "10 cl Weißer Rum", for the glasses and unit chosen
  std::string zubereitung;           // "" when the recipe has none
  bool operator==(const Kartenrezept&) const = default;
};

// The recipes with the ids, in the order given; each table is read once, so
// a card of a few hundred recipes costs no more than one search. An id no
// recipe has is left out.
std::vector<Kartenrezept> kartenrezepte(const Catalogue& catalogue, const std::vector<std::string>& ids,
                                        const Portionen& portionen);

// The card's head: "Barkarte", the date and the number of recipes, and for
// how many glasses and in which unit the quantities are given.
std::vector<std::string> kartenkopf(const std::string& datum, std::size_t anzahl, const Portionen& portionen);

// "Seite 2 von 5".
std::string seitenfuss(int32_t seite, int32_t seiten);

// The page's measures in the painter's units.
struct Seitenmasse {
  int32_t hoehe = 0;    // the height the recipes may fill on a page
  int32_t kopf = 0;     // the head's height on the first page
  int32_t abstand = 0;  // between two recipes
};

// Where a recipe goes: its page (from 0), its top on that page, and the scale
// it is painted at. A recipe is never split: one that does not fit below the
// last starts a new page, and one taller than a whole page gets a page of its
// own, shrunk to fit.
struct Kartenplatz {
  int32_t seite = 0;
  int32_t oben = 0;
  double mass = 1.0;
  bool operator==(const Kartenplatz&) const = default;
};

std::vector<Kartenplatz> seitenumbruch(const std::vector<int32_t>& hoehen, const Seitenmasse& masse);

}  // namespace catalogue
