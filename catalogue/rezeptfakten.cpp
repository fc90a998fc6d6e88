#include "catalogue/rezeptfakten.h"

#include <algorithm>

#include "catalogue/search.h"
#include "platform/text.h"

namespace catalogue {

namespace {

// idnummer for the millions of ids a start-up reads: most are a few plain
// digits, read here without the general conversion.
int32_t id(std::string_view text, int32_t ersatz) {
  if (text.empty() || text.size() > 9) return idnummer(text, ersatz);
  int32_t value = 0;
  for (const char c : text) {
    const auto digit = static_cast<unsigned char>(c - '0');
    if (digit > 9) return idnummer(text, ersatz);
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace

void Rezeptfakten::fuer(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
                        Ersatztabelle c_ersatz) {
  zeilenfuer(c_rezepte, c_rezeptezutaten, c_zutaten);
  if (ersatzstand_ != c_ersatz->changestamp()) {
    ersatzliste_ = leseersatz(c_ersatz);
    ersatzstand_ = c_ersatz->changestamp();
    verfuegbarkeitoffen_ = true;
  }
  if (verfuegbarkeitoffen_) verfuegbarkeit();
  if (verfuegbarkeitoffen_ || rechnenoffen_) rechnen();
  verfuegbarkeitoffen_ = rechnenoffen_ = false;
}

void Rezeptfakten::zeilenfuer(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten,
                              Zutatentabelle c_zutaten) {
  if (zutatenstand_ != c_zutaten->changestamp()) {
    if (!ladezutaten(c_zutaten)) linkstand_ = nie;
    zutatenstand_ = c_zutaten->changestamp();
    verfuegbarkeitoffen_ = true;
  }
  if (rezeptestand_ != c_rezepte->changestamp() || linkstand_ != c_rezeptezutaten->changestamp()) {
    ladezeilen(c_rezepte, c_rezeptezutaten);
    rezeptestand_ = c_rezepte->changestamp();
    linkstand_ = c_rezeptezutaten->changestamp();
    rechnenoffen_ = true;
  }
}

bool Rezeptfakten::keineverfuegbar() const {
  return std::find(verfuegbar_.begin(), verfuegbar_.end(), 1) == verfuegbar_.end();
}

std::span<const int32_t> Rezeptfakten::zeilen(int32_t row) const {
  const int32_t g = gruppe_[static_cast<std::size_t>(row)];
  if (g < 0) return {};
  const auto i = static_cast<std::size_t>(g);
  return std::span<const int32_t>(zeilen_).subspan(static_cast<std::size_t>(beginn_[i]),
                                                   static_cast<std::size_t>(beginn_[i + 1] - beginn_[i]));
}

int32_t Rezeptfakten::fehlend(int32_t row) const {
  const int32_t g = gruppe_[static_cast<std::size_t>(row)];
  return g < 0 ? 0 : fehlend_[static_cast<std::size_t>(g)];
}

// Slots go to the ids in the order they first appear, so the same ids in
// the same order give every id its old slot.
bool Rezeptfakten::ladezutaten(Zutatentabelle c_zutaten) {
  Idslots slots(c_zutaten->getrowcount());
  std::vector<int32_t> ids;
  zutaten_.clear();
  for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row) {
    const Zutatzeile zeile = lesezutat(c_zutaten, row);
    Zutat zutat{std::string(zeile.name()), platform::lower(zeile.name()), zeile.verfuegbar(), zeile.alkoholisch()};
    const int32_t id = idnummer(zeile.id(), zeilenersatz);
    const auto [slot, neu] = slots.insert(id);
    if (neu) {
      ids.push_back(id);
      zutaten_.push_back(std::move(zutat));
    } else {
      zutaten_[static_cast<std::size_t>(slot)] = std::move(zutat);
    }
  }
  zutatslots_ = std::move(slots);
  const bool gleich = ids == slotids_;
  slotids_ = std::move(ids);
  return gleich;
}

void Rezeptfakten::verfuegbarkeit() {
  ersatz_ = Ersatzslots(ersatzliste_, zutatslots_, zutaten_.size());
  std::vector<bool> eigen(zutaten_.size());
  for (std::size_t slot = 0; slot < zutaten_.size(); ++slot) eigen[slot] = zutaten_[slot].verfuegbar;
  const std::vector<bool> effektiv = ersatz_.effektivverfuegbar(eigen);
  verfuegbar_.assign(effektiv.begin(), effektiv.end());
}

// Groups the link rows by recipe id, keeping their table order in each
// group: counted first, then placed.
void Rezeptfakten::ladezeilen(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten) {
  const int32_t n = c_rezeptezutaten->getrowcount();
  Idslots gruppen(c_rezepte->getrowcount());  // recipe ids lie below about twice the recipes
  std::vector<int32_t> gruppe(static_cast<std::size_t>(n));
  std::vector<int32_t> slots(static_cast<std::size_t>(n));
  std::vector<int32_t> anzahl;
  for (int32_t row = 0; row < n; ++row) {
    const auto i = static_cast<std::size_t>(row);
    const Rezeptzutatzeile zeile = leserezeptzutat(c_rezeptezutaten, row);
    const auto [found, neu] = gruppen.insert(id(zeile.rezeptid(), linkersatz));
    if (neu) anzahl.push_back(0);
    gruppe[i] = found;
    ++anzahl[static_cast<std::size_t>(found)];
    slots[i] = zutatslots_.find(id(zeile.zutatid(), linkersatz));
  }
  beginn_.assign(anzahl.size() + 1, 0);
  for (std::size_t g = 0; g < anzahl.size(); ++g) beginn_[g + 1] = beginn_[g] + anzahl[g];
  std::vector<int32_t>& next = anzahl;
  std::copy(beginn_.begin(), beginn_.end() - 1, next.begin());
  zeilen_.assign(slots.size(), 0);
  for (std::size_t i = 0; i < slots.size(); ++i)
    zeilen_[static_cast<std::size_t>(next[static_cast<std::size_t>(gruppe[i])]++)] = slots[i];
  gruppe_.resize(static_cast<std::size_t>(c_rezepte->getrowcount()));
  merkmale_.resize(gruppe_.size());
  for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row) {
    const Rezeptzeile rezept = leserezept(c_rezepte, row);
    gruppe_[static_cast<std::size_t>(row)] = gruppen.find(id(rezept.id(), zeilenersatz));
    merkmale_[static_cast<std::size_t>(row)] = catalogue::geloescht(c_rezepte, row, rezept) ? geloeschtbit : 0;
  }
}

int32_t Rezeptfakten::fehlendin(std::span<const int32_t> zeilen) const {
  int32_t gezaehlt = 0;
  for (std::size_t i = 0; i < zeilen.size() && gezaehlt < grenze; ++i) {
    const int32_t slot = zeilen[i];
    if (slot < 0 || verfuegbar(slot)) continue;
    // A recipe that lists one ingredient twice misses it once.
    if (std::find(zeilen.begin(), zeilen.begin() + static_cast<std::ptrdiff_t>(i), slot) ==
        zeilen.begin() + static_cast<std::ptrdiff_t>(i))
      ++gezaehlt;
  }
  return gezaehlt;
}

void Rezeptfakten::rechnen() {
  fehlend_.resize(beginn_.size() - 1);
  std::vector<uint8_t> gruppenbits(fehlend_.size(), 0);
  for (std::size_t g = 0; g + 1 < beginn_.size(); ++g) {
    const auto zeilen = std::span<const int32_t>(zeilen_).subspan(
        static_cast<std::size_t>(beginn_[g]), static_cast<std::size_t>(beginn_[g + 1] - beginn_[g]));
    uint8_t bits = 0;
    for (const int32_t slot : zeilen) {
      if (slot < 0) bits |= unkaeuflichbit;
      if (!verfuegbar(slot)) bits |= fehltbit;
      if (slot >= 0 && zutaten_[static_cast<std::size_t>(slot)].alkoholisch) bits |= alkbit;
    }
    gruppenbits[g] = bits;
    fehlend_[g] = static_cast<uint8_t>((bits & fehltbit) != 0 ? fehlendin(zeilen) : 0);
  }
  for (std::size_t row = 0; row < gruppe_.size(); ++row) {
    const uint8_t bits = gruppe_[row] < 0 ? 0 : gruppenbits[static_cast<std::size_t>(gruppe_[row])];
    merkmale_[row] = static_cast<uint8_t>((merkmale_[row] & geloeschtbit) | bits);
  }
}

}  // namespace catalogue
