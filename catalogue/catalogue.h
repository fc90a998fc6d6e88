// The catalogue: the five tables, their folder, the start-up sequence, the
// shutdown and the reset. The windows own one Catalogue for the program's life.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/namensordnung.h"
#include "catalogue/outcome.h"
#include "catalogue/ports.h"
#include "catalogue/rezeptfakten.h"
#include "catalogue/tables.h"
#include "platform/folderlock.h"
#include "platform/messages.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tablestore/journal.h"

namespace catalogue {

class Catalogue {
 public:
  // FormCreate: constructs c_zutaten, c_rezeptezutaten, c_rezepte and
  // c_zubereitungen and c_ersatz, in this order; nothing is loaded. programfile is the program's full path; the
  // database folder is "db/" beside it.
  Catalogue(const std::string& programfile, SplashPort& splash, ApplicationPort& application);
  ~Catalogue();

  // StarttimerTimer: the start-up sequence. The caller has disabled the timer.
  void StarttimerTimer();
  // FormCloseQuery: closes and destroys the five tables; never refuses.
  void FormCloseQuery();
  // DBreset1Click: asks, deletes the status file and re-arms the start-up.
  void DBreset1Click();

  // Whether the catalogue is read-only, and why: no when all five tables
  // were opened for writing; inuse when another process holds a table file;
  // notwritable when a table file cannot be written at all.
  enum class ReadOnly { no, inuse, notwritable };
  ReadOnly readonly() const;
  // Asked by every command that would write, before it asks the user
  // anything: done when the catalogue can be changed; otherwise failed with
  // the one warning that says why not.
  Outcome maywrite() const;
  // The command's changes, whole, on the disk: every command that changes
  // rows calls it once before it reports success, whatever the number of
  // rows, at a constant number of syncs, holding a Writing. Failed after its
  // warning, with the failed file operation's text for the command's own
  // message; then nothing of the changes is on the disk nor, as after
  // discard, in memory.
  Outcome flush();
  // Drops a command's changes that are not flushed: the tables are loaded
  // again from the disk (without the splash). Every command that fails in
  // the middle of its row changes calls it.
  void discard();
  // The bytes the tables hold staged for the next flush.
  std::size_t stagedbytes() const;
  // The table files' whole contents, one per table in tablefilenames()
  // order, put in place of theirs as one command through the journal, and
  // loaded. Failed as flush.
  Outcome replacetables(const std::vector<std::string>& contents);
  // The names of the table files, in the order the tables are loaded.
  static std::vector<std::string> tablefilenames();
  // The file of a table that came after the first three, which a database
  // or backup from before it lacks: empty, as the start-up makes it;
  // nothing for a table whose file must be there.
  static std::optional<std::string> leeretabellendatei(const std::string& filename);

  // Held by a command while it puts its changes into the table files: the
  // database folder locked exclusively, so that a copy that only reads loads
  // what whole commands left; and the boxes of that time held back until it
  // ends, so that no box waiting for the user keeps the lock. Nests; never
  // held while the user is asked anything.
  class Writing {
   public:
    explicit Writing(Catalogue& catalogue);
    ~Writing();
    Writing(const Writing&) = delete;
    Writing& operator=(const Writing&) = delete;

   private:
    platform::HeldMessages held_;  // shown once the lock is released
    Catalogue& catalogue_;
  };

  std::string programfolder() const;  // ends with "/" unless empty
  std::string dbfolder() const;       // programfolder() + "db/"
  std::string statusfile() const;     // dbfolder() + "status.txt"
  // The names of the files that hold the database: the table files and the status file.
  static std::vector<std::string> datafilenames();
  // Whether the last start-up made the database and found it empty: a first
  // start, or the one after a reset.
  bool neuangelegt() const { return neuangelegt_; }

  // The tables, from construction until FormCloseQuery destroys them, each
  // made here as the table it is: the writers take them so.
  Zutatenschreiber& c_zutaten() { return *c_zutaten_; }
  Rezeptezutatenschreiber& c_rezeptezutaten() { return *c_rezeptezutaten_; }
  Rezepteschreiber& c_rezepte() { return *c_rezepte_; }
  const Zutatenschreiber& c_zutaten() const { return *c_zutaten_; }
  const Rezeptezutatenschreiber& c_rezeptezutaten() const { return *c_rezeptezutaten_; }
  const Rezepteschreiber& c_rezepte() const { return *c_rezepte_; }
  Zubereitungenschreiber& c_zubereitungen() { return *c_zubereitungen_; }
  const Zubereitungenschreiber& c_zubereitungen() const { return *c_zubereitungen_; }
  Ersatzschreiber& c_ersatz() { return *c_ersatz_; }
  const Ersatzschreiber& c_ersatz() const { return *c_ersatz_; }
  // The same tables, each as its own type, for reading.
  Zutatentabelle zutaten() const { return Zutatentabelle(*c_zutaten_); }
  Rezeptezutatentabelle rezeptezutaten() const { return Rezeptezutatentabelle(*c_rezeptezutaten_); }
  Rezeptetabelle rezepte() const { return Rezeptetabelle(*c_rezepte_); }
  Zubereitungentabelle zubereitungen() const { return Zubereitungentabelle(*c_zubereitungen_); }
  Ersatztabelle ersatz() const { return Ersatztabelle(*c_ersatz_); }

  // The recipes' name order, which the search keeps while c_rezepte stays as it is.
  Namensordnung& namensordnung() const { return namensordnung_; }
  // What the search and the tips know of every recipe, kept while the tables stay as they are.
  Rezeptfakten& rezeptfakten() const { return rezeptfakten_; }

  ApplicationPort& application() { return application_; }

 private:
  // The five tables in the order they are created, loaded and closed.
  std::array<TdbdynGrid*, 5> tables();
  std::array<const TdbdynGrid*, 5> tables() const;
  // The lock of the database folder for the start-up; nullptr when none
  // came in time: the locks of the table files then decide who writes.
  static std::unique_ptr<platform::FolderLock> lockforstartup(const std::string& folder);
  // What a failed step of the start-up leaves: the program ends, or it goes
  // on with the tables unloaded.
  struct Step {
    Outcome outcome;
    bool endsprogram = true;
  };
  // Creates the tables when needed and loads them, under the lock.
  Step opendatabase(std::unique_ptr<platform::FolderLock>& lock);
  // Whether this copy, with no table loaded, could lock every table file
  // there is for writing: a copy that cannot only reads and never touches
  // the journal.
  bool tablesfree() const;
  // Whether every table file that another process held can be locked for
  // writing now.
  bool othercopyended() const;
  // The steps of the start-up that can fail.
  static Outcome createfolder(const std::string& folder);
  // A journal that a command interrupted by a power cut or a kill left is
  // undone before anything loads, by the copy that will write the tables.
  // One that cannot be trusted stays, and this copy only reads.
  // free: whether this copy could take every table file for writing.
  Outcome recoverjournal(bool free);
  // A table file that is a link, a FIFO or a device is never read nor
  // replaced: its table stays empty and this copy only reads.
  void refusespecialfiles();
  // The journal made ready for the first command; without one this copy only reads.
  void openjournal();
  // This copy writes nothing from now on, for the reason the warning gives;
  // the box says why once.
  void block(const std::string& box, const std::string& warning);
  bool anytablefilepresent() const;
  Outcome createtablefiles();
  // A copy that cannot write leaves a missing newer table empty and only reads.
  Outcome createmissingtablefiles(bool free);
  Outcome writestatusfile();
  // Loads the tables from folder: the database folder, or the copies of undoneforreading.
  Outcome loadtables(const std::string& folder);
  // A copy that cannot write shows the tables as they were before an
  // unfinished command: the journal undone in copies in a scratch folder,
  // whose path it answers; else the database folder.
  std::string undoneforreading();
  void dropundonecopy();
  // The journal cannot be trusted: this copy only reads, and says so once.
  void blockuntrusted();
  // A commit that failed: its warning, and the tables as the disk holds them.
  Outcome commitfailed();
  // A failed step that ends the program: its warning, then the end.
  void abortstartup(const Outcome& failed);
  // The name order and the recipes' facts, for the first search after the start-up.
  void ordnungundfakten();
  void startzeilenarbeit();
  static void waitforsplash(double start);

  std::string programfile_;
  SplashPort& splash_;
  ApplicationPort& application_;
  std::unique_ptr<Zutatenschreiber> c_zutaten_;
  std::unique_ptr<Rezeptezutatenschreiber> c_rezeptezutaten_;
  std::unique_ptr<Rezepteschreiber> c_rezepte_;
  std::unique_ptr<Zubereitungenschreiber> c_zubereitungen_;
  std::unique_ptr<Ersatzschreiber> c_ersatz_;
  bool neuangelegt_ = false;
  mutable Namensordnung namensordnung_;  // a cache: a search on a const catalogue refreshes it
  mutable Rezeptfakten rezeptfakten_;    // the same
  std::jthread zeilenarbeit_;            // the facts' lines, during the start-up's load
  tablestore::JournalWriter journal_;
  std::unique_ptr<platform::FolderLock> writelock_;  // while a Writing is held
  int writings_ = 0;
  // Why this copy writes nothing though it holds its tables: a journal waits
  // to be undone or cannot be had. Empty when nothing blocks it.
  std::string blocked_;
  std::string undonecopy_;  // the scratch folder of undoneforreading, while in use
};

}  // namespace catalogue
