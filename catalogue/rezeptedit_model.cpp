#include "catalogue/rezeptedit_model.h"

#include <algorithm>
#include <unordered_set>

#include "catalogue/anzeigetexte.h"
#include "catalogue/recipeview.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "platform/text.h"

namespace catalogue {

namespace {

// The link rows of the recipe, in the order of its lines.
std::vector<int32_t> findzeilen(Rezeptezutatentabelle c_rezeptezutaten, int32_t id) {
  std::vector<int32_t> rows;
  for (int32_t row = 0; row < c_rezeptezutaten->getrowcount(); ++row)
    if (idnummer(c_rezeptezutaten->cellview(rezeptzutatspalte::rezeptid, row), linkersatz) == id) rows.push_back(row);
  insatzfolge(c_rezeptezutaten.tabelle, rows);
  return rows;
}

// The row of c_zubereitungen of the recipe, or -1.
int32_t findzubereitung(Zubereitungentabelle c_zubereitungen, int32_t id) {
  for (int32_t row = 0; row < c_zubereitungen->getrowcount(); ++row)
    if (idnummer(c_zubereitungen->cellview(zubereitungspalte::rezeptid, row), linkersatz) == id) return row;
  return -1;
}

std::string wort(const std::string& text) { return std::string("„"_cp) + text + std::string("“"_cp); }

// The refusal of one value of an ingredient line; nothing when the import
// reads it back as it is.
// A subfield reads back at most this many bytes: a longer name would be
// stored whole but shown and exported cut.
constexpr std::size_t laengstername = 255;

std::optional<std::string> zeilenfehler(const Zutatenzeile& zeile) {
  const std::pair<const char*, const std::string*> werte[] = {
      {"Die Menge ", &zeile.menge}, {"Die Einheit ", &zeile.einheit}, {"Die Zutat ", &zeile.zutat}};
  if (zeile.zutat.empty()) return "Bitte geben Sie eine Zutat an.";
  for (const auto& [feld, wert] : werte) {
    if (wert->size() > laengstername) return feld + std::string("darf höchstens 255 Zeichen lang sein."_cp);
    if (endetzutaten(*wert))
      return feld + wort(*wert) + std::string(" darf das Wort „Zubereitung“ nicht enthalten."_cp);
    // The import takes the line apart at its first two blanks.
    if (wert != &zeile.zutat && wert->find(' ') != std::string::npos)
      return feld + wort(*wert) + " darf kein Leerzeichen enthalten.";
  }
  return std::nullopt;
}

}  // namespace

Outcome bereinigen(Rezeptentwurf& entwurf) {
  entwurf.name = storedvalue(entwurf.name);
  if (entwurf.name.empty()) return Outcome::failed("Name: Bitte geben Sie dem Rezept einen Namen.");
  if (entwurf.name.size() > laengstername)
    return Outcome::failed(std::string("Name: Der Name darf höchstens 255 Zeichen lang sein."_cp));
  // A name line that reads as the start of the ingredient list is one that
  // an import of a hand-edited file misreads.
  if (istzutatenmarke(entwurf.name))
    return Outcome::failed("Name: " + wort(entwurf.name) +
                           std::string(" ist als Name eines Rezeptes nicht möglich."_cp));
  std::vector<Zutatenzeile> zeilen;
  for (std::size_t i = 0; i < entwurf.zeilen.size(); ++i) {
    const Zutatenzeile& roh = entwurf.zeilen[i];
    Zutatenzeile zeile{storedvalue(roh.menge), storedvalue(roh.einheit), storedvalue(roh.zutat)};
    if (zeile.menge.empty() && zeile.einheit.empty() && zeile.zutat.empty()) continue;
    if (zeile.menge.empty()) zeile.menge = keinemenge;
    if (zeile.einheit.empty()) zeile.einheit = keineeinheit;
    if (const std::optional<std::string> fehler = zeilenfehler(zeile))
      return Outcome::failed("Zutatenzeile " + std::to_string(i + 1) + ": " + *fehler);
    zeilen.push_back(std::move(zeile));
  }
  entwurf.zeilen = std::move(zeilen);
  entwurf.zubereitung = storedvalue(umbruechespeichern(entwurf.zubereitung));
  return Outcome::ok();
}

RezepteditModel::RezepteditModel(Catalogue& catalogue) : catalogue_(catalogue) {}

// A new recipe starts with one empty line to fill in.
void RezepteditModel::neu() { entwurf_ = geoeffnet_ = {{}, {}, {Zutatenzeile{}}, {}}; }

namespace {

// The ingredient id of each line: the first known ingredient of its name, as
// the import finds it, or a new one, not available and not alcoholic.
Outcome zutatenids(Zutatenschreiber& c_zutaten, const std::vector<Zutatenzeile>& zeilen,
                   std::vector<std::string>& ids) {
  IngredientLookup bekannt{c_zutaten};
  for (const Zutatenzeile& zeile : zeilen) {
    int64_t id = 0;
    if (const std::optional<int32_t> known = bekannt.find(namensschluessel(zeile.zutat))) {
      id = *known;
    } else {
      std::vector<std::string> row(zutatspalte::anzahl);
      row[zutatspalte::id] = std::to_string(id = bekannt.nextid());
      row[zutatspalte::werte] = zutatwerte(zeile.zutat, "0", "0");
      if (!c_zutaten.addrow(row)) return Outcome::failed();
      bekannt.added(c_zutaten, c_zutaten.getrowcount() - 1);
    }
    ids.push_back(std::to_string(id));
  }
  return Outcome::ok();
}

// The recipe's row: a new one with the next id, as the import gives it, and
// no rating; or the stored one with its new name, its id and rating kept.
Outcome schreiberezept(Rezepteschreiber& c_rezepte, Rezeptentwurf& rezept) {
  std::vector<std::string> values(rezeptspalte::anzahl);
  if (rezept.id.empty()) {
    values[rezeptspalte::id] = std::to_string(largestid(c_rezepte) + 1);
    values[rezeptspalte::werte] = rezeptwerte(rezept.name, "0");
    if (!c_rezepte.addrow(values)) return Outcome::failed();
    rezept.id = values[rezeptspalte::id];
    return Outcome::ok();
  }
  const int32_t row = findrezept(c_rezepte, idnummer(rezept.id, 0));
  if (row < 0 || !c_rezepte.getrow(row, values) || values.size() < rezeptspalte::anzahl)
    return Outcome::failed("Das Rezept ist nicht mehr in der Datenbank.");
  std::string& werte = values[rezeptspalte::werte];
  if (TdbdynGrid::getsubfieldview(werte, rezeptfeld::name) == rezept.name) return Outcome::ok();
  if (!TdbdynGrid::setsubfield(werte, rezeptfeld::name, rezept.name) || !c_rezepte.updaterow(row, values))
    return Outcome::failed();
  return Outcome::ok();
}

// The lines over the recipe's link rows: the rows that hold the first lines
// already stay untouched; the rest are deleted and the further lines added
// in their order, so that their record numbers keep the order of the lines.
Outcome schreibezeilen(Rezeptezutatenschreiber& c_rezeptezutaten, int32_t id, const std::vector<Zutatenzeile>& zeilen,
                       const std::vector<std::string>& zutatids) {
  const auto werte = [&](std::size_t i) {
    std::vector<std::string> values(rezeptzutatspalte::anzahl);
    values[rezeptzutatspalte::rezeptid] = std::to_string(id);
    values[rezeptzutatspalte::zutatid] = zutatids[i];
    values[rezeptzutatspalte::werte] = rezeptzutatwerte(zeilen[i].menge, zeilen[i].einheit);
    return values;
  };
  const std::vector<int32_t> alt = findzeilen(c_rezeptezutaten, id);
  std::size_t gleich = 0;
  for (std::vector<std::string> stored; gleich < std::min(alt.size(), zeilen.size()); ++gleich)
    if (!c_rezeptezutaten.getrow(alt[gleich], stored) || stored != werte(gleich)) break;
  for (std::size_t i = gleich; i < alt.size(); ++i)
    if (!c_rezeptezutaten.delrow(alt[i])) return Outcome::failed();
  for (std::size_t i = gleich; i < zeilen.size(); ++i) {
    std::vector<std::string> values = werte(i);
    if (!c_rezeptezutaten.addrow(values)) return Outcome::failed();
  }
  return Outcome::ok();
}

// The preparation's row: changed, added, or deleted when the text is empty.
Outcome schreibezubereitung(Zubereitungenschreiber& c_zubereitungen, int32_t id, const std::string& text) {
  const int32_t row = findzubereitung(c_zubereitungen, id);
  if (text.empty()) return row < 0 || c_zubereitungen.delrow(row) ? Outcome::ok() : Outcome::failed();
  std::vector<std::string> values(zubereitungspalte::anzahl);
  values[zubereitungspalte::rezeptid] = std::to_string(id);
  values[zubereitungspalte::text] = text;
  if (row >= 0 && c_zubereitungen.cellview(zubereitungspalte::text, row) == text) return Outcome::ok();
  return (row < 0 ? c_zubereitungen.addrow(values) : c_zubereitungen.updaterow(row, values)) ? Outcome::ok()
                                                                                             : Outcome::failed();
}

// The rows of the recipe as one command on the disk.
Outcome schreiben(Catalogue& catalogue, Rezeptentwurf& rezept) {
  std::vector<std::string> zutatids;
  Outcome written = zutatenids(catalogue.c_zutaten(), rezept.zeilen, zutatids);
  if (written) written = schreiberezept(catalogue.c_rezepte(), rezept);
  const int32_t id = idnummer(rezept.id, 0);
  if (written) written = schreibezeilen(catalogue.c_rezeptezutaten(), id, rezept.zeilen, zutatids);
  if (written) written = schreibezubereitung(catalogue.c_zubereitungen(), id, rezept.zubereitung);
  if (written) return catalogue.flush();
  catalogue.discard();  // the rows written before the failure
  return written;
}

}  // namespace

Outcome RezepteditModel::speichern() {
  Rezeptentwurf rezept = entwurf_;
  Outcome outcome = bereinigen(rezept);
  if (outcome) outcome = schreiben(catalogue_, rezept);
  if (!outcome.orwarn()) return outcome;
  for (Zutatenzeile& zeile : rezept.zeilen)
    zeile = {ohneplatzhalter(zeile.menge), ohneplatzhalter(zeile.einheit), zeile.zutat};
  rezept.zubereitung = umbruechezeigen(rezept.zubereitung);
  entwurf_ = geoeffnet_ = std::move(rezept);
  return outcome;
}

bool RezepteditModel::oeffnen(const std::string& id) {
  const int32_t row = findrezept(catalogue_.rezepte(), idnummer(id, 0));
  if (row < 0) return false;
  Rezeptentwurf rezept;
  rezept.id = leserezeptid(catalogue_.rezepte(), row);
  rezept.name = leserezept(catalogue_.rezepte(), row).name();
  rrezept eintraege;
  laderezept(catalogue_, rezept.id, eintraege);
  for (const rrezepteintrag& eintrag : eintraege)
    rezept.zeilen.push_back({eintrag.menge, eintrag.einheit, eintrag.zutatname});
  const Zubereitungentabelle c_zubereitungen = catalogue_.zubereitungen();
  if (const int32_t zubereitung = findzubereitung(c_zubereitungen, idnummer(rezept.id, 0)); zubereitung >= 0)
    rezept.zubereitung =
        umbruechezeigen(platform::trimview(c_zubereitungen->cellview(zubereitungspalte::text, zubereitung)));
  entwurf_ = geoeffnet_ = std::move(rezept);
  return true;
}

int32_t RezepteditModel::neuezeile(int32_t row) {
  const auto at = row < 0 || row >= static_cast<int32_t>(entwurf_.zeilen.size()) ? entwurf_.zeilen.size()
                                                                                 : static_cast<std::size_t>(row) + 1;
  entwurf_.zeilen.insert(entwurf_.zeilen.begin() + static_cast<std::ptrdiff_t>(at), Zutatenzeile{});
  return static_cast<int32_t>(at);
}

int32_t RezepteditModel::zeileloeschen(int32_t row) {
  const auto count = static_cast<int32_t>(entwurf_.zeilen.size());
  if (row < 0 || row >= count) return row;
  entwurf_.zeilen.erase(entwurf_.zeilen.begin() + row);
  return std::min(row, count - 2);
}

int32_t RezepteditModel::zeilehoch(int32_t row) {
  if (row < 1 || row >= static_cast<int32_t>(entwurf_.zeilen.size())) return row;
  std::swap(entwurf_.zeilen[static_cast<std::size_t>(row)], entwurf_.zeilen[static_cast<std::size_t>(row) - 1]);
  return row - 1;
}

int32_t RezepteditModel::zeilerunter(int32_t row) {
  if (row < 0 || row + 1 >= static_cast<int32_t>(entwurf_.zeilen.size())) return row;
  return zeilehoch(row + 1) + 1;
}

namespace {

// Each distinct text once, sorted ignoring the case of a-z.
std::vector<std::string> sortiert(const std::unordered_set<std::string_view>& texte) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(texte.size());
  for (const std::string_view text : texte) keyed.emplace_back(platform::upper(text), text);
  std::sort(keyed.begin(), keyed.end());
  std::vector<std::string> out;
  out.reserve(keyed.size());
  for (auto& [key, text] : keyed) out.push_back(std::move(text));
  return out;
}

}  // namespace

const std::vector<std::string>& RezepteditModel::zutatennamen() {
  const Zutatentabelle c_zutaten = catalogue_.zutaten();
  if (zutatennamen_.stand == c_zutaten->changestamp()) return zutatennamen_.texte;
  std::unordered_set<std::string_view> namen;
  for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row) {
    const std::string_view name = lesezutat(c_zutaten, row).name();
    if (!name.empty()) namen.insert(name);
  }
  zutatennamen_ = {c_zutaten->changestamp(), sortiert(namen)};
  return zutatennamen_.texte;
}

const std::vector<std::string>& RezepteditModel::einheiten() {
  const Rezeptezutatentabelle c_rezeptezutaten = catalogue_.rezeptezutaten();
  if (einheiten_.stand == c_rezeptezutaten->changestamp()) return einheiten_.texte;
  std::unordered_set<std::string_view> einheiten;
  for (int32_t row = 0; row < c_rezeptezutaten->getrowcount(); ++row) {
    const std::string_view einheit = lesemenge(c_rezeptezutaten, row).einheit();
    if (!einheit.empty() && einheit != keineeinheit) einheiten.insert(einheit);
  }
  einheiten_ = {c_rezeptezutaten->changestamp(), sortiert(einheiten)};
  return einheiten_.texte;
}

bool rezeptloeschen(Catalogue& catalogue, const std::string& id) {
  if (!catalogue.maywrite().orwarn()) return false;
  const int32_t nummer = idnummer(id, 0);
  const int32_t row = findrezept(catalogue.rezepte(), nummer);
  if (row < 0) return false;
  const std::string name(leserezept(catalogue.rezepte(), row).name());
  if (!platform::askquestion(std::string("Soll das Rezept „"_cp) + name + std::string("“ gelöscht werden?"_cp),
                             platform::Vorgabe::nein))
    return false;
  bool deleted = catalogue.c_rezepte().delrow(row);
  for (const int32_t zeile : findzeilen(catalogue.rezeptezutaten(), nummer))
    deleted = deleted && catalogue.c_rezeptezutaten().delrow(zeile);
  if (const int32_t zubereitung = findzubereitung(catalogue.zubereitungen(), nummer); zubereitung >= 0)
    deleted = deleted && catalogue.c_zubereitungen().delrow(zubereitung);
  if (deleted) return static_cast<bool>(catalogue.flush());
  catalogue.discard();
  return false;
}

std::optional<ResultRow> ergebniszeile(const Catalogue& catalogue, const std::string& id) {
  const int32_t row = findrezept(catalogue.rezepte(), idnummer(id, 0));
  if (row < 0) return std::nullopt;
  const Rezeptzeile rezept = leserezept(catalogue.rezepte(), row);
  rrezept zeilen;
  laderezept(catalogue, std::string(rezept.id()), zeilen);
  // As the search has them: a recipe without lines counts as all available.
  const bool alkoholisch = std::any_of(zeilen.begin(), zeilen.end(), [](const auto& z) { return z.alkoholisch; });
  const bool verfuegbar = std::all_of(zeilen.begin(), zeilen.end(), [](const auto& z) { return z.verfuegbar; });
  return ResultRow{std::string(rezept.name()), wertungtostern(rezept.wertung()), janein(alkoholisch),
                   janein(verfuegbar), std::string(rezept.id())};
}

}  // namespace catalogue
