#include "catalogue/zutatenedit_model.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "catalogue/anzeigetexte.h"
#include "catalogue/ersatz.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/faults.h"
#include "tests/support/tablebuilder.h"

namespace {

using catalogue::Aufloespaar;
using catalogue::ZutateneditModel;
using testsupport::packed;
using testsupport::Rows;

std::string cp(std::string_view utf8) { return platform::utf8tocp1252(utf8); }

using FakeProgress = testsupport::RecordingProgress;

// The header edges of the window's columns 200, 70, 70 (and 70).
constexpr int r0 = 200;
constexpr int r1 = 270;
constexpr int r2 = 340;

class ZutateneditTest : public testsupport::CatalogueFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(start()); }

  void load(const Rows& zutaten, const Rows& links) {
    ASSERT_TRUE(testsupport::loadtable(catalogue->c_zutaten(), dbfolder(), 2, zutaten));
    ASSERT_TRUE(testsupport::loadtable(catalogue->c_rezeptezutaten(), dbfolder(), 3, links));
    messages.clear();
  }

  ZutateneditModel& open() {
    model = std::make_unique<ZutateneditModel>(*catalogue);
    model->fuellen(progress);
    return *model;
  }

  // Cell col of every data row, in grid order.
  std::vector<std::string> column(int col) const {
    std::vector<std::string> out;
    for (int32_t row = 0; row < model->rowcount(); ++row) out.push_back(model->cell(col, row));
    return out;
  }

  // The grid row that holds the key in its hidden cell 6.
  int32_t rowofkey(const std::string& key) const {
    for (int32_t row = 0; row < model->rowcount(); ++row)
      if (model->cell(6, row) == key) return row;
    ADD_FAILURE() << "no row for key " << key;
    return -1;
  }

  // Confirms a merge of the ingredient with key from into the one with key to.
  void merge(const std::string& from, const std::string& to, bool yes = true) {
    model->select(rowofkey(from), 1);
    model->zutataufloesenClick();
    model->select(rowofkey(to), 1);
    messages.answers.push_back(yes);
    model->zutatengridDblClick();
  }

  // The two tables as stored, after the reload that the save asks for.
  void reload() { ASSERT_TRUE(start()); }

  // id and packed record of every live ingredient row after a reload.
  // Sorted by id: a rewritten record may move within its file.
  std::vector<std::pair<std::string, std::string>> zutaten() {
    std::vector<std::pair<std::string, std::string>> out;
    TdbdynGrid& table = catalogue->c_zutaten();
    for (int32_t row = 0; row < table.getrowcount(); ++row)
      out.emplace_back(table.getcell(0, row), table.getcell(1, row));
    std::sort(out.begin(), out.end());
    return out;
  }

  std::vector<std::string> linkkeys() {
    std::vector<std::string> out;
    TdbdynGrid& table = catalogue->c_rezeptezutaten();
    for (int32_t row = 0; row < table.getrowcount(); ++row) out.push_back(table.getcell(1, row));
    return out;
  }

  FakeProgress progress;
  std::unique_ptr<ZutateneditModel> model;
};

TEST(ZutateneditFlags, TextsBothWays) {
  EXPECT_TRUE(catalogue::flaggesetzt("1"));
  EXPECT_TRUE(catalogue::flaggesetzt(" 1\t"));
  for (const std::string other : {"", "0", "2", "ja", "11", "01"}) EXPECT_FALSE(catalogue::flaggesetzt(other)) << other;
  for (const std::string yes : {"Ja", "JA", " ja ", "jA"}) EXPECT_EQ(catalogue::janeintoflag(yes), "1") << yes;
  for (const std::string no : {"Nein", "", "J", "Jaa", "1"}) EXPECT_EQ(catalogue::janeintoflag(no), "0") << no;
}

TEST_F(ZutateneditTest, FillingShowsNamesUsageCountsFlagsAndHiddenCells) {
  load({{"1", packed({"Rum", "1", "1"})},
        {" 2", packed({"Limette", "", "0"})},
        {"02", packed({"Zucker", "ja", " 1 "})},
        {"4", packed({"Minze"})}},
       {{"10", "1", packed({"4", "cl"})},
        {"10", "2 ", packed({"1", "-"})},
        {"11", "1", packed({"2", "cl"})},
        {"12", " 2", packed({"1", "-"})},
        {"12", "+1", packed({"1", "-"})}});
  open();
  EXPECT_EQ(model->caption(), "Zutaten (4)");
  ASSERT_EQ(model->rowcount(), 4);
  EXPECT_EQ(ZutateneditModel::header(0), "Zutatname");
  EXPECT_EQ(ZutateneditModel::header(1), "verwendet");
  EXPECT_EQ(ZutateneditModel::header(2), "alkoholisch?");
  EXPECT_EQ(ZutateneditModel::header(3), cp("verfügbar?"));
  EXPECT_EQ(column(0), (std::vector<std::string>{"Rum", "Limette", "Zucker", "Minze"}));
  // Counted by trimmed key text: "+1" and "02" are other texts.
  EXPECT_EQ(column(1), (std::vector<std::string>{"2", "2", "0", "0"}));
  EXPECT_EQ(column(2), (std::vector<std::string>{"Ja", "Nein", "Ja", "Nein"}));
  EXPECT_EQ(column(3), (std::vector<std::string>{"Ja", "Nein", "Nein", "Nein"}));
  EXPECT_EQ(column(5), (std::vector<std::string>{"0", "1", "2", "3"}));
  EXPECT_EQ(column(6), (std::vector<std::string>{"1", " 2", "02", "4"}));
  EXPECT_EQ(column(4), std::vector<std::string>(4, ""));
  EXPECT_EQ(model->selectedrow(), 0);
  EXPECT_EQ(model->selectedcol(), 1);
  EXPECT_EQ(progress.shown, (std::vector<int>{25, 50, 75, 100}));
  EXPECT_EQ(progress.closed, 1);
  EXPECT_FALSE(model->aufloesmodus());
  EXPECT_EQ(model->aufloeszeile(), -1);
}

TEST_F(ZutateneditTest, AnEmptyCatalogueShowsItsPlaceholderAndSavesNothing) {
  open();
  EXPECT_EQ(model->caption(), "Zutaten (1)");
  ASSERT_EQ(model->rowcount(), 1);
  EXPECT_EQ(model->cell(0, 0), "");
  EXPECT_EQ(model->cell(1, 0), "1");  // the empty key matches the link table's placeholder
  EXPECT_EQ(model->cell(2, 0), "Nein");
  EXPECT_EQ(model->cell(3, 0), "Nein");
  const std::string before = testsupport::readfile(dbfolder() + "c_zutaten.db");
  model->b_okClick();
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(testsupport::readfile(dbfolder() + "c_zutaten.db"), before);
  EXPECT_EQ(application.armed, 1);
}

TEST_F(ZutateneditTest, WithoutLoadedTablesThereAreNoDataRowsAndNothingToDo) {
  catalogue->c_zutaten().db_close();
  catalogue->c_zutaten().setcolcount(0);
  open();
  EXPECT_EQ(model->caption(), "Zutaten (0)");
  EXPECT_EQ(model->rowcount(), 0);
  model->zutatengridMouseDown(10, r0, r1, r2);
  model->select(0, 2);
  model->zutatengridDblClick();
  model->Zutatumbenennen1Click();
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(model->rowcount(), 0);
  EXPECT_TRUE(progress.shown.empty());
  EXPECT_EQ(progress.closed, 1);
}

class ZutateneditSortTest : public ZutateneditTest {
 protected:
  void SetUp() override {
    ZutateneditTest::SetUp();
    // Keys 1..6; names with ties in case, an umlaut; counts 1,3,1,3,0,2.
    load({{"1", packed({"Birne", "1", "0"})},
          {"2", packed({"apfel", "0", "1"})},
          {"3", packed({"birne", "1", "1"})},
          {"4", packed({"Apfel", "0", "0"})},
          {"5", packed({cp("Äpfel"), "1", "0"})},
          {"6", packed({"Zitrone", "0", "1"})}},
         {{"1", "1", packed({"1"})},
          {"1", "2", packed({"1"})},
          {"2", "2", packed({"1"})},
          {"3", "2", packed({"1"})},
          {"1", "3", packed({"1"})},
          {"1", "4", packed({"1"})},
          {"2", "4", packed({"1"})},
          {"3", "4", packed({"1"})},
          {"1", "6", packed({"1"})},
          {"2", "6", packed({"1"})}});
    open();
  }
};

TEST_F(ZutateneditSortTest, ByNameIgnoresAsciiCaseAndPutsUmlautsAfterZ) {
  model->zutatengridMouseDown(r0 - 1, r0, r1, r2);
  EXPECT_EQ(column(0), (std::vector<std::string>{"apfel", "Apfel", "birne", "Birne", "Zitrone", cp("Äpfel")}));
  // Hidden cells travel with their rows.
  EXPECT_EQ(column(6), (std::vector<std::string>{"2", "4", "3", "1", "6", "5"}));
  EXPECT_EQ(column(5), (std::vector<std::string>{"1", "3", "2", "0", "5", "4"}));
}

TEST_F(ZutateneditSortTest, ByUsageLargestFirstWithTiesWhereTheQuicksortPutsThem) {
  model->zutatengridMouseDown(r0, r0, r1, r2);
  EXPECT_EQ(column(1), (std::vector<std::string>{"3", "3", "2", "1", "1", "0"}));
  EXPECT_EQ(column(6), (std::vector<std::string>{"4", "2", "6", "1", "3", "5"}));
}

TEST_F(ZutateneditSortTest, FlagColumnsAndTheEmptyAreaRightOfThem) {
  model->zutatengridMouseDown(r1 + 1, r0, r1, r2);
  EXPECT_EQ(column(2), (std::vector<std::string>{"Ja", "Ja", "Ja", "Nein", "Nein", "Nein"}));
  model->zutatengridMouseDown(5000, r0, r1, r2);
  EXPECT_EQ(column(3), (std::vector<std::string>{"Ja", "Ja", "Ja", "Nein", "Nein", "Nein"}));
}

TEST_F(ZutateneditSortTest, APressOnAnInnerEdgeRunsBothSorts) {
  // What the two sorts give one after the other...
  model->zutatengridMouseDown(r0, r0, r1, r2);
  model->zutatengridMouseDown(r2 - 1, r0, r1, r2);
  const std::vector<std::string> both = column(6);
  // ...the press on the edge between them gives too.
  open();
  model->zutatengridMouseDown(r1, r0, r1, r2);
  EXPECT_EQ(column(6), both);
  // The same for the edge between the flag columns.
  open();
  model->zutatengridMouseDown(r2 - 1, r0, r1, r2);
  model->zutatengridMouseDown(r2 + 1, r0, r1, r2);
  const std::vector<std::string> flags = column(6);
  open();
  model->zutatengridMouseDown(r2, r0, r1, r2);
  EXPECT_EQ(column(6), flags);
}

TEST_F(ZutateneditSortTest, HoareQuicksortOrderOfEqualKeys) {
  // Four rows B, a, B, A by name: the partition swaps the first and last row,
  // so "A" (key 4) ends before "a" (key 2); a stable sort would not.
  load({{"1", packed({"B"})}, {"2", packed({"a"})}, {"3", packed({"B"})}, {"4", packed({"A"})}},
       {{"1", "9", packed({"1"})}});
  open();
  model->zutatengridMouseDown(0, r0, r1, r2);
  EXPECT_EQ(column(6), (std::vector<std::string>{"4", "2", "1", "3"}));
}

TEST_F(ZutateneditTest, DoubleClickTogglesOnlyTheFlagColumnsOfDataRows) {
  load({{"1", packed({"Rum", "1", "0"})}}, {{"1", "1", packed({"1"})}});
  open();
  model->select(0, 2);
  model->zutatengridDblClick();
  EXPECT_EQ(model->cell(2, 0), "Ja");
  model->zutatengridDblClick();
  EXPECT_EQ(model->cell(2, 0), "Nein");
  model->select(0, 3);
  model->zutatengridDblClick();
  EXPECT_EQ(model->cell(3, 0), "Nein");
  for (const int col : {0, 1, 4, 5, 6}) {
    model->select(0, col);
    model->zutatengridDblClick();
  }
  model->select(-1, 2);  // no row selected
  model->zutatengridDblClick();
  EXPECT_EQ(column(2), std::vector<std::string>{"Nein"});
  EXPECT_EQ(column(0), std::vector<std::string>{"Rum"});
  EXPECT_EQ(column(1), std::vector<std::string>{"1"});
  EXPECT_EQ(column(5), std::vector<std::string>{"0"});
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(ZutateneditTest, RenameAsksWithTheNameAndKeepsTheTextAsTyped) {
  load({{"1", packed({"Rum", "1", "0"})}, {"2", packed({"Gin", "1", "0"})}}, {{"1", "1", packed({"1"})}});
  open();
  model->select(1, 1);
  messages.inputs.push_back({true, "  Dry Gin "});
  model->Zutatumbenennen1Click();
  EXPECT_EQ(
      messages.log,
      (std::vector<testsupport::Message>{{testsupport::Message::Kind::inputbox, "umbenennen|Bitte Namen eingeben:"}}));
  EXPECT_EQ(messages.prefills, std::vector<std::string>{"Gin"});
  EXPECT_EQ(model->cell(0, 1), "  Dry Gin ");
  // Cancel keeps the name; without a selected row nothing is renamed at all.
  messages.inputs.push_back({false, "weg"});
  model->Zutatumbenennen1Click();
  EXPECT_EQ(model->cell(0, 1), "  Dry Gin ");
  model->select(-1, 1);
  model->Zutatumbenennen1Click();
  EXPECT_EQ(messages.prefills.size(), 2u);
  // The subfield separator cannot enter a name: it would split the record.
  model->select(0, 1);
  messages.inputs.push_back({true, std::string("Rum") + TdbdynGrid::subsep + "1" + TdbdynGrid::subsep});
  model->Zutatumbenennen1Click();
  EXPECT_EQ(model->cell(0, 0), "Rum 1 ");
}

TEST_F(ZutateneditTest, PickingAMergeAsksAndRecordsThePairOfKeys) {
  load({{"11", packed({"Rum", "1", "0"})}, {"12", packed({"Rhum", "1", "0"})}, {"abc", packed({"Kaputt"})}},
       {{"1", "11", packed({"1"})}});
  open();
  model->select(1, 1);
  model->zutataufloesenClick();
  EXPECT_EQ(
      messages.informations(),
      std::vector<std::string>{std::string(
          "Bitte machen Sie jetzt einen Doppelklick auf die Zutat die der vorher gewählten Zutat entspicht!"_cp)});
  EXPECT_TRUE(model->aufloesmodus());
  EXPECT_EQ(model->aufloeszeile(), 1);
  // A double-click without a selected row does nothing; the pick goes on.
  model->select(-1, 2);
  model->zutatengridDblClick();
  EXPECT_TRUE(model->aufloesmodus());
  EXPECT_TRUE(messages.questions().empty());
  // The target's flag cell toggles after the pick, whatever the answer.
  model->select(0, 3);
  messages.answers.push_back(true);
  model->zutatengridDblClick();
  EXPECT_EQ(
      messages.questions(),
      std::vector<std::string>{std::string("Wollen Sie Rhum auflösen und die Rezeptreferenzen auf Rum schieben?"_cp)});
  EXPECT_EQ(model->aufloesliste(), (std::vector<Aufloespaar>{{12, 11}}));
  EXPECT_FALSE(model->aufloesmodus());
  EXPECT_EQ(model->aufloeszeile(), -1);
  EXPECT_EQ(model->cell(3, 0), "Nein");
  // "Nein" records nothing; a key that is no number makes a void pair.
  messages.clear();
  merge("11", "abc", false);
  EXPECT_EQ(model->aufloesliste().size(), 1u);
  merge("abc", "11");
  EXPECT_EQ(model->aufloesliste(), (std::vector<Aufloespaar>{{12, 11}, {-1, 11}}));
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{});
}

TEST_F(ZutateneditTest, SelfMergeAndEscapeAddNothingUsable) {
  load({{"11", packed({"Rum", "1", "0"})}, {"12", packed({"Rhum", "1", "0"})}}, {{"1", "11", packed({"1"})}});
  open();
  merge("11", "11");
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{std::string("Sie können Einträge nicht auf sich selbst schieben!"_cp)});
  EXPECT_EQ(model->aufloesliste(), (std::vector<Aufloespaar>{{-1, -1}}));
  model->select(0, 1);
  model->zutataufloesenClick();
  model->Action_abbrechenExecute();
  EXPECT_FALSE(model->aufloesmodus());
  EXPECT_EQ(model->aufloeszeile(), -1);
  model->select(1, 1);
  model->zutatengridDblClick();
  EXPECT_EQ(model->aufloesliste().size(), 1u);
  EXPECT_EQ(messages.questions().size(), 1u);
  // Opening the window again forgets the list.
  open();
  EXPECT_TRUE(model->aufloesliste().empty());
}

TEST_F(ZutateneditTest, AMergeOntoAnIngredientThatIsAlreadyBeingMergedIsRefused) {
  load({{"1", packed({"A"})}, {"2", packed({"B"})}, {"3", packed({"C"})}}, {{"1", "1", packed({"1"})}});
  open();
  merge("1", "2");
  merge("2", "3");  // a chain onward stays allowed
  EXPECT_EQ(model->aufloesliste(), (std::vector<Aufloespaar>{{1, 2}, {2, 3}}));
  EXPECT_TRUE(messages.warnings().empty());
  merge("3", "1");  // 1 is deleted by the first pair: its lines would point at nothing
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{std::string(
                "Die gewählte Zutat wird bereits aufgelöst, auf sie können keine Einträge geschoben werden!"_cp)});
  EXPECT_EQ(messages.questions().size(), 2u);  // not even asked
  EXPECT_EQ(model->aufloesliste().size(), 2u);
  EXPECT_FALSE(model->aufloesmodus());
  EXPECT_EQ(model->aufloeszeile(), -1);
  // A pair that the save skips deletes nothing, so its source may be a target.
  load({{"1", packed({"A"})}, {"2", packed({"B"})}, {"x", packed({"Kaputt"})}}, {{"1", "1", packed({"1"})}});
  open();
  messages.clear();
  merge("2", "x");
  merge("1", "2");
  EXPECT_EQ(model->aufloesliste(), (std::vector<Aufloespaar>{{2, -1}, {1, 2}}));
  EXPECT_TRUE(messages.warnings().empty());
}

TEST_F(ZutateneditTest, SavingWritesChangedRowsTrimmedAndCountsThem) {
  const std::string sep(1, TdbdynGrid::subsep);
  load({{"1", packed({"Rum", "1", "1"})},
        {"2", packed({"Limette", "", "0"})},  // stored flag other than "1"
        {"3", packed({"Gin", "1", "0"})},
        {"4", "Minze" + sep + "0" + sep + "0" + sep + "rest" + sep}},
       {{"1", "1", packed({"1"})}});
  open();
  model->zutatengridMouseDown(0, r0, r1, r2);  // sorted: the save finds rows through cell 5
  model->select(rowofkey("3"), 3);
  model->zutatengridDblClick();
  model->select(rowofkey("4"), 1);
  messages.inputs.push_back({true, "  Pfefferminze  "});
  model->Zutatumbenennen1Click();
  model->b_okClick();
  EXPECT_EQ(messages.informations(), std::vector<std::string>{std::string("3 Zutateneinträge geändert!"_cp)});
  EXPECT_EQ(application.armed, 1);
  reload();
  EXPECT_EQ(zutaten(), (std::vector<std::pair<std::string, std::string>>{
                           {"1", packed({"Rum", "1", "1"})},
                           {"2", packed({"Limette", "0", "0"})},
                           {"3", packed({"Gin", "0", "0"})},
                           {"4", "Pfefferminze" + sep + "0" + sep + "0" + sep + "rest" + sep}}));
  // A second save without changes writes nothing but still reloads.
  messages.clear();
  open();
  model->b_okClick();
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(application.armed, 2);
}

// The filter picks rows by name as the search does (trimmed, a-z in any
// case); flags, sort and merge act on the rows shown, the save on all.
TEST_F(ZutateneditTest, TheFilterShowsMatchingNamesAndTheSaveWritesEveryRow) {
  load({{"1", packed({cp("Weißer Rum"), "0", "0"})},
        {"2", packed({"Rohrzucker", "0", "0"})},
        {"3", packed({"Rum", "0", "0"})}},
       {{"9", "3", packed({"4", "cl"})}});
  open();
  model->select(1, 3);
  model->zutatengridDblClick();
  model->zutatengridDblClick();
  EXPECT_FALSE(model->geaendert());  // toggled back
  model->filtern(" RUM ");
  EXPECT_EQ(column(0), (std::vector<std::string>{cp("Weißer Rum"), "Rum"}));
  model->zutatengridMouseDown(0, r0, r1, r2);
  EXPECT_EQ(column(0), (std::vector<std::string>{"Rum", cp("Weißer Rum")}));
  model->select(0, 2);
  model->zutatengridDblClick();
  EXPECT_TRUE(model->geaendert());
  model->filtern("zucker");
  EXPECT_EQ(model->selectedrow(), 0);
  model->select(0, 3);
  model->zutatengridDblClick();
  model->zutataufloesenClick();  // Rohrzucker into Rum, found under another filter
  model->filtern("");
  EXPECT_EQ(column(0), (std::vector<std::string>{"Rohrzucker", "Rum", cp("Weißer Rum")}));
  model->filtern("um");
  EXPECT_EQ(model->aufloeszeile(), -1);  // the source is not shown
  model->select(0, 1);
  messages.answers.push_back(true);
  model->zutatengridDblClick();
  EXPECT_EQ(messages.questions(),
            std::vector<std::string>{cp("Wollen Sie Rohrzucker auflösen und die Rezeptreferenzen auf Rum schieben?")});
  EXPECT_EQ(model->aufloesliste(), (std::vector<Aufloespaar>{{2, 3}}));
  messages.clear();
  model->b_okClick();
  EXPECT_EQ(messages.informations(), std::vector<std::string>{cp("2 Zutateneinträge geändert!")});
  reload();
  EXPECT_EQ(zutaten(), (std::vector<std::pair<std::string, std::string>>{{"1", packed({cp("Weißer Rum"), "0", "0"})},
                                                                         {"3", packed({"Rum", "0", "1"})}}));
}

// On a filtered list, rename, flags and merge act on the rows picked, not on
// the rows at their indexes in the whole list.
TEST_F(ZutateneditTest, OnAFilteredListRenameFlagsAndMergeActOnTheRowsPicked) {
  load({{"1", packed({"Cola", "0", "0"})}, {"2", packed({"Rum", "0", "0"})}, {"3", packed({"Rum alt", "0", "0"})}},
       {{"9", "3", packed({"4", "cl"})}});
  open();
  model->filtern("rum");
  model->select(0, 2);
  model->zutatengridDblClick();
  messages.inputs.push_back({true, "Brauner Rum"});
  model->Zutatumbenennen1Click();
  merge("3", "2");
  EXPECT_EQ(model->aufloesliste(), (std::vector<Aufloespaar>{{3, 2}}));
  model->b_okClick();
  reload();
  EXPECT_EQ(zutaten(), (std::vector<std::pair<std::string, std::string>>{{"1", packed({"Cola", "0", "0"})},
                                                                         {"2", packed({"Brauner Rum", "0", "1"})}}));
  EXPECT_EQ(linkkeys(), std::vector<std::string>{"2"});
}

TEST_F(ZutateneditTest, TwoMergesInAChainMoveEverythingToTheLastTarget) {
  load({{"1", packed({"A", "1", "0"})},
        {"2", packed({"B", "1", "0"})},
        {"3", packed({"C", "1", "0"})},
        {"4", packed({"D", "1", "0"})}},
       {{"10", "1", packed({"1"})},
        {"10", "3", packed({"1"})},
        {"11", "2", packed({"1"})},
        {"11", "1", packed({"1"})},
        {"12", "4", packed({"1"})},
        {"12", "2", packed({"1"})}});
  open();
  merge("1", "2");
  merge("2", "3");
  merge("1", "3");  // A is gone by then: nothing left to move or delete
  EXPECT_EQ(model->aufloesliste().size(), 3u);
  messages.clear();
  model->b_okClick();
  // A's two lines move twice (to B, then with B's two to C): 2 + 4.
  EXPECT_EQ(messages.informations(), std::vector<std::string>{std::string(
                                         "6 Rezeptreferenzen geändert, gewählte Zutat(en) wurden ggf. aufgelöst!"_cp)});
  EXPECT_TRUE(messages.warnings().empty());
  reload();
  std::vector<std::string> keys = linkkeys();
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"3", "3", "3", "3", "3", "4"}));
  const auto rows = zutaten();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].first, "3");
  EXPECT_EQ(rows[1].first, "4");
}

TEST_F(ZutateneditTest, MergingAnUnusedIngredientDeletesItWithoutACount) {
  load({{"1", packed({"A", "1", "0"})}, {"2", packed({"B", "1", "0"})}, {"1", packed({"A doppelt", "0", "0"})}},
       {{"10", "2", packed({"1"})}});
  open();
  merge("1", "2");  // no line uses 1; both of its rows go
  messages.clear();
  model->b_okClick();
  EXPECT_EQ(messages.log, std::vector<testsupport::Message>{});
  reload();
  const auto rows = zutaten();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].first, "2");
  EXPECT_EQ(linkkeys(), std::vector<std::string>{"2"});
}

TEST_F(ZutateneditTest, AMergeWhoseLinesCannotAllBeMovedKeepsItsSourceAndEndsTheSave) {
  load({{"1", packed({"A", "1", "0"})}, {"2", packed({"B", "1", "0"})}},
       {{"10", "1", packed({"1"})}, {"11", "1", packed({"1"})}});
  open();
  merge("1", "2");
  messages.clear();
  testsupport::faults::arm(1, EACCES, testsupport::faults::Call::read);  // the first line's write-back fails
  model->b_okClick();
  testsupport::faults::disarm();
  const std::vector<std::string> warnings = messages.warnings();
  ASSERT_FALSE(warnings.empty());
  EXPECT_EQ(warnings.back(),
            std::string("Es konnte nicht alle Referenzen aufgelöst werden, daher bleibt der Eintrag bestehen!"_cp));
  EXPECT_TRUE(messages.informations().empty());
  EXPECT_EQ(application.armed, 1);
  reload();
  const auto rows = zutaten();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].first, "1");
  EXPECT_EQ(linkkeys(), (std::vector<std::string>{"1", "1"}));  // the second line was not tried
}

TEST_F(ZutateneditTest, AFailedDeleteIsReportedAndEndsTheSave) {
  load({{"1", packed({"A", "1", "0"})}, {"2", packed({"B", "1", "0"})}, {"1", packed({"A doppelt", "1", "0"})}},
       {{"10", "2", packed({"1"})}});
  open();
  merge("1", "2");
  messages.clear();
  testsupport::faults::arm(1, EACCES, testsupport::faults::Call::read);  // the first row's delete fails
  model->b_okClick();
  testsupport::faults::disarm();
  const std::vector<std::string> warnings = messages.warnings();
  ASSERT_FALSE(warnings.empty());
  EXPECT_EQ(warnings.back(), "Fehler beim db_delrow!");
  EXPECT_TRUE(messages.informations().empty());
  EXPECT_EQ(catalogue->c_zutaten().getcell(0, 2), "1");  // nothing more was written
  EXPECT_EQ(catalogue->c_zutaten().getcell(0, 1), "2");
}

// A full disk (a grown record cannot be appended): the step fails as a whole.
TEST_F(ZutateneditTest, OnAFullDiskTheStepFailsWhole) {
  load({{"1", packed({"A", "0", "0"})}, {"2", packed({"B", "0", "0"})}, {"3", packed({"C", "0", "0"})}}, {});
  open();
  model->select(0, 2);
  model->zutatengridDblClick();
  model->select(1, 2);
  messages.inputs.push_back({true, "Bitter Lemon"});
  model->Zutatumbenennen1Click();
  model->select(2, 2);
  model->zutatengridDblClick();
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit unlimited{};
  ::getrlimit(RLIMIT_FSIZE, &unlimited);
  rlimit full = unlimited;
  full.rlim_cur = testsupport::readfile(dbfolder() + "c_zutaten.db").size();
  ::setrlimit(RLIMIT_FSIZE, &full);
  model->b_okClick();
  ::setrlimit(RLIMIT_FSIZE, &unlimited);
  EXPECT_EQ(messages.warnings().size(), 1u);  // the commit's
  EXPECT_TRUE(messages.informations().empty());
  reload();
  EXPECT_EQ(zutaten(),
            (std::vector<std::pair<std::string, std::string>>{
                {"1", packed({"A", "0", "0"})}, {"2", packed({"B", "0", "0"})}, {"3", packed({"C", "0", "0"})}}));
}

}  // namespace

class ZutateneditErsatzTest : public ZutateneditTest {
 protected:
  void SetUp() override {
    ZutateneditTest::SetUp();
    load({{"1", packed({"Limettensaft", "0", "0"})},
          {"2", packed({"Limette", "1", "0"})},
          {"3", packed({"Rum", "1", "1"})}},
         {{"10", "1", packed({"2", "cl"})}});
    ASSERT_TRUE(testsupport::loadtable(catalogue->c_ersatz(), dbfolder(), 2, {{"1", "2"}}));
    open();
  }
};

TEST_F(ZutateneditErsatzTest, TheLineNamesTheSubstitutesAndAddingRefusesUnknownSelfAndRepeats) {
  model->select(rowofkey("1"), 1);
  EXPECT_EQ(model->ersatzzeile(), cp("Ersatz für Limettensaft: Limette"));
  model->select(rowofkey("2"), 1);
  EXPECT_EQ(model->ersatzzeile(), cp("Ersatz für Limette: keiner"));  // one way
  EXPECT_FALSE(model->ersatzhinzufuegen(rowofkey("2"), "Zitrone"));
  EXPECT_FALSE(model->ersatzhinzufuegen(rowofkey("2"), " limette "));
  EXPECT_FALSE(model->ersatzhinzufuegen(rowofkey("1"), "LIMETTE"));
  EXPECT_EQ(messages.warnings(), (std::vector<std::string>{cp("Die Zutat „Zitrone“ gibt es nicht!"),
                                                           cp("Eine Zutat kann nicht für sich selbst stehen!"),
                                                           cp("Limette steht schon für Limettensaft!")}));
  EXPECT_EQ(catalogue->c_zutaten().getrowcount(), 3);  // nothing made
  EXPECT_FALSE(model->geaendert());
  EXPECT_TRUE(model->ersatzhinzufuegen(rowofkey("1"), "rum"));
  EXPECT_EQ(model->ersatznamen(rowofkey("1")), (std::vector<std::string>{"Limette", "Rum"}));
  EXPECT_TRUE(model->geaendert());
}

TEST_F(ZutateneditErsatzTest, AMergeCarriesTheSubstitutesOverAndARenameChangesNothingStored) {
  const std::string before = testsupport::readfile(dbfolder() + "c_ersatz.db");
  messages.inputs = {{true, "Limettenscheibe"}};
  model->select(rowofkey("2"), 1);
  model->Zutatumbenennen1Click();
  EXPECT_EQ(model->ersatznamen(rowofkey("1")), std::vector<std::string>{"Limettenscheibe"});
  ASSERT_TRUE(model->b_okClick());
  EXPECT_EQ(testsupport::readfile(dbfolder() + "c_ersatz.db"), before);

  open();
  EXPECT_TRUE(model->ersatzhinzufuegen(rowofkey("3"), "Limettensaft"));
  merge("3", "2");  // Rum into Limette: Limettensaft stands in for Limette now
  merge("1", "2");  // then Limettensaft: both relations become Limette for itself, and go
  ASSERT_TRUE(model->b_okClick());
  reload();
  EXPECT_EQ(catalogue::leseersatz(catalogue->ersatz()), catalogue::Ersatzliste{});
}
