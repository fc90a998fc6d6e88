// One recipe assembled from the tables, the texts of the result list and of
// the info box, and the lines the info box shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/ersatz.h"
#include "catalogue/mengen.h"

namespace catalogue {

// One ingredient line of a recipe.
struct rrezepteintrag {
  std::string menge;      // "" when stored as a placeholder (ohneplatzhalter)
  std::string einheit;    // "" when stored as a placeholder (ohneplatzhalter)
  std::string zutatid;    // the link's ingredient id as stored
  std::string zutatname;  // "" while no ingredient row matched
  bool verfuegbar = false;
  bool alkoholisch = false;
  std::string ersatz = {};  // the substitute's name when only that one is available
  bool operator==(const rrezepteintrag&) const = default;
};

// The lines of one recipe, in the order of the link rows.
using rrezept = std::vector<rrezepteintrag>;

// Empties list and fills it with the recipe's lines by scanning the link and
// ingredient tables; true when the recipe has at least one line. A line whose
// ingredient is not available is when one of its substitutes is, which it names.
bool laderezept(Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten, const std::string& id, rrezept& list,
                const Ersatzliste& ersatz = {});
bool laderezept(const Catalogue& catalogue, const std::string& id, rrezept& list);

// The line of a link row, its ingredient not yet looked up.
rrezepteintrag linkeintrag(Rezeptezutatentabelle c_rezeptezutaten, int32_t row);

// Every line's quantity and unit for the glasses and unit chosen.
void portionieren(rrezept& list, const Portionen& portionen);

// One line of the info box: quantity, unit and name, padded to 30, then the
// two flags; 63 characters unless the first part is longer than 30.
std::string zeigecocktailzeile(const rrezepteintrag& entry);

// The info box's caption: "Info: " and the recipe's name, or "Info" when
// no recipe has the id.
std::string infotitel(const Catalogue& catalogue, const std::string& id);

// zeigecocktail: the lines for the info box, which the window then shows:
// one per ingredient, then, when the recipe has a preparation, an empty line
// and the preparation wrapped to the width of an ingredient line.
// When the recipe has no lines, the warning "Fehler bem Laden des Rezeptes!"
// has been shown and the result is nothing: the window empties its memo and
// leaves the box's visibility as it was. The quantities are those for the
// glasses and unit chosen.
std::optional<std::vector<std::string>> zeigecocktail(const Catalogue& catalogue, const std::string& id,
                                                      const Portionen& portionen = {});

}  // namespace catalogue
