#include "catalogue/einkaufstipps.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "catalogue/idslots.h"
#include "catalogue/tables.h"
#include "platform/collation.h"

namespace catalogue {

namespace {

// The ingredients, one slot per id; a later row with an id replaces the
// earlier one, as in laderezept. The flags lie apart from the names, as every
// link row looks at one.
class Zutaten {
 public:
  explicit Zutaten(const TdbdynGrid& c_zutaten) : slots_(c_zutaten.getrowcount()) {
    for (int32_t row = 0; row < c_zutaten.getrowcount(); ++row) {
      const Zutatzeile zutat = lesezutat(c_zutaten, row);
      const auto [slot, neu] = slots_.eintragen(idnummer(zutat.id(), zeilenersatz));
      if (neu) {
        namen_.emplace_back();
        verfuegbar_.push_back(false);
      }
      namen_[static_cast<std::size_t>(slot)] = zutat.name();
      verfuegbar_[static_cast<std::size_t>(slot)] = zutat.verfuegbar();
    }
    sortkeys_.resize(namen_.size());
  }

  // The slot of a link row's ingredient id; -1 when no ingredient row has it.
  int32_t slot(std::string_view linkid) const { return slots_.finde(idnummer(linkid, linkersatz)); }

  bool verfuegbar(int32_t slot) const { return verfuegbar_[static_cast<std::size_t>(slot)]; }
  bool keineverfuegbar() const { return std::find(verfuegbar_.begin(), verfuegbar_.end(), true) == verfuegbar_.end(); }
  const std::string& name(int32_t slot) const { return namen_[static_cast<std::size_t>(slot)]; }

  // The name's place in the result list's order, worked out when first asked.
  const std::string& sortkey(int32_t slot) {
    std::optional<std::string>& key = sortkeys_[static_cast<std::size_t>(slot)];
    if (!key) key = platform::namesortkey(name(slot));
    return *key;
  }

 private:
  Idslots slots_;
  std::vector<std::string> namen_;
  std::vector<bool> verfuegbar_;
  std::vector<std::optional<std::string>> sortkeys_;
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

// One pass over the link table: what the lines of each recipe id leave
// missing. A recipe id that has no slot has no lines.
class Rezeptzeilen {
 public:
  Rezeptzeilen(const TdbdynGrid& c_rezeptezutaten, const Zutaten& zutaten) : slots_(c_rezeptezutaten.getrowcount()) {
    for (int32_t row = 0; row < c_rezeptezutaten.getrowcount(); ++row) {
      const Rezeptzutatzeile zeile = leserezeptzutat(c_rezeptezutaten, row);
      const auto [slot, neu] = slots_.eintragen(idnummer(zeile.rezeptid(), linkersatz));
      if (neu) fehlend_.emplace_back();
      fehlend_[static_cast<std::size_t>(slot)].zeile(zutaten.slot(zeile.zutatid()), zutaten);
    }
  }

  // What the recipe's lines leave missing; nothing when it has no lines.
  const Fehlend* fehlend(std::string_view rezeptid) const {
    const int32_t slot = slots_.finde(idnummer(rezeptid, zeilenersatz));
    return slot < 0 ? nullptr : &fehlend_[static_cast<std::size_t>(slot)];
  }

 private:
  Idslots slots_;
  std::vector<Fehlend> fehlend_;
};

// The recipes that one ingredient or one pair completes, as their rows in
// c_rezepte in table order.
struct Gruppe {
  std::vector<int32_t> zutaten;  // slots; a pair in name order once sorted
  std::vector<int32_t> rezepte;
};

// The tips of one kind, each ingredient or pair once.
class Gruppen {
 public:
  void dazu(std::vector<int32_t> zutaten, int32_t rezept) {
    const uint64_t key = zutaten.size() == 1 ? static_cast<uint32_t>(zutaten[0])
                                             : static_cast<uint64_t>(std::min(zutaten[0], zutaten[1])) << 32 |
                                                   static_cast<uint32_t>(std::max(zutaten[0], zutaten[1]));
    const auto [found, neu] = index_.try_emplace(key, gruppen_.size());
    if (neu) gruppen_.push_back({std::move(zutaten), {}});
    gruppen_[found->second].rezepte.push_back(rezept);
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

// A group as the caller sees it: the names, its recipes in the result list's
// order; equal names keep their table order.
Einkaufstipp tipp(const Gruppe& gruppe, const Zutaten& alle, const TdbdynGrid& c_rezepte) {
  Einkaufstipp out;
  for (const int32_t slot : gruppe.zutaten) out.zutaten.push_back(alle.name(slot));
  for (const int32_t row : gruppe.rezepte)
    out.rezepte.emplace_back(leserezept(c_rezepte, row).name());
  if (out.rezepte.size() > 1) {
    std::vector<std::pair<std::string, std::string>> sortiert;  // sort key, name
    for (std::string& name : out.rezepte) sortiert.emplace_back(platform::namesortkey(name), std::move(name));
    std::stable_sort(sortiert.begin(), sortiert.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < sortiert.size(); ++i) out.rezepte[i] = std::move(sortiert[i].second);
  }
  return out;
}

}  // namespace

Einkaufstipps einkaufstipps(const TdbdynGrid& c_rezepte, const TdbdynGrid& c_rezeptezutaten,
                            const TdbdynGrid& c_zutaten) {
  Zutaten zutaten(c_zutaten);
  const Rezeptzeilen rezeptzeilen(c_rezeptezutaten, zutaten);
  Einkaufstipps tipps;
  tipps.nichtsverfuegbar = zutaten.keineverfuegbar();
  Gruppen eine;
  Gruppen paare;
  for (int32_t row = 0; row < c_rezepte.getrowcount(); ++row) {
    const Fehlend* f = rezeptzeilen.fehlend(leserezeptid(c_rezepte, row));
    if (f == nullptr || f->unkaeuflich) continue;
    if (f->anzahl == 0) {
      ++tipps.mixbar;
    } else if (f->anzahl == 1) {
      eine.dazu({f->zutaten[0]}, row);
    } else if (f->anzahl == 2) {
      paare.dazu({f->zutaten[0], f->zutaten[1]}, row);
    }
  }
  // Only the recipes shown need their names.
  for (const Gruppe& g : eine.beste(SIZE_MAX, zutaten)) tipps.eine.push_back(tipp(g, zutaten, c_rezepte));
  for (const Gruppe& g : paare.beste(maxpaare, zutaten)) tipps.paare.push_back(tipp(g, zutaten, c_rezepte));
  return tipps;
}

Einkaufstipps einkaufstipps(const Catalogue& catalogue) {
  return einkaufstipps(catalogue.c_rezepte(), catalogue.c_rezeptezutaten(), catalogue.c_zutaten());
}

}  // namespace catalogue
