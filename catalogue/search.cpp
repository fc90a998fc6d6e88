#include "catalogue/search.h"

#include <algorithm>
#include <span>

#include "catalogue/anzeigetexte.h"
#include "catalogue/ersatz.h"
#include "catalogue/idslots.h"
#include "catalogue/recipeview.h"
#include "catalogue/tables.h"
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
// one search only. The lines of all recipes lie in one array, grouped by
// recipe in link table order, each line already pointing at its ingredient.
class Rezeptindex {
 public:
  Rezeptindex(Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten, const Ersatzliste& ersatz)
      : zutatslots_(c_zutaten->getrowcount()), gruppen_(c_rezeptezutaten->getrowcount()) {
    ladezutaten(c_zutaten);
    if (!ersatz.empty()) mitersatz(ersatz);
    ladezeilen(c_rezeptezutaten);
  }

  // The lines of the recipe, in link table order, as ingredient slots.
  std::span<const int32_t> zeilen(std::string_view rezeptid) const {
    const int32_t found = gruppen_.find(idnummer(rezeptid, zeilenersatz));
    if (found < 0) return {};
    const auto g = static_cast<std::size_t>(found);
    return std::span<const int32_t>(zeilen_).subspan(static_cast<std::size_t>(beginn_[g]),
                                                     static_cast<std::size_t>(beginn_[g + 1] - beginn_[g]));
  }

  // The ingredient in a slot; a line whose ingredient id has no row (slot
  // -1) gives an empty name and both flags clear.
  const Zutat& zutat(int32_t slot) const { return slot < 0 ? keinezutat_ : zutaten_[static_cast<std::size_t>(slot)]; }

 private:
  void ladezutaten(Zutatentabelle c_zutaten) {
    for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row) {
      const Zutatzeile zeile = lesezutat(c_zutaten, row);
      Zutat zutat{platform::lower(zeile.name()), zeile.verfuegbar(), zeile.alkoholisch()};
      const auto [slot, neu] = zutatslots_.insert(idnummer(zeile.id(), zeilenersatz));
      // A later row with the same id replaces an earlier one, as in the scan.
      if (neu)
        zutaten_.push_back(std::move(zutat));
      else
        zutaten_[static_cast<std::size_t>(slot)] = std::move(zutat);
    }
  }

  // An ingredient counts as available when one of its substitutes is.
  void mitersatz(const Ersatzliste& ersatz) {
    std::vector<bool> eigen;
    for (const Zutat& zutat : zutaten_) eigen.push_back(zutat.verfuegbar);
    const std::vector<bool> effektiv = Ersatzslots(ersatz, zutatslots_, zutaten_.size()).effektivverfuegbar(eigen);
    for (std::size_t slot = 0; slot < zutaten_.size(); ++slot) zutaten_[slot].verfuegbar = effektiv[slot];
  }

  // Groups the link rows by recipe, keeping their table order in each group:
  // counted first, then placed.
  void ladezeilen(Rezeptezutatentabelle c_rezeptezutaten) {
    const int32_t n = c_rezeptezutaten->getrowcount();
    std::vector<int32_t> gruppe(static_cast<std::size_t>(n));
    zeilen_.resize(static_cast<std::size_t>(n));
    std::vector<int32_t> anzahl;
    for (int32_t row = 0; row < n; ++row) {
      const auto i = static_cast<std::size_t>(row);
      const Rezeptzutatzeile zeile = leserezeptzutat(c_rezeptezutaten, row);
      const auto [found, neu] = gruppen_.insert(idnummer(zeile.rezeptid(), linkersatz));
      if (neu) anzahl.push_back(0);
      gruppe[i] = found;
      ++anzahl[static_cast<std::size_t>(found)];
      zeilen_[i] = zutatslots_.find(idnummer(zeile.zutatid(), linkersatz));
    }
    beginn_.assign(anzahl.size() + 1, 0);
    for (std::size_t g = 0; g < anzahl.size(); ++g) beginn_[g + 1] = beginn_[g] + anzahl[g];
    // The ingredient slots, still in table order, move to their groups.
    std::vector<int32_t> slots = std::move(zeilen_);
    zeilen_.assign(slots.size(), 0);
    std::vector<int32_t>& next = anzahl;
    std::copy(beginn_.begin(), beginn_.end() - 1, next.begin());
    for (std::size_t i = 0; i < slots.size(); ++i)
      zeilen_[static_cast<std::size_t>(next[static_cast<std::size_t>(gruppe[i])]++)] = slots[i];
  }

  Idslots zutatslots_;  // ingredient id -> its slot in zutaten_
  std::vector<Zutat> zutaten_;
  Idslots gruppen_;              // recipe id -> group
  std::vector<int32_t> beginn_;  // group -> its first line in zeilen_; one more at the end
  std::vector<int32_t> zeilen_;
  const Zutat keinezutat_;
};

// What the filters found for one recipe.
struct Pruefung {
  bool gelistet = false;
  bool alkoholisch = false;
  bool alleverfuegbar = true;
};

// Whether the name, lower-cased, contains the term; lower-cased in a buffer
// kept for the whole search.
bool nameenthaelt(std::string_view name, const std::string& term, std::string& buffer) {
  buffer.resize(name.size());
  std::transform(name.begin(), name.end(), buffer.begin(), platform::lowerchar);
  return buffer.find(term) != std::string::npos;
}

// The filters for one recipe.
Pruefung pruefe(const Rezeptindex& index, std::string_view id, std::string_view name, const std::string& term,
                const SearchSettings& settings, std::string& buffer) {
  Pruefung ergebnis;
  bool termpassed = term.empty() || nameenthaelt(name, term, buffer);
  bool alkpassed = settings.alkohol == Alkoholwahl::egal;
  bool verfpassed = !settings.nurverfuegbar;
  const std::span<const int32_t> zeilen = index.zeilen(id);
  if (!zeilen.empty()) {
    for (const int32_t slot : zeilen) {
      const Zutat& zutat = index.zutat(slot);
      if (!zutat.verfuegbar) ergebnis.alleverfuegbar = false;
      if (zutat.alkoholisch) ergebnis.alkoholisch = true;
      if (settings.bereich == Suchbereich::rezeptzusaetzlich && zutat.suchname.find(term) != std::string::npos)
        termpassed = true;
    }
    verfpassed = !settings.nurverfuegbar || ergebnis.alleverfuegbar;
    if (settings.alkohol == Alkoholwahl::ja) alkpassed = ergebnis.alkoholisch;
    if (settings.alkohol == Alkoholwahl::nein) alkpassed = !ergebnis.alkoholisch;
  }
  ergebnis.gelistet = termpassed && alkpassed && verfpassed;
  return ergebnis;
}

}  // namespace

bool geloescht(Rezeptetabelle c_rezepte, int32_t row, const Rezeptzeile& rezept) {
  return rezept.id().empty() && rezept.zellen[rezeptspalte::werte].empty() && c_rezepte->DBfields(row).empty();
}

SearchResult b_suchenClick(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
                           Namensordnung& namensordnung, const SearchSettings& settings, ProgressPort& progress,
                           const Ersatzliste& ersatz) {
  const std::string term = platform::lower(platform::trim(settings.suchbegriff));
  const Rezeptindex index(c_rezeptezutaten, c_zutaten, ersatz);
  const int32_t n = c_rezepte->getrowcount();
  std::vector<Pruefung> pruefungen(static_cast<std::size_t>(n));
  std::string buffer;
  std::size_t treffer = 0;
  for (int32_t row = 0; row < n; ++row) {
    progress.zeigefortschritt(fortschrittprozent(row + 1, n));
    const Rezeptzeile rezept = leserezept(c_rezepte, row);
    if (n > 1 && geloescht(c_rezepte, row, rezept)) continue;
    pruefungen[static_cast<std::size_t>(row)] = pruefe(index, rezept.id(), rezept.name(), term, settings, buffer);
    if (pruefungen[static_cast<std::size_t>(row)].gelistet) ++treffer;
  }
  // The hits in the order of their names; only they become rows of text.
  SearchResult result;
  result.rows.reserve(treffer);
  for (const int32_t row : namensordnung.fuer(c_rezepte)) {
    const Pruefung& p = pruefungen[static_cast<std::size_t>(row)];
    if (!p.gelistet) continue;
    const Rezeptzeile rezept = leserezept(c_rezepte, row);
    result.rows.push_back({std::string(rezept.name()), wertungtostern(rezept.wertung()), janein(p.alkoholisch),
                           janein(p.alleverfuegbar), std::string(rezept.id())});
  }
  result.hitcount = std::to_string(result.rows.size()) + " Suchergebnisse";
  progress.close();
  return result;
}

SearchResult b_suchenClick(const Catalogue& catalogue, const SearchSettings& settings, ProgressPort& progress) {
  return b_suchenClick(catalogue.rezepte(), catalogue.rezeptezutaten(), catalogue.zutaten(), catalogue.namensordnung(),
                       settings, progress, leseersatz(catalogue.ersatz()));
}

}  // namespace catalogue
