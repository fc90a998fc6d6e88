// The text of "Einkaufstipps" for the text viewer, in German and Windows-1252.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/einkaufstipps.h"

namespace catalogue {

// One line per shown line: the count of recipes that can be mixed now, then
// either what to do first (import recipes, or mark ingredients), or a block
// of single ingredients and a block of pairs, each tip followed by its
// recipes, wrapped to lines of at most breite characters with an indent, and
// the plan of the next purchases. A tip shows its first recipes and how
// many more there are; tippnummern, when given, gets for each line the
// number of the tip it belongs to (over eine, then paare; the first line
// that of the mixable recipes), or -1.
std::vector<std::string> einkaufstippszeilen(const catalogue::Einkaufstipps& tipps, std::size_t breite,
                                             std::vector<int32_t>* tippnummern = nullptr);

}  // namespace catalogue
