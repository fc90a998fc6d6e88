#include "catalogue/einkaufstipps.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <optional>
#include <span>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "catalogue/ersatz.h"
#include "catalogue/tables.h"
#include "platform/collation.h"

namespace catalogue {

namespace {

// The ingredients as the recipes' facts hold them, with their places in
// the result list's name order for the ties.
class Zutaten {
 public:
  explicit Zutaten(const Rezeptfakten& fakten) : fakten_(fakten), sortkeys_(fakten.zutatenzahl()) {}

  bool verfuegbar(int32_t slot) const { return fakten_.verfuegbar(slot); }
  std::size_t anzahl() const { return fakten_.zutatenzahl(); }
  const std::string& name(int32_t slot) const { return fakten_.zutat(slot).name; }

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
  const Rezeptfakten& fakten_;
  std::vector<std::optional<std::string>> sortkeys_;
};

// What the lines of one recipe leave missing: the first planschritte
// distinct missing ingredients, and how many there are, counted up to one more.
// Which purchases complete a missing line the substitutes say (Ersatzslots):
// its own ingredient, or one that can stand in for it.
struct Fehlend {
  static constexpr int32_t gemerkt = static_cast<int32_t>(planschritte);
  static_assert(Rezeptfakten::grenze == gemerkt + 1);

  int32_t anzahl = 0;
  std::array<int32_t, planschritte> zutaten = {-1, -1, -1, -1, -1};
  bool ohneersatz = true;  // no substitute stands in for any of them

  Fehlend(std::span<const int32_t> zeilen, const Zutaten& alle, int32_t fehlend, const Ersatzslots& ersatz)
      : anzahl(fehlend) {
    int32_t n = 0;
    for (const int32_t slot : zeilen) {
      if (slot < 0 || alle.verfuegbar(slot) || std::find(zutaten.begin(), zutaten.end(), slot) != zutaten.end())
        continue;
      if (n == gemerkt) break;
      zutaten[static_cast<std::size_t>(n++)] = slot;
      ohneersatz = ohneersatz && ersatz.ersatz(slot).empty();
    }
  }

  std::span<const int32_t> liste() const { return {zutaten.data(), static_cast<std::size_t>(anzahl)}; }
};

// The recipes that one ingredient or one pair completes, as their rows in
// c_rezepte in table order.
struct Gruppe {
  std::vector<int32_t> zutaten;  // slots; a tip's pair in name order
  std::vector<int32_t> rezepte;
};

// The recipes each single ingredient completes.
class Einzelgruppen {
 public:
  void dazu(int32_t slot, int32_t rezept) {
    const auto s = static_cast<std::size_t>(slot);
    if (s >= platz_.size()) platz_.resize(s + 1, keiner);
    if (platz_[s] == keiner) {
      platz_[s] = gruppen_.size();
      gruppen_.push_back({{slot}, {}});
    }
    gruppen_[platz_[s]].rezepte.push_back(rezept);
  }

  // All of them, the most recipes first, then by the names.
  std::vector<Gruppe> sortiert(Zutaten& alle) {
    std::sort(gruppen_.begin(), gruppen_.end(), [&alle](const Gruppe& a, const Gruppe& b) {
      if (a.rezepte.size() != b.rezepte.size()) return a.rezepte.size() > b.rezepte.size();
      return alle.namenvor(a.zutaten, b.zutaten);
    });
    platz_.clear();
    return std::move(gruppen_);
  }

 private:
  static constexpr std::size_t keiner = SIZE_MAX;  // no group yet
  std::vector<std::size_t> platz_;                 // slot -> its group in gruppen_
  std::vector<Gruppe> gruppen_;
};

// The recipes each pair of ingredients completes. Hundreds of thousands of
// recipes may each name a pair: they are gathered first and grouped at
// once by placing them by slot, which beats looking up a map of groups.
class Paargruppen {
 public:
  explicit Paargruppen(std::size_t slots) : slots_(slots) {}

  void dazu(int32_t a, int32_t b, int32_t rezept) { gesammelt_.push_back({std::min(a, b), std::max(a, b), rezept}); }

  // Groups what dazu gathered; before the questions below.
  void bilden() {
    // Placed by the larger slot, then by the smaller, each time keeping the
    // order of equal ones: by pair, and each pair's recipes in table order.
    nachslot([](const Eintrag& e) { return e.b; });
    nachslot([](const Eintrag& e) { return e.a; });
    for (std::size_t i = 0; i < gesammelt_.size(); ++i) {
      const Eintrag& e = gesammelt_[i];
      if (i == 0 || e.a != gesammelt_[i - 1].a || e.b != gesammelt_[i - 1].b) {
        paare_.push_back(schluessel(e.a, e.b));
        beginn_.push_back(static_cast<int32_t>(i));
      }
      rezepte_.push_back(e.rezept);
    }
    beginn_.push_back(static_cast<int32_t>(rezepte_.size()));
    gesammelt_ = {};
  }

  std::size_t anzahl() const { return paare_.size(); }
  // The i-th pair, the smaller slot first, and its recipes.
  std::array<int32_t, 2> zutaten(std::size_t i) const {
    return {static_cast<int32_t>(paare_[i] >> 32), static_cast<int32_t>(paare_[i] & UINT32_MAX)};
  }
  std::span<const int32_t> rezepte(std::size_t i) const {
    return std::span<const int32_t>(rezepte_).subspan(static_cast<std::size_t>(beginn_[i]),
                                                      static_cast<std::size_t>(beginn_[i + 1] - beginn_[i]));
  }
  // The recipes of the pair a, b; none when no recipe names it.
  std::span<const int32_t> finde(int32_t a, int32_t b) const {
    const uint64_t paar = schluessel(std::min(a, b), std::max(a, b));
    const auto found = std::lower_bound(paare_.begin(), paare_.end(), paar);
    if (found == paare_.end() || *found != paar) return {};
    return rezepte(static_cast<std::size_t>(found - paare_.begin()));
  }

 private:
  struct Eintrag {
    int32_t a, b;  // a < b
    int32_t rezept;
  };

  static uint64_t schluessel(int32_t a, int32_t b) { return static_cast<uint64_t>(a) << 32 | static_cast<uint32_t>(b); }

  // Places the gathered entries by the slot that slot gives, equal ones in their order.
  template <class Slot>
  void nachslot(Slot slot) {
    std::vector<std::size_t> start(slots_ + 1, 0);
    for (const Eintrag& e : gesammelt_) ++start[static_cast<std::size_t>(slot(e)) + 1];
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<Eintrag> placed(gesammelt_.size());
    for (const Eintrag& e : gesammelt_) placed[start[static_cast<std::size_t>(slot(e))]++] = e;
    gesammelt_.swap(placed);
  }

  std::size_t slots_;
  std::vector<Eintrag> gesammelt_;
  std::vector<uint64_t> paare_;  // ascending, the smaller slot in the high half
  std::vector<int32_t> beginn_;  // pair -> its first recipe in rezepte_; one more at the end
  std::vector<int32_t> rezepte_;
};

// Whether a substitute can complete one of the lines.
bool mitersatz(std::span<const int32_t> fehlend, const Ersatzslots& ersatz) {
  return std::any_of(fehlend.begin(), fehlend.end(), [&](int32_t slot) { return !ersatz.ersatz(slot).empty(); });
}

// Files the recipe in row under the purchases that complete it: eine for
// one bottle, paare for two where neither alone does, and doppelt for two
// that each complete it alone, so that a pair counts such a recipe once.
void einordnen(const Fehlend& f, const Ersatzslots& ersatz, int32_t row, Einzelgruppen& eine, Paargruppen& paare,
               Paargruppen& doppelt) {
  if (f.ohneersatz) {
    if (f.anzahl == 1) eine.dazu(f.zutaten[0], row);
    if (f.anzahl == 2) paare.dazu(f.zutaten[0], f.zutaten[1], row);
    return;
  }
  const std::span<const int32_t> fehlend = f.liste();
  const std::vector<int32_t> allein = ersatz.einzelkaeufe(fehlend);
  for (std::size_t i = 0; i < allein.size(); ++i) {
    eine.dazu(allein[i], row);
    for (std::size_t j = i + 1; j < allein.size(); ++j) doppelt.dazu(allein[i], allein[j], row);
  }
  for (const std::array<int32_t, 2>& paar : ersatz.paarkaeufe(fehlend)) paare.dazu(paar[0], paar[1], row);
}

// A pair that may be worth buying: its slots in name order and how many
// recipes buying both completes.
struct Paar {
  std::array<int32_t, 2> zutaten;
  std::size_t gesamt = 0;
  std::span<const int32_t> beide;  // the recipes missing exactly both
};

// The recipes of each single ingredient, by its slot.
using Einzelne = std::unordered_map<int32_t, std::span<const int32_t>>;

// The recipes a pair completes: those of each of the two alone and those
// missing exactly both, each once.
Gruppe paargruppe(const Paar& p, Einzelne& einzelne, const Paargruppen& doppelt) {
  Gruppe g{{p.zutaten[0], p.zutaten[1]}, {}};
  for (const std::span<const int32_t> teil : {einzelne[p.zutaten[0]], einzelne[p.zutaten[1]], p.beide})
    g.rezepte.insert(g.rezepte.end(), teil.begin(), teil.end());
  // A recipe that either of the two completes alone came with both.
  if (!doppelt.finde(p.zutaten[0], p.zutaten[1]).empty()) {
    std::sort(g.rezepte.begin(), g.rezepte.end());
    g.rezepte.erase(std::unique(g.rezepte.begin(), g.rezepte.end()), g.rezepte.end());
  }
  return g;
}

// The best maxpaare pairs by what buying both completes. Every pair that some
// recipe misses exactly is a candidate; of the pairs no recipe misses, only
// those of the first maxpaare + 1 singles can be among the best, since each
// of them would otherwise come after at least maxpaare pairs of better singles.
// A recipe that either of two completes (doppelt) counts once for the pair.
std::vector<Gruppe> bestepaare(const std::vector<Gruppe>& einzeln, const Paargruppen& paare, const Paargruppen& doppelt,
                               Zutaten& alle) {
  Einzelne einzelne;
  for (const Gruppe& g : einzeln) einzelne.emplace(g.zutaten[0], g.rezepte);
  const auto anzahl = [&einzelne](int32_t slot) {
    const auto found = einzelne.find(slot);
    return found == einzelne.end() ? std::size_t{0} : found->second.size();
  };
  const auto kandidat = [&](int32_t a, int32_t b, std::span<const int32_t> beide) {
    return Paar{alle.paar(a, b), anzahl(a) + anzahl(b) + beide.size() - doppelt.finde(a, b).size(), beide};
  };
  std::vector<Paar> kandidaten;
  for (std::size_t i = 0; i < paare.anzahl(); ++i) {
    const auto [a, b] = paare.zutaten(i);
    kandidaten.push_back(kandidat(a, b, paare.rezepte(i)));
  }
  for (std::size_t i = 0; i < doppelt.anzahl(); ++i) {
    const auto [a, b] = doppelt.zutaten(i);
    if (paare.finde(a, b).empty()) kandidaten.push_back(kandidat(a, b, {}));
  }
  const std::size_t oben = std::min(einzeln.size(), maxpaare + 1);
  for (std::size_t i = 0; i < oben; ++i)
    for (std::size_t j = i + 1; j < oben; ++j) {
      const int32_t a = einzeln[i].zutaten[0];
      const int32_t b = einzeln[j].zutaten[0];
      if (paare.finde(a, b).empty() && doppelt.finde(a, b).empty()) kandidaten.push_back(kandidat(a, b, {}));
    }
  const std::size_t count = std::min(maxpaare, kandidaten.size());
  std::partial_sort(kandidaten.begin(), kandidaten.begin() + static_cast<std::ptrdiff_t>(count), kandidaten.end(),
                    [&alle](const Paar& a, const Paar& b) {
                      return a.gesamt != b.gesamt ? a.gesamt > b.gesamt : alle.namenvor(a.zutaten, b.zutaten);
                    });
  std::vector<Gruppe> beste;
  for (std::size_t k = 0; k < count; ++k) beste.push_back(paargruppe(kandidaten[k], einzelne, doppelt));
  return beste;
}

// gewinne for a recipe whose missing lines have no substitutes, the most of
// them: only a purchase of its own ingredient completes a line. True when it
// leaves offen.
bool ohneersatzgewinn(const Fehlend& f, const std::vector<char>& gekauft, int32_t uebrig,
                      std::vector<int64_t>& gewinn) {
  int32_t rest = 0;
  int32_t letzte = -1;
  for (const int32_t slot : f.liste()) {
    if (gekauft[static_cast<std::size_t>(slot)] != 0) continue;
    ++rest;
    letzte = slot;
  }
  if (rest == 1) ++gewinn[static_cast<std::size_t>(letzte)];
  return rest == 0 || rest > uebrig;
}

// For each slot, how many open recipes it alone would complete. Recipes that
// are complete, or miss more than the purchases left can buy, leave offen;
// as one purchase may stand in for several lines, only lines without
// substitutes are counted so.
void gewinne(std::vector<Fehlend>& offen, const std::vector<char>& gekauft, int32_t uebrig, const Ersatzslots& ersatz,
             std::vector<int64_t>& gewinn) {
  std::fill(gewinn.begin(), gewinn.end(), 0);
  std::vector<int32_t> rest;
  std::erase_if(offen, [&](const Fehlend& f) {
    if (f.ohneersatz) return ohneersatzgewinn(f, gekauft, uebrig, gewinn);
    rest.clear();
    for (int32_t k = 0; k < f.anzahl; ++k) {
      const int32_t slot = f.zutaten[static_cast<std::size_t>(k)];
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
std::vector<Einkaufsschritt> einkaufsplan(std::vector<Fehlend> offen, Zutaten& alle, const Ersatzslots& ersatz) {
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

// A group as the caller sees it: the names, its first recipes in the
// result list's order and how many follow them. All its recipes go to
// zeilen, for the whole list when it is asked for.
Einkaufstipp tipp(Gruppe gruppe, const Zutaten& alle, Rezeptetabelle c_rezepte, const std::vector<int32_t>& rang,
                  std::vector<std::vector<int32_t>>& zeilen) {
  Einkaufstipp out;
  for (const int32_t slot : gruppe.zutaten) out.zutaten.push_back(alle.name(slot));
  std::vector<int32_t>& rows = gruppe.rezepte;
  const std::size_t gezeigt = std::min(rows.size(), gezeigterezepte);
  std::partial_sort(
      rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(gezeigt), rows.end(),
      [&rang](int32_t a, int32_t b) { return rang[static_cast<std::size_t>(a)] < rang[static_cast<std::size_t>(b)]; });
  for (std::size_t i = 0; i < gezeigt; ++i) out.rezepte.emplace_back(leserezept(c_rezepte, rows[i]).name());
  out.weitere = static_cast<int64_t>(rows.size() - gezeigt);
  zeilen.push_back(std::move(rows));
  return out;
}

}  // namespace

Einkaufstipps einkaufstipps(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
                            Ersatztabelle c_ersatz, Namensordnung& namensordnung, Rezeptfakten& fakten) {
  fakten.fuer(c_rezepte, c_rezeptezutaten, c_zutaten, c_ersatz);
  Zutaten zutaten(fakten);
  const Ersatzslots& ersatz = fakten.ersatz();
  Einkaufstipps tipps;
  tipps.nichtsverfuegbar = fakten.keineverfuegbar();
  Einzelgruppen eine;
  Paargruppen paare(zutaten.anzahl());
  Paargruppen doppelt(zutaten.anzahl());
  std::vector<Fehlend> offen;
  std::vector<int32_t> mixbare;
  for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row) {
    if (!fakten.hatzeilen(row)) continue;
    tipps.keinerezepte = false;
    const int32_t fehlend = fakten.fehlend(row);
    if (fakten.unkaeuflich(row)) continue;
    if (fehlend == 0) mixbare.push_back(row);
    if (fehlend == 0 || fehlend > Fehlend::gemerkt) continue;
    offen.emplace_back(fakten.zeilen(row), zutaten, fehlend, ersatz);
    einordnen(offen.back(), ersatz, row, eine, paare, doppelt);
  }
  paare.bilden();
  doppelt.bilden();
  const std::vector<Gruppe> einzeln = eine.sortiert(zutaten);
  // Only the recipes shown need their names.
  const std::vector<int32_t>& rang = namensordnung.raenge(c_rezepte);
  for (const Gruppe& g : einzeln) tipps.eine.push_back(tipp(g, zutaten, c_rezepte, rang, tipps.rezeptzeilen));
  for (Gruppe& g : bestepaare(einzeln, paare, doppelt, zutaten))
    tipps.paare.push_back(tipp(std::move(g), zutaten, c_rezepte, rang, tipps.rezeptzeilen));
  tipps.plan = einkaufsplan(std::move(offen), zutaten, ersatz);
  tipps.mixbar = static_cast<int64_t>(mixbare.size());
  tipps.rezeptzeilen.push_back(std::move(mixbare));
  return tipps;
}

Einkaufstipps einkaufstipps(const Catalogue& catalogue) {
  return einkaufstipps(catalogue.rezepte(), catalogue.rezeptezutaten(), catalogue.zutaten(), catalogue.ersatz(),
                       catalogue.namensordnung(), catalogue.rezeptfakten());
}

std::vector<int32_t> allerezepte(const Catalogue& catalogue, const Einkaufstipps& tipps, std::size_t tipp) {
  std::vector<int32_t> rows = tipps.rezeptzeilen[tipp];
  const std::vector<int32_t>& rang = catalogue.namensordnung().raenge(catalogue.rezepte());
  std::sort(rows.begin(), rows.end(), [&rang](int32_t a, int32_t b) {
    return rang[static_cast<std::size_t>(a)] < rang[static_cast<std::size_t>(b)];
  });
  return rows;
}

}  // namespace catalogue
