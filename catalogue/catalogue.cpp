#include "catalogue/catalogue.h"

#include "catalogue/tables.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/messages.h"

namespace catalogue {

namespace {

constexpr char separator = '/';

// The columns of the three tables, in the order they are created and loaded.
struct TableLayout {
  const char* name;
  int32_t columns;
};
constexpr std::array<TableLayout, 3> tablelayouts = {
    {{"c_zutaten", zutatspalte::anzahl}, {"c_rezeptezutaten", rezeptzutatspalte::anzahl}, {"c_rezepte", rezeptspalte::anzahl}}};

// How long a start-up waits for another copy's start-up to load its tables.
constexpr double lockwait = 5 * platform::onesecond;
constexpr int lockretryms = 50;

}  // namespace

Catalogue::Catalogue(const std::string& programfile, SplashPort& splash, ApplicationPort& application)
    : programfile_(programfile),
      splash_(splash),
      application_(application),
      c_zutaten_(std::make_unique<TdbdynGrid>("c_zutaten")),
      c_rezeptezutaten_(std::make_unique<TdbdynGrid>("c_rezeptezutaten")),
      c_rezepte_(std::make_unique<TdbdynGrid>("c_rezepte")) {}

Catalogue::~Catalogue() = default;

// Everything up to and including the last separator, so a program in the
// root folder gives "/" and a bare file name gives "".
std::string Catalogue::programfolder() const { return programfile_.substr(0, programfile_.rfind(separator) + 1); }

std::string Catalogue::dbfolder() const { return programfolder() + "db" + separator; }

std::string Catalogue::statusfile() const { return dbfolder() + "status.txt"; }

std::array<TdbdynGrid*, 3> Catalogue::tables() { return {c_zutaten_.get(), c_rezeptezutaten_.get(), c_rezepte_.get()}; }

std::array<const TdbdynGrid*, 3> Catalogue::tables() const {
  return {c_zutaten_.get(), c_rezeptezutaten_.get(), c_rezepte_.get()};
}

Catalogue::ReadOnly Catalogue::readonly() const {
  ReadOnly cause = ReadOnly::no;
  for (const TdbdynGrid* table : tables()) {
    if (!table) continue;
    for (const TdbdynGrid::OpenFile& file : table->openfiles()) {
      if (!file.isopen || !file.readonly) continue;
      if (file.readonlyreason == platform::err_in_use) return ReadOnly::inuse;
      cause = ReadOnly::notwritable;
    }
  }
  return cause;
}

bool Catalogue::maywrite() const {
  switch (readonly()) {
    case ReadOnly::no: return true;
    case ReadOnly::inuse:
      platform::showwarning(std::string(
          "Die Datenbank ist nur zum Lesen geöffnet, weil eine andere Kopie von Mixolino (oder ein anderes "
          "Programm) sie gerade benutzt. Es wurde nichts geändert."_cp));
      return false;
    case ReadOnly::notwritable:
      platform::showwarning(std::string(
          "Die Datenbank ist nur zum Lesen geöffnet, weil ihre Dateien nicht beschrieben werden können (keine "
          "Schreibberechtigung oder schreibgeschützter Datenträger). Es wurde nichts geändert."_cp));
      return false;
  }
  return false;
}

std::unique_ptr<platform::FolderLock> Catalogue::lockfolder(const std::string& folder) {
  const double giveup = platform::now() + lockwait;
  for (;;) {
    if (std::unique_ptr<platform::FolderLock> lock = platform::FolderLock::trylock(folder)) return lock;
    if (platform::now() >= giveup) return nullptr;
    platform::sleep(lockretryms);
  }
}

void Catalogue::StarttimerTimer() {
  const double start = platform::now();
  splash_.show();
  const std::string folder = dbfolder();
  if (!platform::directoryexists(folder) && !platform::createdirectory(folder)) {
    platform::showwarning("Fehler beim Erzeugen von " + folder + "!");
    application_.endapplication();
    return;
  }
  // Held until the three tables are loaded: a second copy started meanwhile
  // then finds all three files taken, never just some of them.
  std::unique_ptr<platform::FolderLock> lock = lockfolder(folder);
  for (TdbdynGrid* table : tables()) table->db_close();
  if (!platform::fileexists(statusfile())) {
    if (!createtablefiles()) {
      platform::showwarning("Fehler beim erzeugen der DB-Dateien!");
      application_.endapplication();
      return;
    }
    // An input/output error here leaves the tables unloaded and the splash open.
    if (const int error = writestatusfile(); error != 0) {
      platform::showwarning(platform::errortext(error));
      return;
    }
  }
  if (!loadtables()) {
    platform::showwarning("Fehler beim DB-Init!");
    application_.endapplication();
    return;
  }
  lock.reset();
  waitforsplash(start);
  splash_.close();
}

bool Catalogue::createtablefiles() {
  for (std::size_t i = 0; i < tablelayouts.size(); ++i) {
    const TableLayout& layout = tablelayouts[i];
    if (!tables()[i]->db_createfile(dbfolder() + layout.name + ".db", layout.columns)) return false;
  }
  return true;
}

int Catalogue::writestatusfile() {
  const std::string line = "erstellt: " + platform::formatdatetime(platform::now()) + "\r\n";
  std::unique_ptr<platform::File> file = platform::File::create(statusfile());
  if (!file) return platform::lasterror();
  std::size_t written = 0;
  if (!file->write(0, line.data(), line.size(), written)) return platform::lasterror();
  // The status file marks the table files as made: they, and then it, are on the disk first.
  if (!file->sync() || !file->close() || !platform::syncfolder(dbfolder())) return platform::lasterror();
  return 0;
}

bool Catalogue::loadtables() {
  for (std::size_t i = 0; i < tablelayouts.size(); ++i) {
    if (!tables()[i]->db_init(dbfolder(), {tablelayouts[i].name})) return false;
  }
  return true;
}

void Catalogue::waitforsplash(double start) {
  double moment = 0;
  do {
    moment = platform::now();
    platform::sleep(50);
  } while (start + platform::onesecond > moment);
}

bool Catalogue::flush() {
  for (TdbdynGrid* table : tables())
    if (!table->flushfiles()) return false;
  return true;
}

void Catalogue::FormCloseQuery() {
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
}

void Catalogue::DBreset1Click() {
  if (!maywrite()) return;
  if (!platform::askquestion("Sind Sie sicher?")) return;
  if (platform::fileexists(statusfile()) && !platform::deletefile(statusfile())) {
    platform::showwarning(std::string("Fehler beim Löschen der Statusdatei!"_cp));
    return;
  }
  application_.armstarttimer();
}

}  // namespace catalogue
