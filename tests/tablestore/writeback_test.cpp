// The bytes that row changes leave in the table file: appends with the
// record count, delete marks, first-fit reuse of free slots with NUL fill,
// files of one table kept apart, and files held by another process.
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/tableprobe.h"
#include "writeback_support.h"

using testsupport::probe;

using namespace writeback;

namespace {

using WriteBack = TableFile;

// The worked example of a new two-column table: every step byte for byte.
TEST_F(WriteBack, WorkedSequenceOnANewFile) {
  start(header(0, 2));
  const std::string rec1ab = record(pos10(1), "0", {"1", "ab"});

  // 1. The first record: CR LF at 19 and 20, the record at 21..39, DC 1.
  ASSERT_TRUE(add({"1", "ab"}));
  EXPECT_EQ(bytes(), header(1, 2) + "\r\n" + rec1ab);
  EXPECT_EQ(probe(table).DBfields(0), fields({"N", name, pos10(1), "0", "21", "19"}));

  // 2. It grows to 20 bytes: flagged at 21, its slot too short, appended at 42.
  ASSERT_TRUE(update(0, {"1", "abc"}));
  const std::string flagged1 = deletedhead() + rec1ab.substr(13);
  EXPECT_EQ(bytes(), header(2, 2) + "\r\n" + flagged1 + "\r\n" + record(pos10(1), "0", {"1", "abc"}));
  EXPECT_EQ(probe(table).DBfields(0), fields({"N", name, pos10(1), "0", "42", "20"}));
  EXPECT_EQ(probe(table).freeslots().at(static_cast<std::size_t>(probe(table).lastfreeslot())),
            fields({"N", name, "x", "x", "21", "19"}));

  // 3. A new 19-byte record fills the free slot exactly; DC stays.
  ASSERT_TRUE(add({"2", "xy"}));
  EXPECT_EQ(bytes(),
            header(2, 2) + "\r\n" + record(pos10(2), "0", {"2", "xy"}) + "\r\n" + record(pos10(1), "0", {"1", "abc"}));
  EXPECT_EQ(bytes().size(), 62u);
  EXPECT_EQ(probe(table).DBfields(1), fields({"N", name, pos10(2), "0", "21", "19"}));
  EXPECT_EQ(probe(table).freeslots().at(static_cast<std::size_t>(probe(table).lastfreeslot())), "");

  // 4. It shrinks to 18 bytes: back into its own slot, filled with two NULs.
  ASSERT_TRUE(update(0, {"1", "a"}));
  const std::string expected = header(2, 2) + "\r\n" + record(pos10(2), "0", {"2", "xy"}) + "\r\n" +
                               record(pos10(1), "0", {"1", "a"}) + std::string(2, '\0');
  EXPECT_EQ(bytes(), expected);
  EXPECT_EQ(probe(table).DBfields(0), fields({"N", name, pos10(1), "0", "42", "20"}));
  EXPECT_TRUE(messages.log.empty());

  // Rows load in file order: slot reuse changed it.
  TdbdynGrid fresh(name);
  reload(fresh);
  EXPECT_TRUE(messages.log.empty());
  ASSERT_EQ(fresh.getrowcount(), 2);
  EXPECT_EQ(cells(fresh, 0), (Row{"2", "xy"}));
  EXPECT_EQ(cells(fresh, 1), (Row{"1", "a"}));
  EXPECT_EQ(TdbdynGrid::getsubfield(probe(fresh).DBfields(1), 3), pos10(1));
  EXPECT_EQ(bytes(), expected);
}

TEST_F(WriteBack, ADeleteChangesExactlyThirteenBytesAndFreesTheSlot) {
  start(header(0, 2));
  for (const char* id : {"1", "2", "3"}) ASSERT_TRUE(add({id, "Minze"}));
  const std::string before = bytes();
  const std::string offset = TdbdynGrid::getsubfield(probe(table).DBfields(1), 5);
  const std::string length = TdbdynGrid::getsubfield(probe(table).DBfields(1), 6);
  const int32_t lastslot = probe(table).lastfreeslot();

  ASSERT_TRUE(table.delrow(1));
  const std::string after = bytes();
  ASSERT_EQ(after.size(), before.size());
  const std::size_t at = std::stoul(offset);
  EXPECT_EQ(after.substr(at, 13), deletedhead());
  EXPECT_EQ(after.substr(0, at), before.substr(0, at));
  EXPECT_EQ(after.substr(at + 13), before.substr(at + 13));
  EXPECT_EQ(probe(table).lastfreeslot(), lastslot + 1);
  EXPECT_EQ(probe(table).freeslots().at(static_cast<std::size_t>(probe(table).lastfreeslot())),
            fields({"N", name, "x", "x", offset, length}));
  EXPECT_EQ(probe(table).DBfields(1), "");
  EXPECT_EQ(cells(table, 1), (Row{"", ""}));
}

TEST_F(WriteBack, ANewRecordTakesAFreedSlotWithANewPosAndNulFill) {
  start(header(0, 2));
  ASSERT_TRUE(add({"1", "abcdef"}));  // 23 bytes at 21
  ASSERT_TRUE(add({"2", "b"}));
  ASSERT_TRUE(table.delrow(0));
  ASSERT_TRUE(add({"3", "x"}));  // 18 bytes
  const std::string expected = header(2, 2) + "\r\n" + record(pos10(3), "0", {"3", "x"}) + std::string(5, '\0') +
                               "\r\n" + record(pos10(2), "0", {"2", "b"});
  EXPECT_EQ(bytes(), expected);
  EXPECT_EQ(table.getrowcount(), 3);
  EXPECT_EQ(probe(table).DBfields(2), fields({"N", name, pos10(3), "0", "21", "23"}));

  // The fill is dropped from the values but counted in the slot.
  TdbdynGrid fresh(name);
  reload(fresh);
  EXPECT_EQ(cells(fresh, 0), (Row{"3", "x"}));
  EXPECT_EQ(probe(fresh).DBfields(0), fields({"N", name, pos10(3), "0", "21", "23"}));
}

TEST_F(WriteBack, TheHighestPosIsIssuedAgainOnlyAfterItsDeletedRecordIsReloaded) {
  start(header(0, 2));
  for (const char* id : {"1", "2", "3"}) ASSERT_TRUE(add({id, "x"}));
  ASSERT_TRUE(table.delrow(2));
  EXPECT_EQ(probe(table).dbfiles().at(0).maxpos, 3);

  TdbdynGrid fresh(name);
  reload(fresh);
  EXPECT_EQ(probe(fresh).dbfiles().at(0).maxpos, 2);
  Row values{"4", "y"};
  ASSERT_TRUE(fresh.addrow(values));
  EXPECT_EQ(TdbdynGrid::getsubfield(probe(fresh).DBfields(2), 3), pos10(3));
}

// Reused free slots stay in the list as empty entries; after loading again
// into the same object the list starts anew and its first entry must be seen.
TEST_F(WriteBack, FirstFitSeesEveryFreeSlotAfterLoadingAgainIntoTheSameTable) {
  start(header(0, 2));
  for (const char* id : {"1", "2", "3"}) ASSERT_TRUE(add({id, "x"}));  // 18 bytes each, at 21, 41, 61
  ASSERT_TRUE(table.delrow(0));
  ASSERT_TRUE(add({"4", "x"}));  // takes the slot at 21
  ASSERT_TRUE(add({"5", "x"}));  // appended
  ASSERT_TRUE(table.delrow(1));
  table.db_close();
  ASSERT_TRUE(table.db_init(folder.path(), {name}));
  ASSERT_EQ(probe(table).freeslots().at(0), fields({"N", name, "x", "x", "41", "18"}));

  ASSERT_TRUE(add({"6", "x"}));
  EXPECT_EQ(TdbdynGrid::getsubfield(probe(table).DBfields(table.getrowcount() - 1), 5), "41");
  EXPECT_EQ(probe(table).freeslots().at(0), "");
  EXPECT_TRUE(messages.log.empty());
}

// Two files in one table: new rows go to the file loaded last, changes stay in
// the file of their row, and a slot of one file never takes another's record.
TEST_F(WriteBack, FilesOfOneTableKeepTheirRecordsApart) {
  const std::string a1 = record(pos10(1), "0", {"1", "a"});                    // 18 bytes at 21
  const std::string big = record(pos10(0), "1", {"9", std::string(30, 'q')});  // 47 bytes at 41
  const std::string a2 = record(pos10(2), "0", {"2", "a"});
  const std::string b1 = record(pos10(1), "0", {"7", "x"});  // 18 bytes at 21
  const std::string b2 = record(pos10(2), "0", {"6", "w"});
  writebytes(folder.file("a.db"), header(3, 2) + "\r\n" + a1 + "\r\n" + big + "\r\n" + a2);
  writebytes(folder.file("b.db"), header(2, 2) + "\r\n" + b1 + "\r\n" + b2);
  ASSERT_TRUE(table.db_init(folder.path(), {"a", "b"}));
  ASSERT_EQ(table.getrowcount(), 4);
  const std::string aloaded = readbytes(folder.file("a.db"));

  ASSERT_TRUE(add({"8", "y"}));
  EXPECT_EQ(readbytes(folder.file("a.db")), aloaded);
  EXPECT_EQ(readbytes(folder.file("b.db")),
            header(3, 2) + "\r\n" + b1 + "\r\n" + b2 + "\r\n" + record(pos10(3), "0", {"8", "y"}));
  EXPECT_EQ(TdbdynGrid::getsubfield(probe(table).DBfields(4), 2), "b");

  // First fit: the large free slot is listed before the row's own old slot.
  ASSERT_TRUE(update(0, {"1", "c"}));
  const std::string anow = header(3, 2) + "\r\n" + deletedhead() + a1.substr(13) + "\r\n" +
                           record(pos10(1), "0", {"1", "c"}) + std::string(29, '\0') + "\r\n" + a2;
  EXPECT_EQ(readbytes(folder.file("a.db")), anow);
  EXPECT_EQ(probe(table).DBfields(0), fields({"N", "a", pos10(1), "0", "41", "47"}));

  // a's freed slot (21, 18) comes first in the list but belongs to another file.
  ASSERT_TRUE(table.delrow(2));
  ASSERT_TRUE(add({"9", "z"}));
  EXPECT_EQ(readbytes(folder.file("a.db")), anow);
  EXPECT_EQ(readbytes(folder.file("b.db")), header(3, 2) + "\r\n" + record(pos10(4), "0", {"9", "z"}) + "\r\n" + b2 +
                                                "\r\n" + record(pos10(3), "0", {"8", "y"}));
  EXPECT_EQ(probe(table).DBfields(5), fields({"N", "b", pos10(4), "0", "21", "18"}));
  EXPECT_TRUE(messages.log.empty());

  TdbdynGrid fresh(name);
  reload(fresh, {"a", "b"});
  ASSERT_EQ(fresh.getrowcount(), 5);
  const std::vector<Row> expected{{"1", "c"}, {"2", "a"}, {"9", "z"}, {"6", "w"}, {"8", "y"}};
  for (int32_t row = 0; row < 5; ++row) EXPECT_EQ(cells(fresh, row), expected[static_cast<std::size_t>(row)]);
}

// A record whose Pos changed behind the table's back is not the row's record.
TEST_F(WriteBack, AForeignPosAtTheRowsOffsetIsLeftAlone) {
  start(header(2, 2) + "\r\n" + record(pos10(1), "0", {"1", "a"}) + "\r\n" + record(pos10(2), "0", {"2", "b"}));
  std::string changed = bytes();
  changed.replace(22, 10, pos10(9));
  writebytes(path, changed);

  EXPECT_FALSE(update(0, {"1", "z"}));
  EXPECT_FALSE(table.delrow(0));
  EXPECT_EQ(messages.warnings(), (Texts{"tdbdyngrid: updatefile: Fehler in _del!" + source(name),
                                        "tdbdyngrid: updaterow: row (0) Fehler beim Updaten der Datei!" + source(name),
                                        "tdbdyngrid: updatefile: Fehler in _del!" + source(name),
                                        "tdbdyngrid: delrow: row (0) Fehler beim Updaten der Datei!" + source(name)}));
  EXPECT_EQ(bytes(), changed);
  EXPECT_EQ(state(table, 0), "D");
  EXPECT_EQ(cells(table, 0), (Row{"1", "z"}));
}

// After a record with the highest number a Pos can hold there is no next one:
// a new row is refused before anything is written, a changed one keeps its Pos.
TEST_F(WriteBack, NoPosIsIssuedBeyondTheLargestNumber) {
  start(header(1, 2) + "\r\n" + record("2147483647", "0", {"1", "a"}));
  const std::string before = bytes();
  EXPECT_FALSE(add({"2", "b"}));
  EXPECT_EQ(messages.warnings(), (Texts{"tdbdyngrid: updatefile: Fehler in _ins!" + source(name),
                                        "tdbdyngrid: addrow: row (1) Fehler beim Updaten der Datei!" + source(name)}));
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(probe(table).dbfiles().at(0).maxpos, 2147483647);
  EXPECT_EQ(state(table, 1), "C");

  ASSERT_TRUE(update(0, {"1", "z"}));
  EXPECT_EQ(TdbdynGrid::getsubfield(probe(table).DBfields(0), 3), "2147483647");
  TdbdynGrid fresh(name);
  reload(fresh);
  EXPECT_EQ(cells(fresh, 0), (Row{"1", "z"}));
}

// The reader keeps at most 102,400 bytes of a line: a longer record is
// refused before anything is written, one of exactly that length is kept.
TEST_F(WriteBack, RecordsLongerThanTheLineBufferAreRefused) {
  start(header(0, 2));
  ASSERT_TRUE(add({"1", "a"}));
  const std::string before = bytes();
  const std::string toolong = std::string(
                                  "tdbdyngrid: updatefile: Datensatz zu lang (102401 Bytes, höchstens "
                                  "102400 Bytes)!"_cp) +
                              source(name);

  EXPECT_FALSE(add({"2", std::string(102384, 'v')}));
  EXPECT_FALSE(update(0, {"1", std::string(102384, 'w')}));
  EXPECT_EQ(messages.warnings(),
            (Texts{toolong, "tdbdyngrid: addrow: row (1) Fehler beim Updaten der Datei!" + source(name), toolong,
                   "tdbdyngrid: updaterow: row (0) Fehler beim Updaten der Datei!" + source(name)}));
  EXPECT_EQ(bytes(), before);
  EXPECT_EQ(state(table, 1), "C");
  EXPECT_EQ(probe(table).DBfields(0), fields({"U", name, pos10(1), "0", "21", "18"}));

  messages.clear();
  const std::string longest(102383, 'v');
  ASSERT_TRUE(update(1, {"2", longest}));
  ASSERT_TRUE(update(0, {"1", "b"}));
  ASSERT_TRUE(add({"3", "c"}));
  EXPECT_TRUE(messages.log.empty());

  TdbdynGrid fresh(name);
  reload(fresh);
  EXPECT_TRUE(messages.log.empty());
  ASSERT_EQ(fresh.getrowcount(), 3);
  EXPECT_EQ(cells(fresh, 0), (Row{"1", "b"}));
  EXPECT_EQ(cells(fresh, 1), (Row{"2", longest}));
  EXPECT_EQ(cells(fresh, 2), (Row{"3", "c"}));
}

// Holds a table file with the deny-write lock in a child process until released.
class OtherProcess {
 public:
  explicit OtherProcess(const std::string& path) {
    if (pipe(ready_) != 0 || pipe(release_) != 0) return;
    child_ = fork();
    if (child_ == 0) {
      close(release_[1]);  // so that the parent's close ends the read below
      const auto held = platform::File::open(path, platform::File::Access::readwritedenywrite);
      const char answer = held ? 'y' : 'n';
      char ignored = 0;
      if (write(ready_[1], &answer, 1) == 1 && read(release_[0], &ignored, 1) >= 0) _exit(0);
      _exit(1);
    }
    char answer = 0;
    holding_ = read(ready_[0], &answer, 1) == 1 && answer == 'y';
  }
  ~OtherProcess() {
    close(release_[1]);  // the child's read ends
    if (child_ > 0) waitpid(child_, nullptr, 0);
    for (int fd : {ready_[0], ready_[1], release_[0]}) close(fd);
  }
  bool holding() const { return holding_; }

 private:
  int ready_[2] = {-1, -1};
  int release_[2] = {-1, -1};
  pid_t child_ = -1;
  bool holding_ = false;
};

TEST_F(WriteBack, WhileAnotherProcessHoldsTheFileChangesStayInMemory) {
  const std::string file =
      header(2, 2) + "\r\n" + record(pos10(1), "0", {"1", "a"}) + "\r\n" + record(pos10(2), "0", {"2", "b"});
  writebytes(path, file);
  OtherProcess other(path);
  ASSERT_TRUE(other.holding());

  ASSERT_TRUE(table.db_init(folder.path(), {name}));
  EXPECT_EQ(
      messages.warnings(),
      Texts{"Achtung: ein anderer Prozess blockiert den Schreibzugriff auf " + path + "!\n\r" +
            std::string("Die Datei wurde im Lesemodus geöffnet (Rückschreiben von Daten ist nicht möglich)!"_cp)});
  messages.clear();

  EXPECT_TRUE(add({"3", "c"}));
  EXPECT_TRUE(update(0, {"1", "z"}));
  EXPECT_TRUE(table.delrow(1));
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(bytes(), file);
  EXPECT_EQ(state(table, 2), "C");
  EXPECT_EQ(state(table, 0), "U");
  EXPECT_EQ(state(table, 1), "D");
  EXPECT_EQ(cells(table, 0), (Row{"1", "z"}));
  EXPECT_EQ(cells(table, 1), (Row{"", ""}));
}

// A deleted line longer than the line buffer leaves a slot that no record
// built there can fill: the new record is appended.
TEST_F(WriteBack, AFreeSlotLongerThanTheLineBufferIsNeverFilled) {
  const std::string file = header(1, 2) + "\r\n" + deletedhead() + A + std::string(TdbdynGrid::linebuffersize, 'x') + A;
  start(file);
  ASSERT_TRUE(add({"1", "kurz"}));
  EXPECT_EQ(bytes(), header(2, 2) + file.substr(header(1, 2).size()) + "\r\n" + liverecord(1, {"1", "kurz"}));
}

}  // namespace
