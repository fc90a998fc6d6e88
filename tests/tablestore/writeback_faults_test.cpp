// Row changes whose file operations fail: every file operation of a change
// is made to fail in turn (1st, 2nd, ... until the change gets through).
// After each failure the user has seen the cause and the operation's message,
// the row is as it was left, the file still loads with every record it held,
// the same change can be repeated, and further rows can be added.
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <set>

#include "tests/support/faults.h"
#include "tests/support/tableprobe.h"
#include "writeback_support.h"

using testsupport::probe;

using namespace writeback;

namespace {

using Records = std::vector<Row>;  // live records' values, sorted

// The records the changes start from keep these Pos, whatever happens.
const std::map<std::string, std::string> startpos{{"1", pos10(1)}, {"2", pos10(1234567)}, {"3", pos10(3)}};

// Live rows of a table, sorted; fails the test when two share a Pos or a
// starting record lost its Pos.
Records liverecords(const TdbdynGrid& table) {
  Records out;
  std::set<std::string> positions;
  for (int32_t row = 0; row < table.getrowcount(); ++row) {
    if (probe(table).DBfields(row).empty()) continue;
    const std::string pos = TdbdynGrid::getsubfield(probe(table).DBfields(row), 3);
    EXPECT_TRUE(positions.insert(pos).second) << "Pos twice";
    const Row values = cells(table, row);
    const auto start = startpos.find(values[0]);
    if (start != startpos.end()) {
      EXPECT_EQ(pos, start->second);
    }
    out.push_back(values);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Loads the folder's table into a new object, as at the next start. Only the
// record count warning (the reader's own correction) may appear; the load's
// messages are taken out of the log again.
Records loadagain(const std::string& folder, testsupport::FakeMessages& messages) {
  const std::size_t logged = messages.log.size();
  TdbdynGrid fresh("c_rezepte");
  EXPECT_TRUE(fresh.db_init(folder, {"c_rezepte"}));
  for (std::size_t i = logged; i < messages.log.size(); ++i)
    EXPECT_EQ(messages.log[i].text.rfind("Warnung beim Laden von ", 0), 0u) << messages.log[i].text;
  messages.log.resize(logged);
  Records records = liverecords(fresh);
  fresh.db_close();
  return records;
}

Records with(Records records, const Row& added) {
  records.push_back(added);
  std::sort(records.begin(), records.end());
  return records;
}

Records without(Records records, const Row& removed) {
  records.erase(std::find(records.begin(), records.end(), removed));
  return records;
}

enum class Kind { add, update, remove };

struct Change {
  const char* label;
  Kind kind;
  int32_t row;  // the row changed or deleted; an added row becomes row 3
  Row values;
};

// Names the change in test listings instead of dumping its bytes.
void PrintTo(const Change& change, std::ostream* out) { *out << change.label; }

// Rows 0..2 and, between rows 0 and 1, a free slot of 37 bytes. Records of
// at least 26 bytes, so that half of one written covers its head.
const Row rum{"1", "Rum und Cola mit Limette und Eis"};  // 49 bytes
const Row gin{"2", "Gin Tonic"};                         // a Pos of 7 digits
const Row wodka{"3", "Wodka"};
std::string startfile() {
  return header(4, 2) + "\r\n" + liverecord(1, rum) + "\r\n" + record(pos10(0), "1", {"9", std::string(20, 'f')}) +
         "\r\n" + liverecord(1234567, gin) + "\r\n" + liverecord(3, wodka);
}
const Records startrecords = [] {
  Records r{rum, gin, wodka};
  std::sort(r.begin(), r.end());
  return r;
}();

const Change changes[] = {
    {"add appended", Kind::add, 3, {"4", "Tequila Sunrise mit Grenadine"}},
    {"add into the free slot", Kind::add, 3, {"4", "Eierlikoer mit Sahne"}},
    {"update into its own slot", Kind::update, 0, {"1", "Gin und Tonic mit Gurke und Eis!"}},
    {"update into another slot", Kind::update, 1, {"2", "Gin Tonic mit Gurke"}},
    {"update appended", Kind::update, 0, {"1", "Rum und Cola mit Limette, Eis und Minze"}},
    {"delete", Kind::remove, 1, {}},
};

bool apply(TdbdynGrid& table, const Change& change) {
  Row values = change.values;
  switch (change.kind) {
    case Kind::add: return table.addrow(values);
    case Kind::update: return table.updaterow(change.row, values);
    case Kind::remove: return table.delrow(change.row);
  }
  return false;
}

// The retry after a failure: a new row is still "C" and is written by an update.
bool retry(TdbdynGrid& table, const Change& change) {
  Row values = change.values;
  return change.kind == Kind::add ? table.updaterow(change.row, values) : apply(table, change);
}

Records afterchange(const Change& change) {
  const Row old = change.row < 3 ? std::vector<Row>{rum, gin, wodka}[static_cast<std::size_t>(change.row)] : Row{};
  switch (change.kind) {
    case Kind::add: return with(startrecords, change.values);
    case Kind::update: return with(without(startrecords, old), change.values);
    case Kind::remove: return without(startrecords, old);
  }
  return {};
}

std::string operationmessage(const Change& change) {
  const char* operation = change.kind == Kind::add ? "addrow" : change.kind == Kind::update ? "updaterow" : "delrow";
  return std::string("tdbdyngrid: ") + operation + ": row (" + std::to_string(change.row) +
         ") Fehler beim Updaten der Datei!" + source("c_rezepte");
}

class Faults : public testing::TestWithParam<Change> {};

TEST_P(Faults, EveryFailingFileOperationLeavesALoadableFile) {
  const Change& change = GetParam();
  const Row added{"5", "Limette"};
  // Each operation fails twice: once outright, once after writing half its bytes.
  long n = 1;
  for (long run = 2;; ++run) {
    n = run / 2;
    const bool shortwrite = run % 2 == 1;
    SCOPED_TRACE("file operation " + std::to_string(n) + " fails" + (shortwrite ? " after half its bytes" : ""));
    testsupport::FakeMessages messages;
    tablefiles::ScratchFolder folder;
    const std::string path = folder.file("c_rezepte.db");
    writebytes(path, startfile());
    TdbdynGrid table("c_rezepte");
    ASSERT_TRUE(table.db_init(folder.path(), {"c_rezepte"}));
    ASSERT_TRUE(messages.log.empty());
    const std::string oldfields = change.row < 3 ? probe(table).DBfields(change.row) : "";
    const Row oldcells = cells(table, change.row < 3 ? change.row : 0);

    const int code = shortwrite ? platform::errdiskfull : platform::erraccessdenied;
    if (shortwrite)
      testsupport::faults::armshort(n, ENOSPC);
    else
      testsupport::faults::arm(n, EACCES);
    const bool ok = apply(table, change);
    const bool fired = testsupport::faults::fired();
    testsupport::faults::disarm();
    if (!fired) {
      EXPECT_TRUE(ok);
      EXPECT_TRUE(messages.log.empty());
      table.db_close();
      EXPECT_EQ(loadagain(folder.path(), messages), afterchange(change));
      break;
    }

    EXPECT_FALSE(ok);
    const std::string cause = n == 1 ? "tdbdyngrid: updatefile: " + path + " existiert nicht!"
                                     : "tdbdyngrid: updatefile: " + platform::errortext(code) + source("c_rezepte");
    EXPECT_EQ(messages.warnings(), (Texts{cause, operationmessage(change)}));

    // What memory holds after the failure; the file still holds the old record.
    switch (change.kind) {
      case Kind::add:
        EXPECT_EQ(state(table, change.row), "C");
        EXPECT_EQ(cells(table, change.row), change.values);
        break;
      case Kind::update:
        EXPECT_EQ(cells(table, change.row), change.values);
        EXPECT_EQ(probe(table).DBfields(change.row), "U" + oldfields.substr(1));
        break;
      case Kind::remove:
        EXPECT_EQ(state(table, change.row), "D");
        EXPECT_EQ(probe(table).DBfields(change.row), "D" + oldfields.substr(1));
        EXPECT_EQ(cells(table, change.row), oldcells);
        break;
    }
    // The table lets go of its file meanwhile; its next change opens it again.
    table.closefiles();
    EXPECT_EQ(loadagain(folder.path(), messages), startrecords);

    // The same change goes through once the file works again, and so does the next row.
    messages.clear();
    EXPECT_TRUE(retry(table, change));
    Row next = added;
    EXPECT_TRUE(table.addrow(next));
    EXPECT_TRUE(messages.log.empty());
    table.db_close();
    EXPECT_EQ(loadagain(folder.path(), messages), with(afterchange(change), added));
  }
  EXPECT_GT(n, 3) << "the change made too few file operations to be tested";
}

INSTANTIATE_TEST_SUITE_P(WriteBack, Faults, testing::ValuesIn(changes), [](const auto& test) {
  std::string name = test.param.label;
  std::replace(name.begin(), name.end(), ' ', '_');
  return name;
});

// A size-limited tmpfs, mounted for the test's lifetime (needs root).
class SmallDisk {
 public:
  SmallDisk() {
    std::string pattern = "/tmp/mixolino-disk-XXXXXX";
    if (!mkdtemp(pattern.data())) return;
    path_ = pattern;
    mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    if (!path_.empty()) ::rmdir(path_.c_str());
  }
  bool mounted() const { return mounted_; }
  std::string path() const { return path_ + "/"; }

 private:
  std::string path_;
  bool mounted_ = false;
};

TEST(WriteBackOnAFullDisk, FailedAppendsAreCutBackAndChangesInPlaceGoOn) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  SmallDisk disk;
  if (!disk.mounted()) GTEST_SKIP() << "tmpfs could not be mounted";
  testsupport::FakeMessages messages;
  const std::string path = disk.path() + "c_rezepte.db";
  writebytes(path, header(0, 2));
  TdbdynGrid table("c_rezepte");
  ASSERT_TRUE(table.db_init(disk.path(), {"c_rezepte"}));

  // Fill the disk.
  Records written;
  std::string filebefore;
  for (int i = 0; i < 1000; ++i) {
    Row values{std::to_string(i) + "d", std::string(1000, static_cast<char>('a' + i % 26))};
    filebefore = readbytes(path);
    if (!table.addrow(values)) break;
    written = with(written, values);
  }
  ASSERT_GT(written.size(), 10u);
  ASSERT_LT(written.size(), 1000u);
  const int32_t failedrow = table.getrowcount() - 1;
  EXPECT_EQ(messages.warnings(), (Texts{"tdbdyngrid: updatefile: Zu wenig Speicherplatz" + source("c_rezepte"),
                                        "tdbdyngrid: addrow: row (" + std::to_string(failedrow) +
                                            ") Fehler beim Updaten der Datei!" + source("c_rezepte")}));
  EXPECT_EQ(readbytes(path), filebefore);  // the torn append was cut off

  // A record that grows needs new space: its old record must stay.
  messages.clear();
  const Row first = cells(table, 0);
  const std::string oldfields = probe(table).DBfields(0);
  Row longer{"0d", std::string(3000, 'z')};
  EXPECT_FALSE(table.updaterow(0, longer));
  EXPECT_EQ(messages.warnings().size(), 2u);
  EXPECT_EQ(probe(table).DBfields(0), "U" + oldfields.substr(1));
  EXPECT_EQ(readbytes(path), filebefore);

  // Deletes and records that fit free slots need no space.
  messages.clear();
  const Row second = cells(table, 1);
  ASSERT_TRUE(table.delrow(1));
  Row refill{"x", std::string(1000, '#')};
  ASSERT_TRUE(table.updaterow(failedrow, refill));  // the row left "C" takes the freed slot
  Row same{"0d", std::string(1000, 'y')};
  ASSERT_TRUE(table.updaterow(0, same));
  EXPECT_TRUE(messages.log.empty());
  table.db_close();

  const Records expected = with(with(without(without(written, second), first), refill), same);
  EXPECT_EQ(loadagain(disk.path(), messages), expected);
}

}  // namespace
