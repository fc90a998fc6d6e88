// Reading table files: lines, records, free slots and the reader's errors,
// driven by the fixture files under tests/data/tables.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/text.h"
#include "tablefiles.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tests/support/fake_messages.h"
#include "tests/support/tableprobe.h"

using testsupport::probe;

using namespace tablefiles;

namespace {

// Loads one fixture as the table c_test from a scratch folder.
struct Loaded {
  explicit Loaded(const std::string& fixturename) : path(placefixture(folder, fixturename, "c_test")) {
    ok = table.db_init(folder.path(), {"c_test"});
  }
  std::vector<std::string> row(int32_t r) const {
    std::vector<std::string> out;
    for (int32_t c = 0; c < table.getcolcount(); ++c) out.push_back(table.getcell(c, r));
    return out;
  }
  testsupport::FakeMessages messages;
  ScratchFolder folder;
  std::string path;
  TdbdynGrid table{"c_test"};
  bool ok = false;
};

using Row = std::vector<std::string>;
using Texts = std::vector<std::string>;

// The message of a load that the reader stopped, and db_init's after it.
Texts loadfailure(const std::string& readertext) {
  return {"tdbdyngrid: db_addloadfromfile: " + readertext + "\n\rQuelle:c_test", "Init Fehler (laden): c_test!"};
}

TEST(Reader, NewFileGivesColumnsAndOnePlaceholderRow) {
  Loaded t("new2");
  ASSERT_TRUE(t.ok);
  EXPECT_TRUE(t.messages.log.empty());
  EXPECT_EQ(t.table.getcolcount(), 2);
  EXPECT_EQ(t.table.getrowcount(), 1);
  EXPECT_EQ(t.row(0), (Row{"", ""}));
  EXPECT_EQ(probe(t.table).DBfields(0), "");
  EXPECT_EQ(probe(t.table).dbfiles().at(0).maxpos, 0);
  EXPECT_EQ(readbytes(t.path), fixture("new2"));
}

TEST(Reader, RecordsBecomeRowsWithTheirPlaceInTheFile) {
  Loaded t("two_records");
  ASSERT_TRUE(t.ok);
  EXPECT_TRUE(t.messages.log.empty());
  ASSERT_EQ(t.table.getrowcount(), 2);
  EXPECT_EQ(t.row(0), (Row{"ab", "c"}));
  EXPECT_EQ(t.row(1), (Row{"Rum", "1" + B + "0" + B}));  // subfield lists in values stay as they are
  // Record 1 occupies bytes 21..39; the last record loses the file's last byte from its length.
  EXPECT_EQ(probe(t.table).DBfields(0), fields({"N", "c_test", "0000000001", "0", "21", "19"}));
  EXPECT_EQ(probe(t.table).DBfields(1), fields({"N", "c_test", "0000000002", "0", "42", "22"}));
  EXPECT_EQ(probe(t.table).dbfiles().at(0).maxpos, 2);
  EXPECT_EQ(probe(t.table).lastfreeslot(), -1);
  const std::string bytes = readbytes(t.path);
  EXPECT_EQ(bytes.substr(21, 19), record("0000000001", "0", {"ab", "c"}));
  EXPECT_EQ(bytes.substr(40, 2), "\r\n");
}

TEST(Reader, DeletedRecordsBecomeFreeSlotsAndNulFillCountsInTheLength) {
  Loaded t("deleted_and_fill");
  ASSERT_TRUE(t.ok);
  EXPECT_TRUE(t.messages.log.empty());
  ASSERT_EQ(t.table.getrowcount(), 2);
  EXPECT_EQ(t.row(0), (Row{"ab", "c"}));
  EXPECT_EQ(t.row(1), (Row{"d", "e"}));
  EXPECT_EQ(probe(t.table).lastfreeslot(), 0);
  EXPECT_EQ(probe(t.table).freeslots().size(), 1000u);
  EXPECT_EQ(probe(t.table).freeslots()[0], fields({"N", "c_test", "x", "x", "21", "20"}));
  // The slot at 43 holds a 19-byte record and four NULs.
  EXPECT_EQ(probe(t.table).DBfields(0), fields({"N", "c_test", "0000000002", "0", "43", "23"}));
  EXPECT_EQ(probe(t.table).DBfields(1), fields({"N", "c_test", "0000000003", "0", "68", "17"}));
  EXPECT_EQ(probe(t.table).dbfiles().at(0).maxpos, 5);  // the deleted record's Pos counts too
  const std::string bytes = readbytes(t.path);
  EXPECT_EQ(bytes.substr(43, 23), record("0000000002", "0", {"ab", "c"}) + std::string(4, '\0'));
  EXPECT_EQ(bytes.substr(21, 13), B + "0000000005" + B + "1");
}

TEST(Reader, RecordsOfAnUnfinishedChangeAreSettled) {
  // Record 1, not yet live, has a live record of its Pos: the change never
  // finished and it is flagged deleted. Record 3's old record was deleted
  // already: it is the row's only copy and turns live, after the other rows.
  Loaded t("pending");
  ASSERT_TRUE(t.ok);
  EXPECT_TRUE(t.messages.log.empty());
  ASSERT_EQ(t.table.getrowcount(), 2);
  EXPECT_EQ(t.row(0), (Row{"a", "alt"}));
  EXPECT_EQ(t.row(1), (Row{"b", "neu"}));
  EXPECT_EQ(probe(t.table).DBfields(1), fields({"N", "c_test", "0000000002", "0", "65", "19"}));
  EXPECT_EQ(probe(t.table).lastfreeslot(), 0);
  EXPECT_EQ(probe(t.table).freeslots()[0], fields({"N", "c_test", "x", "x", "21", "20"}));
  std::string settled = fixture("pending");
  settled.replace(21, 13, B + "0000000000" + B + "1");
  settled[65 + 12] = '0';
  EXPECT_EQ(readbytes(t.path), settled);
}

TEST(Reader, AnUnfinishedChangeInASecondFileIsSettledAgainstThatFile) {
  // The first file holds its own records of the same Pos: only the live
  // twin in the pending record's own file makes it a free slot.
  testsupport::FakeMessages messages;
  ScratchFolder folder;
  placefixture(folder, "two_records", "c_eins");
  placefixture(folder, "pending", "c_zwei");
  TdbdynGrid table("c_test");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_eins", "c_zwei"}));
  ASSERT_EQ(table.getrowcount(), 4);
  EXPECT_EQ(table.getcell(1, 2), "alt");
  EXPECT_EQ(table.getcell(1, 3), "neu");
}

TEST(Reader, SurplusValuesAreDroppedAndMissingOnesStayEmpty) {
  Loaded t("surplus_missing");
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.row(0), (Row{"a", "b"}));
  EXPECT_EQ(t.row(1), (Row{"z", ""}));
  // A whole row asked for a column more reads it empty, never the bytes
  // behind the row's own cells (the last row's are the buffer's end).
  for (const int32_t row : {0, 1}) {
    std::string_view cells[3] = {"x", "x", "x"};
    t.table.rowviews(row, cells);
    EXPECT_EQ(cells[2], "") << row;
  }
}

TEST(Reader, AFileEndingInAValueByteLosesThatByte) {
  Loaded t("no_final_sep");
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.row(0), (Row{"ab", "c"}));
}

TEST(Reader, AShortLineIsJoinedWithTheNextOne) {
  // Record 1 (15 bytes) swallows record 2; record 3 is line 2.
  Loaded t("short_line");
  ASSERT_TRUE(t.ok) << (t.messages.log.empty() ? "" : t.messages.log[0].text);
  ASSERT_EQ(t.table.getrowcount(), 2);
  EXPECT_EQ(t.row(0), Row{""});
  EXPECT_EQ(t.row(1), Row{"y"});
  EXPECT_EQ(probe(t.table).DBfields(0), fields({"N", "c_test", "0000000001", "0", "21", "31"}));
  EXPECT_EQ(probe(t.table).dbfiles().at(0).maxpos, 3);
  EXPECT_TRUE(t.messages.log.empty());
}

TEST(Reader, AShortLineAtTheEndIsNeverParsed) {
  Loaded t("short_line_end");
  ASSERT_TRUE(t.ok);
  ASSERT_EQ(t.table.getrowcount(), 1);
  EXPECT_EQ(t.row(0), Row{"v"});
  EXPECT_EQ(probe(t.table).dbfiles().at(0).maxpos, 1);
  EXPECT_TRUE(t.messages.log.empty());
}

TEST(Reader, AnEmptyLineSpoilsTheNextRecord) {
  Loaded t("empty_line");
  EXPECT_FALSE(t.ok);
  EXPECT_EQ(t.messages.warnings(), loadfailure("Lesefehler(Start) bei pos 2"));
  // What was read before the error stays.
  EXPECT_EQ(probe(t.table).Mode(), 1);
  EXPECT_EQ(t.row(0), (Row{"a", "b"}));
  EXPECT_EQ(readbytes(t.path), fixture("empty_line"));
}

TEST(Reader, HeaderInLowerCaseIsAccepted) {
  Loaded t("lowercase_header");
  ASSERT_TRUE(t.ok);
  EXPECT_TRUE(t.messages.log.empty());
  EXPECT_EQ(t.row(0), (Row{"a", "b"}));
}

TEST(Reader, BadHeadersAreRefused) {
  const std::string invalid = std::string("Dies ist keine für diesen Betriebsmodus gültige Datei! "_cp);
  const std::pair<const char*, const char*> cases[] = {
      {"bad_magic", "(HEADER)"}, {"bad_rev", "(REV)"}, {"bad_dc", "(DC)"}, {"bad_cc", "(CC)"}, {"huge_cc", "(CC)"}};
  for (auto [name, reason] : cases) {
    Loaded t(name);
    EXPECT_FALSE(t.ok) << name;
    EXPECT_EQ(t.messages.warnings(), loadfailure(invalid + reason)) << name;
    EXPECT_EQ(t.table.getcolcount(), 1) << name;
    EXPECT_EQ(readbytes(t.path), fixture(name)) << name;
  }
}

TEST(Reader, BadRecordPrefixesAreRefusedWithTheirText) {
  const std::pair<const char*, const char*> cases[] = {{"pos9", "Lesefehler(Pos) bei 1 (000000001)"},
                                                       {"pos_overflow", "Lesefehler(Pos) bei 1 (9999999999)"},
                                                       {"bad_flag", "Lesefehler(Flag) bei 1 (ja)"}};
  for (auto [name, text] : cases) {
    Loaded t(name);
    EXPECT_FALSE(t.ok) << name;
    EXPECT_EQ(t.messages.warnings(), loadfailure(text)) << name;
    EXPECT_EQ(t.table.getrowcount(), 1) << name;
    EXPECT_EQ(probe(t.table).DBfields(0), "") << name;
  }
}

TEST(Reader, WrongRecordCountIsCorrectedInPlace) {
  Loaded t("count_wrong");
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.messages.warnings(),
            Texts{"Warnung beim Laden von " + t.path +
                  ": Datenanzahl stimmt nicht! (ist/sol) \n\r2 / 3\n\rFehler wurde korrigiert!"});
  std::string expected = fixture("count_wrong");
  expected.replace(4, 10, "0000000002");
  EXPECT_EQ(readbytes(t.path), expected);
  EXPECT_EQ(t.table.getrowcount(), 2);
}

TEST(Reader, AHeaderNotAtItsPlaceIsNotOverwritten) {
  // A leading line feed or a blank before DC: writing 14 bytes at offset 0
  // would cut the header apart, so the count stays as it is.
  for (const char* name : {"count_wrong_shifted", "count_wrong_blank"}) {
    Loaded t(name);
    ASSERT_TRUE(t.ok) << name;
    EXPECT_EQ(t.messages.warnings(),
              Texts{"Warnung beim Laden von " + t.path +
                    ": Datenanzahl stimmt nicht! (ist/sol) \n\r2 / 3\n\rFehler konnte nicht korrigiert werden!"})
        << name;
    EXPECT_EQ(readbytes(t.path), fixture(name)) << name;
    EXPECT_EQ(t.table.getrowcount(), 2) << name;
  }
}

TEST(Reader, LinesLongerThanTheLineBufferKeepTheirFirstBytes) {
  ScratchFolder folder;
  testsupport::FakeMessages messages;
  const std::string big(200000, 'w');
  const std::string bytes = header("0000000002", "2") + "\r\n" + record("0000000001", "0", {"a", big}) + "\r\n" +
                            record("0000000002", "0", {"b", "c"});
  writebytes(folder.file("c_big.db"), bytes);
  TdbdynGrid table("c_big");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_big"}));
  ASSERT_EQ(table.getrowcount(), 2);
  // 14 prefix bytes, "a", 0xA1, then the value up to 102,400 bytes; the appended 0xA1 closes it.
  EXPECT_EQ(table.getcell(1, 0), std::string(102400 - 16, 'w'));
  EXPECT_EQ(probe(table).DBfields(0), fields({"N", "c_big", "0000000001", "0", "21", std::to_string(14 + 2 + 200001)}));
  EXPECT_EQ(table.getcell(0, 1), "b");
  EXPECT_TRUE(messages.log.empty());
}

TEST(Reader, FilesLargerThanOneChunkAreReadWhole) {
  // Lines cross the 1,048,577-byte chunk border at every position.
  ScratchFolder folder;
  testsupport::FakeMessages messages;
  std::string bytes = header("0000060000", "2");
  for (int i = 1; i <= 60000; ++i) bytes += "\r\n" + record(platform::zeropadded(i, 10), "0", {std::to_string(i), "v"});
  ASSERT_GT(bytes.size(), 1048577u);
  writebytes(folder.file("c_many.db"), bytes);
  TdbdynGrid table("c_many");
  ASSERT_TRUE(table.db_init(folder.path(), {"c_many"}));
  EXPECT_TRUE(messages.log.empty());
  ASSERT_EQ(table.getrowcount(), 60000);
  EXPECT_EQ(probe(table).rowcapacity(), 60000);
  for (int32_t row = 0; row < 60000; row += 997) ASSERT_EQ(table.getcell(0, row), std::to_string(row + 1));
  EXPECT_EQ(table.getcell(1, 59999), "v");
  EXPECT_EQ(probe(table).dbfiles().at(0).maxpos, 60000);
  // Every row's offset and length cut its record out of the file.
  for (int32_t row = 0; row < 59999; row += 1013) {
    const auto offset = std::stoul(TdbdynGrid::getsubfield(probe(table).DBfields(row), 5));
    const auto length = std::stoul(TdbdynGrid::getsubfield(probe(table).DBfields(row), 6));
    EXPECT_EQ(bytes.substr(offset, length),
              record(platform::zeropadded(row + 1, 10), "0", {std::to_string(row + 1), "v"}));
  }
}

}  // namespace
