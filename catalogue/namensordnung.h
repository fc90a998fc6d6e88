// The recipes' name order, the order of the search's result list, kept from
// one search to the next.
#pragma once

#include <cstdint>
#include <vector>

#include "catalogue/tables.h"

namespace catalogue {

// The recipe rows ascending by name in the locale-aware order, equal names
// in table order. Working out the sort keys is most of a search's cost, so
// the order is worked out again only when c_rezepte has changed.
class Namensordnung {
 public:
  const std::vector<int32_t>& fuer(Rezeptetabelle c_rezepte);
  // Each row's place in that order, worked out when first asked for.
  const std::vector<int32_t>& raenge(Rezeptetabelle c_rezepte);

 private:
  uint64_t rangstand_ = 0;  // the stamp the places were made for
  std::vector<int32_t> raenge_;
  uint64_t stand_ = 0;  // the change stamp of the table the order was made for
  std::vector<int32_t> ordnung_;
};

}  // namespace catalogue
