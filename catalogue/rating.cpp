#include "catalogue/rating.h"

#include <vector>

#include "catalogue/anzeigetexte.h"
#include "catalogue/rezeptformat.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"

namespace catalogue {

namespace {

// Writes the rating into the row's packed cell, the other subfields and the
// id as stored, and commits it; a failed rating is dropped from memory too.
Outcome schreibewertung(Catalogue& catalogue, int32_t row, int32_t rating) {
  Rezepteschreiber& c_rezepte = catalogue.c_rezepte();
  std::vector<std::string> values;
  if (c_rezepte.getrow(row, values) && values.size() >= rezeptspalte::anzahl &&
      TdbdynGrid::setsubfield(values[rezeptspalte::werte], rezeptfeld::wertung, std::to_string(rating)) &&
      c_rezepte.updaterow(row, values)) {
    if (catalogue.flush()) return Outcome::ok();
  } else {
    catalogue.discard();
  }
  return Outcome::failed(std::string("Fehler beim Übernehmen der Daten!"_cp));
}

}  // namespace

std::optional<std::string> Wertungndern1Click(Catalogue& catalogue, const std::string& hiddenid, RatingPort& dialog) {
  if (!catalogue.maywrite().orwarn()) return std::nullopt;
  const Rezeptetabelle c_rezepte = catalogue.rezepte();
  const int32_t row = findrezept(c_rezepte, idnummer(hiddenid, 0));
  if (row < 0) return std::nullopt;
  const int32_t rating = idnummer(leserezept(c_rezepte, row).wertung(), 0);
  int chosen = static_cast<int>(rating);
  if (!dialog.anzeigen(chosen)) return std::nullopt;
  if (!schreibewertung(catalogue, row, chosen).orwarn()) return std::nullopt;
  return wertungtostern(std::to_string(chosen));
}

}  // namespace catalogue
