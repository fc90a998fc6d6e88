#include "catalogue/einkaufstipps.h"

#include <algorithm>
#include <array>
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

  Fehlend(std::span<const int32_t> zeilen, const Zutaten& alle, int32_t fehlend) : anzahl(fehlend) {
    int32_t n = 0;
    for (const int32_t slot : zeilen) {
      if (slot < 0 || alle.verfuegbar(slot) || std::find(zutaten.begin(), zutaten.end(), slot) != zutaten.end())
        continue;
      if (n < gemerkt) zutaten[static_cast<std::size_t>(n++)] = slot;
    }
  }
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
Gruppe paargruppe(const Paar& p, std::unordered_map<int32_t, const Gruppe*>& einzelne, const Gruppen& doppelt) {
  Gruppe g{{p.zutaten[0], p.zutaten[1]}, {}};
  for (const Gruppe* teil : {einzelne[p.zutaten[0]], einzelne[p.zutaten[1]], p.beide})
    if (teil != nullptr) g.rezepte.insert(g.rezepte.end(), teil->rezepte.begin(), teil->rezepte.end());
  // A recipe that either of the two completes alone came with both.
  if (doppelt.finde(p.zutaten[0], p.zutaten[1]) != nullptr) {
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
  for (std::size_t k = 0; k < count; ++k) beste.push_back(paargruppe(kandidaten[k], einzelne, doppelt));
  return beste;
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
  Gruppen eine;
  Gruppen paare;
  Gruppen doppelt;
  std::vector<Fehlend> offen;
  std::vector<int32_t> mixbare;
  for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row) {
    if (!fakten.hatzeilen(row)) continue;
    tipps.keinerezepte = false;
    const int32_t fehlend = fakten.fehlend(row);
    if (fakten.unkaeuflich(row)) continue;
    if (fehlend == 0) mixbare.push_back(row);
    if (fehlend == 0 || fehlend > Fehlend::gemerkt) continue;
    offen.emplace_back(fakten.zeilen(row), zutaten, fehlend);
    einordnen(offen.back(), ersatz, row, eine, paare, doppelt);
  }
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
