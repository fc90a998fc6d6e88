#include "catalogue/ersatzdatei.h"

#include <unordered_map>

#include "catalogue/ersatz.h"
#include "catalogue/import.h"
#include "catalogue/rezeptformat.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "platform/text.h"

namespace catalogue {

namespace {

// The relation a line names; nothing when it names no two known ingredients.
std::optional<Ersatzpaar> relation(std::string_view text, const IngredientLookup& zutaten) {
  const std::size_t pfeil = text.find(ersatzpfeil);
  if (pfeil == std::string_view::npos) return std::nullopt;
  const std::optional<int32_t> ersatz = zutaten.find(namensschluessel(text.substr(0, pfeil)));
  const std::optional<int32_t> zutat =
      zutaten.find(namensschluessel(text.substr(pfeil + std::string_view(ersatzpfeil).size())));
  if (!ersatz || !zutat) return std::nullopt;
  return Ersatzpaar{*zutat, *ersatz};
}

}  // namespace

std::string ersatztext(const Catalogue& catalogue) {
  std::unordered_map<int32_t, std::string_view> namen;  // a later row of an id counts
  const Zutatentabelle c_zutaten = catalogue.zutaten();
  for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row)
    namen[idnummer(lesezutat(c_zutaten, row).id(), zeilenersatz)] = lesezutat(c_zutaten, row).name();
  std::string text;
  for (const Ersatzpaar& paar : leseersatz(catalogue.ersatz())) {
    const auto zutat = namen.find(paar.zutat);
    const auto ersatz = namen.find(paar.ersatz);
    if (zutat == namen.end() || ersatz == namen.end() || zutat->second.empty() || ersatz->second.empty()) continue;
    (((((text += ersatz->second) += ' ') += ersatzpfeil) += ' ') += zutat->second) += "\r\n";
  }
  return text;
}

std::string ersatzdateizu(const std::string& rezeptdatei) {
  const std::size_t name = rezeptdatei.rfind('/') + 1;  // 0 when there is no folder
  const std::size_t punkt = rezeptdatei.rfind('.');
  const bool endung = punkt != std::string::npos && punkt > name;
  return rezeptdatei.substr(0, endung ? punkt : rezeptdatei.size()) + ".ersatz.txt";
}

Outcome ersatzeinlesen(Catalogue& catalogue, const std::string& path, Ersatzeinlesung& ergebnis) {
  std::string bytes;
  if (!platform::readwhole(path, bytes)) return Outcome::ioerror();
  const IngredientLookup zutaten(catalogue.zutaten());
  Ersatzliste liste = leseersatz(catalogue.ersatz());
  const std::size_t vorher = liste.size();
  ImportLines lines(bytes);
  for (std::string line; lines.next(line);) {
    const std::string_view text = platform::trimview(line);
    if (text.empty() || text.starts_with('#')) continue;
    const std::optional<Ersatzpaar> paar = relation(text, zutaten);
    if (!paar) {
      ++ergebnis.uebersprungen;
      continue;
    }
    if (pruefeersatz(liste, *paar) == Ersatzpruefung::ok) liste.push_back(*paar);
  }
  ergebnis.neu = static_cast<int>(liste.size() - vorher);
  if (ergebnis.neu == 0) return Outcome::ok();
  if (Outcome written = ersatzschreiben(catalogue.c_ersatz(), liste); !written) {
    catalogue.discard();
    return written;
  }
  return catalogue.flush();
}

void ersatzladen(Catalogue& catalogue, const std::string& path) {
  Ersatzeinlesung ergebnis;
  if (const Outcome read = ersatzeinlesen(catalogue, path, ergebnis); !read) {
    if (!read.failure.empty()) platform::showwarning("Fehler beim Lesen von " + path + "!\n\r" + read.failure);
    return;
  }
  if (ergebnis.uebersprungen > 0)
    platform::showinformation("Ersatzliste " + path + ": " + std::to_string(ergebnis.uebersprungen) +
                              std::string(" Zeile(n) übersprungen, weil sie Zutaten nennen, die es nicht gibt."_cp));
}

}  // namespace catalogue
