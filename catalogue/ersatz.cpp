#include "catalogue/ersatz.h"

#include <algorithm>

namespace catalogue {

namespace {

bool enthaelt(const std::vector<int32_t>& slots, int32_t slot) {
  return std::find(slots.begin(), slots.end(), slot) != slots.end();
}

}  // namespace

Ersatzliste leseersatz(Ersatztabelle c_ersatz) {
  Ersatzliste liste;
  for (int32_t row = 0; row < c_ersatz->getrowcount(); ++row) {
    const Ersatzpaar paar{idnummer(c_ersatz->cellview(ersatzspalte::zutatid, row), -1),
                          idnummer(c_ersatz->cellview(ersatzspalte::ersatzid, row), -1)};
    if (paar.zutat >= 0 && paar.ersatz >= 0 && pruefeersatz(liste, paar) == Ersatzpruefung::ok) liste.push_back(paar);
  }
  return liste;
}

std::vector<int32_t> ersatzfuer(const Ersatzliste& liste, int32_t zutat) {
  std::vector<int32_t> ids;
  for (const Ersatzpaar& paar : liste)
    if (paar.zutat == zutat) ids.push_back(paar.ersatz);
  return ids;
}

Ersatzpruefung pruefeersatz(const Ersatzliste& liste, const Ersatzpaar& paar) {
  if (paar.zutat == paar.ersatz) return Ersatzpruefung::selbst;
  if (std::find(liste.begin(), liste.end(), paar) != liste.end()) return Ersatzpruefung::schonda;
  return Ersatzpruefung::ok;
}

Ersatzliste zusammenfuehren(const Ersatzliste& liste, int32_t quelle, int32_t ziel) {
  Ersatzliste neu;
  for (Ersatzpaar paar : liste) {
    if (paar.zutat == quelle) paar.zutat = ziel;
    if (paar.ersatz == quelle) paar.ersatz = ziel;
    if (pruefeersatz(neu, paar) == Ersatzpruefung::ok) neu.push_back(paar);
  }
  return neu;
}

Outcome ersatzschreiben(Ersatzschreiber& c_ersatz, const Ersatzliste& soll) {
  Ersatzliste gehalten;
  for (int32_t row = 0; row < c_ersatz.getrowcount(); ++row) {
    const std::string_view zutat = c_ersatz.cellview(ersatzspalte::zutatid, row);
    const std::string_view ersatz = c_ersatz.cellview(ersatzspalte::ersatzid, row);
    if (zutat.empty() && ersatz.empty()) continue;  // deleted, or the placeholder
    const Ersatzpaar paar{idnummer(zutat, -1), idnummer(ersatz, -1)};
    const bool gewollt = std::find(soll.begin(), soll.end(), paar) != soll.end();
    if (gewollt && pruefeersatz(gehalten, paar) == Ersatzpruefung::ok)
      gehalten.push_back(paar);
    else if (!c_ersatz.delrow(row))
      return Outcome::failed();
  }
  for (const Ersatzpaar& paar : soll) {
    if (std::find(gehalten.begin(), gehalten.end(), paar) != gehalten.end()) continue;
    std::vector<std::string> row(ersatzspalte::anzahl);
    row[ersatzspalte::zutatid] = std::to_string(paar.zutat);
    row[ersatzspalte::ersatzid] = std::to_string(paar.ersatz);
    if (!c_ersatz.addrow(row)) return Outcome::failed();
    gehalten.push_back(paar);
  }
  return Outcome::ok();
}

Ersatzslots::Ersatzslots(const Ersatzliste& liste, const Idslots& zutatslots, std::size_t slots)
    : beginn_(slots + 1, 0) {
  std::vector<std::pair<int32_t, int32_t>> paare;  // slot, substitute's slot
  for (const Ersatzpaar& paar : liste) {
    const int32_t zutat = zutatslots.find(paar.zutat);
    const int32_t ersatz = zutatslots.find(paar.ersatz);
    if (zutat >= 0 && ersatz >= 0 && zutat != ersatz) paare.emplace_back(zutat, ersatz);
  }
  std::stable_sort(paare.begin(), paare.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [zutat, ersatz] : paare) {
    ++beginn_[static_cast<std::size_t>(zutat) + 1];
    ersatz_.push_back(ersatz);
  }
  for (std::size_t i = 1; i < beginn_.size(); ++i) beginn_[i] += beginn_[i - 1];
}

std::span<const int32_t> Ersatzslots::ersatz(int32_t slot) const {
  const auto s = static_cast<std::size_t>(slot);
  if (slot < 0 || s + 1 >= beginn_.size()) return {};
  return std::span<const int32_t>(ersatz_).subspan(static_cast<std::size_t>(beginn_[s]),
                                                   static_cast<std::size_t>(beginn_[s + 1] - beginn_[s]));
}

std::vector<bool> Ersatzslots::effektivverfuegbar(const std::vector<bool>& eigen) const {
  std::vector<bool> effektiv = eigen;
  for (std::size_t slot = 0; slot < eigen.size(); ++slot) {
    if (eigen[slot]) continue;
    for (const int32_t ersatz : this->ersatz(static_cast<int32_t>(slot)))
      if (eigen[static_cast<std::size_t>(ersatz)]) effektiv[slot] = true;
  }
  return effektiv;
}

std::vector<int32_t> Ersatzslots::ergaenzer(int32_t slot) const {
  std::vector<int32_t> slots{slot};
  for (const int32_t ersatz : this->ersatz(slot)) slots.push_back(ersatz);
  return slots;
}

bool Ersatzslots::ergaenzt(int32_t slot, const std::vector<char>& gekauft) const {
  if (gekauft[static_cast<std::size_t>(slot)] != 0) return true;
  const std::span<const int32_t> ersatz = this->ersatz(slot);
  return std::any_of(ersatz.begin(), ersatz.end(),
                     [&](int32_t e) { return gekauft[static_cast<std::size_t>(e)] != 0; });
}

std::vector<int32_t> Ersatzslots::einzelkaeufe(std::span<const int32_t> fehlend) const {
  if (fehlend.empty()) return {};
  std::vector<int32_t> kaeufe = ergaenzer(fehlend[0]);
  for (const int32_t zeile : fehlend.subspan(1)) {
    const std::vector<int32_t> passend = ergaenzer(zeile);
    std::erase_if(kaeufe, [&](int32_t kauf) { return !enthaelt(passend, kauf); });
  }
  std::sort(kaeufe.begin(), kaeufe.end());
  return kaeufe;
}

// Every pair that completes the lines holds a purchase for the first line:
// each such purchase, with each that alone completes the lines it leaves.
std::vector<std::array<int32_t, 2>> Ersatzslots::paarkaeufe(std::span<const int32_t> fehlend) const {
  std::vector<std::array<int32_t, 2>> paare;
  if (fehlend.empty()) return paare;
  const std::vector<int32_t> allein = einzelkaeufe(fehlend);
  for (const int32_t a : ergaenzer(fehlend[0])) {
    if (enthaelt(allein, a)) continue;
    std::vector<int32_t> rest;
    for (const int32_t zeile : fehlend)
      if (!enthaelt(ergaenzer(zeile), a)) rest.push_back(zeile);
    for (const int32_t b : einzelkaeufe(rest))
      if (b != a && !enthaelt(allein, b)) paare.push_back({std::min(a, b), std::max(a, b)});
  }
  std::sort(paare.begin(), paare.end());
  paare.erase(std::unique(paare.begin(), paare.end()), paare.end());
  return paare;
}

}  // namespace catalogue
