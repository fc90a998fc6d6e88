// A process that dies in the middle of a row change, at any file operation
// and halfway through any write, as a kill would stop it, must leave a file
// that loads with every record stored before (at most with a corrected record
// count), shows no half record as a row, and takes the next row cleanly.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <ostream>

#include "writeback_support.h"

namespace writeback {
namespace {

using Rows = std::vector<Row>;

const Row mojito{"1", "Mojito"};
const Row daiquiri{"2", "Daiquiri"};
const Row caipirinha{"3", "Caipirinha"};
const Row gimlet{"4", "Gimlet"};  // fits the free slot
const Row longdrink{"5", "Long Island Iced Tea mit Cola und Zitronenscheibe"};  // does not
const Row afterwards{"6", "Sidecar"};

// Three live records with a free slot of 37 bytes between the first two.
std::string startfile() {
  return header(4, 2) + "\r\n" + liverecord(1, mojito) + "\r\n" + record(pos10(0), "1", {"9", std::string(20, 'f')}) +
         "\r\n" + liverecord(2, daiquiri) + "\r\n" + liverecord(3, caipirinha);
}

Rows liverows(const TdbdynGrid& table) {
  Rows rows;
  for (int32_t row = 0; row < table.getrowcount(); ++row)
    if (!table.DBfields(row).empty()) rows.push_back(cells(table, row));
  return rows;
}

struct Change {
  const char* label;
  std::function<void(TdbdynGrid&)> run;
  Rows after;  // the live rows once the change is complete
};

void PrintTo(const Change& change, std::ostream* out) { *out << change.label; }

class Death : public TableFile, public testing::WithParamInterface<Change> {
 protected:
  // Runs the change in a child whose nth file operation ends it; true when
  // the child died there, false when the change completed first.
  bool childdiesat(long nth) {
    const pid_t child = ::fork();
    if (child == 0) {
      TdbdynGrid own{name};
      if (!own.db_init(folder.path(), {name})) ::_exit(1);
      platform::faults::armdeath(nth);
      GetParam().run(own);
      ::_exit(0);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    const int code = WEXITSTATUS(status);
    EXPECT_TRUE(code == 0 || code == platform::faults::deathstatus) << "child ended with " << code;
    return code == platform::faults::deathstatus;
  }

  // Loads the file in a fresh table; only corrected record counts may be reported.
  Rows loadafterdeath(long nth) {
    messages.clear();
    TdbdynGrid fresh{name};
    EXPECT_TRUE(fresh.db_init(folder.path(), {name})) << "death at call " << nth;
    for (const std::string& warning : messages.warnings()) {
      EXPECT_NE(warning.find("Datenanzahl stimmt nicht!"), std::string::npos) << "death at call " << nth << ": " << warning;
      EXPECT_TRUE(warning.ends_with("Fehler wurde korrigiert!")) << warning;
    }
    Rows rows = liverows(fresh);
    // The next row goes in without a word, and everything loads again without one.
    messages.clear();
    Row next = afterwards;
    EXPECT_TRUE(fresh.addrow(next)) << "death at call " << nth;
    fresh.db_close();
    TdbdynGrid again{name};
    EXPECT_TRUE(again.db_init(folder.path(), {name}));
    EXPECT_TRUE(messages.log.empty()) << "death at call " << nth << ": " << messages.log.front().text;
    Rows expected = rows;
    expected.push_back(afterwards);
    Rows reloaded = liverows(again);
    std::sort(reloaded.begin(), reloaded.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(reloaded, expected) << "death at call " << nth;
    again.db_close();
    return rows;
  }
};

TEST_P(Death, AtEveryFileOperationLeavesAFileThatLoadsWhole) {
  const Rows before{mojito, daiquiri, caipirinha};
  Rows after = GetParam().after;
  std::sort(after.begin(), after.end());
  long nth = 1;
  for (; nth < 100; ++nth) {
    writebytes(path, startfile());
    if (!childdiesat(nth)) break;
    Rows rows = loadafterdeath(nth);
    std::sort(rows.begin(), rows.end());
    Rows sortedbefore = before;
    std::sort(sortedbefore.begin(), sortedbefore.end());
    EXPECT_TRUE(rows == sortedbefore || rows == after) << "death at call " << nth << ": " << rows.size() << " rows";
  }
  EXPECT_GT(nth, 3) << "the change never reached the file";
  EXPECT_LT(nth, 100) << "the change never completed";
}

INSTANTIATE_TEST_SUITE_P(
    WriteBack, Death,
    testing::Values(Change{"add_into_the_free_slot", [](TdbdynGrid& table) { Row v = gimlet; table.addrow(v); },
                           {mojito, daiquiri, caipirinha, gimlet}},
                    Change{"add_appended", [](TdbdynGrid& table) { Row v = longdrink; table.addrow(v); },
                           {mojito, daiquiri, caipirinha, longdrink}},
                    Change{"delete", [](TdbdynGrid& table) { table.delrow(1); }, {mojito, caipirinha}}),
    [](const auto& test) { return std::string(test.param.label); });

}  // namespace
}  // namespace writeback

namespace writeback {
namespace {

// A write cut short can stop after any byte: the line end alone, or the start
// of a record too short to be read, must not be joined to the next record.
TEST_F(TableFile, ATornShortLineAtTheEndIsCutBeforeTheNextAppend) {
  const std::string records = "\r\n" + liverecord(1, mojito) + "\r\n" + liverecord(2, daiquiri);
  const std::string torn = "\r\n" + liverecord(3, caipirinha);
  for (std::size_t kept = 1; kept < 17; ++kept) {
    writebytes(path, header(2, 2) + records + torn.substr(0, kept));
    messages.clear();
    TdbdynGrid before{name};
    ASSERT_TRUE(before.db_init(folder.path(), {name})) << kept;
    Row next = gimlet;
    ASSERT_TRUE(before.addrow(next)) << kept;
    before.db_close();
    EXPECT_EQ(bytes(), header(3, 2) + records + "\r\n" + liverecord(3, gimlet)) << kept << " bytes of the torn line";
    TdbdynGrid after{name};
    ASSERT_TRUE(after.db_init(folder.path(), {name}));
    EXPECT_EQ(liverows(after), (Rows{mojito, daiquiri, gimlet})) << kept;
    EXPECT_TRUE(messages.log.empty()) << kept << ": " << messages.log.front().text;
    after.db_close();
  }
}

}  // namespace
}  // namespace writeback
