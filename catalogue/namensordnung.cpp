#include "catalogue/namensordnung.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <span>
#include <string>
#include <utility>

#include "platform/collation.h"

namespace catalogue {

namespace {

// A row's place by the first bytes of its name's key, as two numbers in
// the same order.
struct Vorsortierung {
  uint64_t hoch = 0;
  uint64_t tief = 0;
  int32_t row = 0;
};

Vorsortierung vorsortierung(std::string_view name, int32_t row) {
  const std::array<unsigned char, platform::sortkeyprefixbytes> prefix = platform::namesortkeyprefix(name);
  Vorsortierung v{0, 0, row};
  for (std::size_t b = 0; b < 8; ++b) v.hoch = v.hoch << 8 | prefix[b];
  for (std::size_t b = 8; b < 16; ++b) v.tief = v.tief << 8 | prefix[b];
  return v;
}

// Rows whose names begin with the same key bytes, ordered by their whole
// keys, equal keys by the names, equal names by row: in table order.
void ordnegleiche(Rezeptetabelle c_rezepte, std::span<Vorsortierung> gleiche) {
  const auto name = [&c_rezepte](int32_t row) { return leserezept(c_rezepte, row).name(); };
  std::vector<std::pair<std::string, int32_t>> keys;
  for (const Vorsortierung& v : gleiche) keys.emplace_back(platform::namesortkey(name(v.row)), v.row);
  std::sort(keys.begin(), keys.end(), [&name](const auto& a, const auto& b) {
    int c = a.first.compare(b.first);
    if (c == 0 && name(a.second) != name(b.second)) c = platform::comparenames(name(a.second), name(b.second));
    return c != 0 ? c < 0 : a.second < b.second;
  });
  for (std::size_t i = 0; i < keys.size(); ++i) gleiche[i].row = keys[i].second;
}

// Rows of one hoch: ordered by tief, and rows of one tief by their whole keys.
void ordnegleichhoch(Rezeptetabelle c_rezepte, std::span<Vorsortierung> gleiche) {
  std::sort(gleiche.begin(), gleiche.end(), [](const Vorsortierung& a, const Vorsortierung& b) {
    return a.tief != b.tief ? a.tief < b.tief : a.row < b.row;
  });
  for (std::size_t i = 0; i < gleiche.size();) {
    std::size_t j = i + 1;
    while (j < gleiche.size() && gleiche[j].tief == gleiche[i].tief) ++j;
    if (j - i > 1) ordnegleiche(c_rezepte, gleiche.subspan(i, j - i));
    i = j;
  }
}

// Orders keys by hoch, equal ones keeping their order: a pass per byte of
// hoch, the lowest first, each placing the keys by that byte alone. For a
// million names and more this is several times quicker than comparing them.
void nachhoch(std::vector<Vorsortierung>& keys) {
  std::vector<Vorsortierung> placed(keys.size());
  for (int shift = 0; shift < 64; shift += 8) {
    const auto byte = [shift](const Vorsortierung& v) { return static_cast<std::size_t>(v.hoch >> shift & 0xFF); };
    std::array<std::size_t, 257> start{};
    for (const Vorsortierung& v : keys) ++start[byte(v) + 1];
    if (std::find(start.begin(), start.end(), keys.size()) != start.end()) continue;  // one byte for all
    std::partial_sum(start.begin(), start.end(), start.begin());
    for (const Vorsortierung& v : keys) placed[start[byte(v)]++] = v;
    keys.swap(placed);
  }
}

}  // namespace

// Most names are told apart by the first bytes of their keys, which the
// collation gives at a fraction of the cost of the whole key; only names
// that share them get whole keys.
const std::vector<int32_t>& Namensordnung::fuer(Rezeptetabelle c_rezepte) {
  if (stand_ == c_rezepte->changestamp()) return ordnung_;
  std::vector<Vorsortierung> keys(static_cast<std::size_t>(c_rezepte->getrowcount()));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto row = static_cast<int32_t>(i);
    keys[i] = vorsortierung(leserezept(c_rezepte, row).name(), row);
  }
  nachhoch(keys);
  for (std::size_t i = 0; i < keys.size();) {
    std::size_t j = i + 1;
    while (j < keys.size() && keys[j].hoch == keys[i].hoch) ++j;
    if (j - i > 1) ordnegleichhoch(c_rezepte, std::span<Vorsortierung>(keys).subspan(i, j - i));
    i = j;
  }
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
