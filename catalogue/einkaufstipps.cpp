#include "catalogue/einkaufstipps.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "catalogue/ersatz.h"
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
  explicit Zutaten(Zutatentabelle c_zutaten) : slots_(c_zutaten->getrowcount()) {
    for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row) {
      const Zutatzeile zutat = lesezutat(c_zutaten, row);
      const auto [slot, neu] = slots_.insert(idnummer(zutat.id(), zeilenersatz));
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
  int32_t slot(std::string_view linkid) const { return slots_.find(idnummer(linkid, linkersatz)); }

  bool verfuegbar(int32_t slot) const { return verfuegbar_[static_cast<std::size_t>(slot)]; }
  const Idslots& slots() const { return slots_; }
  // From here on an ingredient counts as available when one of its substitutes is.
  void mitersatz(const Ersatzslots& ersatz) { verfuegbar_ = ersatz.effektivverfuegbar(verfuegbar_); }
  bool keineverfuegbar() const { return std::find(verfuegbar_.begin(), verfuegbar_.end(), true) == verfuegbar_.end(); }
  std::size_t anzahl() const { return namen_.size(); }
  const std::string& name(int32_t slot) const { return namen_[static_cast<std::size_t>(slot)]; }

  // The name's place in the result list's order, worked out when first asked.
  const std::string& sortkey(int32_t slot) {
    std::optional<std::string>& key = sortkeys_[static_cast<std::size_t>(slot)];
    if (!key) key = platform::namesortkey(name(slot));
    return *key;
  }

  // Whether one list of slots comes before another of the same length: by
  // the names in the result list's order, then by the slots.
  bool namenvor(std::span<const int32_t> a, std::span<const int32_t> b) {
    for (std::size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i]) return std::tie(sortkey(a[i]), a[i]) < std::tie(sortkey(b[i]), b[i]);
    return false;
  }

  // The two slots in that order.
  std::array<int32_t, 2> paar(int32_t a, int32_t b) {
    const int32_t first[] = {a};
    const int32_t second[] = {b};
    return namenvor(second, first) ? std::array<int32_t, 2>{b, a} : std::array<int32_t, 2>{a, b};
  }

 private:
  Idslots slots_;
  std::vector<std::string> namen_;
  std::vector<bool> verfuegbar_;
  std::vector<std::optional<std::string>> sortkeys_;
};

// What the lines of one recipe id leave missing: the first planschritte
// distinct missing ingredients, and how many there are, counted up to one more.
struct Fehlend {
  static constexpr int32_t gemerkt = static_cast<int32_t>(planschritte);

  bool unkaeuflich = false;  // a line whose ingredient has no row
  int32_t anzahl = 0;
  std::array<int32_t, planschritte> zutaten = {-1, -1, -1, -1, -1};

  void zeile(int32_t slot, const Zutaten& alle) {
    if (slot < 0) {
      unkaeuflich = true;
      return;
    }
    if (alle.verfuegbar(slot) || std::find(zutaten.begin(), zutaten.end(), slot) != zutaten.end()) return;
    if (anzahl < gemerkt) zutaten[static_cast<std::size_t>(anzahl)] = slot;
    anzahl = std::min(anzahl + 1, gemerkt + 1);
  }
};

// One pass over the link table: what the lines of each recipe id leave
// missing. A recipe id that has no slot has no lines.
class Rezeptzeilen {
 public:
  Rezeptzeilen(Rezeptezutatentabelle c_rezeptezutaten, const Zutaten& zutaten)
      : slots_(c_rezeptezutaten->getrowcount()) {
    for (int32_t row = 0; row < c_rezeptezutaten->getrowcount(); ++row) {
      const Rezeptzutatzeile zeile = leserezeptzutat(c_rezeptezutaten, row);
      const auto [slot, neu] = slots_.insert(idnummer(zeile.rezeptid(), linkersatz));
      if (neu) fehlend_.emplace_back();
      fehlend_[static_cast<std::size_t>(slot)].zeile(zutaten.slot(zeile.zutatid()), zutaten);
    }
  }

  // What the recipe's lines leave missing; nothing when it has no lines.
  const Fehlend* fehlend(std::string_view rezeptid) const {
    const int32_t slot = slots_.find(idnummer(rezeptid, zeilenersatz));
    return slot < 0 ? nullptr : &fehlend_[static_cast<std::size_t>(slot)];
  }

 private:
  Idslots slots_;
  std::vector<Fehlend> fehlend_;
};

// The recipes that one ingredient or one pair completes, as their rows in
// c_rezepte in table order.
struct Gruppe {
  std::vector<int32_t> zutaten;  // slots; a tip's pair in name order
  std::vector<int32_t> rezepte;
};

// The tips of one kind, each ingredient or pair once.
class Gruppen {
 public:
  // The recipe to the group of ingredient a (b = -1) or of the pair a, b.
  void dazu(int32_t a, int32_t b, int32_t rezept) {
    const auto [found, neu] = index_.try_emplace(schluessel(a, b), gruppen_.size());
    if (neu) gruppen_.push_back({b < 0 ? std::vector<int32_t>{a} : std::vector<int32_t>{a, b}, {}});
    gruppen_[found->second].rezepte.push_back(rezept);
  }

  const std::vector<Gruppe>& alle() const { return gruppen_; }

  // The group of one ingredient (b = -1) or of a pair; nullptr when none.
  const Gruppe* finde(int32_t a, int32_t b = -1) const {
    const auto found = index_.find(schluessel(a, b));
    return found == index_.end() ? nullptr : &gruppen_[found->second];
  }

  // All of them, the most recipes first, then by the names; the groups of
  // single ingredients only.
  std::vector<Gruppe> sortiert(Zutaten& alle) {
    std::sort(gruppen_.begin(), gruppen_.end(), [&alle](const Gruppe& a, const Gruppe& b) {
      if (a.rezepte.size() != b.rezepte.size()) return a.rezepte.size() > b.rezepte.size();
      return alle.namenvor(a.zutaten, b.zutaten);
    });
    index_.clear();
    return std::move(gruppen_);
  }

 private:
  static uint64_t schluessel(int32_t a, int32_t b) {
    return b < 0 ? static_cast<uint32_t>(a)
                 : static_cast<uint64_t>(std::min(a, b)) << 32 | static_cast<uint32_t>(std::max(a, b));
  }

  std::unordered_map<uint64_t, std::size_t> index_;
  std::vector<Gruppe> gruppen_;
};

// Whether a substitute can complete one of the lines.
bool mitersatz(std::span<const int32_t> fehlend, const Ersatzslots& ersatz) {
  return std::any_of(fehlend.begin(), fehlend.end(), [&](int32_t slot) { return !ersatz.ersatz(slot).empty(); });
}

// Files the recipe in row under the purchases that complete it: eine for
// one bottle, paare for two where neither alone does, and doppelt for two
// that each complete it alone, so that a pair counts such a recipe once.
void einordnen(const Fehlend& f, const Ersatzslots& ersatz, int32_t row, Gruppen& eine, Gruppen& paare,
               Gruppen& doppelt) {
  const std::span<const int32_t> fehlend(f.zutaten.data(), static_cast<std::size_t>(f.anzahl));
  if (!mitersatz(fehlend, ersatz)) {
    if (f.anzahl == 1) eine.dazu(f.zutaten[0], -1, row);
    if (f.anzahl == 2) paare.dazu(f.zutaten[0], f.zutaten[1], row);
    return;
  }
  const std::vector<int32_t> allein = ersatz.einzelkaeufe(fehlend);
  for (std::size_t i = 0; i < allein.size(); ++i) {
    eine.dazu(allein[i], -1, row);
    for (std::size_t j = i + 1; j < allein.size(); ++j) doppelt.dazu(allein[i], allein[j], row);
  }
  for (const std::array<int32_t, 2>& paar : ersatz.paarkaeufe(fehlend)) paare.dazu(paar[0], paar[1], row);
}

// A pair that may be worth buying: its slots in name order and how many
// recipes buying both completes.
struct Paar {
  std::array<int32_t, 2> zutaten;
  std::size_t gesamt = 0;
  const Gruppe* beide = nullptr;  // the recipes missing exactly both
};

// The recipes a pair completes: those of each of the two alone and those
// missing exactly both, each once.
Gruppe paargruppe(const Paar& p, std::unordered_map<int32_t, const Gruppe*>& einzelne) {
  Gruppe g{{p.zutaten[0], p.zutaten[1]}, {}};
  for (const Gruppe* teil : {einzelne[p.zutaten[0]], einzelne[p.zutaten[1]], p.beide})
    if (teil != nullptr) g.rezepte.insert(g.rezepte.end(), teil->rezepte.begin(), teil->rezepte.end());
  std::sort(g.rezepte.begin(), g.rezepte.end());  // table order, which equal names keep
  g.rezepte.erase(std::unique(g.rezepte.begin(), g.rezepte.end()), g.rezepte.end());
  return g;
}

// The best maxpaare pairs by what buying both completes. Every pair that some
// recipe misses exactly is a candidate; of the pairs no recipe misses, only
// those of the first maxpaare + 1 singles can be among the best, since each
// of them would otherwise come after at least maxpaare pairs of better singles.
// A recipe that either of two completes (doppelt) counts once for the pair.
std::vector<Gruppe> bestepaare(const std::vector<Gruppe>& einzeln, const Gruppen& paare, const Gruppen& doppelt,
                               Zutaten& alle) {
  std::unordered_map<int32_t, const Gruppe*> einzelne;
  for (const Gruppe& g : einzeln) einzelne.emplace(g.zutaten[0], &g);
  const auto anzahl = [&einzelne](int32_t slot) {
    const auto found = einzelne.find(slot);
    return found == einzelne.end() ? std::size_t{0} : found->second->rezepte.size();
  };
  const auto kandidat = [&](int32_t a, int32_t b, const Gruppe* beide) {
    const Gruppe* zweimal = doppelt.finde(a, b);
    return Paar{alle.paar(a, b),
                anzahl(a) + anzahl(b) + (beide ? beide->rezepte.size() : 0) - (zweimal ? zweimal->rezepte.size() : 0),
                beide};
  };
  std::vector<Paar> kandidaten;
  for (const Gruppe& g : paare.alle()) kandidaten.push_back(kandidat(g.zutaten[0], g.zutaten[1], &g));
  for (const Gruppe& g : doppelt.alle())
    if (paare.finde(g.zutaten[0], g.zutaten[1]) == nullptr)
      kandidaten.push_back(kandidat(g.zutaten[0], g.zutaten[1], nullptr));
  const std::size_t oben = std::min(einzeln.size(), maxpaare + 1);
  for (std::size_t i = 0; i < oben; ++i)
    for (std::size_t j = i + 1; j < oben; ++j)
      if (paare.finde(einzeln[i].zutaten[0], einzeln[j].zutaten[0]) == nullptr &&
          doppelt.finde(einzeln[i].zutaten[0], einzeln[j].zutaten[0]) == nullptr)
        kandidaten.push_back(kandidat(einzeln[i].zutaten[0], einzeln[j].zutaten[0], nullptr));
  const std::size_t count = std::min(maxpaare, kandidaten.size());
  std::partial_sort(kandidaten.begin(), kandidaten.begin() + static_cast<std::ptrdiff_t>(count), kandidaten.end(),
                    [&alle](const Paar& a, const Paar& b) {
                      return a.gesamt != b.gesamt ? a.gesamt > b.gesamt : alle.namenvor(a.zutaten, b.zutaten);
                    });
  std::vector<Gruppe> beste;
  for (std::size_t k = 0; k < count; ++k) beste.push_back(paargruppe(kandidaten[k], einzelne));
  return beste;
}

// For each slot, how many open recipes it alone would complete. Recipes that
// are complete, or miss more than the purchases left can buy, leave offen;
// as one purchase may stand in for several lines, only lines without
// substitutes are counted so.
void gewinne(std::vector<const Fehlend*>& offen, const std::vector<char>& gekauft, int32_t uebrig,
             const Ersatzslots& ersatz, std::vector<int64_t>& gewinn) {
  std::fill(gewinn.begin(), gewinn.end(), 0);
  std::vector<int32_t> rest;
  std::erase_if(offen, [&](const Fehlend* f) {
    rest.clear();
    for (int32_t k = 0; k < f->anzahl; ++k) {
      const int32_t slot = f->zutaten[static_cast<std::size_t>(k)];
      if (!ersatz.ergaenzt(slot, gekauft)) rest.push_back(slot);
    }
    const bool ohneersatz = !mitersatz(rest, ersatz);
    if (rest.size() == 1 && ohneersatz) ++gewinn[static_cast<std::size_t>(rest[0])];
    if (!ohneersatz)
      for (const int32_t kauf : ersatz.einzelkaeufe(rest)) ++gewinn[static_cast<std::size_t>(kauf)];
    return rest.empty() || (ohneersatz && static_cast<int32_t>(rest.size()) > uebrig);
  });
}

// The purchases that, one after the other, each complete the most recipes
// given those before; offen are the recipes missing one to planschritte.
std::vector<Einkaufsschritt> einkaufsplan(std::vector<const Fehlend*> offen, Zutaten& alle, const Ersatzslots& ersatz) {
  std::vector<char> gekauft(alle.anzahl(), 0);
  std::vector<int64_t> gewinn(alle.anzahl());
  std::vector<Einkaufsschritt> plan;
  int64_t zusammen = 0;
  while (plan.size() < planschritte) {
    gewinne(offen, gekauft, static_cast<int32_t>(planschritte - plan.size()), ersatz, gewinn);
    int32_t bester = -1;
    for (int32_t slot = 0; slot < static_cast<int32_t>(gewinn.size()); ++slot) {
      const int64_t g = gewinn[static_cast<std::size_t>(slot)];
      const int32_t kandidat[] = {slot};
      const int32_t bisher[] = {bester};
      if (g > 0 && (bester < 0 || g > gewinn[static_cast<std::size_t>(bester)] ||
                    (g == gewinn[static_cast<std::size_t>(bester)] && alle.namenvor(kandidat, bisher))))
        bester = slot;
    }
    if (bester < 0) break;
    gekauft[static_cast<std::size_t>(bester)] = 1;
    zusammen += gewinn[static_cast<std::size_t>(bester)];
    plan.push_back({alle.name(bester), gewinn[static_cast<std::size_t>(bester)], zusammen});
  }
  return plan;
}

// A group as the caller sees it: the names, its recipes in the result list's
// order; equal names keep their table order.
Einkaufstipp tipp(const Gruppe& gruppe, const Zutaten& alle, Rezeptetabelle c_rezepte) {
  Einkaufstipp out;
  for (const int32_t slot : gruppe.zutaten) out.zutaten.push_back(alle.name(slot));
  for (const int32_t row : gruppe.rezepte) out.rezepte.emplace_back(leserezept(c_rezepte, row).name());
  if (out.rezepte.size() > 1) {
    std::vector<std::pair<std::string, std::string>> sortiert;  // sort key, name
    for (std::string& name : out.rezepte) sortiert.emplace_back(platform::namesortkey(name), std::move(name));
    std::stable_sort(sortiert.begin(), sortiert.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < sortiert.size(); ++i) out.rezepte[i] = std::move(sortiert[i].second);
  }
  return out;
}

}  // namespace

Einkaufstipps einkaufstipps(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
                            const Ersatzliste& ersatzliste) {
  Zutaten zutaten(c_zutaten);
  Einkaufstipps tipps;
  tipps.nichtsverfuegbar = zutaten.keineverfuegbar();
  const Ersatzslots ersatz(ersatzliste, zutaten.slots(), zutaten.anzahl());
  if (!ersatz.leer()) zutaten.mitersatz(ersatz);
  const Rezeptzeilen rezeptzeilen(c_rezeptezutaten, zutaten);
  Gruppen eine;
  Gruppen paare;
  Gruppen doppelt;
  std::vector<const Fehlend*> offen;
  for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row) {
    const Fehlend* f = rezeptzeilen.fehlend(leserezeptid(c_rezepte, row));
    if (f != nullptr) tipps.keinerezepte = false;
    if (f == nullptr || f->unkaeuflich) continue;
    if (f->anzahl == 0) ++tipps.mixbar;
    if (f->anzahl > 0 && f->anzahl <= Fehlend::gemerkt) {
      einordnen(*f, ersatz, row, eine, paare, doppelt);
      offen.push_back(f);
    }
  }
  const std::vector<Gruppe> einzeln = eine.sortiert(zutaten);
  // Only the recipes shown need their names.
  for (const Gruppe& g : einzeln) tipps.eine.push_back(tipp(g, zutaten, c_rezepte));
  for (const Gruppe& g : bestepaare(einzeln, paare, doppelt, zutaten))
    tipps.paare.push_back(tipp(g, zutaten, c_rezepte));
  tipps.plan = einkaufsplan(std::move(offen), zutaten, ersatz);
  return tipps;
}

Einkaufstipps einkaufstipps(const Catalogue& catalogue) {
  return einkaufstipps(catalogue.rezepte(), catalogue.rezeptezutaten(), catalogue.zutaten(),
                       leseersatz(catalogue.ersatz()));
}

}  // namespace catalogue
