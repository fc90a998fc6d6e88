// Table files shared with a second process: a real child process holds the
// file (or tries to get it) while this process loads it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform/codepage.h"
#include "platform/file.h"
#include "tablefiles.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tests/support/fake_messages.h"
#include "tests/support/tableprobe.h"

using testsupport::probe;

using namespace tablefiles;

namespace {

using Texts = std::vector<std::string>;

// A child process that opens path read/write with deny-write, tells the
// parent it holds it, and keeps it until release().
class Holder {
 public:
  explicit Holder(const std::string& path) {
    int ready[2];
    int done[2];
    if (pipe(ready) != 0 || pipe(done) != 0) ADD_FAILURE() << "pipe failed";
    child_ = fork();
    if (child_ == 0) {
      close(ready[0]);
      close(done[1]);
      auto file = platform::File::open(path, platform::File::Access::readwritedenywrite);
      const char held = file ? '1' : '0';
      (void)!write(ready[1], &held, 1);
      char ignored;
      (void)!read(done[0], &ignored, 1);  // returns when the parent closes its end
      _exit(0);
    }
    close(ready[1]);
    close(done[0]);
    release_ = done[1];
    char held = '0';
    held_ = read(ready[0], &held, 1) == 1 && held == '1';
    close(ready[0]);
  }
  ~Holder() { release(); }

  bool held() const { return held_; }
  void release() {
    if (child_ <= 0) return;
    close(release_);
    waitpid(child_, nullptr, 0);
    child_ = -1;
  }

 private:
  pid_t child_ = -1;
  int release_ = -1;
  bool held_ = false;
};

// Runs probe in a child process; its result comes back as the exit status.
bool inchild(const std::function<bool()>& probe) {
  const pid_t child = fork();
  if (child == 0) _exit(probe() ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string readonlywarning(const std::string& path) {
  return "Achtung: ein anderer Prozess blockiert den Schreibzugriff auf " + path + "!\n\r" +
         std::string("Die Datei wurde im Lesemodus geöffnet (Rückschreiben von Daten ist nicht möglich)!"_cp);
}

TEST(Sharing, AFileHeldByAnotherProcessLoadsReadOnly) {
  testsupport::FakeMessages messages;
  ScratchFolder folder;
  const std::string path = placefixture(folder, "two_records", "c_test");
  Holder holder(path);
  ASSERT_TRUE(holder.held());
  TdbdynGrid table("c_test");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_test"}));
  EXPECT_EQ(messages.warnings(), Texts{readonlywarning(path)});
  EXPECT_TRUE(probe(table).openfiles().at(0).readonly);
  EXPECT_EQ(table.getrowcount(), 2);
  EXPECT_EQ(table.getcell(0, 1), "Rum");
  // The other process may change or cut the file at any time: the cells
  // must not lie in it, as those of a file this table holds may.
  writebytes(path, std::string(readbytes(path).size(), 'x'));
  writebytes(path, "");
  EXPECT_EQ(table.getcell(0, 0), "ab");
  table.db_close();

  // Records of a change the other process has not finished are settled in memory only.
  writebytes(path, fixture("pending"));
  ASSERT_TRUE(table.db_init(folder.path(), {"c_test"}));
  EXPECT_EQ(table.getcell(1, 0) + table.getcell(1, 1), "altneu");
  EXPECT_EQ(readbytes(path), fixture("pending"));
  table.db_close();
}

TEST(Sharing, CellsOfOurOwnOutliveARewriteOfTheFile) {
  testsupport::FakeMessages messages;
  ScratchFolder folder;
  const std::string path = placefixture(folder, "two_records", "c_test");
  TdbdynGrid table("c_test");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_test"}));
  table.owncells();
  writebytes(path, "");
  EXPECT_EQ(table.getcell(0, 0) + table.getcell(1, 0) + table.getcell(0, 1), "abcRum");
  table.db_close();
}

TEST(Sharing, AReadOnlyFileWithAWrongRecordCountLoadsUncorrected) {
  testsupport::FakeMessages messages;
  ScratchFolder folder;
  const std::string path = placefixture(folder, "count_wrong", "c_test");
  Holder holder(path);
  ASSERT_TRUE(holder.held());
  TdbdynGrid table("c_test");
  EXPECT_TRUE(table.db_init(folder.path(), {"c_test"}));
  EXPECT_EQ(messages.warnings(), (Texts{readonlywarning(path), "Warnung beim Laden von " + path +
                                                                   ": Datenanzahl stimmt nicht! (ist/sol) \n\r2 / 3\n\r"
                                                                   "Fehler konnte nicht korrigiert werden!"}));
  EXPECT_EQ(readbytes(path), fixture("count_wrong"));
  EXPECT_EQ(table.getrowcount(), 2);  // the records were read before the check
  table.db_close();
}

TEST(Sharing, AFileHeldByAnotherProcessCannotBeCreatedOver) {
  testsupport::FakeMessages messages;
  ScratchFolder folder;
  const std::string path = placefixture(folder, "two_records", "c_test");
  Holder holder(path);
  ASSERT_TRUE(holder.held());
  messages.answers = {true};
  TdbdynGrid table("c_test");
  EXPECT_FALSE(table.db_createfile(path, 2));
  EXPECT_EQ(messages.warnings(),
            Texts{"Fehler beim Erstellen von: " + path + "!\n\rDatei wird von einem anderen Prozess belegt! (err=32)"});
  EXPECT_EQ(readbytes(path), fixture("two_records"));

  // Once the other process lets go, the file is ours again.
  holder.release();
  messages.clear();
  ASSERT_TRUE(table.db_init(folder.path(), {"c_test"}));
  EXPECT_TRUE(messages.log.empty());
  EXPECT_FALSE(probe(table).openfiles().at(0).readonly);
  table.db_close();
}

TEST(Sharing, OurLockSurvivesOurOwnAvailabilityProbes) {
  testsupport::FakeMessages messages;
  ScratchFolder folder;
  const std::string path = placefixture(folder, "two_records", "c_test");
  TdbdynGrid table("c_test");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_test"}));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(TdbdynGrid::fileavailable(path));

  EXPECT_TRUE(inchild([&] {
    return !platform::File::open(path, platform::File::Access::readwritedenywrite) &&
           platform::lasterror() == platform::errinuse;
  }));
  // A second copy of the table in another process gets the file read-only.
  EXPECT_TRUE(inchild([&] {
    testsupport::FakeMessages childmessages;
    TdbdynGrid copy("c_test");
    return copy.db_init(folder.path(), {"c_test"}) && probe(copy).openfiles().at(0).readonly &&
           childmessages.warnings() == Texts{readonlywarning(path)};
  }));

  table.db_close();
  EXPECT_TRUE(
      inchild([&] { return platform::File::open(path, platform::File::Access::readwritedenywrite) != nullptr; }));
  EXPECT_TRUE(messages.log.empty());
}

}  // namespace
