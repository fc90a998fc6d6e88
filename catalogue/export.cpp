#include "catalogue/export.h"

#include <unordered_map>
#include <vector>

#include "catalogue/ersatzdatei.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/messages.h"

namespace catalogue {

namespace {

constexpr const char* zeilenende = "\r\n";
// Written beside the file it becomes, so that the rename stays on one disk.
constexpr const char* tempsuffix = ".mixolino-neu";

// What the export looks up by id, gathered in one pass over each table.
struct Verzeichnis {
  std::unordered_map<int32_t, std::string_view> zutatnamen;     // the later row of an id wins
  std::unordered_map<int32_t, std::vector<int32_t>> zeilen;     // link rows of a recipe, in order
  std::unordered_map<int32_t, std::string_view> zubereitungen;  // the first row of an id wins
};

Verzeichnis verzeichnis(const Catalogue& catalogue) {
  Verzeichnis v;
  const Zutatentabelle c_zutaten = catalogue.zutaten();
  for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row) {
    const Zutatzeile zutat = lesezutat(c_zutaten, row);
    v.zutatnamen[idnummer(zutat.id(), zeilenersatz)] = zutat.name();
  }
  const Rezeptezutatentabelle links = catalogue.rezeptezutaten();
  for (int32_t row = 0; row < links->getrowcount(); ++row)
    v.zeilen[idnummer(leserezeptzutat(links, row).rezeptid(), linkersatz)].push_back(row);
  const Zubereitungentabelle c_zubereitungen = catalogue.zubereitungen();
  for (int32_t row = 0; row < c_zubereitungen->getrowcount(); ++row)
    v.zubereitungen.emplace(idnummer(c_zubereitungen->cellview(zubereitungspalte::rezeptid, row), linkersatz),
                            c_zubereitungen->cellview(zubereitungspalte::text, row));
  return v;
}

// One ingredient line as the import reads it back: the name alone where
// quantity and unit are the placeholders and the name is one word; else all
// three, an empty quantity or unit written as its placeholder.
void zutatzeile(std::string& text, const Mengenangabe& angabe, std::string_view name) {
  const std::string_view menge = angabe.menge().empty() ? "0" : angabe.menge();
  const std::string_view einheit = angabe.einheit().empty() ? "-" : angabe.einheit();
  if (menge == "0" && einheit == "-" && name.find(' ') == std::string_view::npos) {
    (text += name) += zeilenende;
    return;
  }
  ((((text += menge) += ' ') += einheit) += ' ') += name;
  text += zeilenende;
}

void rezeptblock(std::string& text, const Catalogue& catalogue, const Verzeichnis& v, int32_t row) {
  const Rezeptzeile rezept = leserezept(catalogue.rezepte(), row);
  const int32_t id = idnummer(rezept.id(), zeilenersatz);
  ((text += rezept.name()) += zeilenende) += "Zutaten:";
  text += zeilenende;
  if (const auto zeilen = v.zeilen.find(id); zeilen != v.zeilen.end()) {
    // In the order of the recipe's lines, which a changed recipe's records
    // need not keep in the file.
    std::vector<int32_t> links = zeilen->second;
    insatzfolge(catalogue.c_rezeptezutaten(), links);
    for (const int32_t link : links) {
      const auto name =
          v.zutatnamen.find(idnummer(leserezeptzutat(catalogue.rezeptezutaten(), link).zutatid(), linkersatz));
      // A line whose ingredient is gone has no name, and no line could bring it back.
      if (name == v.zutatnamen.end() || name->second.empty()) continue;
      zutatzeile(text, lesemenge(catalogue.rezeptezutaten(), link), name->second);
    }
  }
  if (const auto zubereitung = v.zubereitungen.find(id); zubereitung != v.zubereitungen.end())
    ((text += "Zubereitung: ") += zubereitung->second) += zeilenende;
  text += zeilenende;
}

// Writes each file beside its place first, then renames them all: a failure
// before the renames leaves what stood there untouched, and no part of a
// file behind.
Outcome writefiles(const std::string& folder, const std::vector<std::string>& names,
                   const std::vector<std::string>& contents) {
  std::size_t started = 0;  // the temporary files begun, a failed one included
  bool ok = true;
  while (ok && started < names.size()) {
    ok = platform::writesynced(folder + names[started] + tempsuffix, contents[started]);
    ++started;
  }
  for (std::size_t i = 0; ok && i < names.size(); ++i)
    ok = platform::renamefile(folder + names[i] + tempsuffix, folder + names[i]);
  ok = ok && platform::syncfolder(folder.empty() ? "." : folder);
  if (ok) return Outcome::ok();
  const Outcome failed = Outcome::ioerror();
  for (std::size_t i = 0; i < started; ++i) (void)platform::deletefile(folder + names[i] + tempsuffix);
  return failed;
}

// The folder part of a path, with its "/"; "" for a bare name.
std::string folderof(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

}  // namespace

std::string exporttext(const Catalogue& catalogue) {
  const Verzeichnis v = verzeichnis(catalogue);
  const Rezeptetabelle c_rezepte = catalogue.rezepte();
  std::string text;
  for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row) {
    // Placeholder and deleted rows have no id.
    if (idnummer(leserezeptid(c_rezepte, row), zeilenersatz) == zeilenersatz) continue;
    rezeptblock(text, catalogue, v, row);
  }
  return text;
}

void Rezepteexportieren1Click(const Catalogue& catalogue, ExportPort& dialogs) {
  const std::optional<std::string> path = dialogs.chooseexportfile();
  if (!path) return;
  std::vector<std::string> names = {path->substr(folderof(*path).size())};
  std::vector<std::string> contents = {exporttext(catalogue)};
  // The substitutes, when there are any, in a list beside the recipes.
  if (std::string ersatz = ersatztext(catalogue); !ersatz.empty()) {
    names.push_back(ersatzdateizu(*path).substr(folderof(*path).size()));
    contents.push_back(std::move(ersatz));
  }
  if (const Outcome written = writefiles(folderof(*path), names, contents); !written) {
    platform::showwarning("Fehler beim Exportieren der Rezepte nach " + *path + "!\n\r" + written.failure);
    return;
  }
  platform::showinformation("Die Rezepte wurden nach " + *path + " exportiert.");
}

void Datenbanksichern1Click(const Catalogue& catalogue, ExportPort& dialogs) {
  const std::optional<std::string> folder = dialogs.choosebackupfolder();
  if (!folder) return;
  const std::vector<std::string> names = Catalogue::datafilenames();
  std::vector<std::string> contents(names.size());
  Outcome outcome = Outcome::ok();
  for (std::size_t i = 0; outcome && i < names.size(); ++i)
    if (!platform::readwhole(catalogue.dbfolder() + names[i], contents[i])) outcome = Outcome::ioerror();
  if (outcome) outcome = writefiles(*folder, names, contents);
  if (!outcome) {
    platform::showwarning("Fehler beim Sichern der Datenbank nach " + *folder + "!\n\r" + outcome.failure);
    return;
  }
  platform::showinformation("Die Datenbank wurde nach " + *folder + " gesichert.");
}

}  // namespace catalogue
