#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "catalogue/beispiel.h"
#include "catalogue/ersatz.h"
#include "catalogue/rating.h"
#include "catalogue/tables.h"
#include "catalogue/zutatenedit_model.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/folderlock.h"
#include "tablestore/journalformat.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/faults.h"
#include "tests/support/powercut.h"
#include "tests/support/tableprobe.h"

#include <algorithm>
#include <filesystem>
#include <set>

using testsupport::probe;

namespace {

using testsupport::readfile;

const char* const tablenames[] = {"c_zutaten", "c_rezeptezutaten", "c_rezepte", "c_zubereitungen", "c_ersatz"};

std::string header(int columns) {
  return "#DB\xA1"
         "0000000000\xA1"
         "A\xA1" +
         std::to_string(columns) + "\xA1";
}

// A table file of that many columns with live records of the values, the
// first with Pos 1, the next 2, and so on.
std::string withrecords(int columns, const std::vector<std::string>& values) {
  const std::string count = std::to_string(values.size());
  std::string file = header(columns).replace(4, 10, std::string(10 - count.size(), '0') + count);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string pos = std::to_string(i + 1);
    file += "\r\n\xBF" + std::string(10 - pos.size(), '0') + pos + "\xBF" + "0\xA1" + values[i];
  }
  return file;
}

// Whether another process can take the folder's lock just now.
bool anotherprocesscanlock(const std::string& folder) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(platform::FolderLock::trylock(folder) ? 0 : 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Time that passes for real too, a tenth as fast, so that two processes
// waiting for each other meet; the first sleep writes a byte to signal.
class SleepingClock : public testsupport::FakeClock {
 public:
  void sleep(int milliseconds) override {
    if (signal >= 0 && sleeps == 0) (void)!::write(signal, "s", 1);
    FakeClock::sleep(milliseconds);
    ::usleep(static_cast<useconds_t>(milliseconds) * 100);
  }
  int signal = -1;
};

class Startup : public testsupport::CatalogueFixture {
 protected:
  std::string tablefile(const std::string& name) const { return dbfolder() + name + ".db"; }
  std::string statusfile() const { return dbfolder() + "status.txt"; }

  // A first start, then the program ends; the files stay behind.
  void firstrun() {
    ASSERT_TRUE(start());
    catalogue->FormCloseQuery();
    catalogue.reset();
    messages.clear();
  }

  // The load's warning for a table file opened read-only.
  static std::string readonlywarning(const std::string& cause) {
    return cause +
           std::string("!\n\rDie Datei wurde im Lesemodus geöffnet (Rückschreiben von Daten ist nicht möglich)!"_cp);
  }

  std::string overwritequestion(const std::string& name) const {
    return "db_createfile: " + tablefile(name) + std::string(" existiert bereits, überschreiben?!"_cp);
  }
};

TEST(CatalogueFolders, ProgramFolderIsThePartBeforeTheFileName) {
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  const catalogue::Catalogue nested("/opt/mixolino/mixolino", splash, application);
  EXPECT_EQ(nested.programfolder(), "/opt/mixolino/");
  EXPECT_EQ(nested.dbfolder(), "/opt/mixolino/db/");
  EXPECT_EQ(nested.statusfile(), "/opt/mixolino/db/status.txt");
  // A program in the root folder: no doubled separator.
  const catalogue::Catalogue root("/mixolino", splash, application);
  EXPECT_EQ(root.dbfolder(), "/db/");
  const catalogue::Catalogue bare("mixolino", splash, application);
  EXPECT_EQ(bare.programfolder(), "");
  EXPECT_EQ(bare.dbfolder(), "db/");
}

TEST_F(Startup, FirstStartCreatesAndLoadsFiveEmptyTables) {
  ASSERT_TRUE(start());
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(readfile(tablefile("c_zutaten")), header(2));
  EXPECT_EQ(readfile(tablefile("c_rezeptezutaten")), header(3));
  EXPECT_EQ(readfile(tablefile("c_rezepte")), header(2));
  EXPECT_EQ(readfile(tablefile("c_zubereitungen")), header(2));
  EXPECT_EQ(readfile(tablefile("c_ersatz")), header(2));
  // The clock stands still until the splash loop, so the line shows the start moment.
  EXPECT_EQ(readfile(statusfile()), "erstellt: 07.12.2026 20:15:30\r\n");

  const int columns[] = {2, 3, 2, 2, 2};
  for (int i = 0; i < 5; ++i) {
    const TdbdynGrid& table = *std::array<const TdbdynGrid*, 5>{&catalogue->c_zutaten(), &catalogue->c_rezeptezutaten(),
                                                                &catalogue->c_rezepte(), &catalogue->c_zubereitungen(),
                                                                &catalogue->c_ersatz()}[i];
    EXPECT_EQ(table.name(), tablenames[i]);
    EXPECT_EQ(probe(table).Mode(), 1);
    EXPECT_EQ(table.getcolcount(), columns[i]);
    EXPECT_EQ(table.getrowcount(), 1);  // the placeholder row
  }
  EXPECT_EQ(splash.shown, 1);
  EXPECT_EQ(splash.closed, 1);
  EXPECT_EQ(application.ended, 0);
}

TEST_F(Startup, SplashStaysAtLeastOneSecond) {
  ASSERT_TRUE(start());
  // Moments 0, 50, ..., 1000 ms are taken, each followed by a sleep.
  EXPECT_EQ(clock.sleeps, 21);
  EXPECT_GE(clock.elapsedms, 1000);

  // Loading that already took longer than a second: one more sleep only.
  clock.sleeps = 0;
  splash.onshow = [this] { clock.advance(2500); };
  ASSERT_TRUE(start());
  EXPECT_EQ(clock.sleeps, 1);
}

TEST_F(Startup, StartWithStatusFileLoadsExistingFilesWithoutCreating) {
  firstrun();
  testsupport::writefile(tablefile("c_rezepte"), withrecords(2, {"1\xA1"
                                                                 "Sour\xBF"
                                                                 "0\xBF\xBF\xBF\xBF\xA1"}));
  ASSERT_TRUE(start());
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(catalogue->c_rezepte().getcell(0, 0), "1");
  EXPECT_EQ(TdbdynGrid::getsubfield(catalogue->c_rezepte().getcell(1, 0), 1), "Sour");
}

// A recipe table short of a column warns for each read of a row, and all
// the start-up's reads are made where boxes can be shown.
TEST_F(Startup, ARecipeTableShortOfAColumnWarnsFromTheWindowThreadAlone) {
  firstrun();
  testsupport::writefile(tablefile("c_rezepte"), withrecords(1, {"1\xA1", "2\xA1"}));
  ASSERT_TRUE(start());
  const std::string shortofone = std::string("tdbdyngrid: getcell: col (1) außerhalb Bereich!\n\rQuelle:c_rezepte"_cp);
  // The name order reads the two names eight times (for their keys' first
  // bytes, their whole keys, and twice both to compare the equal keys); the
  // facts read each once.
  EXPECT_EQ(messages.warnings(), std::vector<std::string>(10, shortofone));
}

TEST_F(Startup, MissingTableFileWithStatusFileEndsTheProgram) {
  firstrun();
  ASSERT_TRUE(platform::deletefile(tablefile("c_rezeptezutaten")));
  splash.closed = 0;
  EXPECT_FALSE(start());
  EXPECT_TRUE(messages.questions().empty());
  ASSERT_FALSE(messages.warnings().empty());
  EXPECT_EQ(messages.warnings().back(), "Fehler beim DB-Init!");
  EXPECT_EQ(application.ended, 1);
  EXPECT_EQ(splash.closed, 0);
  EXPECT_FALSE(platform::fileexists(tablefile("c_rezeptezutaten")));  // not created behind the user's back
  EXPECT_EQ(probe(catalogue->c_zutaten()).Mode(), 1);                 // loaded before the failure
}

// The sample is offered only to a database the start-up has just made.
TEST_F(Startup, AnsweredYesTheSampleLoadsWithItsAlcoholicIngredientsMarked) {
  ASSERT_TRUE(start());
  ASSERT_TRUE(catalogue->neuangelegt());
  messages.answers = {true};
  catalogue::beispielanbieten(*catalogue, MIXOLINO_SAMPLE_DATA "/");
  EXPECT_EQ(
      messages.questions(),
      std::vector<std::string>{"Die Datenbank ist leer. Sollen die mitgelieferten Beispielrezepte geladen werden?"});
  EXPECT_EQ(messages.informations(),
            std::vector<std::string>{std::string("Import wurde ausgeführt, 218 Einträge verarbeitet!"_cp)});
  EXPECT_TRUE(messages.warnings().empty());
  // Every name of the list is an ingredient of the sample; Wodka is, Limettensaft is not.
  const std::string list = readfile(MIXOLINO_SAMPLE_DATA "/alkoholisch.txt");
  std::set<std::string> marked;
  const catalogue::Zutatentabelle zutaten = catalogue->zutaten();
  for (int32_t row = 0; row < zutaten->getrowcount(); ++row)
    if (catalogue::lesezutat(zutaten, row).alkoholisch())
      marked.insert(std::string(catalogue::lesezutat(zutaten, row).name()));
  EXPECT_EQ(marked.size(), static_cast<std::size_t>(std::count(list.begin(), list.end(), '\n')));
  EXPECT_TRUE(marked.contains("Wodka"));
  EXPECT_FALSE(marked.contains("Limettensaft"));
  // Every relation of the shipped list names two ingredients of the sample.
  EXPECT_EQ(catalogue::leseersatz(catalogue->ersatz()).size(), 29u);

  catalogue.reset();
  ASSERT_TRUE(start());
  EXPECT_FALSE(catalogue->neuangelegt());  // a second start is offered nothing
}

// A database from before the preparations and the substitutes: their tables
// are made without a word.
TEST_F(Startup, OlderDatabaseGetsThePreparationAndSubstituteTablesSilently) {
  firstrun();
  ASSERT_TRUE(platform::deletefile(tablefile("c_zubereitungen")));
  ASSERT_TRUE(platform::deletefile(tablefile("c_ersatz")));
  const std::string status = readfile(statusfile());
  ASSERT_TRUE(start());
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(readfile(tablefile("c_zubereitungen")), header(2));
  EXPECT_EQ(readfile(tablefile("c_ersatz")), header(2));
  EXPECT_EQ(readfile(statusfile()), status);
  EXPECT_EQ(probe(catalogue->c_zubereitungen()).Mode(), 1);
  EXPECT_EQ(probe(catalogue->c_ersatz()).Mode(), 1);
}

TEST_F(Startup, MissingStatusFileOffersEachTableForOverwriting) {
  firstrun();
  testsupport::writefile(tablefile("c_rezepte"), header(2) +
                                                     "\r\n\xBF"
                                                     "0000000001\xBF"
                                                     "0\xA1"
                                                     "1\xA1"
                                                     "x\xA1");
  ASSERT_TRUE(platform::deletefile(statusfile()));

  // Yes, then No: the program ends, the second file and the status file stay as they were.
  messages.answers = {true, false};
  EXPECT_FALSE(start());
  EXPECT_EQ(messages.questions(),
            (std::vector<std::string>{overwritequestion("c_zutaten"), overwritequestion("c_rezeptezutaten")}));
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{"Fehler beim erzeugen der DB-Dateien!"});
  EXPECT_EQ(application.ended, 1);
  EXPECT_FALSE(platform::fileexists(statusfile()));
  EXPECT_NE(readfile(tablefile("c_rezepte")), header(2));

  // The next start asks again; Yes to all leaves three empty tables and a new status file.
  catalogue.reset();
  application.ended = 0;
  messages.clear();
  messages.answers = {true, true, true, true, true};
  clock.advance(3600 * 1000);
  ASSERT_TRUE(start());
  EXPECT_EQ(messages.questions().size(), 5u);
  EXPECT_EQ(readfile(tablefile("c_rezepte")), header(2));
  EXPECT_EQ(catalogue->c_rezepte().getcell(0, 0), "");
  EXPECT_EQ(readfile(statusfile()), "erstellt: 07.12.2026 21:15:31\r\n");
}

TEST_F(Startup, DatabaseFolderThatCannotBeCreatedEndsTheProgram) {
  catalogue = std::make_unique<catalogue::Catalogue>(folder.path() + "missing/mixolino", splash, application);
  EXPECT_FALSE(start());
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{"Fehler beim Erzeugen von " + folder.path() + "missing/db/!"});
  EXPECT_EQ(application.ended, 1);
  EXPECT_FALSE(platform::directoryexists(folder.path() + "missing"));  // one level only
}

TEST_F(Startup, StatusFileThatCannotBeWrittenLeavesTablesUnloaded) {
  ASSERT_TRUE(platform::createdirectory(dbfolder()));
  ASSERT_TRUE(platform::createdirectory(statusfile()));  // a folder in the way of the file
  EXPECT_FALSE(start());
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{platform::errortext(platform::errinvalidname)});
  EXPECT_EQ(application.ended, 0);
  EXPECT_EQ(splash.closed, 0);
  EXPECT_EQ(probe(catalogue->c_zutaten()).Mode(), 0);
}

TEST_F(Startup, ResetAnsweredNoChangesNothing) {
  ASSERT_TRUE(start());
  messages.answers = {false};
  catalogue->DBreset1Click();
  EXPECT_EQ(messages.questions(), std::vector<std::string>{"Sind Sie sicher?"});
  EXPECT_TRUE(platform::fileexists(statusfile()));
  EXPECT_EQ(application.armed, 0);
}

TEST_F(Startup, ResetAnsweredYesRecreatesEmptyTablesOnTheNextStart) {
  ASSERT_TRUE(start());
  importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n");
  ASSERT_EQ(catalogue->c_rezepte().getcell(0, 0), "1");
  messages.clear();

  messages.answers = {true};
  catalogue->DBreset1Click();
  EXPECT_FALSE(platform::fileexists(statusfile()));
  EXPECT_EQ(application.armed, 1);
  EXPECT_TRUE(messages.warnings().empty());

  messages.answers = {true, true, true, true, true};
  clock.advance(60 * 1000);
  ASSERT_TRUE(start());
  for (const TdbdynGrid* table : std::array<const TdbdynGrid*, 5>{
           &catalogue->c_zutaten(), &catalogue->c_rezeptezutaten(), &catalogue->c_rezepte(),
           &catalogue->c_zubereitungen(), &catalogue->c_ersatz()}) {
    EXPECT_EQ(table->getrowcount(), 1);
    EXPECT_EQ(table->getcell(0, 0), "");
  }
  EXPECT_EQ(readfile(tablefile("c_rezeptezutaten")), header(3));
  EXPECT_EQ(readfile(statusfile()), "erstellt: 07.12.2026 20:16:31\r\n");
}

TEST_F(Startup, ShutdownReleasesTheFilesEvenWhenClosingFails) {
  ASSERT_TRUE(start());
  testsupport::faults::arm(1, EIO, testsupport::faults::Call::close);  // the first file to be closed fails
  catalogue->FormCloseQuery();
  EXPECT_TRUE(testsupport::faults::fired());
  testsupport::faults::disarm();
  // Every file can be locked again by someone else.
  for (const char* name : tablenames)
    EXPECT_NE(platform::File::open(tablefile(name), platform::File::Access::readwritedenywrite), nullptr) << name;
}

// Another copy of the program, in another process, starts up just now: it
// holds the database folder and has taken one table so far.
TEST_F(Startup, ACopyWithoutAllFourTablesChangesNothingAndSaysWhy) {
  firstrun();
  int ready[2];
  int release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const auto folderlock = platform::FolderLock::trylock(dbfolder());
    const auto table = platform::File::open(tablefile("c_zubereitungen"), platform::File::Access::readwritedenywrite);
    char byte = folderlock && table ? 'y' : 'n';
    (void)!::write(ready[1], &byte, 1);
    (void)!::read(release[0], &byte, 1);
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  EXPECT_EQ(byte, 'y');

  const std::string before[] = {readfile(tablefile(tablenames[0])), readfile(tablefile(tablenames[1])),
                                readfile(tablefile(tablenames[2])), readfile(tablefile(tablenames[3]))};
  EXPECT_TRUE(start());
  EXPECT_GE(clock.elapsedms, 5000);  // waited for the folder, then went on
  // One box for the whole catalogue, none per table file.
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{});
  EXPECT_EQ(messages.informations(),
            std::vector<std::string>{std::string(
                "Die Datenbank ist schon in einer anderen Kopie von Mixolino geöffnet. Diese Kopie kann sie nur lesen, "
                "nicht ändern. Wird Mixolino nach dem Ende der anderen Kopie neu gestartet, kann wieder geändert "
                "werden."_cp)});
  messages.clear();
  importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n");
  testsupport::FakeRating dialog;
  catalogue::Wertungndern1Click(*catalogue, "1", dialog);
  EXPECT_FALSE(catalogue::ZutateneditModel(*catalogue).b_okClick());
  catalogue->DBreset1Click();
  const std::string why(
      "Die Datenbank ist nur zum Lesen geöffnet, weil eine andere Kopie von Mixolino (oder ein anderes Programm) sie "
      "gerade benutzt. Es wurde nichts geändert."_cp);
  EXPECT_EQ(messages.log, std::vector<testsupport::Message>(4, {testsupport::Message::Kind::warning, why}));
  EXPECT_EQ(importfile.asked + application.armed, 0);
  EXPECT_EQ(catalogue->c_rezepte().getcell(0, 0), "");
  EXPECT_TRUE(platform::fileexists(statusfile()));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(readfile(tablefile(tablenames[i])), before[i]) << tablenames[i];

  (void)!::write(release[1], &byte, 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  // The other copy has ended: a restart would make this one writable.
  messages.clear();
  catalogue->DBreset1Click();
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{std::string(
                                     "Die Datenbank ist nur zum Lesen geöffnet. Die andere Kopie von Mixolino ist "
                                     "inzwischen beendet: nach einem Neustart von Mixolino kann sie wieder geändert "
                                     "werden. Es wurde nichts geändert."_cp)});
}

// A copy started while another imports loads what the whole import left.
TEST_F(Startup, ASecondCopyWaitsForTheCommandInProgress) {
  ASSERT_TRUE(start());
  int go[2];
  int waiting[2];
  ASSERT_EQ(::pipe(go), 0);
  ASSERT_EQ(::pipe(waiting), 0);
  // Forked before the folder is locked: a child would share the lock.
  const pid_t child = ::fork();
  if (child == 0) {
    SleepingClock sleeping;
    sleeping.signal = waiting[1];
    testsupport::FakeMessages childmessages;
    catalogue::Catalogue copy(programfile(), splash, application);
    char byte = 0;
    (void)!::read(go[0], &byte, 1);
    copy.StarttimerTimer();
    ::_exit(copy.c_rezeptezutaten().getrowcount() == 2 && childmessages.log.size() == 1 ? 0 : 1);
  }
  {
    const catalogue::Catalogue::Writing writing(*catalogue);
    char byte = 0;
    ASSERT_EQ(::write(go[1], &byte, 1), 1);
    ASSERT_EQ(::read(waiting[0], &byte, 1), 1);
    importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n2 cl Zitronensaft\r\n");
  }
  EXPECT_EQ(messages.informations().size(), 1u);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// A table file that cannot be written at all: no other process is blamed.
TEST_F(Startup, ATableFileThatCannotBeWrittenMakesTheCatalogueReadOnly) {
  firstrun();
  // After the folder lock's open, the five that check the tables' locks, the
  // empty journal's and the availability probe's: the read/write open.
  testsupport::faults::arm(9, EACCES, testsupport::faults::Call::open);
  // No box of the start-up keeps another copy waiting for the folder.
  bool lockfree = false;
  messages.onshow = [&](const testsupport::Message&) { lockfree = anotherprocesscanlock(dbfolder()); };
  EXPECT_TRUE(start());
  EXPECT_TRUE(lockfree);
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{readonlywarning("Achtung: " + tablefile("c_zutaten") +
                                                     " kann nicht beschrieben werden (Dateizugriff verweigert)")});
  EXPECT_EQ(catalogue->readonly(), catalogue::Catalogue::ReadOnly::notwritable);
  messages.clear();
  EXPECT_FALSE(catalogue::ZutateneditModel(*catalogue).b_okClick());
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{std::string(
                                     "Die Datenbank ist nur zum Lesen geöffnet, weil ihre Dateien nicht beschrieben "
                                     "werden können (keine Schreibberechtigung oder schreibgeschützter Datenträger). "
                                     "Es wurde nichts geändert."_cp)});
}

// A command's boxes wait until no holder of the folder lock is left, and a
// nested holder that ends leaves the lock with the outer one (as an import's
// lock spans the commits of all its batches).
TEST_F(Startup, BoxesAndTheLockWaitForTheOutermostWriting) {
  ASSERT_TRUE(start());
  std::vector<bool> lockfree;
  messages.onshow = [&](const testsupport::Message&) { lockfree.push_back(anotherprocesscanlock(dbfolder())); };
  {
    const catalogue::Catalogue::Writing outer(*catalogue);
    {
      const catalogue::Catalogue::Writing inner(*catalogue);
      platform::showwarning("innen");
    }
    EXPECT_FALSE(anotherprocesscanlock(dbfolder()));
    platform::showinformation("aussen");
    EXPECT_TRUE(messages.log.empty());
  }
  EXPECT_EQ(messages.log.size(), 2u);
  EXPECT_EQ(lockfree, (std::vector<bool>{true, true}));
}

// The folder stays locked until the three tables are loaded, so a copy that
// starts meanwhile cannot take it: probed when c_rezepte, loaded last, warns
// of its record count.
// The loader corrects the record count of c_rezepte in its file: at that
// moment, inside the load, no other copy may take the folder.
TEST_F(Startup, TheFolderStaysLockedWhileTheTablesLoad) {
  firstrun();
  testsupport::writefile(tablefile("c_rezepte"),
                         "#DB\xA1"
                         "0000000007\xA1"
                         "A\xA1"
                         "2\xA1");
  std::vector<bool> locked;
  testsupport::powercut::record(dbfolder());
  testsupport::powercut::watch([&](const testsupport::powercut::Event& event) {
    if (event.file == "c_rezepte.db") locked.push_back(!anotherprocesscanlock(dbfolder()));
  });
  const bool started = start();
  testsupport::powercut::stop();
  ASSERT_TRUE(started);
  EXPECT_EQ(locked, std::vector<bool>{true});
}

}  // namespace

namespace {

// A journal with a valid trailer: one file, its old size and one extent.
std::string journalfor(const std::string& name, uint64_t oldsize, uint64_t offset = 0, const std::string& bytes = "") {
  using namespace journalformat;
  std::string out(magic, magicwidth);
  const auto put = [&](uint64_t value, unsigned long width) {
    for (unsigned long i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put(name.size(), namelengthwidth);
  out += name;
  put(oldsize, sizewidth);
  put(1, countwidth);
  put(offset, sizewidth);
  put(bytes.size(), lengthwidth);
  out += bytes;
  const uLong crc = crc32_z(0, reinterpret_cast<const Bytef*>(out.data()), out.size());
  put(out.size(), sizewidth);
  put(crc, crcwidth);
  return out;
}

// A journal with its crc broken, as a damaged disk leaves it.
std::string damaged(std::string journal) {
  journal.back() = static_cast<char>(~journal.back());
  return journal;
}

// A journal that no commit wrote is applied nowhere: one box, the copy only
// reads, and every file stays as it is; so for a missing journal file, and a
// damaged one while the tables differ from its old bytes. Damaged while they
// do not, it is dropped.
TEST_F(Startup, AJournalThatNoCommitWroteIsNotAppliedNorOneThatCannotBeMade) {
  firstrun();
  const std::string outside = folder.path() + "fremd.txt";
  testsupport::writefile(outside, "fremd");
  const uint64_t size = readfile(tablefile("c_rezepte")).size();
  testsupport::writefile(dbfolder() + "journal", damaged(journalfor("c_rezepte.db", size, 0, "#DB")));
  ASSERT_TRUE(start());
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{});
  EXPECT_EQ(readfile(dbfolder() + "journal"), "");
  const std::string journals[] = {journalfor("c_rezepte.db", uint64_t{1} << 40),
                                  journalfor("c_rezepte.db", 0),
                                  journalfor("status.txt", 4, 0, "kaputt"),
                                  journalfor("journal", 0),
                                  journalfor("c_rezepte.db", size, uint64_t{1} << 63, "x"),
                                  journalfor("c_rezepte.db", size + 10, 0, "#DB"),
                                  damaged(journalfor("c_rezepte.db", size, 0, "#DX")),
                                  damaged(journalfor("c_rezepte.db", 0)),
                                  ""};  // "": a link outside
  for (const std::string& journal : journals) {
    std::filesystem::remove(dbfolder() + "journal");
    if (journal.empty()) std::filesystem::create_symlink(outside, dbfolder() + "journal");
    if (!journal.empty()) testsupport::writefile(dbfolder() + "journal", journal);
    const std::string status = readfile(statusfile()), rezepte = readfile(tablefile("c_rezepte"));
    messages.clear();
    catalogue.reset();
    ASSERT_TRUE(start());
    importtext("Mojito\r\nZutaten:\r\nMinze\r\n");
    EXPECT_EQ(
        messages.warnings(),
        (std::vector<std::string>{
            std::string("Der letzte Befehl ist vielleicht nicht zu Ende geführt worden: die Datei "_cp) + dbfolder() +
                std::string("journal, die ihn rückgängig machen sollte, stammt nicht von Mixolino oder ist "
                            "beschädigt. Sie wird nicht angewendet und bleibt, wie sie ist; die Datenbank ist "
                            "nur zum Lesen geöffnet. Prüfen Sie die Rezepte: sind sie vollständig, beenden Sie "
                            "Mixolino und löschen Sie die Datei; sonst ersetzen Sie den Ordner db durch eine "
                            "Sicherung."_cp),
            std::string("Die Datenbank ist nur zum Lesen geöffnet, weil der letzte Befehl vielleicht nicht zu "
                        "Ende geführt worden ist (siehe die Meldung beim Start). Es wurde nichts geändert."_cp)}));
    catalogue->FormCloseQuery();
    EXPECT_EQ(readfile(statusfile()) + readfile(tablefile("c_rezepte")), status + rezepte);
    EXPECT_EQ(readfile(dbfolder() + "journal"), journal.empty() ? "fremd" : journal);
  }
  std::filesystem::remove(dbfolder() + "journal");
  ASSERT_TRUE(platform::createdirectory(dbfolder() + "journal"));
  messages.clear();
  catalogue.reset();
  ASSERT_TRUE(start());
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{"Die Datei " + dbfolder() + "journal kann nicht angelegt werden (" +
                                     platform::errortext(platform::errinvalidname) +
                                     std::string("). Ohne sie ließe sich ein Befehl, den ein Stromausfall "
                                                 "unterbricht, nicht rückgängig machen: die Datenbank ist deshalb "
                                                 "nur zum Lesen geöffnet."_cp)});
  EXPECT_FALSE(catalogue->maywrite());
}

// A table file that is a link is never followed; a newer table that a copy
// without write access cannot make stays empty. Either way one box, and
// the copy only reads.
TEST_F(Startup, ALinkedOrAMissingNewerTableLeavesItEmptyAndTheCopyReadOnly) {
  firstrun();
  ASSERT_TRUE(platform::renamefile(tablefile("c_rezepte"), folder.path() + "fremd.db"));
  std::filesystem::create_symlink(folder.path() + "fremd.db", tablefile("c_rezepte"));
  ASSERT_TRUE(start());
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{"Die Datei " + tablefile("c_rezepte") +
                                     std::string(" ist keine gewöhnliche Datei (sondern eine Verknüpfung, eine Pipe "
                                                 "oder ein Gerät). Mixolino liest und ersetzt sie nicht: die Tabelle "
                                                 "bleibt leer, und die Datenbank ist nur zum Lesen geöffnet."_cp)});
  EXPECT_FALSE(catalogue->maywrite());
  catalogue->FormCloseQuery();
  EXPECT_EQ(readfile(folder.path() + "fremd.db"), header(2));

  // An older database, the first table file not writable (a read-only medium).
  ASSERT_TRUE(platform::renamefile(folder.path() + "fremd.db", tablefile("c_rezepte")));
  ASSERT_TRUE(platform::deletefile(tablefile("c_zubereitungen")));
  messages.clear();
  catalogue.reset();
  testsupport::faults::arm(2, EACCES, testsupport::faults::Call::open);  // after the folder lock's
  ASSERT_TRUE(start());
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{std::string("Die Datenbank stammt von einer älteren Version von Mixolino: die "
                                                 "Datei "_cp) +
                                     tablefile("c_zubereitungen") +
                                     std::string(" fehlt und kann hier nicht angelegt werden. Die Tabelle bleibt "
                                                 "leer, und die Datenbank ist nur zum Lesen geöffnet."_cp)});
  EXPECT_EQ(catalogue->c_zubereitungen().getcell(1, 0) + catalogue->c_rezepte().getcell(1, 0), "");
  EXPECT_FALSE(platform::fileexists(tablefile("c_zubereitungen")));
  EXPECT_FALSE(catalogue->maywrite());
}

}  // namespace
