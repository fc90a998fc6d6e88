// Creating table files, attaching a table to a folder, loading several files,
// and the table's open file handles.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tablefiles.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tests/support/fake_messages.h"
#include "tests/support/faults.h"
#include "tests/support/tableprobe.h"

using testsupport::probe;

using namespace tablefiles;

namespace {

using Texts = std::vector<std::string>;

struct Loading : ::testing::Test {
  void TearDown() override { testsupport::faults::disarm(); }
  testsupport::FakeMessages messages;
  ScratchFolder folder;
};

TEST_F(Loading, CreatedFilesHoldTheHeaderOnly) {
  TdbdynGrid table("c_test");
  ASSERT_TRUE(table.db_createfile(folder.file("c_zwei.db"), 2));
  ASSERT_TRUE(table.db_createfile(folder.file("c_drei.db"), 3));
  ASSERT_TRUE(table.db_createfile(folder.file("c_zwoelf.db"), 12));
  EXPECT_EQ(readbytes(folder.file("c_zwei.db")),
            "\x23\x44\x42\xA1"
            "0000000000"
            "\xA1\x41\xA1\x32\xA1");
  EXPECT_EQ(readbytes(folder.file("c_drei.db")), header("0000000000", "3"));
  EXPECT_EQ(readbytes(folder.file("c_zwoelf.db")), header("0000000000", "12"));
  EXPECT_TRUE(messages.log.empty());
  // db_createfile leaves the table alone.
  EXPECT_EQ(table.getcolcount(), 0);
  EXPECT_TRUE(probe(table).openfiles().empty());

  ASSERT_TRUE(table.db_init(folder.path(), {"c_drei"}));
  EXPECT_EQ(table.getcolcount(), 3);
  EXPECT_EQ(table.getrowcount(), 1);
  EXPECT_EQ(probe(table).DBfields(0), "");
  EXPECT_EQ(probe(table).Mode(), 1);
  EXPECT_TRUE(probe(table).dbfileupdate());
  EXPECT_EQ(readbytes(folder.file("c_drei.db")), header("0000000000", "3"));
}

TEST_F(Loading, CreatingOverAnExistingFileAsksFirst) {
  const std::string path = placefixture(folder, "two_records", "c_test");
  TdbdynGrid table("c_test");
  const std::string question = "db_createfile: " + path + std::string(" existiert bereits, überschreiben?!"_cp);

  messages.answers = {false};
  EXPECT_FALSE(table.db_createfile(path, 2));
  EXPECT_EQ(messages.questions(), Texts{question});
  EXPECT_EQ(readbytes(path), fixture("two_records"));

  messages.clear();
  messages.answers = {true};
  EXPECT_TRUE(table.db_createfile(path, 3));
  EXPECT_EQ(messages.questions(), Texts{question});
  EXPECT_EQ(readbytes(path), header("0000000000", "3"));
}

TEST_F(Loading, CreateFailuresNameTheFileAndTheError) {
  TdbdynGrid table("c_test");
  const std::string missing = folder.file("fehlt/c_test.db");
  EXPECT_FALSE(table.db_createfile(missing, 2));
  EXPECT_EQ(messages.warnings(), Texts{"Fehler beim Erstellen von: " + missing + "!\n\rDatei nicht gefunden(err=2)"});

  // The header write fails: reported with the code of that failure.
  messages.clear();
  testsupport::faults::arm(1, ENOSPC, testsupport::faults::Call::write);
  EXPECT_FALSE(table.db_createfile(folder.file("c_voll.db"), 2));
  EXPECT_TRUE(testsupport::faults::fired());
  EXPECT_EQ(messages.warnings(),
            Texts{"Fehler beim Erstellen von: " + folder.file("c_voll.db") + "!\n\rZu wenig Speicherplatz(err=101)"});
}

TEST_F(Loading, CreatingAFileThatIsHeldOpenIsRefused) {
  const std::string path = placefixture(folder, "two_records", "c_test");
  TdbdynGrid holder("c_test");
  ASSERT_TRUE(holder.db_init(folder.path(), {"c_test"}));
  TdbdynGrid other("c_test");
  messages.answers = {true};
  EXPECT_FALSE(other.db_createfile(path, 2));
  EXPECT_EQ(messages.warnings(),
            Texts{"Fehler beim Erstellen von: " + path + "!\n\rDatei wird von einem anderen Prozess belegt! (err=32)"});
  EXPECT_EQ(readbytes(path), fixture("two_records"));
  holder.db_close();
}

TEST_F(Loading, InitNormalisesTheFolderAndLowerCasesNames) {
  placefixture(folder, "two_records", "c_test");
  TdbdynGrid table("c_test");
  std::string bare = folder.path();
  bare.pop_back();
  ASSERT_TRUE(table.db_init("  " + bare + " ", {"C_Test"}));
  EXPECT_EQ(probe(table).dbpath(), folder.path());
  ASSERT_EQ(probe(table).dbfiles().size(), 1u);
  EXPECT_EQ(probe(table).dbfiles()[0].name, "c_test");
  EXPECT_EQ(table.getcell(0, 0), "ab");
  EXPECT_EQ(probe(table).openfiles().at(0).path, folder.file("c_test.db"));
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(Loading, InitRefusesAMissingFolderOrNoNames) {
  TdbdynGrid table("c_test");
  table.setcolcount(4);
  table.setrowcount(9);
  EXPECT_FALSE(table.db_init(folder.file("fehlt"), {"c_test"}));
  EXPECT_FALSE(table.db_init(folder.path(), {}));
  EXPECT_EQ(messages.warnings(),
            (Texts{"Init Fehler: " + folder.file("fehlt/") + " existiert nicht!",
                   std::string("Init Fehler (laden): es muss mindestens eine Datei übergeben werden!"_cp)}));
  EXPECT_EQ(probe(table).Mode(), 0);
  EXPECT_EQ(table.getcolcount(), 1);
  EXPECT_EQ(table.getrowcount(), 1);
  EXPECT_TRUE(probe(table).dbfiles().empty());
}

TEST_F(Loading, AMissingFileStopsTheLoadInMode1) {
  placefixture(folder, "two_records", "c_da");
  TdbdynGrid table("c_test");
  EXPECT_FALSE(table.db_init(folder.path(), {"c_fehlt", "c_da"}));
  EXPECT_EQ(messages.warnings(),
            (Texts{folder.file("c_fehlt.db") + " existiert nicht!", "Init Fehler (laden): c_fehlt!"}));
  EXPECT_EQ(probe(table).Mode(), 1);
  EXPECT_EQ(table.getrowcount(), 1);
  EXPECT_TRUE(probe(table).openfiles().empty());  // the second file was never opened
}

TEST_F(Loading, AnEmptyFileLoadsWithoutAHeader) {
  const std::string path = placefixture(folder, "empty", "c_test");
  TdbdynGrid table("c_test");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_test"}));
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(table.getcolcount(), 1);
  EXPECT_EQ(table.getrowcount(), 1);
  EXPECT_EQ(probe(table).DBfields(0), "");
  EXPECT_EQ(readbytes(path), "");
}

TEST_F(Loading, RowsOfSeveralFilesFollowEachOther) {
  placefixture(folder, "two_records", "c_eins");
  placefixture(folder, "deleted_and_fill", "c_zwei");
  placefixture(folder, "new2", "c_leer");
  TdbdynGrid table("c_test");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_eins", "c_leer", "c_zwei"}));
  EXPECT_TRUE(messages.log.empty());
  ASSERT_EQ(table.getrowcount(), 4);
  EXPECT_EQ(table.getcell(0, 0), "ab");
  EXPECT_EQ(table.getcell(0, 1), "Rum");
  EXPECT_EQ(table.getcell(0, 2), "ab");
  EXPECT_EQ(table.getcell(0, 3), "d");
  EXPECT_EQ(TdbdynGrid::getsubfield(probe(table).DBfields(1), 2), "c_eins");
  EXPECT_EQ(TdbdynGrid::getsubfield(probe(table).DBfields(2), 2), "c_zwei");
  EXPECT_EQ(probe(table).freeslots()[0], fields({"N", "c_zwei", "x", "x", "21", "20"}));
  EXPECT_EQ(probe(table).dbfiles()[0].maxpos, 2);
  EXPECT_EQ(probe(table).dbfiles()[1].maxpos, 0);
  EXPECT_EQ(probe(table).dbfiles()[2].maxpos, 5);
  EXPECT_EQ(probe(table).openfiles().size(), 3u);
}

TEST_F(Loading, FilesWithDifferentColumnCountsAreRefused) {
  placefixture(folder, "two_records", "c_eins");
  placefixture(folder, "three_columns", "c_drei");
  TdbdynGrid table("c_test");
  EXPECT_FALSE(table.db_init(folder.path(), {"c_eins", "c_drei"}));
  EXPECT_EQ(messages.warnings(),
            Texts{"Sie haben mehrere Dateien mit unterschiedlichem CC geladen, laden Sie die Datein einzeln!"});
  EXPECT_EQ(table.getrowcount(), 3);  // both files were read
}

TEST_F(Loading, ReloadingReusesTheOpenFileEntry) {
  placefixture(folder, "two_records", "c_test");
  TdbdynGrid table("c_test");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_test"}));
  const platform::File* first = probe(table).openfiles().at(0).record.file();
  ASSERT_TRUE(probe(table).openfiles()[0].isopen);
  EXPECT_FALSE(probe(table).openfiles()[0].readonly);

  // The load's handle is the one openfile hands out, under any spelling of the path.
  platform::File* handle = nullptr;
  bool readonly = true;
  const std::string spelled = platform::upper(folder.file("c_test.db")) + " ";
  ASSERT_TRUE(table.openfile(spelled, handle, readonly));
  EXPECT_EQ(handle, first);
  EXPECT_FALSE(readonly);
  EXPECT_EQ(probe(table).openfiles().size(), 1u);

  EXPECT_TRUE(table.db_close());
  EXPECT_FALSE(probe(table).openfiles()[0].isopen);
  EXPECT_EQ(probe(table).Mode(), 0);
  EXPECT_EQ(table.getrowcount(), 1);

  ASSERT_TRUE(table.db_init(folder.path(), {"c_test"}));
  EXPECT_EQ(probe(table).openfiles().size(), 1u);
  EXPECT_TRUE(probe(table).openfiles()[0].isopen);
  EXPECT_EQ(table.getrowcount(), 2);
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(Loading, OpenfileReportsAFileThatCannotBeOpened) {
  TdbdynGrid table("c_test");
  platform::File* handle = nullptr;
  bool readonly = false;
  const std::string path = folder.file("c_fehlt.db");
  EXPECT_FALSE(table.openfile(path, handle, readonly));
  EXPECT_EQ(messages.warnings(),
            Texts{std::string("Fehler beim Öffnen von: "_cp) + path + "!\n\rDatei nicht gefunden(err=2)"});
  ASSERT_EQ(probe(table).openfiles().size(), 1u);
  EXPECT_FALSE(probe(table).openfiles()[0].isopen);
  EXPECT_FALSE(TdbdynGrid::fileavailable(path));
  EXPECT_FALSE(TdbdynGrid::fileavailable(folder.path()));
}

TEST_F(Loading, ACloseFailureIsShownAndTheEntryMarkedClosed) {
  placefixture(folder, "two_records", "c_test");
  TdbdynGrid table("c_test");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_test"}));
  testsupport::faults::arm(1, EIO, testsupport::faults::Call::close);
  EXPECT_TRUE(table.closefiles());
  EXPECT_TRUE(testsupport::faults::fired());
  EXPECT_EQ(messages.warnings(),
            Texts{std::string("tdbdyngrid: Fehler beim Schließen der Datei "_cp) + folder.file("c_test.db")});
  EXPECT_FALSE(probe(table).openfiles()[0].isopen);
}

TEST_F(Loading, ReadErrorsStopTheLoad) {
  placefixture(folder, "two_records", "c_test");
  TdbdynGrid table("c_test");
  testsupport::faults::arm(1, EACCES, testsupport::faults::Call::read);
  EXPECT_FALSE(table.db_init(folder.path(), {"c_test"}));
  EXPECT_TRUE(testsupport::faults::fired());
  EXPECT_EQ(messages.warnings(), (Texts{"tdbdyngrid: db_addloadfromfile: Dateizugriff verweigert\n\rQuelle:c_test",
                                        "Init Fehler (laden): c_test!"}));
  EXPECT_TRUE(probe(table).openfiles()[0].isopen);  // stays open whatever the result
}

TEST_F(Loading, ARecordCountCorrectionThatCannotBeWritten) {
  const std::string path = placefixture(folder, "count_wrong", "c_test");
  const std::string counted = "Warnung beim Laden von " + path + ": Datenanzahl stimmt nicht! (ist/sol) \n\r2 / 3\n\r";
  {
    // Calls: open, open, size, read, read (the header check), write: half the
    // bytes reach the file.
    TdbdynGrid table("c_test");
    testsupport::faults::armshort(1, ENOSPC, testsupport::faults::Call::write);
    EXPECT_TRUE(table.db_init(folder.path(), {"c_test"}));
    EXPECT_EQ(messages.warnings(), Texts{counted + "Fehler konnte nicht korrigiert werden!"});
    EXPECT_EQ(readbytes(path).substr(0, 19), "#DB" + A + "000" + "0000003" + A + "A" + A + "2" + A);
    table.db_close();
  }
  {
    messages.clear();
    writebytes(path, fixture("count_wrong"));
    TdbdynGrid table("c_test");
    testsupport::faults::arm(1, EACCES, testsupport::faults::Call::write);
    EXPECT_FALSE(table.db_init(folder.path(), {"c_test"}));
    EXPECT_EQ(messages.warnings(), (Texts{"tdbdyngrid: db_addloadfromfile: Dateizugriff verweigert\n\rQuelle:c_test",
                                          "Init Fehler (laden): c_test!"}));
    EXPECT_EQ(readbytes(path), fixture("count_wrong"));
    EXPECT_EQ(table.getrowcount(), 2);
    table.db_close();
  }
}

TEST_F(Loading, AddloadRefusesAnIndexOutsideTheFileList) {
  TdbdynGrid table("c_test");
  EXPECT_FALSE(table.db_addloadfromfile(0));
  EXPECT_EQ(messages.warnings(),
            Texts{std::string("tdbdyngrid: db_addloadfromfile: Index (0) außerhalb Bereich!\n\rQuelle:c_test"_cp)});
}

}  // namespace
