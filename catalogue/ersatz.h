// Substitutes: "ersatz can stand in for zutat" between two ingredients, kept
// in c_ersatz by their ids. One way (Limette for Limettensaft does not make
// Limettensaft stand in for Limette), several per ingredient, and only direct
// ones count: Zitrone for Limette and Limette for Limettensaft do not make
// lemons lime juice. A recipe line counts as available when its ingredient
// or one of its substitutes is; whether a recipe is alcoholic still comes
// from its own ingredients.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <span>
#include <vector>

#include "catalogue/idslots.h"
#include "catalogue/outcome.h"
#include "catalogue/tables.h"

namespace catalogue {

struct Ersatzpaar {
  int32_t zutat = -1;
  int32_t ersatz = -1;  // can stand in for zutat
  auto operator<=>(const Ersatzpaar&) const = default;
};
using Ersatzliste = std::vector<Ersatzpaar>;

// The relations of c_ersatz in table order; rows whose ids are no numbers,
// relations of an ingredient to itself and repeats are passed over.
Ersatzliste leseersatz(Ersatztabelle c_ersatz);

// The ids that can stand in for zutat, in list order.
std::vector<int32_t> ersatzfuer(const Ersatzliste& liste, int32_t zutat);

// Whether a relation may join the list: a substitute is another ingredient,
// and each relation is there once.
enum class Ersatzpruefung { ok, selbst, schonda };
Ersatzpruefung pruefeersatz(const Ersatzliste& liste, const Ersatzpaar& paar);

// The list after ingredient quelle was merged into ziel: quelle becomes ziel
// on both sides; a relation of ziel to itself and repeats are dropped.
Ersatzliste zusammenfuehren(const Ersatzliste& liste, int32_t quelle, int32_t ziel);

// Makes c_ersatz hold the relations of soll, each once, changing only the
// rows that differ: rows of other relations are deleted, missing ones
// added. The caller commits; failed after the first write that failed.
Outcome ersatzschreiben(Ersatzschreiber& c_ersatz, const Ersatzliste& soll);

// The relations by ingredient slot, for the commands that number the
// ingredients of a catalogue with slots. Relations naming an id without a
// slot are left out.
class Ersatzslots {
 public:
  Ersatzslots(const Ersatzliste& liste, const Idslots& zutatslots, std::size_t slots);

  // The slots that can stand in for the slot's ingredient.
  std::span<const int32_t> ersatz(int32_t slot) const;
  // Per slot: its own flag, or that of one of its direct substitutes.
  std::vector<bool> effektivverfuegbar(const std::vector<bool>& eigen) const;
  // The slots whose purchase completes a line of the slot's ingredient:
  // itself, then those that can stand in for it.
  std::vector<int32_t> ergaenzer(int32_t slot) const;
  // Whether a purchase marked in gekauft completes a line of the slot.
  bool ergaenzt(int32_t slot, const std::vector<char>& gekauft) const;
  // The slots whose purchase alone completes every missing line (given as
  // the slots of their ingredients), ascending.
  std::vector<int32_t> einzelkaeufe(std::span<const int32_t> fehlend) const;
  // The pairs, smaller slot first, whose purchase together completes every
  // missing line while neither alone does, ascending.
  std::vector<std::array<int32_t, 2>> paarkaeufe(std::span<const int32_t> fehlend) const;

 private:
  std::vector<int32_t> beginn_;  // slot -> its first substitute in ersatz_; one more at the end
  std::vector<int32_t> ersatz_;
};

}  // namespace catalogue
