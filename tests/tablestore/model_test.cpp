// The in-memory grid: sizes, cell access with its messages, subfield lists.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tests/support/fake_messages.h"
#include "tests/support/tableprobe.h"

using testsupport::probe;

namespace {

const std::string subsep = "\xBF";  // subfield separator

TEST(Model, NewTableHasNoColumnsAndNoRows) {
  testsupport::FakeMessages messages;
  TdbdynGrid table("c_test");
  EXPECT_EQ(table.getcolcount(), 0);
  EXPECT_EQ(table.getrowcount(), 0);
  EXPECT_EQ(probe(table).Mode(), 0);
  EXPECT_EQ(probe(table).lastfreeslot(), -1);
  // Rows set without columns exist but are not reported.
  table.setrowcount(5);
  EXPECT_EQ(table.getrowcount(), 0);
  EXPECT_EQ(probe(table).rowcapacity(), 1000);
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{"tdbdyngrid: setrowcount: Keine Rows vorhanden da Colcount 0!\n\rQuelle:c_test"});
  table.setcolcount(2);
  EXPECT_EQ(table.getrowcount(), 5);
  EXPECT_EQ(table.getcell(1, 4), "");
}

TEST(Model, RowCapacityGrowsInStepsOfThousand) {
  testsupport::FakeMessages messages;
  TdbdynGrid table("t");
  table.setcolcount(2);
  const std::pair<int32_t, int32_t> cases[] = {{1, 1000},    {1000, 1000}, {1001, 2000},
                                               {2500, 3000}, {0, 0},       {999, 1000}};
  for (auto [rows, capacity] : cases) {
    table.setrowcount(rows);
    EXPECT_EQ(table.getrowcount(), rows);
    EXPECT_EQ(probe(table).rowcapacity(), capacity) << rows;
  }
  // The last row is reachable, the one after it is not.
  EXPECT_EQ(table.getcell(1, 998), "");
  EXPECT_TRUE(messages.warnings().empty());
  EXPECT_EQ(probe(table).DBfields(999), "");
}

TEST(Model, NegativeCountsAreRefusedWithAMessage) {
  testsupport::FakeMessages messages;
  TdbdynGrid table("c_rezepte");
  table.setcolcount(3);
  table.setrowcount(7);
  table.setcolcount(-1);
  table.setrowcount(-2);
  EXPECT_EQ(table.getcolcount(), 3);
  EXPECT_EQ(table.getrowcount(), 7);
  EXPECT_EQ(messages.warnings(),
            (std::vector<std::string>{"tdbdyngrid: setcolcount: Wert unterschreitet 0!\n\rQuelle:c_rezepte",
                                      "tdbdyngrid: setrowcount: Wert unterschreitet 0!\n\rQuelle:c_rezepte"}));
}

TEST(Model, GetcellOutsideTheTableShowsOneMessage) {
  testsupport::FakeMessages messages;
  TdbdynGrid table("c_zutaten");
  table.setcolcount(2);
  table.setrowcount(3);
  EXPECT_EQ(table.getcell(2, 0), "");
  EXPECT_EQ(table.getcell(0, 3), "");
  EXPECT_EQ(table.getcell(-1, -1), "");  // the column is tested first
  EXPECT_EQ(table.getcell(0, -1), "");
  std::string_view cells[3] = {"x", "x", "x"};
  table.rowviews(0, cells);  // a whole row asked for one column too many
  EXPECT_EQ(cells[2], "");
  EXPECT_EQ(messages.warnings(),
            (std::vector<std::string>{
                std::string("tdbdyngrid: getcell: col (2) außerhalb Bereich!\n\rQuelle:c_zutaten"_cp),
                std::string("tdbdyngrid: getcell: row (3) außerhalb Bereich!\n\rQuelle:c_zutaten"_cp),
                std::string("tdbdyngrid: getcell: col (-1) außerhalb Bereich!\n\rQuelle:c_zutaten"_cp),
                std::string("tdbdyngrid: getcell: row (-1) außerhalb Bereich!\n\rQuelle:c_zutaten"_cp),
                std::string("tdbdyngrid: getcell: col (2) außerhalb Bereich!\n\rQuelle:c_zutaten"_cp)}));
}

TEST(Model, ShrinkingColumnsKeepsTheOthers) {
  testsupport::FakeMessages messages;
  TdbdynGrid table("t");
  table.setcolcount(1);
  table.setrowcount(1);
  table.setcolcount(3);
  EXPECT_EQ(table.getcolcount(), 3);
  EXPECT_EQ(table.getcell(2, 0), "");
  table.setcolcount(0);
  EXPECT_EQ(table.getrowcount(), 0);
  EXPECT_TRUE(messages.warnings().empty());
}

TEST(Model, ResetLeavesOnePlaceholderRowWithTheColumns) {
  testsupport::FakeMessages messages;
  TdbdynGrid table("t");
  table.setcolcount(3);
  table.setrowcount(1500);
  table.reset();
  EXPECT_EQ(table.getcolcount(), 3);
  EXPECT_EQ(table.getrowcount(), 1);
  EXPECT_EQ(probe(table).rowcapacity(), 1000);
  for (int32_t col = 0; col < 3; ++col) EXPECT_EQ(table.getcell(col, 0), "");
  EXPECT_EQ(probe(table).DBfields(0), "");
  EXPECT_EQ(probe(table).Mode(), 0);
  EXPECT_TRUE(probe(table).dbfiles().empty());

  // Without columns reset leaves no rows at all.
  TdbdynGrid empty("e");
  EXPECT_TRUE(empty.db_close());
  EXPECT_EQ(empty.getcolcount(), 0);
  EXPECT_EQ(probe(empty).rowcapacity(), 0);
  EXPECT_TRUE(messages.warnings().empty());
}

TEST(Subfields, GetsubfieldWalksTheList) {
  EXPECT_EQ(TdbdynGrid::getsubfield("a" + subsep + "b" + subsep, 2), "b");
  EXPECT_EQ(TdbdynGrid::getsubfield("a" + subsep + "b", 2), "b");
  EXPECT_EQ(TdbdynGrid::getsubfield("a" + subsep + "b" + subsep, 3), "");
  EXPECT_EQ(TdbdynGrid::getsubfield("a" + subsep + "b" + subsep, 0), "");
  EXPECT_EQ(TdbdynGrid::getsubfield(" x " + subsep, 1), "x");
  EXPECT_EQ(TdbdynGrid::getsubfield("", 1), "");
  EXPECT_EQ(TdbdynGrid::getsubfield(subsep + subsep + "\t7\x01" + subsep, 3), "7");
  EXPECT_EQ(TdbdynGrid::getsubfield("abc", 1), "abc");
}

TEST(Subfields, GetsubfieldCutsAt255BytesBeforeTrimming) {
  const std::string longfield = std::string(254, 'a') + "  " + std::string(44, 'b');
  EXPECT_EQ(TdbdynGrid::getsubfield("x" + subsep + longfield + subsep, 2), std::string(254, 'a'));
  const std::string field300 = std::string(150, 'c') + std::string(150, 'd');
  EXPECT_EQ(TdbdynGrid::getsubfield(field300, 1), field300.substr(0, 255));
}

TEST(Subfields, SetsubfieldRebuildsTheList) {
  std::string text;
  EXPECT_FALSE(TdbdynGrid::setsubfield(text, 1, "x"));
  EXPECT_EQ(text, "");

  text = "a";
  EXPECT_TRUE(TdbdynGrid::setsubfield(text, 3, "c"));
  EXPECT_EQ(text, "a" + subsep + subsep + "c" + subsep);

  text = "a" + subsep + "b" + subsep + "c" + subsep;
  EXPECT_TRUE(TdbdynGrid::setsubfield(text, 2, ""));
  EXPECT_EQ(text, "a" + subsep + subsep + "c" + subsep);

  // The value is stored as passed: blanks stay, a separator in it splits it.
  text = TdbdynGrid::newsubfields(2);
  EXPECT_TRUE(TdbdynGrid::setsubfield(text, 1, " p" + subsep + "q "));
  EXPECT_EQ(text, " p" + subsep + "q " + subsep + subsep);
  EXPECT_EQ(TdbdynGrid::getsubfield(text, 2), "q");
}

TEST(Subfields, NewsubfieldsAndCleantext) {
  EXPECT_EQ(TdbdynGrid::newsubfields(5), subsep + subsep + subsep + subsep + subsep);
  EXPECT_EQ(TdbdynGrid::newsubfields(0), "");
  EXPECT_EQ(TdbdynGrid::newsubfields(-3), "");
  EXPECT_EQ(TdbdynGrid::cleantext(std::string("a\xA1"
                                              "b\r\n",
                                              5)),
            "a b  ");
  EXPECT_EQ(TdbdynGrid::cleantext(std::string("\0\x01\x02\xBF", 4)), std::string("  \x02\xBF", 4));
}

}  // namespace
