// The undo journal on its own: what a commit leaves on the disk when it is
// cut or fails, and what the next start makes of that.
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/file.h"
#include "tablefiles.h"
#include "tablestore/journal.h"
#include "tests/support/faults.h"
#include "tests/support/powercut.h"

namespace {

using tablefiles::header;
using tablestore::JournalReader;
using Recovery = JournalReader::Recovery;
namespace powercut = testsupport::powercut;

const std::vector<std::string> tables{"a.db", "b.db"};

class Journal : public testing::Test {
 protected:
  // A commit that overwrites 5000 bytes of a.db, so that its journal spans
  // two pages, and cuts b.db short; old holds the files before it, fresh
  // after it, and journal the journal it wrote.
  void SetUp() override {
    tablefiles::writebytes(folder.file("a.db"), header("1", "1") + std::string(6000, 'a'));
    tablefiles::writebytes(folder.file("b.db"), header("1", "1") + std::string(100, 'b'));
    old = powercut::snapshot(folder.path());
    powercut::record(folder.path());
    tablestore::JournalWriter writer{folder.path()};
    EXPECT_TRUE(commit(writer));
    powercut::stop();
    fresh = powercut::snapshot(folder.path());
    for (const powercut::Event& event : powercut::events())
      if (event.kind == powercut::Event::Kind::write && event.file == "journal")
        journal.replace(static_cast<std::size_t>(event.offset), event.bytes.size(), event.bytes);
    ASSERT_GT(journal.size(), 4096u + 512u);
  }

  bool commit(tablestore::JournalWriter& writer) {
    std::vector<std::unique_ptr<platform::File>> files;
    std::vector<tablestore::FileStage> stages;
    std::vector<tablestore::Stagedfile> staged;
    for (const std::string& name : tables) {
      files.push_back(platform::File::open(folder.file(name), platform::File::Access::readwritedenywrite));
      int64_t size = 0;
      if (!files.back() || !files.back()->size(size)) return false;
      stages.emplace_back(size);
    }
    stages[0].write(20, std::string(5000, 'A'));
    stages[1].truncate(40);
    for (std::size_t i = 0; i < tables.size(); ++i) staged.push_back({tables[i], files[i].get(), &stages[i]});
    if (armed) armed();
    return writer.commit(staged);
  }

  // A commit with faults armed by arm; false when it went through. After a
  // failure the next start finds every file old, or every file new.
  bool failedcommit(const std::function<void()>& arm, int& pending) {
    onthedisk(old, "");
    armed = arm;
    tablestore::JournalWriter writer{folder.path()};
    const bool done = commit(writer);
    testsupport::faults::disarm();
    powercut::stop();
    if (done) return false;
    pending += writer.pending();
    writer.close();
    EXPECT_EQ(recover(), Recovery::done);
    EXPECT_TRUE(holds(old, "") || holds(fresh, ""));
    return true;
  }

  // The folder holds the disk, the journal as given.
  void onthedisk(powercut::Disk disk, const std::string& bytes) {
    disk["journal"] = bytes;
    powercut::restore(disk, folder.path());
  }
  // Whether the folder holds the files and the journal as given.
  bool holds(powercut::Disk files, const std::string& bytes) const {
    files["journal"] = bytes;
    return powercut::snapshot(folder.path()) == files;
  }
  Recovery recover(const std::vector<std::string>& names = tables) {
    return JournalReader(folder.path(), names).recover();
  }

  tablefiles::ScratchFolder folder;
  powercut::Disk old, fresh;
  std::string journal;
  std::function<void()> armed;
};

// Before its trailer is on the disk the files were not touched: a journal
// torn in its middle page or cut short is cleared, and none of its bytes
// reach a file.
TEST_F(Journal, ATornJournalIsClearedNeverUndone) {
  std::string zeroed = journal;
  zeroed.replace(1024, 4096 - 1024, 4096 - 1024, '\0');
  for (const std::string& torn : {zeroed, journal.substr(0, journal.size() / 2)}) {
    onthedisk(old, torn);
    EXPECT_EQ(recover(), Recovery::done);
    EXPECT_TRUE(holds(old, ""));
  }
}

// A journal whose crc or trailer length does not match while the files show
// a begun write is not the commit's: it is kept, and the files stay.
TEST_F(Journal, TheCrcAndTheTrailerAreBothChecked) {
  std::string badcrc = journal, badlength = journal;
  badcrc.back() = static_cast<char>(~badcrc.back());
  ++badlength[journal.size() - 12];
  for (const std::string& damaged : {badcrc, badlength}) {
    onthedisk(fresh, damaged);
    EXPECT_EQ(recover(), Recovery::untrusted);
    EXPECT_TRUE(holds(fresh, damaged));
  }
}

// Cut at any moment, or failing at any file operation, a recovery leaves a
// journal that the next start completes: every file as before the commit.
TEST_F(Journal, ACutOrFailedRecoveryLeavesTheJournalForTheNextStart) {
  onthedisk(fresh, journal);
  const powercut::Disk before = powercut::snapshot(folder.path());
  powercut::record(folder.path());
  EXPECT_EQ(recover(), Recovery::done);
  powercut::stop();
  std::mt19937 random(29);
  for (std::size_t cut = 0; cut <= powercut::events().size(); ++cut)
    for (const powercut::Disk& state : powercut::states(before, cut, random)) {
      powercut::restore(state, folder.path());
      EXPECT_EQ(recover(), Recovery::done) << "cut after " << cut;
      EXPECT_TRUE(holds(old, "")) << "cut after " << cut;
    }
  for (long nth = 1;; ++nth) {
    onthedisk(fresh, journal);
    testsupport::faults::arm(nth, EIO);
    recover();
    const bool failed = testsupport::faults::fired();
    testsupport::faults::disarm();
    if (!failed) break;
    EXPECT_EQ(recover(), Recovery::done) << "failure at call " << nth;
    EXPECT_TRUE(holds(old, "")) << "failure at call " << nth;
  }
}

// A commit whose undo fails too keeps its journal, and the next start undoes
// it: every file old, or every file new where only the journal's clearing failed.
TEST_F(Journal, ARollbackThatFailsKeepsTheJournal) {
  int pending = 0;
  // A disk gone from call nth on.
  for (long nth = 1; failedcommit([nth] { testsupport::faults::armfrom(nth, EIO); }, pending); ++nth) {
  }
  // A failure at call nth, and one at call then after the first's next call.
  for (long nth = 1, failures = 1; failures > 0; ++nth) {
    failures = 0;
    for (long then = 1; then <= 6; ++then)
      failures += failedcommit(
          [this, nth, then] {
            powercut::record(folder.path());
            powercut::watch([then, second = false](const powercut::Event&) mutable {
              if (second || !testsupport::faults::fired()) return;
              second = true;
              testsupport::faults::arm(then, EIO);
            });
            testsupport::faults::arm(nth, EIO);
          },
          pending);
  }
  EXPECT_GT(pending, 0) << "no rollback failed";
}

TEST_F(Journal, AJournalNamingAnotherFileIsLeftAlone) {
  onthedisk(fresh, journal);
  EXPECT_EQ(recover({"b.db"}), Recovery::untrusted);
  EXPECT_TRUE(holds(fresh, journal));
}

// The copy that holds the journal open is still committing or undoing: the
// journal is its own, until it lets go.
TEST_F(Journal, AJournalHeldByAnotherCopyIsLeftToIt) {
  onthedisk(fresh, journal);
  auto held = platform::File::open(folder.file("journal"), platform::File::Access::readwritedenywrite);
  ASSERT_TRUE(held);
  EXPECT_EQ(recover(), Recovery::done);
  EXPECT_TRUE(holds(fresh, journal));
  held.reset();
  EXPECT_EQ(recover(), Recovery::done);
  EXPECT_TRUE(holds(old, ""));
}

}  // namespace
