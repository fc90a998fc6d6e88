// Row changes seen from the caller: which row a change lands in, row states,
// cleaned values, and the refusals with their exact messages.
#include <cstdio>

#include "tests/support/tableprobe.h"
#include "writeback_support.h"

using testsupport::probe;

using namespace writeback;

namespace {

using RowChanges = TableFile;

TEST_F(RowChanges, AreRefusedInModeZero) {
  table.setcolcount(2);
  table.setrowcount(1);
  Row values{"a", "b"};
  EXPECT_FALSE(table.addrow(values));
  EXPECT_FALSE(table.updaterow(0, values));
  EXPECT_FALSE(table.delrow(0));
  EXPECT_FALSE(table.updatefile(0));
  EXPECT_EQ(messages.warnings(), (Texts{std::string("tdbdyngrid: addrow: nicht möglich in Mode 0"_cp),
                                        std::string("tdbdyngrid: updaterow: nicht möglich in Mode 0"_cp),
                                        std::string("tdbdyngrid: delete: nicht möglich in Mode 0"_cp),
                                        std::string("tdbdyngrid: updatefile: nicht möglich in Mode 0"_cp)}));
  EXPECT_EQ(table.getrowcount(), 1);
  EXPECT_EQ(cells(table, 0), (Row{"", ""}));
}

TEST_F(RowChanges, PlaceholderRowIsFilledBeforeTheTableGrows) {
  start(header(0, 2));
  ASSERT_EQ(table.getrowcount(), 1);
  ASSERT_TRUE(add({"1", "Mojito"}));
  EXPECT_EQ(table.getrowcount(), 1);
  EXPECT_EQ(state(table, 0), "N");
  ASSERT_TRUE(add({"2", "Daiquiri"}));
  EXPECT_EQ(table.getrowcount(), 2);
  EXPECT_EQ(cells(table, 0), (Row{"1", "Mojito"}));
  EXPECT_EQ(cells(table, 1), (Row{"2", "Daiquiri"}));
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(RowChanges, DeletedRowsStayAsEmptyRowsAndOnlyTheLastIsRefilled) {
  start(header(0, 2));
  for (const char* id : {"1", "2", "3"}) ASSERT_TRUE(add({id, "x"}));

  ASSERT_TRUE(table.delrow(2));
  EXPECT_EQ(cells(table, 2), (Row{"", ""}));
  EXPECT_EQ(probe(table).DBfields(2), "");
  EXPECT_EQ(table.getrowcount(), 3);
  ASSERT_TRUE(add({"4", "y"}));
  EXPECT_EQ(table.getrowcount(), 3);
  EXPECT_EQ(cells(table, 2), (Row{"4", "y"}));

  ASSERT_TRUE(table.delrow(1));
  ASSERT_TRUE(add({"5", "z"}));
  EXPECT_EQ(table.getrowcount(), 4);
  EXPECT_EQ(cells(table, 3), (Row{"5", "z"}));
  EXPECT_EQ(cells(table, 1), (Row{"", ""}));
  EXPECT_TRUE(messages.log.empty());

  // The gap has no record: neither a change nor a delete can reach it.
  EXPECT_FALSE(update(1, {"6", "w"}));
  EXPECT_FALSE(table.delrow(1));
  EXPECT_EQ(messages.warnings(),
            (Texts{std::string("tdbdyngrid: updaterow: row (1) interne DBfields ungültig!"_cp) + source(name),
                   std::string("tdbdyngrid: delrow: row (1) interne DBfields ungültig!"_cp) + source(name)}));
  EXPECT_EQ(cells(table, 1), (Row{"", ""}));

  // Loading again closes the gap; the new records took the freed slots.
  TdbdynGrid fresh(name);
  reload(fresh);
  ASSERT_EQ(fresh.getrowcount(), 3);
  EXPECT_EQ(cells(fresh, 0), (Row{"1", "x"}));
  EXPECT_EQ(cells(fresh, 1), (Row{"5", "z"}));
  EXPECT_EQ(cells(fresh, 2), (Row{"4", "y"}));
}

TEST_F(RowChanges, ValuesAreCleanedInTheCallersListInMemoryAndInTheFile) {
  start(header(0, 2));
  Row values{"a\r\nb", std::string("x\xA1y\x01z") + '\0' + "w" + B};
  ASSERT_TRUE(table.addrow(values));
  const Row cleaned{"a  b", "x y z w" + B};
  EXPECT_EQ(values, cleaned);
  EXPECT_EQ(cells(table, 0), cleaned);
  EXPECT_EQ(bytes(), header(1, 2) + "\r\n" + record(pos10(1), "0", {"a  b", "x y z w" + B}));

  Row changed{"\n", "\r"};
  ASSERT_TRUE(table.updaterow(0, changed));
  EXPECT_EQ(changed, (Row{" ", " "}));
  EXPECT_EQ(cells(table, 0), (Row{" ", " "}));
}

TEST_F(RowChanges, AWrongNumberOfValuesChangesNothing) {
  start(header(0, 2));
  ASSERT_TRUE(add({"1", "a"}));
  const std::string before = bytes();
  const std::string fieldsbefore = probe(table).DBfields(0);

  EXPECT_FALSE(add({"2"}));
  EXPECT_FALSE(add({"2", "b", "c"}));
  EXPECT_FALSE(update(0, {"9", "z", "z"}));
  EXPECT_EQ(messages.warnings(),
            (Texts{std::string("tdbdyngrid: addrow: Übergebene Spaltenanzahl stimmt nicht!"_cp),
                   std::string("tdbdyngrid: addrow: Übergebene Spaltenanzahl stimmt nicht!"_cp),
                   std::string("tdbdyngrid: updaterow: Übergebene Spaltenanzahl stimmt nicht!"_cp)}));
  EXPECT_EQ(table.getrowcount(), 1);
  EXPECT_EQ(cells(table, 0), (Row{"1", "a"}));
  EXPECT_EQ(probe(table).DBfields(0), fieldsbefore);
  EXPECT_EQ(bytes(), before);
}

TEST_F(RowChanges, DelrowChecksTheRowRange) {
  start(header(0, 2));
  ASSERT_TRUE(add({"1", "a"}));
  ASSERT_TRUE(add({"2", "b"}));
  EXPECT_FALSE(table.delrow(2));
  EXPECT_FALSE(table.delrow(-1));
  EXPECT_EQ(messages.warnings(), (Texts{std::string("tdbdyngrid: delete: delrow außerhalb Bereich"_cp),
                                        std::string("tdbdyngrid: delete: delrow außerhalb Bereich"_cp)}));
  EXPECT_TRUE(table.delrow(1));
}

TEST_F(RowChanges, UpdaterowOutsideTheTableIsARowWithoutRecord) {
  start(header(0, 2));
  ASSERT_TRUE(add({"1", "a"}));
  EXPECT_FALSE(update(7, {"1", "b"}));
  EXPECT_FALSE(update(-1, {"1", "b"}));
  EXPECT_EQ(messages.warnings(),
            (Texts{std::string("tdbdyngrid: updaterow: row (7) interne DBfields ungültig!"_cp) + source(name),
                   std::string("tdbdyngrid: updaterow: row (-1) interne DBfields ungültig!"_cp) + source(name)}));
  Row out{"stale"};
  EXPECT_TRUE(table.getrow(7, out));
  EXPECT_EQ(out, (Row{"", ""}));
}

// A row whose write-back failed stays "C" with its values: it cannot be
// deleted, and a later update creates its record.
TEST_F(RowChanges, AFailedAddLeavesANewRowThatALaterUpdateWrites) {
  start(header(0, 2));
  ASSERT_TRUE(add({"1", "a"}));
  const std::string away = folder.file("elsewhere");
  ASSERT_EQ(std::rename(path.c_str(), away.c_str()), 0);

  EXPECT_FALSE(add({"2", "b"}));
  EXPECT_EQ(messages.warnings(), (Texts{"tdbdyngrid: updatefile: " + path + " existiert nicht!",
                                        "tdbdyngrid: addrow: row (1) Fehler beim Updaten der Datei!" + source(name)}));
  EXPECT_EQ(table.getrowcount(), 2);
  EXPECT_EQ(cells(table, 1), (Row{"2", "b"}));
  EXPECT_EQ(probe(table).DBfields(1), fields({"C", "x", "x", "x", "x", "x"}));

  ASSERT_EQ(std::rename(away.c_str(), path.c_str()), 0);
  messages.clear();
  EXPECT_FALSE(table.delrow(1));
  EXPECT_EQ(messages.warnings(),
            Texts{"tdbdyngrid: delrow: row (1) interne DBfields nicht setzbar! (ist dbcreate)" + source(name)});
  EXPECT_EQ(state(table, 1), "C");

  messages.clear();
  ASSERT_TRUE(update(1, {"2", "bb"}));
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(probe(table).DBfields(1), fields({"N", name, pos10(2), "0", "41", "19"}));
  TdbdynGrid fresh(name);
  reload(fresh);
  ASSERT_EQ(fresh.getrowcount(), 2);
  EXPECT_EQ(cells(fresh, 1), (Row{"2", "bb"}));
}

// 0x01 alone marks a field whose content is not in memory; the cleaning keeps
// it out of new values, but a file can still hold it.
TEST_F(RowChanges, AnUnbufferedFieldStopsEveryWriteBackEvenADelete) {
  const std::string file = header(1, 2) + "\r\n" + record(pos10(1), "0", {"1", "\x01"});
  start(file);
  ASSERT_EQ(cells(table, 0), (Row{"1", "\x01"}));
  EXPECT_FALSE(table.delrow(0));
  EXPECT_EQ(messages.warnings(), (Texts{"interner dbfehler: insrow daten beinhaltet nicht gepuffertes feld!",
                                        "tdbdyngrid: delrow: row (0) Fehler beim Updaten der Datei!" + source(name)}));
  EXPECT_EQ(state(table, 0), "D");
  EXPECT_EQ(cells(table, 0), (Row{"1", "\x01"}));
  EXPECT_EQ(bytes(), file);
}

TEST_F(RowChanges, UpdatefileChecksTheRowAndItsFileName) {
  start(header(0, 2));
  EXPECT_FALSE(table.updatefile(5));
  EXPECT_FALSE(table.updatefile(0));  // the placeholder names no file
  EXPECT_EQ(messages.warnings(),
            (Texts{std::string("tdbdyngrid: updatefile: row (5) außerhalb Bereich!"_cp) + source(name),
                   std::string("tdbdyngrid: updatefile: dbdaten in 0 ungültig! (datei)"_cp)}));

  ASSERT_TRUE(add({"1", "a"}));
  const std::string before = bytes();
  messages.clear();
  EXPECT_TRUE(table.updatefile(0));  // state "N": nothing to do
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(bytes(), before);
}

TEST_F(RowChanges, ANewRowNeedsTheNameOfTheLastLoadedFile) {
  writebytes(folder.file(".db"), header(0, 2));
  ASSERT_TRUE(table.db_init(folder.path(), {""}));
  EXPECT_FALSE(add({"1", "a"}));
  EXPECT_EQ(messages.warnings(), (Texts{"tdbdyngrid: updatefile: create - Dateiname unbekannt!",
                                        "tdbdyngrid: addrow: row (0) Fehler beim Updaten der Datei!" + source(name)}));
  EXPECT_EQ(readbytes(folder.file(".db")), header(0, 2));
}

}  // namespace

namespace {

// The cells of all rows share one buffer in which a changed row is written
// anew: many long changes make it lay the buffer out again, a change of the
// column count cuts or pads every row, and each changes the table's stamp.
TEST_F(RowChanges, CellsSurviveManyChangesAndAChangeOfColumns) {
  start(header(0, 2));
  ASSERT_TRUE(add({"1", "Mojito"}));
  ASSERT_TRUE(add({"2", "Daiquiri"}));
  ASSERT_TRUE(add({"3", ""}));
  uint64_t stamp = table.changestamp();
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(update(1, {"2", std::string(1000, static_cast<char>('a' + i % 26))}));
    ASSERT_NE(table.changestamp(), stamp);
    stamp = table.changestamp();
  }
  EXPECT_EQ(cells(table, 0), (Row{"1", "Mojito"}));
  EXPECT_EQ(cells(table, 1), (Row{"2", std::string(1000, static_cast<char>('a' + 199 % 26))}));
  EXPECT_EQ(cells(table, 2), (Row{"3", ""}));
  EXPECT_EQ(table.cellview(1, 0), "Mojito");
  table.setcolcount(1);
  table.setcolcount(3);
  EXPECT_EQ(cells(table, 0), (Row{"1", "", ""}));
  EXPECT_EQ(cells(table, 2), (Row{"3", "", ""}));
  EXPECT_NE(table.changestamp(), stamp);
  EXPECT_TRUE(messages.log.empty());
}

}  // namespace
