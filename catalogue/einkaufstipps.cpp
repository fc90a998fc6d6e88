#include "catalogue/einkaufstipps.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "catalogue/recipeview.h"
#include "platform/collation.h"

namespace catalogue {

namespace {

// The cells read here: column 0 of every table is the row's own id, or in
// c_rezeptezutaten the recipe's; column 1 is the packed cell of c_zutaten and
// c_rezepte, and the ingredient's id in c_rezeptezutaten.
constexpr int32_t spalteid = 0;
constexpr int32_t spaltewerte = 1;
constexpr int32_t spaltezutatid = 1;
constexpr int32_t feldname = 1;
constexpr int32_t feldverfuegbar = 2;

// laderezept's stand-ins for ids that are no number, one for each side of a
// comparison, so that two such ids never match.
constexpr int32_t zeilenersatz = -1;  // the id of an ingredient or recipe row
constexpr int32_t linkersatz = -2;    // an id in a link row

// The ingredients, one slot per id; a later row with an id replaces the
// earlier one, as in laderezept.
class Zutaten {
 public:
  explicit Zutaten(const TdbdynGrid& c_zutaten) {
    for (int32_t row = 0; row < c_zutaten.getrowcount(); ++row) {
      const std::string packed = c_zutaten.getcell(spaltewerte, row);
      Zutat zutat;
      zutat.name = TdbdynGrid::getsubfield(packed, feldname);
      zutat.verfuegbar = flaggesetzt(TdbdynGrid::getsubfield(packed, feldverfuegbar));
      const int32_t id = idnummer(c_zutaten.getcell(spalteid, row), zeilenersatz);
      const auto [eintrag, neu] = slots_.try_emplace(id, static_cast<int32_t>(zutaten_.size()));
      if (neu)
        zutaten_.push_back(std::move(zutat));
      else
        zutaten_[static_cast<std::size_t>(eintrag->second)] = std::move(zutat);
    }
  }

  // The slot of a link row's ingredient id; -1 when no ingredient row has it.
  int32_t slot(const std::string& linkid) const {
    const auto found = slots_.find(idnummer(linkid, linkersatz));
    return found == slots_.end() ? -1 : found->second;
  }

  bool verfuegbar(int32_t slot) const { return zutat(slot).verfuegbar; }
  bool keineverfuegbar() const {
    return std::none_of(zutaten_.begin(), zutaten_.end(), [](const Zutat& z) { return z.verfuegbar; });
  }
  const std::string& name(int32_t slot) const { return zutat(slot).name; }

  // The name's place in the result list's order, worked out once per ingredient.
  const std::string& sortkey(int32_t slot) {
    Zutat& z = zutaten_[static_cast<std::size_t>(slot)];
    if (!z.sortkeyda) {
      z.sortkey = platform::namesortkey(z.name);
      z.sortkeyda = true;
    }
    return z.sortkey;
  }

 private:
  struct Zutat {
    std::string name;
    bool verfuegbar = false;
    std::string sortkey;
    bool sortkeyda = false;
  };

  const Zutat& zutat(int32_t slot) const { return zutaten_[static_cast<std::size_t>(slot)]; }

  std::unordered_map<int32_t, int32_t> slots_;
  std::vector<Zutat> zutaten_;
};

// What the lines of one recipe id leave missing: the first two distinct
// missing ingredients, and how many there are, counted up to three.
struct Fehlend {
  bool unkaeuflich = false;  // a line whose ingredient has no row
  int32_t anzahl = 0;
  std::array<int32_t, 2> zutaten{-1, -1};

  void zeile(int32_t slot, const Zutaten& alle) {
    if (slot < 0) {
      unkaeuflich = true;
      return;
    }
    if (alle.verfuegbar(slot) || zutaten[0] == slot || zutaten[1] == slot) return;
    if (anzahl < 2) zutaten[static_cast<std::size_t>(anzahl)] = slot;
    anzahl = std::min(anzahl + 1, 3);
  }
};

// One pass over the link table: every recipe id that has lines, with what
// they leave missing.
std::unordered_map<int32_t, Fehlend> fehlendezutaten(const TdbdynGrid& c_rezeptezutaten, const Zutaten& zutaten) {
  std::unordered_map<int32_t, Fehlend> fehlend;
  for (int32_t row = 0; row < c_rezeptezutaten.getrowcount(); ++row)
    fehlend[idnummer(c_rezeptezutaten.getcell(spalteid, row), linkersatz)].zeile(
        zutaten.slot(c_rezeptezutaten.getcell(spaltezutatid, row)), zutaten);
  return fehlend;
}

struct Rezept {
  std::string name;
  std::string sortkey;  // filled for the tips that are shown
};

// The recipes that one ingredient or one pair completes, in table order.
struct Gruppe {
  std::vector<int32_t> zutaten;  // slots; a pair in name order once sorted
  std::vector<Rezept> rezepte;
};

// The tips of one kind, each ingredient or pair once.
class Gruppen {
 public:
  void dazu(std::vector<int32_t> zutaten, std::string rezeptname) {
    const uint64_t key = zutaten.size() == 1 ? static_cast<uint32_t>(zutaten[0])
                                             : static_cast<uint64_t>(std::min(zutaten[0], zutaten[1])) << 32 |
                                                   static_cast<uint32_t>(std::max(zutaten[0], zutaten[1]));
    const auto [found, neu] = index_.try_emplace(key, gruppen_.size());
    if (neu) gruppen_.push_back({std::move(zutaten), {}});
    gruppen_[found->second].rezepte.push_back({std::move(rezeptname), {}});
  }

  // The best count of them, the most recipes first, then by the names.
  std::vector<Gruppe> beste(std::size_t count, Zutaten& alle) {
    for (Gruppe& g : gruppen_)
      std::sort(g.zutaten.begin(), g.zutaten.end(),
                [&alle](int32_t a, int32_t b) { return std::tie(alle.sortkey(a), a) < std::tie(alle.sortkey(b), b); });
    const auto vor = [&alle](const Gruppe& a, const Gruppe& b) {
      if (a.rezepte.size() != b.rezepte.size()) return a.rezepte.size() > b.rezepte.size();
      for (std::size_t i = 0; i < a.zutaten.size(); ++i)
        if (a.zutaten[i] != b.zutaten[i])
          return std::tie(alle.sortkey(a.zutaten[i]), a.zutaten[i]) <
                 std::tie(alle.sortkey(b.zutaten[i]), b.zutaten[i]);
      return false;
    };
    count = std::min(count, gruppen_.size());
    std::partial_sort(gruppen_.begin(), gruppen_.begin() + static_cast<std::ptrdiff_t>(count), gruppen_.end(), vor);
    gruppen_.resize(count);
    return std::move(gruppen_);
  }

 private:
  std::unordered_map<uint64_t, std::size_t> index_;
  std::vector<Gruppe> gruppen_;
};

// A group as the caller sees it: names, the recipes in the result list's
// order; equal names keep their table order.
Einkaufstipp tipp(Gruppe& gruppe, const Zutaten& alle) {
  for (Rezept& r : gruppe.rezepte) r.sortkey = platform::namesortkey(r.name);
  std::stable_sort(gruppe.rezepte.begin(), gruppe.rezepte.end(),
                   [](const Rezept& a, const Rezept& b) { return a.sortkey < b.sortkey; });
  Einkaufstipp out;
  for (const int32_t slot : gruppe.zutaten) out.zutaten.push_back(alle.name(slot));
  for (Rezept& r : gruppe.rezepte) out.rezepte.push_back(std::move(r.name));
  return out;
}

}  // namespace

Einkaufstipps einkaufstipps(const TdbdynGrid& c_rezepte, const TdbdynGrid& c_rezeptezutaten,
                            const TdbdynGrid& c_zutaten) {
  Zutaten zutaten(c_zutaten);
  const std::unordered_map<int32_t, Fehlend> fehlend = fehlendezutaten(c_rezeptezutaten, zutaten);
  Einkaufstipps tipps;
  tipps.nichtsverfuegbar = zutaten.keineverfuegbar();
  Gruppen eine;
  Gruppen paare;
  for (int32_t row = 0; row < c_rezepte.getrowcount(); ++row) {
    const auto found = fehlend.find(idnummer(c_rezepte.getcell(spalteid, row), zeilenersatz));
    if (found == fehlend.end() || found->second.unkaeuflich) continue;
    const Fehlend& f = found->second;
    if (f.anzahl == 0) {
      ++tipps.mixbar;
    } else if (f.anzahl <= 2) {
      std::string name = TdbdynGrid::getsubfield(c_rezepte.getcell(spaltewerte, row), feldname);
      if (f.anzahl == 1)
        eine.dazu({f.zutaten[0]}, std::move(name));
      else
        paare.dazu({f.zutaten[0], f.zutaten[1]}, std::move(name));
    }
  }
  for (Gruppe& g : eine.beste(SIZE_MAX, zutaten)) tipps.eine.push_back(tipp(g, zutaten));
  for (Gruppe& g : paare.beste(maxpaare, zutaten)) tipps.paare.push_back(tipp(g, zutaten));
  return tipps;
}

Einkaufstipps einkaufstipps(const Catalogue& catalogue) {
  return einkaufstipps(catalogue.c_rezepte(), catalogue.c_rezeptezutaten(), catalogue.c_zutaten());
}

}  // namespace catalogue
