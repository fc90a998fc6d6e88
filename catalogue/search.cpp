#include "catalogue/search.h"

#include <algorithm>
#include <optional>
#include <span>
#include <unordered_map>

#include "catalogue/recipeview.h"
#include "platform/collation.h"
#include "platform/text.h"

namespace catalogue {

namespace {

// What the search needs of one ingredient row.
struct Zutat {
  std::string suchname;  // trimmed, ASCII lower case
  bool verfuegbar = false;
  bool alkoholisch = false;
};

// Numbers the ids met in one table with consecutive slots. Ids are mostly
// small positive numbers below twice the row count, so an array indexed by
// the id serves them; the few others go to a hash map.
class Idslots {
 public:
  explicit Idslots(int32_t rows) : array_(static_cast<std::size_t>(rows) * 2 + 16, -1) {}

  // The id's slot and whether it was new; a new id gets the next slot.
  std::pair<int32_t, bool> eintragen(int32_t id) {
    int32_t& slot = inarray(id) ? array_[static_cast<std::size_t>(id)] : others_.try_emplace(id, -1).first->second;
    const bool neu = slot < 0;
    if (neu) slot = count_++;
    return {slot, neu};
  }

  // The id's slot, or -1 when the id was never entered.
  int32_t finde(int32_t id) const {
    if (inarray(id)) return array_[static_cast<std::size_t>(id)];
    const auto found = others_.find(id);
    return found == others_.end() ? -1 : found->second;
  }

 private:
  bool inarray(int32_t id) const { return id >= 0 && static_cast<std::size_t>(id) < array_.size(); }

  std::vector<int32_t> array_;
  std::unordered_map<int32_t, int32_t> others_;
  int32_t count_ = 0;
};

// The lines of every recipe with their ingredients, built from one pass over
// the link table and one over the ingredient table. It gives each recipe the
// same lines and ingredient values as laderezept's scans, ids compared as
// numbers with the same stand-ins for texts that are none, and it lives for
// one search only. The lines of all recipes lie in one array, grouped by
// recipe in link table order, each line already pointing at its ingredient.
class Rezeptindex {
 public:
  Rezeptindex(const TdbdynGrid& c_rezeptezutaten, const TdbdynGrid& c_zutaten)
      : zutatslots_(c_zutaten.getrowcount()), gruppen_(c_rezeptezutaten.getrowcount()) {
    ladezutaten(c_zutaten);
    ladezeilen(c_rezeptezutaten);
  }

  // The lines of the recipe, in link table order, as ingredient slots.
  std::span<const int32_t> zeilen(const std::string& rezeptid) const {
    const int32_t found = gruppen_.finde(idnummer(rezeptid, -1));
    if (found < 0) return {};
    const auto g = static_cast<std::size_t>(found);
    return std::span<const int32_t>(zeilen_).subspan(static_cast<std::size_t>(beginn_[g]),
                                                     static_cast<std::size_t>(beginn_[g + 1] - beginn_[g]));
  }

  // The ingredient in a slot; a line whose ingredient id has no row (slot
  // -1) gives an empty name and both flags clear.
  const Zutat& zutat(int32_t slot) const { return slot < 0 ? keinezutat_ : zutaten_[static_cast<std::size_t>(slot)]; }

 private:
  void ladezutaten(const TdbdynGrid& c_zutaten) {
    for (int32_t row = 0; row < c_zutaten.getrowcount(); ++row) {
      const std::string packed = c_zutaten.getcell(1, row);
      Zutat zutat{platform::lower(TdbdynGrid::getsubfield(packed, 1)), flaggesetzt(TdbdynGrid::getsubfield(packed, 2)),
                  flaggesetzt(TdbdynGrid::getsubfield(packed, 3))};
      const auto [slot, neu] = zutatslots_.eintragen(idnummer(c_zutaten.getcell(0, row), -1));
      // A later row with the same id replaces an earlier one, as in the scan.
      if (neu)
        zutaten_.push_back(std::move(zutat));
      else
        zutaten_[static_cast<std::size_t>(slot)] = std::move(zutat);
    }
  }

  // Groups the link rows by recipe, keeping their table order in each group.
  void ladezeilen(const TdbdynGrid& c_rezeptezutaten) {
    const int32_t n = c_rezeptezutaten.getrowcount();
    std::vector<int32_t> gruppe(static_cast<std::size_t>(n));
    std::vector<int32_t> slots(static_cast<std::size_t>(n));
    std::vector<int32_t> anzahl;
    for (int32_t row = 0; row < n; ++row) {
      const auto i = static_cast<std::size_t>(row);
      const auto [found, neu] = gruppen_.eintragen(idnummer(c_rezeptezutaten.getcell(0, row), -2));
      if (neu) anzahl.push_back(0);
      gruppe[i] = found;
      ++anzahl[static_cast<std::size_t>(found)];
      slots[i] = zutatslots_.finde(idnummer(c_rezeptezutaten.getcell(1, row), -2));
    }
    beginn_.assign(anzahl.size() + 1, 0);
    for (std::size_t g = 0; g < anzahl.size(); ++g) beginn_[g + 1] = beginn_[g] + anzahl[g];
    std::vector<int32_t> next(beginn_.begin(), beginn_.end() - 1);
    zeilen_.resize(static_cast<std::size_t>(n));
    for (std::size_t i = 0; i < gruppe.size(); ++i)
      zeilen_[static_cast<std::size_t>(next[static_cast<std::size_t>(gruppe[i])]++)] = slots[i];
  }

  Idslots zutatslots_;  // ingredient id -> its slot in zutaten_
  std::vector<Zutat> zutaten_;
  Idslots gruppen_;  // recipe id -> group
  std::vector<int32_t> beginn_;                    // group -> its first line in zeilen_; one more at the end
  std::vector<int32_t> zeilen_;
  const Zutat keinezutat_;
};

bool enthaelt(const std::string& text, const std::string& term) { return text.find(term) != std::string::npos; }

// The filters for one recipe; nothing when it is not listed.
std::optional<ResultRow> pruefe(const Rezeptindex& index, const std::string& id, const std::string& packed,
                                const std::string& term, const SearchSettings& settings) {
  const std::string name = TdbdynGrid::getsubfield(packed, 1);
  bool termpassed = term.empty() || enthaelt(platform::lower(name), term);
  bool alkpassed = settings.alkohol == Alkoholwahl::egal;
  bool verfpassed = !settings.nurverfuegbar;
  bool alleverfuegbar = true;
  bool alkoholisch = false;
  const std::span<const int32_t> zeilen = index.zeilen(id);
  if (!zeilen.empty()) {
    for (const int32_t slot : zeilen) {
      const Zutat& zutat = index.zutat(slot);
      if (!zutat.verfuegbar) alleverfuegbar = false;
      if (zutat.alkoholisch) alkoholisch = true;
      if (settings.bereich == Suchbereich::rezeptzusaetzlich && enthaelt(zutat.suchname, term)) termpassed = true;
    }
    verfpassed = !settings.nurverfuegbar || alleverfuegbar;
    if (settings.alkohol == Alkoholwahl::ja) alkpassed = alkoholisch;
    if (settings.alkohol == Alkoholwahl::nein) alkpassed = !alkoholisch;
  }
  if (!termpassed || !alkpassed || !verfpassed) return std::nullopt;
  return ResultRow{name, wertungtostern(TdbdynGrid::getsubfield(packed, 2)), janein(alkoholisch),
                   janein(alleverfuegbar), id};
}

// Ascending by name in the list's locale-aware order; equal names keep the
// table order. Most comparisons are settled by the first eight bytes of the
// sort keys, held beside them so that the sort rarely touches the keys.
void sortierenachname(std::vector<ResultRow>& rows) {
  struct Sortkey {
    uint64_t prefix = 0;
    std::string key;
    std::size_t row = 0;
  };
  std::vector<Sortkey> keys(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    keys[i].key = platform::namesortkey(rows[i].caption);
    for (std::size_t b = 0; b < 8; ++b)
      keys[i].prefix = keys[i].prefix << 8 | (b < keys[i].key.size() ? static_cast<unsigned char>(keys[i].key[b]) : 0u);
    keys[i].row = i;
  }
  std::stable_sort(keys.begin(), keys.end(), [](const Sortkey& a, const Sortkey& b) {
    return a.prefix != b.prefix ? a.prefix < b.prefix : a.key < b.key;
  });
  std::vector<ResultRow> sorted;
  sorted.reserve(rows.size());
  for (const Sortkey& key : keys) sorted.push_back(std::move(rows[key.row]));
  rows = std::move(sorted);
}

}  // namespace

int fortschrittprozent(int64_t i, int64_t n) {
  const int64_t quotient = i * 100 / n;
  const int64_t twiceremainder = 2 * (i * 100 % n);
  const bool up = twiceremainder > n || (twiceremainder == n && quotient % 2 == 1);
  return static_cast<int>(up ? quotient + 1 : quotient);
}

SearchResult b_suchenClick(const TdbdynGrid& c_rezepte, const TdbdynGrid& c_rezeptezutaten,
                           const TdbdynGrid& c_zutaten, const SearchSettings& settings, ProgressPort& progress) {
  const std::string term = platform::lower(platform::trim(settings.suchbegriff));
  const Rezeptindex index(c_rezeptezutaten, c_zutaten);
  SearchResult result;
  const int32_t n = c_rezepte.getrowcount();
  for (int32_t row = 0; row < n; ++row) {
    progress.zeigefortschritt(fortschrittprozent(row + 1, n));
    std::optional<ResultRow> hit = pruefe(index, c_rezepte.getcell(0, row), c_rezepte.getcell(1, row), term, settings);
    if (hit) result.rows.push_back(std::move(*hit));
  }
  sortierenachname(result.rows);
  result.hitcount = std::to_string(result.rows.size()) + " Suchergebnisse";
  progress.close();
  return result;
}

SearchResult b_suchenClick(const Catalogue& catalogue, const SearchSettings& settings, ProgressPort& progress) {
  return b_suchenClick(catalogue.c_rezepte(), catalogue.c_rezeptezutaten(), catalogue.c_zutaten(), settings,
                       progress);
}

}  // namespace catalogue
