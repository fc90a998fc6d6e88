#include "catalogue/export.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "catalogue/ersatzdatei.h"
#include "catalogue/rezeptformat.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/folderlock.h"
#include "platform/messages.h"
#include "tablestore/journalformat.h"

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

void rezeptblock(std::string& text, const Catalogue& catalogue, const Verzeichnis& v, int32_t row) {
  const Rezeptzeile rezept = leserezept(catalogue.rezepte(), row);
  const int32_t id = idnummer(rezept.id(), zeilenersatz);
  ((text += rezept.name()) += zeilenende) += zutatenmarke;
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
      const Mengenangabe angabe = lesemenge(catalogue.rezeptezutaten(), link);
      zutatenzeileschreiben(text, angabe.menge(), angabe.einheit(), name->second);
      text += zeilenende;
    }
  }
  if (const auto zubereitung = v.zubereitungen.find(id); zubereitung != v.zubereitungen.end())
    (text += zubereitungszeile(zubereitung->second)) += zeilenende;
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

// Export and backup never write into the database's own folder: the renames
// would replace the open table files behind the program's back.
Outcome zielerlaubt(const Catalogue& catalogue, const std::string& target) {
  if (!platform::withinfolder(target, catalogue.dbfolder())) return Outcome::ok();
  return Outcome::failed("Nach " + target +
                         std::string(" wird nicht geschrieben: das ist der Ordner der Datenbank "_cp) +
                         catalogue.dbfolder() +
                         std::string(" oder eine Datei darin. Bitte wählen Sie einen Ort außerhalb dieses Ordners. "
                                     "Es wurde nichts geschrieben."_cp));
}

// What an interrupted export left in the folder goes first.
void removeleftovers(const std::string& folder) {
  for (const std::string& name : platform::foldernames(folder.empty() ? "." : folder))
    if (name.ends_with(tempsuffix) && platform::fileexists(folder + name)) (void)platform::deletefile(folder + name);
}

// How long, in seconds, a backup waits for a command of another copy to end.
constexpr double commandwait = 60;

// The database's files as whole commands left them: read under the folder's
// lock, which a copy holds exclusively while it writes; never while a
// journal says that a command is unfinished.
Outcome lesedatenbank(const Catalogue& catalogue, std::vector<std::string>& contents) {
  using platform::FolderLock;
  const std::unique_ptr<FolderLock> lock =
      FolderLock::waitlock(catalogue.dbfolder(), FolderLock::Kind::shared, commandwait);
  if (!lock)
    return Outcome::failed(std::string(
        "Eine andere Kopie von Mixolino ändert die Datenbank gerade. Bitte später noch einmal versuchen."_cp));
  const std::string journal = catalogue.dbfolder() + journalformat::filename;
  std::string pending;
  if (platform::fileexists(journal) && (!platform::readwhole(journal, pending) || !pending.empty()))
    return Outcome::failed(std::string(
        "Ein unterbrochener Befehl ist noch nicht rückgängig gemacht; das geschieht beim nächsten Start von Mixolino "
        "mit Schreibzugriff. Bis dahin wird nicht gesichert."_cp));
  const std::vector<std::string> names = Catalogue::datafilenames();
  contents.resize(names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    if (!platform::readwhole(catalogue.dbfolder() + names[i], contents[i])) return Outcome::ioerror();
  return Outcome::ok();
}

// Whether the folder holds nothing but an earlier backup (and what an
// interrupted one left): only such a folder may be swapped away whole.
bool nursicherung(const std::string& folder) {
  const std::vector<std::string> ours = Catalogue::datafilenames();
  for (std::string name : platform::foldernames(folder)) {
    if (name.ends_with(tempsuffix)) name.resize(name.size() - std::string_view(tempsuffix).size());
    if (std::find(ours.begin(), ours.end(), name) == ours.end()) return false;
  }
  return true;
}

// The backup whole in a new folder beside the target, every file and the
// folder on the disk; then one rename step puts it in the target's place.
Outcome sichern(const std::string& target, const std::vector<std::string>& contents) {
  const std::vector<std::string> names = Catalogue::datafilenames();
  const std::string neu = target + tempsuffix;
  if (!platform::removefolder(neu) || !platform::createdirectory(neu)) return Outcome::ioerror();
  bool ok = true;
  for (std::size_t i = 0; ok && i < names.size(); ++i) ok = platform::writesynced(neu + "/" + names[i], contents[i]);
  ok = ok && platform::syncfolder(neu);
  ok = ok &&
       (platform::directoryexists(target) ? platform::exchangefolders(neu, target) : platform::renamefile(neu, target));
  ok = ok && platform::syncfolder(folderof(target).empty() ? "." : folderof(target));
  const Outcome outcome = ok ? Outcome::ok() : Outcome::ioerror();
  // The old backup, or the unfinished new one; left behind, the next backup removes it.
  (void)platform::removefolder(neu);
  return outcome;
}

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
  if (!zielerlaubt(catalogue, *path).orwarn()) return;
  removeleftovers(folderof(*path));
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
  if (!zielerlaubt(catalogue, *folder).orwarn()) return;
  const std::string target = folder->substr(0, folder->size() - 1);
  std::vector<std::string> contents;
  Outcome outcome = lesedatenbank(catalogue, contents);
  if (outcome && !nursicherung(target))
    outcome =
        Outcome::failed(std::string("Der Ordner enthält andere Dateien als eine Sicherung. Bitte wählen Sie "
                                    "einen leeren Ordner oder eine frühere Sicherung."_cp));
  if (outcome) outcome = sichern(target, contents);
  if (!outcome) {
    platform::showwarning("Fehler beim Sichern der Datenbank nach " + *folder + "!\n\r" + outcome.failure);
    return;
  }
  platform::showinformation("Die Datenbank wurde nach " + *folder + " gesichert.");
}

}  // namespace catalogue
