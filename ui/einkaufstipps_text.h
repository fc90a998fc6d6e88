// The text of "Einkaufstipps" for the text viewer, in German and Windows-1252.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/einkaufstipps.h"

namespace ui {

// One line per shown line: the count of recipes that can be mixed now, then
// either what to do first (import recipes, or mark ingredients), or a block
// of single ingredients and a block of pairs, each tip followed by its
// recipes, wrapped to lines of at most breite characters with an indent, and
// the plan of the next purchases.
std::vector<std::string> einkaufstippszeilen(const catalogue::Einkaufstipps& tipps, std::size_t breite);

}  // namespace ui
