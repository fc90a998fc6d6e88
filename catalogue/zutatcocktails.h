// "Cocktails mit dieser Zutat": the recipes an ingredient can go into.
#pragma once

#include <cstdint>

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"
#include "catalogue/search.h"

namespace catalogue {

// Every recipe with a line of the ingredient (by its key) or of one it can
// stand in for, as rows of the result list in name order; the count as
// "12 Cocktails mit Limette". Shows progress once per recipe, as the search.
Suchtreffer cocktailsmitzutat(const Catalogue& catalogue, int32_t zutat, ProgressPort& progress);

}  // namespace catalogue
