// "Wertung ändern" in the result list's pop-up menu.
#pragma once

#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"

namespace catalogue {

// Wertungndern1Click for the selected row's hidden id: finds the recipe, asks
// the rating dialog and writes the rating into the recipe's packed cell.
// Returns the new star text for the row's "Wertung" cell on success; nothing
// when the recipe is gone, the dialog was cancelled, or writing failed (then
// "Fehler beim Übernehmen der Daten!" has been shown). The window calls it
// only when a row is selected. Nothing when the catalogue is read-only
// (after its warning, before the dialog).
std::optional<std::string> Wertungndern1Click(Catalogue& catalogue, const std::string& hiddenid, RatingPort& dialog);

}  // namespace catalogue
