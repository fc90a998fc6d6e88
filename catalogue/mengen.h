// Quantities for several glasses and in the unit of the jigger at hand. The
// stored recipe stays as it is; only what the info box and the printed card
// show changes.
#pragma once

#include <string>
#include <string_view>

namespace catalogue {

// The units amounts in cl, ml and oz are shown in.
enum class Masseinheit { cl, ml, oz };

// The glasses and the unit a recipe is shown for.
struct Portionen {
  int glaeser = 1;
  Masseinheit einheit = Masseinheit::cl;
};

constexpr int minglaeser = 1;
constexpr int maxglaeser = 50;

// The choice's caption: "cl", "ml" or "oz (US)", the US fluid ounce, not the
// "Ounce" of the units table.
std::string einheitwahl(Masseinheit einheit);

// A quantity and its unit as shown.
struct Menge {
  std::string menge;
  std::string einheit;
  bool operator==(const Menge&) const = default;
};

// The quantity for the glasses, in the chosen unit when its unit is cl, ml or
// oz: a number, a fraction "1/2" and each end of a range "2-3" are scaled and
// written with a decimal comma (cl and other units to one decimal, ml whole,
// oz to a quarter); another quantity is kept with " ×4" after it. At one
// glass in an unconverted unit the stored text stays as it is.
Menge portioniert(std::string_view menge, std::string_view einheit, const Portionen& portionen);

}  // namespace catalogue
