#include "catalogue/wiederherstellen.h"

#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "tablestore/journalformat.h"

namespace catalogue {

namespace {

// Counts the warnings of a trial load instead of showing them.
class Probe : public platform::MessagePort {
 public:
  void warning(const std::string&) override { ++warnings; }
  void information(const std::string&) override {}
  bool question(const std::string&, platform::Vorgabe) override { return false; }
  platform::Antwort yesnocancel(const std::string&) override { return platform::Antwort::abbrechen; }
  bool inputbox(const std::string&, const std::string&, std::string&) override { return false; }
  int warnings = 0;
};

// Whether each table loads without a warning. Loaded from a copy in a
// scratch folder: the load corrects what it finds, and the backup stays as it is.
bool laedtfehlerfrei(const std::vector<std::string>& names, const std::vector<std::string>& contents) {
  const std::string scratch = platform::makescratchfolder();
  if (scratch.empty()) return false;
  platform::MessagePort& shown = platform::messages();
  Probe probe;
  platform::setmessageport(&probe);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string table = names[i].substr(0, names[i].size() - 3);  // without ".db"
    TdbdynGrid trial(table);
    if (!platform::writesynced(scratch + names[i], contents[i]) || !trial.db_init(scratch, {table})) ++probe.warnings;
    trial.db_close();
  }
  platform::setmessageport(&shown);
  (void)platform::removefolder(scratch);
  return probe.warnings == 0;
}

// The backup's table files, when the folder holds a whole backup that loads cleanly.
Outcome pruefesicherung(const std::string& folder, std::vector<std::string>& contents) {
  for (const std::string& name : Catalogue::datafilenames())
    if (!platform::fileexists(folder + name) && !Catalogue::leeretabellendatei(name))
      return Outcome::failed("Im Ordner " + folder + " fehlt die Datei " + name +
                             std::string(": das ist keine vollständige Sicherung. Es wurde nichts geändert."_cp));
  std::string journal;
  const std::string journalpath = folder + journalformat::filename;
  if (platform::fileexists(journalpath) && (!platform::readwhole(journalpath, journal) || !journal.empty()))
    return Outcome::failed("Die Sicherung in " + folder +
                           std::string(" enthält einen unterbrochenen Befehl und wird nicht verwendet. Es wurde "
                                       "nichts geändert."_cp));
  const std::vector<std::string> names = Catalogue::tablefilenames();
  contents.resize(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (platform::readwhole(folder + names[i], contents[i])) continue;
    // A backup from before a later table restores it empty; any other failure stops.
    const std::optional<std::string> empty = Catalogue::leeretabellendatei(names[i]);
    if (!empty || platform::lasterror() != platform::errfilenotfound) return Outcome::ioerror();
    contents[i] = *empty;
  }
  if (!laedtfehlerfrei(names, contents))
    return Outcome::failed("Die Sicherung in " + folder +
                           std::string(" ist beschädigt: eine ihrer Tabellen lässt sich nicht fehlerfrei laden. Es "
                                       "wurde nichts geändert."_cp));
  return Outcome::ok();
}

}  // namespace

bool Datenbankwiederherstellen1Click(Catalogue& catalogue, ExportPort& dialogs) {
  if (!catalogue.maywrite().orwarn()) return false;
  const std::optional<std::string> folder = dialogs.choosebackupfolder();
  if (!folder) return false;
  std::vector<std::string> contents;
  if (!pruefesicherung(*folder, contents).orwarn()) return false;
  if (!platform::askquestion("Die Datenbank wird durch die Sicherung in " + *folder +
                                 std::string(" ersetzt; was seitdem geändert wurde, geht verloren. Soll sie "
                                             "wiederhergestellt werden?"_cp),
                             platform::Vorgabe::nein))
    return false;
  if (const Outcome replaced = catalogue.replacetables(contents); !replaced) {
    platform::showwarning("Fehler beim Wiederherstellen der Datenbank aus " + *folder + "!\n\r" + replaced.failure);
    return false;
  }
  platform::showinformation("Die Datenbank wurde aus " + *folder + " wiederhergestellt.");
  return true;
}

}  // namespace catalogue
