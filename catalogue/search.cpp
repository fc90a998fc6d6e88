#include "catalogue/search.h"

#include <algorithm>
#include <numeric>
#include <optional>
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

// The lines of every recipe with their ingredients, built from one pass over
// the link table and one over the ingredient table. It gives each recipe the
// same lines and ingredient values as laderezept's scans, ids compared as
// numbers with the same stand-ins for texts that are none, and it lives for
// one search only.
class Rezeptindex {
 public:
  Rezeptindex(const TdbdynGrid& c_rezeptezutaten, const TdbdynGrid& c_zutaten) {
    for (int32_t row = 0; row < c_rezeptezutaten.getrowcount(); ++row)
      zeilen_[idnummer(c_rezeptezutaten.getcell(0, row), -2)].push_back(
          idnummer(c_rezeptezutaten.getcell(1, row), -2));
    for (int32_t row = 0; row < c_zutaten.getrowcount(); ++row) {
      const std::string packed = c_zutaten.getcell(1, row);
      // A later row with the same id replaces an earlier one, as in the scan.
      zutaten_[idnummer(c_zutaten.getcell(0, row), -1)] = {
          platform::lower(TdbdynGrid::getsubfield(packed, 1)),
          flaggesetzt(TdbdynGrid::getsubfield(packed, 2)), flaggesetzt(TdbdynGrid::getsubfield(packed, 3))};
    }
  }

  // The ingredient ids of the recipe's lines, in link table order.
  const std::vector<int32_t>& zeilen(const std::string& rezeptid) const {
    const auto found = zeilen_.find(idnummer(rezeptid, -1));
    return found == zeilen_.end() ? keinezeilen_ : found->second;
  }

  // The ingredient of a line; an id without ingredient row gives an empty
  // name and both flags clear.
  const Zutat& zutat(int32_t zutatid) const {
    const auto found = zutaten_.find(zutatid);
    return found == zutaten_.end() ? keinezutat_ : found->second;
  }

 private:
  std::unordered_map<int32_t, std::vector<int32_t>> zeilen_;
  std::unordered_map<int32_t, Zutat> zutaten_;
  const std::vector<int32_t> keinezeilen_;
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
  const std::vector<int32_t>& zeilen = index.zeilen(id);
  if (!zeilen.empty()) {
    for (const int32_t zutatid : zeilen) {
      const Zutat& zutat = index.zutat(zutatid);
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
// table order.
void sortierenachname(std::vector<ResultRow>& rows) {
  std::vector<std::string> keys;
  keys.reserve(rows.size());
  for (const ResultRow& row : rows) keys.push_back(platform::namesortkey(row.caption));
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  std::vector<ResultRow> sorted;
  sorted.reserve(rows.size());
  for (const std::size_t i : order) sorted.push_back(std::move(rows[i]));
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
