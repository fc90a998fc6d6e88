#include "catalogue/rezeptfragen.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

#include "catalogue/rezeptformat.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "platform/text.h"

namespace catalogue {

namespace {

constexpr std::size_t hoechstensaehnlich = 3;
constexpr std::size_t hoechstensabstand = 2;  // letters apart

std::string wort(std::string_view text) {
  std::string out("„"_cp);
  out += text;
  out += "“"_cp;
  return out;
}

// A letter in one case for all: a-z and the accented letters of
// Windows-1252 (0xE0-0xFE but the division sign) upper-cased.
char gefaltet(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0xE0 && byte != 0xF7 && byte != 0xFF) return static_cast<char>(byte - 0x20);
  return platform::upperchar(c);
}

std::string falten(std::string_view text) {
  std::string out(platform::trimview(text));
  std::transform(out.begin(), out.end(), out.begin(), gefaltet);
  return out;
}

// The edit distance of a and b, or more than grenze once it is sure to be.
std::size_t abstand(std::string_view a, std::string_view b, std::size_t grenze) {
  if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > grenze) return grenze + 1;
  std::vector<std::size_t> zeile(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) zeile[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = std::exchange(zeile[0], i);
    for (std::size_t j = 1; j <= b.size(); ++j)
      diagonal = std::exchange(zeile[j], std::min({zeile[j] + 1, zeile[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])}));
  }
  return zeile[b.size()];
}

// How near a known name is: 0 the same letters, 1 one containing the other,
// 2 and 3 one or two letters apart; nothing when it is not near at all.
std::optional<std::size_t> naehe(const std::string& name, const std::string& bekannt) {
  if (name == bekannt) return 0;
  if (bekannt.find(name) != std::string::npos || name.find(bekannt) != std::string::npos) return 1;
  if (const std::size_t d = abstand(name, bekannt, hoechstensabstand); d <= hoechstensabstand) return 1 + d;
  return std::nullopt;
}

std::string liste(const std::vector<std::string>& namen) {
  std::string text;
  for (const std::string& name : namen) {
    if (!text.empty()) text += ", ";
    text += wort(name);
  }
  return text;
}

}  // namespace

std::string nichtspeicherbar(const Rezeptentwurf& entwurf) {
  std::string gefunden;
  const auto pruefe = [&gefunden](std::string_view text, std::string_view zeichen) {
    for (const char c : text)
      if (zeichen.find(c) != std::string_view::npos && gefunden.find(c) == std::string::npos) gefunden += c;
  };
  const std::string_view trenner = "\xA1\xBF";
  pruefe(entwurf.name, trenner);
  for (const Zutatenzeile& zeile : entwurf.zeilen)
    for (const std::string* wert : {&zeile.menge, &zeile.einheit, &zeile.zutat}) pruefe(*wert, trenner);
  pruefe(entwurf.zubereitung, "\xA1\xBF\xB6");
  return gefunden;
}

bool namevergeben(const Catalogue& catalogue, std::string_view name, const std::string& id) {
  const std::string gesucht = platform::upper(platform::trimview(name));
  const Rezeptetabelle c_rezepte = catalogue.rezepte();
  for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row) {
    const Rezeptzeile rezept = leserezept(c_rezepte, row);
    if (idnummer(rezept.id(), zeilenersatz) != idnummer(id, linkersatz) &&
        platform::upper(platform::trimview(rezept.name())) == gesucht)
      return true;
  }
  return false;
}

std::vector<std::string> aehnlichenamen(std::string_view name, const std::vector<std::string>& bekannte) {
  const std::string gefaltet = falten(name);
  std::vector<std::tuple<std::size_t, std::size_t, std::string>> nahe;  // nearness, length, name
  for (const std::string& bekannt : bekannte) {
    const std::string anderer = falten(bekannt);
    if (gefaltet.empty() || anderer.empty()) continue;
    if (const std::optional<std::size_t> wie = naehe(gefaltet, anderer))
      nahe.emplace_back(*wie, bekannt.size(), bekannt);
  }
  std::sort(nahe.begin(), nahe.end());
  std::vector<std::string> out;
  for (std::size_t i = 0; i < std::min(nahe.size(), hoechstensaehnlich); ++i) out.push_back(std::get<2>(nahe[i]));
  return out;
}

std::vector<Neuezutat> neuezutaten(const Catalogue& catalogue, const std::vector<Zutatenzeile>& zeilen) {
  const IngredientLookup bekannt(catalogue.zutaten());
  std::vector<Neuezutat> neu;
  std::vector<std::string> gefragt;
  for (std::size_t i = 0; i < zeilen.size(); ++i) {
    const std::string name = storedvalue(zeilen[i].zutat);
    const std::string schluessel = namensschluessel(name);
    if (name.empty() || bekannt.find(schluessel) ||
        std::find(gefragt.begin(), gefragt.end(), schluessel) != gefragt.end())
      continue;
    gefragt.push_back(schluessel);
    neu.push_back({static_cast<int32_t>(i), name});
  }
  return neu;
}

Vorpruefung vorpruefen(const Catalogue& catalogue, const Rezeptentwurf& entwurf,
                       const std::vector<std::string>& zutatennamen) {
  using platform::Vorgabe;
  if (const std::string zeichen = nichtspeicherbar(entwurf); !zeichen.empty()) {
    std::vector<std::string> namen;
    for (const char c : zeichen) namen.emplace_back(1, c);
    if (!platform::askquestion("Diese Zeichen kann die Datenbank nicht speichern: " + liste(namen) +
                                   ". Sie werden als Leerzeichen gespeichert. Trotzdem speichern?",
                               Vorgabe::nein))
      return {false, -1};
  }
  // A recipe the save would refuse is refused before anything is asked.
  Rezeptentwurf bereinigt = entwurf;
  if (!bereinigen(bereinigt).orwarn()) return {false, -1};
  if (namevergeben(catalogue, bereinigt.name, entwurf.id) &&
      !platform::askquestion("Ein Rezept " + wort(bereinigt.name) + " gibt es schon. Trotzdem speichern?",
                             Vorgabe::nein))
    return {false, -1};
  for (const Neuezutat& neu : neuezutaten(catalogue, entwurf.zeilen)) {
    std::string frage = "Die Zutat " + wort(neu.name) + " gibt es noch nicht. Neu anlegen?";
    if (const std::vector<std::string> aehnlich = aehnlichenamen(neu.name, zutatennamen); !aehnlich.empty())
      frage += std::string("\n\nÄhnliche Zutaten: "_cp) + liste(aehnlich);
    if (!platform::askquestion(frage, Vorgabe::nein)) return {false, neu.zeile};
  }
  return {true, -1};
}

}  // namespace catalogue
