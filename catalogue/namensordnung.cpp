#include "catalogue/namensordnung.h"

#include <algorithm>

#include "platform/collation.h"

namespace catalogue {

namespace {

// The sort keys of all recipe names, in one buffer row after row: a string
// each would double the memory the name order needs while it is made.
class Namekeys {
 public:
  explicit Namekeys(Rezeptetabelle c_rezepte)
      : c_rezepte_(c_rezepte), begin_(static_cast<std::size_t>(c_rezepte->getrowcount()) + 1, 0) {
    for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row) {
      bytes_ += platform::namesortkey(name(row));
      begin_[static_cast<std::size_t>(row) + 1] = bytes_.size();
    }
  }
  std::string_view name(int32_t row) const { return leserezept(c_rezepte_, row).name(); }
  std::string_view key(int32_t row) const {
    const auto r = static_cast<std::size_t>(row);
    return std::string_view(bytes_).substr(begin_[r], begin_[r + 1] - begin_[r]);
  }
  // The key's first eight bytes as one number, in the same order.
  uint64_t prefix(int32_t row) const {
    const std::string_view k = key(row);
    uint64_t prefix = 0;
    for (std::size_t b = 0; b < 8; ++b) prefix = prefix << 8 | (b < k.size() ? static_cast<unsigned char>(k[b]) : 0u);
    return prefix;
  }

 private:
  Rezeptetabelle c_rezepte_;
  std::string bytes_;
  std::vector<std::size_t> begin_;  // row r's key is bytes_[begin_[r], begin_[r + 1])
};

}  // namespace

// Most comparisons are settled by the first eight bytes of the keys, held
// beside them so that the sort rarely touches the keys.
const std::vector<int32_t>& Namensordnung::fuer(Rezeptetabelle c_rezepte) {
  if (stand_ == c_rezepte->changestamp()) return ordnung_;
  const Namekeys namekeys(c_rezepte);
  struct Sortkey {
    uint64_t prefix = 0;
    int32_t row = 0;
  };
  std::vector<Sortkey> keys(static_cast<std::size_t>(c_rezepte->getrowcount()));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto row = static_cast<int32_t>(i);
    keys[i] = {namekeys.prefix(row), row};
  }
  // Equal keys are settled by the names, equal names by row, which keeps
  // them in table order without the extra buffer a stable sort takes.
  std::sort(keys.begin(), keys.end(), [&namekeys](const Sortkey& a, const Sortkey& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    int c = namekeys.key(a.row).compare(namekeys.key(b.row));
    if (c == 0 && namekeys.name(a.row) != namekeys.name(b.row))
      c = platform::comparenames(namekeys.name(a.row), namekeys.name(b.row));
    return c != 0 ? c < 0 : a.row < b.row;
  });
  ordnung_.resize(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) ordnung_[i] = keys[i].row;
  stand_ = c_rezepte->changestamp();
  return ordnung_;
}

const std::vector<int32_t>& Namensordnung::raenge(Rezeptetabelle c_rezepte) {
  if (rangstand_ == c_rezepte->changestamp() && rangstand_ != 0) return raenge_;
  const std::vector<int32_t>& ordnung = fuer(c_rezepte);
  raenge_.resize(ordnung.size());
  for (std::size_t i = 0; i < ordnung.size(); ++i)
    raenge_[static_cast<std::size_t>(ordnung[i])] = static_cast<int32_t>(i);
  rangstand_ = c_rezepte->changestamp();
  return raenge_;
}

}  // namespace catalogue
