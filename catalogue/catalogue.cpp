#include "catalogue/catalogue.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "catalogue/tables.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "tablestore/journalformat.h"
#include "tablestore/recordformat.h"

namespace catalogue {

namespace {

constexpr char separator = '/';

// The columns of the five tables, in the order they are created and loaded.
// A table added after the first three is made, silently, when a database
// from before it lacks its file; a missing one of the first three stays an
// error, for it held data that would be lost.
struct TableLayout {
  const char* name;
  int32_t columns;
  bool madewhenmissing;
};
constexpr std::array<TableLayout, 5> tablelayouts = {{{"c_zutaten", zutatspalte::anzahl, false},
                                                      {"c_rezeptezutaten", rezeptzutatspalte::anzahl, false},
                                                      {"c_rezepte", rezeptspalte::anzahl, false},
                                                      {"c_zubereitungen", zubereitungspalte::anzahl, true},
                                                      {"c_ersatz", ersatzspalte::anzahl, true}}};

// The first tables, those the facts' lines are read from: ingredients, links, recipes.
constexpr std::size_t zeilentabellen = 3;

constexpr const char* statusname = "status.txt";

// How long, in seconds, a start-up waits for another copy's start-up to load
// its tables, then for another copy's command to put its changes on the disk;
// and how long a command waits for a copy that is loading.
constexpr double startupwait = 5;
constexpr double commandwait = 60;
constexpr double loadwait = 10;

}  // namespace

Catalogue::Catalogue(const std::string& programfile, SplashPort& splash, ApplicationPort& application)
    : programfile_(programfile),
      splash_(splash),
      application_(application),
      c_zutaten_(new Zutatenschreiber("c_zutaten")),
      c_rezeptezutaten_(new Rezeptezutatenschreiber("c_rezeptezutaten")),
      c_rezepte_(new Rezepteschreiber("c_rezepte")),
      c_zubereitungen_(new Zubereitungenschreiber("c_zubereitungen")),
      c_ersatz_(new Ersatzschreiber("c_ersatz")),
      journal_(dbfolder()) {
  for (TdbdynGrid* table : tables()) {
    table->stagechanges(true);
    table->warnwheninuse(false);  // the start-up says it once for all four
  }
}

Catalogue::~Catalogue() = default;

// Everything up to and including the last separator, so a program in the
// root folder gives "/" and a bare file name gives "".
std::string Catalogue::programfolder() const { return programfile_.substr(0, programfile_.rfind(separator) + 1); }

std::string Catalogue::dbfolder() const { return programfolder() + "db" + separator; }

std::string Catalogue::statusfile() const { return dbfolder() + statusname; }

std::vector<std::string> Catalogue::tablefilenames() {
  std::vector<std::string> names;
  for (const TableLayout& layout : tablelayouts) names.push_back(std::string(layout.name) + ".db");
  return names;
}

std::optional<std::string> Catalogue::leeretabellendatei(const std::string& filename) {
  for (const TableLayout& layout : tablelayouts)
    if (layout.madewhenmissing && filename == std::string(layout.name) + ".db")
      return recordformat::newheader(layout.columns);
  return std::nullopt;
}

std::vector<std::string> Catalogue::datafilenames() {
  std::vector<std::string> names;
  for (const TableLayout& layout : tablelayouts) names.push_back(std::string(layout.name) + ".db");
  names.push_back(statusname);
  return names;
}

std::array<TdbdynGrid*, 5> Catalogue::tables() {
  return {c_zutaten_.get(), c_rezeptezutaten_.get(), c_rezepte_.get(), c_zubereitungen_.get(), c_ersatz_.get()};
}

std::array<const TdbdynGrid*, 5> Catalogue::tables() const {
  return {c_zutaten_.get(), c_rezeptezutaten_.get(), c_rezepte_.get(), c_zubereitungen_.get(), c_ersatz_.get()};
}

Catalogue::ReadOnly Catalogue::readonly() const {
  ReadOnly cause = ReadOnly::no;
  for (const TdbdynGrid* table : tables()) {
    if (!table) continue;
    const int reason = table->readonlyreason();
    if (reason == platform::errinuse) return ReadOnly::inuse;
    if (reason != 0) cause = ReadOnly::notwritable;
  }
  return cause;
}

Outcome Catalogue::maywrite() const {
  if (!blocked_.empty()) return Outcome::failed(blocked_);
  switch (readonly()) {
    case ReadOnly::no: return Outcome::ok();
    case ReadOnly::inuse:
      if (othercopyended())
        return Outcome::failed(std::string(
            "Die Datenbank ist nur zum Lesen geöffnet. Die andere Kopie von Mixolino ist inzwischen beendet: nach "
            "einem Neustart von Mixolino kann sie wieder geändert werden. Es wurde nichts geändert."_cp));
      return Outcome::failed(
          std::string("Die Datenbank ist nur zum Lesen geöffnet, weil eine andere Kopie von Mixolino (oder ein anderes "
                      "Programm) sie gerade benutzt. Es wurde nichts geändert."_cp));
    case ReadOnly::notwritable:
      return Outcome::failed(std::string(
          "Die Datenbank ist nur zum Lesen geöffnet, weil ihre Dateien nicht beschrieben werden können (keine "
          "Schreibberechtigung oder schreibgeschützter Datenträger). Es wurde nichts geändert."_cp));
  }
  return Outcome::failed();
}

// Exclusive first: this copy may create the tables, and it takes every table
// file it can. A copy that keeps it longer is in the middle of a command, so
// this one will only read: it waits, sharing the lock with other readers, for
// the command's changes to be on the disk.
std::unique_ptr<platform::FolderLock> Catalogue::lockforstartup(const std::string& folder) {
  using platform::FolderLock;
  if (std::unique_ptr<FolderLock> lock = FolderLock::waitlock(folder, FolderLock::Kind::exclusive, startupwait))
    return lock;
  return FolderLock::waitlock(folder, FolderLock::Kind::shared, commandwait);
}

void Catalogue::StarttimerTimer() {
  const double start = platform::now();
  neuangelegt_ = false;
  splash_.show();
  const std::string folder = dbfolder();
  if (const Outcome created = createfolder(folder); !created) return abortstartup(created);
  Step opened;
  {
    // The lock is held while the files are opened and read; the boxes of
    // that time wait until it is released.
    platform::HeldMessages held;
    std::unique_ptr<platform::FolderLock> lock = lockforstartup(folder);
    opened = opendatabase(lock);
  }
  if (!opened.outcome && opened.endsprogram) return abortstartup(opened.outcome);
  // An input/output error writing the status file leaves the tables unloaded
  // and the splash open, and the program running.
  if (!opened.outcome.orwarn()) return;
  // The name order and the recipes' facts are worked out in the second the
  // splash window shows in any case, so that the first search after a start is as quick as the
  // ones after it.
  ordnungundfakten();
  waitforsplash(start);
  splash_.close();
  if (readonly() == ReadOnly::inuse)
    platform::showinformation(std::string(
        "Die Datenbank ist schon in einer anderen Kopie von Mixolino geöffnet. Diese Kopie kann sie nur lesen, "
        "nicht ändern. Wird Mixolino nach dem Ende der anderen Kopie neu gestartet, kann wieder geändert werden."_cp));
}

// The lines of the facts were grouped while the last tables loaded, if the
// tables allowed it; the name order is worked out meanwhile.
void Catalogue::ordnungundfakten() {
  namensordnung_.fuer(rezepte());
  if (zeilenarbeit_.joinable()) zeilenarbeit_.join();
  rezeptfakten_.fuer(rezepte(), rezeptezutaten(), zutaten(), ersatz());
}

Catalogue::Step Catalogue::opendatabase(std::unique_ptr<platform::FolderLock>& lock) {
  for (TdbdynGrid* table : tables()) table->db_close();
  journal_.close();
  blocked_.clear();
  dropundonecopy();
  refusespecialfiles();
  const bool free = blocked_.empty() && tablesfree();
  if (const Outcome recovered = recoverjournal(free); !recovered) return {recovered};
  const bool neu = !platform::fileexists(statusfile());
  if (neu) {
    // Files left behind are offered for overwriting, one question each: no
    // question is asked while the folder is locked.
    if (anytablefilepresent()) lock.reset();
    if (const Outcome created = createtablefiles(); !created) return {created};
    if (const Outcome written = writestatusfile(); !written) return {written, false};
    if (!lock) lock = lockforstartup(dbfolder());
  } else if (const Outcome created = createmissingtablefiles(free); !created) {
    return {created};
  }
  const Step loaded{loadtables(free || !blocked_.empty() ? dbfolder() : undoneforreading())};
  neuangelegt_ = neu && loaded.outcome;
  if (loaded.outcome && blocked_.empty() && readonly() == ReadOnly::no) openjournal();
  return loaded;
}

bool Catalogue::anytablefilepresent() const {
  for (const TableLayout& layout : tablelayouts)
    if (platform::fileexists(dbfolder() + layout.name + ".db")) return true;
  return false;
}

void Catalogue::abortstartup(const Outcome& failed) {
  platform::showwarning(failed.failure);
  application_.endapplication();
}

// Another copy started at the same moment may make the folder between the
// test and the creation: a folder that is there afterwards is no failure.
Outcome Catalogue::createfolder(const std::string& folder) {
  if (platform::directoryexists(folder) || platform::createdirectory(folder) || platform::directoryexists(folder))
    return Outcome::ok();
  return Outcome::failed("Fehler beim Erzeugen von " + folder + "!");
}

void Catalogue::refusespecialfiles() {
  for (const std::string& name : tablefilenames()) {
    const std::string path = dbfolder() + name;
    if (!platform::specialfile(path)) continue;
    block("Die Datei " + path +
              std::string(" ist keine gewöhnliche Datei (sondern eine Verknüpfung, eine Pipe oder ein Gerät). Mixolino "
                          "liest und ersetzt sie nicht: die Tabelle bleibt leer, und die Datenbank ist nur zum Lesen "
                          "geöffnet."_cp),
          std::string("Die Datenbank ist nur zum Lesen geöffnet, weil die Datei "_cp) + path +
              std::string(" keine gewöhnliche Datei ist. Es wurde nichts geändert."_cp));
  }
}

Outcome Catalogue::recoverjournal(bool free) {
  using Recovery = tablestore::JournalReader::Recovery;
  if (!free) return Outcome::ok();
  const Recovery recovery = tablestore::JournalReader(dbfolder(), tablefilenames()).recover();
  if (recovery == Recovery::done) return Outcome::ok();
  if (recovery == Recovery::untrusted) {
    blockuntrusted();
    return Outcome::ok();
  }
  platform::showwarning(platform::errortext(platform::lasterror()));
  return Outcome::failed("Fehler beim DB-Init!");
}

std::string Catalogue::undoneforreading() {
  using Recovery = tablestore::JournalReader::Recovery;
  const std::string scratch = platform::makescratchfolder();
  const Recovery recovery = scratch.empty()
                                ? Recovery::failed
                                : tablestore::JournalReader(dbfolder(), tablefilenames()).undoincopies(scratch);
  if (recovery == Recovery::copied) {
    undonecopy_ = scratch;
    block(std::string("Ein Befehl ist nicht zu Ende geführt worden. Mixolino zeigt die Datenbank, wie sie vor ihm "
                      "war; rückgängig gemacht wird er erst bei einem Start von Mixolino mit Schreibzugriff. Bis dahin "
                      "ist die Datenbank nur zum Lesen geöffnet."_cp),
          std::string("Die Datenbank ist nur zum Lesen geöffnet, weil ein unterbrochener Befehl erst bei einem Start "
                      "mit Schreibzugriff rückgängig gemacht werden kann. Es wurde nichts geändert."_cp));
    return scratch;
  }
  (void)platform::removefolder(scratch);
  if (recovery != Recovery::done) blockuntrusted();
  return dbfolder();
}

void Catalogue::blockuntrusted() {
  const std::string journal = dbfolder() + journalformat::filename;
  block(std::string("Der letzte Befehl ist vielleicht nicht zu Ende geführt worden: die Datei "_cp) + journal +
            std::string(", die ihn rückgängig machen sollte, stammt nicht von Mixolino oder ist beschädigt. Sie "
                        "wird nicht angewendet und bleibt, wie sie ist; die Datenbank ist nur zum Lesen geöffnet. "
                        "Prüfen Sie die Rezepte: sind sie vollständig, beenden Sie Mixolino und löschen Sie die "
                        "Datei; sonst ersetzen Sie den Ordner db durch eine Sicherung."_cp),
        std::string("Die Datenbank ist nur zum Lesen geöffnet, weil der letzte Befehl vielleicht nicht zu Ende "
                    "geführt worden ist (siehe die Meldung beim Start). Es wurde nichts geändert."_cp));
}

void Catalogue::openjournal() {
  if (journal_.open()) return;
  const std::string journal = dbfolder() + journalformat::filename;
  block(std::string("Die Datei "_cp) + journal + " kann nicht angelegt werden (" +
            platform::errortext(platform::lasterror()) +
            std::string("). Ohne sie ließe sich ein Befehl, den ein Stromausfall unterbricht, nicht rückgängig "
                        "machen: die Datenbank ist deshalb nur zum Lesen geöffnet."_cp),
        std::string("Die Datenbank ist nur zum Lesen geöffnet, weil die Datei "_cp) + journal +
            std::string(" nicht angelegt werden kann. Es wurde nichts geändert."_cp));
}

void Catalogue::block(const std::string& box, const std::string& warning) {
  if (!blocked_.empty()) return;
  blocked_ = warning;
  platform::showwarning(box);
}

bool Catalogue::othercopyended() const {
  const auto all = tables();
  return std::none_of(all.begin(), all.end(), [](const TdbdynGrid* table) { return table->stillinuse(); });
}

bool Catalogue::tablesfree() const {
  for (const TableLayout& layout : tablelayouts) {
    const std::string path = dbfolder() + layout.name + ".db";
    if (platform::fileexists(path) && !platform::File::open(path, platform::File::Access::readwritedenywrite))
      return false;
  }
  return true;
}

Outcome Catalogue::createtablefiles() {
  for (std::size_t i = 0; i < tablelayouts.size(); ++i) {
    const TableLayout& layout = tablelayouts[i];
    // "erzeugen" in lower case, as the message has always read; it stays so.
    if (!tables()[i]->db_createfile(dbfolder() + layout.name + ".db", layout.columns))
      return Outcome::failed("Fehler beim erzeugen der DB-Dateien!");
  }
  // The new files' names are on the disk before the status file vouches for them.
  if (!platform::syncfolder(dbfolder())) return Outcome::failed("Fehler beim erzeugen der DB-Dateien!");
  return Outcome::ok();
}

Outcome Catalogue::createmissingtablefiles(bool free) {
  for (std::size_t i = 0; i < tablelayouts.size(); ++i) {
    const TableLayout& layout = tablelayouts[i];
    const std::string path = dbfolder() + layout.name + ".db";
    if (!layout.madewhenmissing || platform::fileexists(path) || platform::specialfile(path)) continue;
    if (!free) {
      block(std::string("Die Datenbank stammt von einer älteren Version von Mixolino: die Datei "_cp) + path +
                std::string(" fehlt und kann hier nicht angelegt werden. Die Tabelle bleibt leer, und die Datenbank "
                            "ist nur zum Lesen geöffnet."_cp),
            std::string("Die Datenbank ist nur zum Lesen geöffnet, weil die Datei "_cp) + path +
                " fehlt. Es wurde nichts geändert.");
      continue;
    }
    if (!tables()[i]->db_createfile(path, layout.columns) || !platform::syncfolder(dbfolder()))
      return Outcome::failed("Fehler beim erzeugen der DB-Dateien!");
  }
  return Outcome::ok();
}

Outcome Catalogue::writestatusfile() {
  const std::string line = "erstellt: " + platform::formatdatetime(platform::now()) + "\r\n";
  std::unique_ptr<platform::File> file = platform::File::create(statusfile());
  if (!file) return Outcome::ioerror();
  std::size_t written = 0;
  if (!file->write(0, line.data(), line.size(), written)) return Outcome::ioerror();
  // The status file marks the table files as made: they, and then it, are on the disk first.
  if (!file->sync() || !file->close() || !platform::syncfolder(dbfolder())) return Outcome::ioerror();
  return Outcome::ok();
}

Outcome Catalogue::loadtables(const std::string& folder) {
  for (std::size_t i = 0; i < tablelayouts.size(); ++i) {
    const TableLayout& layout = tablelayouts[i];
    const std::string path = dbfolder() + layout.name + ".db";
    // A table refused above reads as a loaded empty one: its columns and one placeholder row.
    if (platform::specialfile(path) || (layout.madewhenmissing && !platform::fileexists(path))) {
      tables()[i]->setcolcount(layout.columns);
      tables()[i]->setrowcount(1);
    } else if (!tables()[i]->db_init(folder, {layout.name})) {
      if (zeilenarbeit_.joinable()) zeilenarbeit_.join();
      return Outcome::failed("Fehler beim DB-Init!");
    }
    if (i + 1 == zeilentabellen) startzeilenarbeit();
  }
  return Outcome::ok();
}

// The facts' grouping of the link rows takes longest of the start-up's
// work, and it needs only the first tables: it runs while the others load,
// which change nothing but their own tables. It shows nothing while every
// row it reads has the columns it reads; else it waits for the end of the
// load, so that the boxes come from one thread in their order.
void Catalogue::startzeilenarbeit() {
  for (std::size_t i = 0; i < zeilentabellen; ++i)
    if (tables()[i]->getcolcount() < tablelayouts[i].columns) return;
  try {
    zeilenarbeit_ = std::jthread([this] { rezeptfakten_.zeilenfuer(rezepte(), rezeptezutaten(), zutaten()); });
  } catch (const std::system_error&) {  // no thread to be had: the facts follow the load
  }
}

// The splash stays up for at least one second, however quickly the tables
// load: the start-up has always greeted the user that long, and the wait is
// meant, not slowness to be tuned away. The loop sleeps at least once and
// ends at the first pass whose moment, taken before its sleep, is a second
// past the start.
void Catalogue::waitforsplash(double start) {
  double moment = 0;
  do {
    moment = platform::now();
    platform::sleep(50);
  } while (start + platform::onesecond > moment);
}

Catalogue::Writing::Writing(Catalogue& catalogue) : catalogue_(catalogue) {
  if (catalogue_.writings_++ > 0) return;
  using platform::FolderLock;
  // Without the lock in time the command writes all the same: the table
  // files are this copy's alone, and their locks keep other writers out.
  catalogue_.writelock_ = FolderLock::waitlock(catalogue_.dbfolder(), FolderLock::Kind::exclusive, loadwait);
}

Catalogue::Writing::~Writing() {
  if (--catalogue_.writings_ == 0) catalogue_.writelock_.reset();
}

Outcome Catalogue::flush() {
  const Writing writing(*this);
  std::vector<tablestore::Stagedfile> files;
  for (const TdbdynGrid* table : tables()) table->staged(files);
  if (journal_.commit(files)) {
    for (TdbdynGrid* table : tables()) table->committed();
    return Outcome::ok();
  }
  return commitfailed();
}

Outcome Catalogue::replacetables(const std::vector<std::string>& contents) {
  const Writing writing(*this);
  const std::vector<std::string> names = tablefilenames();
  std::vector<std::unique_ptr<tablestore::FileStage>> stages;
  std::vector<tablestore::Stagedfile> files;
  for (std::size_t i = 0; i < names.size(); ++i) {
    platform::File* file = tables()[i]->openfilehandle(names[i]);
    if (!file) continue;
    int64_t size = 0;
    if (!file->size(size)) return Outcome::ioerror();
    tablestore::FileStage& stage = *stages.emplace_back(std::make_unique<tablestore::FileStage>(size));
    stage.write(0, contents[i]);
    if (std::ssize(contents[i]) < size) stage.truncate(std::ssize(contents[i]));
    files.push_back({names[i], file, &stage});
  }
  if (files.size() != names.size()) return Outcome::failed(platform::errortext(platform::errfilenotfound));
  // The files are rewritten under the loaded tables, whose cells must not lie in them meanwhile.
  for (TdbdynGrid* table : tables()) table->owncells();
  if (!journal_.commit(files)) return commitfailed();
  // Tables that do not load again now are loaded by the start-up sequence.
  for (TdbdynGrid* table : tables()) {
    if (table->reload()) continue;
    application_.armstarttimer();
    break;
  }
  return Outcome::ok();
}

Outcome Catalogue::commitfailed() {
  const std::string reason = platform::errortext(platform::lasterror());
  std::string source = journal_.failedfile();
  if (source.ends_with(".db")) source.resize(source.size() - 3);
  platform::showwarning("tdbdyngrid: flushfiles: " + reason + "\n\rQuelle:" + source);
  if (journal_.pending())
    block(std::string("Die Änderung konnte nicht rückgängig gemacht werden. Das geschieht beim nächsten Start von "
                      "Mixolino; bis dahin ist die Datenbank nur zum Lesen geöffnet."_cp),
          std::string("Die Datenbank ist nur zum Lesen geöffnet, weil eine unvollendete Änderung erst beim nächsten "
                      "Start von Mixolino rückgängig gemacht werden kann. Es wurde nichts geändert."_cp));
  discard();
  return Outcome::failed(reason);
}

std::size_t Catalogue::stagedbytes() const {
  std::size_t bytes = 0;
  for (const TdbdynGrid* table : tables()) bytes += table->stagedbytes();
  return bytes;
}

void Catalogue::discard() {
  for (TdbdynGrid* table : tables()) table->reload();
}

void Catalogue::dropundonecopy() {
  if (!undonecopy_.empty()) (void)platform::removefolder(undonecopy_);
  undonecopy_.clear();
}

void Catalogue::FormCloseQuery() {
  journal_.close();
  for (TdbdynGrid* table : tables()) {
    try {
      if (table) table->db_close();
    } catch (...) {
      // The window closes whatever happens to the files.
    }
  }
  c_zutaten_.reset();
  c_rezeptezutaten_.reset();
  c_rezepte_.reset();
  c_zubereitungen_.reset();
  c_ersatz_.reset();
  dropundonecopy();
}

void Catalogue::DBreset1Click() {
  if (!maywrite().orwarn()) return;
  if (!platform::askquestion("Sind Sie sicher?", platform::Vorgabe::nein)) return;
  // The deletion is on the disk before the next start truncates a table.
  if (platform::fileexists(statusfile()) &&
      (!platform::deletefile(statusfile()) || !platform::syncfolder(dbfolder()))) {
    platform::showwarning(std::string("Fehler beim Löschen der Statusdatei!"_cp));
    return;
  }
  application_.armstarttimer();
}

}  // namespace catalogue
