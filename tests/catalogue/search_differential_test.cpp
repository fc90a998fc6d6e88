// The search and the ingredient editor build lookups once per command instead
// of scanning the link and ingredient tables for every recipe or ingredient.
// Here both are checked against the plain scans on many random catalogues.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "catalogue/recipeview.h"
#include "catalogue/search.h"
#include "catalogue/zutatenedit_model.h"
#include "platform/codepage.h"
#include "platform/collation.h"
#include "platform/text.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/plainscans.h"
#include "tests/support/tablebuilder.h"
#include "tests/support/tableprobe.h"

namespace {

using catalogue::Alkoholwahl;
using catalogue::ResultRow;
using catalogue::SearchSettings;
using catalogue::Suchbereich;
using testsupport::packed;
using testsupport::plainrows;
using testsupport::plainsearch;
using testsupport::RecordingProgress;
using testsupport::Rows;

class RandomCatalogue {
 public:
  explicit RandomCatalogue(unsigned seed) : random_(seed) {}

  // Ids: mostly small numbers, so that they repeat, and some that are no
  // number or are spelled differently or are the negative stand-ins.
  std::string id() {
    static const std::vector<std::string> odd = {"",   "abc", " 3", "03", "+4", "-1",
                                                 "-2", "$A",  "0",  "7x", " ",  "123456"};
    if (chance(15)) return pick(odd);
    return std::to_string(number(1, 14));
  }

  std::string name() {
    static const std::vector<std::string> parts = {
        "rum", "Rum", "RUM", "gin", "Gin",    platform::utf8tocp1252("Öl"), platform::utf8tocp1252("öl"), " ",
        "-",   "'",   "a",   "B",   "Mai Tai"};
    std::string text;
    for (int i = number(0, 3); i > 0; --i) text += pick(parts);
    return text;
  }

  std::string flag() { return pick({"1", "0", "", " 1", "2", "01"}); }

  Rows zutaten() {
    Rows rows;
    for (int i = number(0, 16); i > 0; --i)
      rows.push_back(chance(8) ? emptyrow(2) : Rows::value_type{id(), packed({name(), flag(), flag()})});
    return finished(rows, 2);
  }

  Rows links() {
    Rows rows;
    for (int i = number(0, 40); i > 0; --i)
      rows.push_back(chance(8) ? emptyrow(3)
                               : Rows::value_type{id(), id(), packed({pick({"4", "0", "1/2"}), pick({"cl", "-"})})});
    return finished(rows, 3);
  }

  Rows rezepte() {
    Rows rows;
    for (int i = number(0, 14); i > 0; --i)
      rows.push_back(chance(8) ? emptyrow(2)
                               : Rows::value_type{id(), packed({name(), pick({"0", "3", "5", "x", ""})})});
    return finished(rows, 2);
  }

  SearchSettings settings() {
    const std::vector<std::string> terms = {"", "rum", " RUM ", "gin", platform::utf8tocp1252("Öl"), "a", "i t", "zzz"};
    const std::vector<Alkoholwahl> alcohol = {Alkoholwahl::egal, Alkoholwahl::ja, Alkoholwahl::nein};
    return {pick(terms), chance(2) ? Suchbereich::rezeptzusaetzlich : Suchbereich::nurcocktailname, pick(alcohol),
            chance(3)};
  }

  // Some rows of the loaded table deleted, as the editor's merges leave them.
  void deletesome(TdbdynGrid& table) {
    for (int32_t row = 0; row + 1 < table.getrowcount(); ++row)
      if (chance(6) && !testsupport::probe(table).DBfields(row).empty()) {
        EXPECT_TRUE(table.delrow(row));
      }
  }

  // One change of a table between two searches, as a rating, an editor, a
  // merge or an import makes it: the kept name order and facts must follow.
  void changeone(TdbdynGrid& table) {
    const int32_t row = number(0, table.getrowcount() - 1);
    std::vector<std::string> values = {id(), packed({name(), flag(), flag()})};
    if (table.getcolcount() == 3) values = {id(), id(), packed({"4", "cl"})};
    if (chance(3)) {
      EXPECT_TRUE(table.addrow(values));
    } else if (!testsupport::probe(table).DBfields(row).empty()) {
      EXPECT_TRUE(chance(4) ? table.delrow(row) : table.updaterow(row, values));
    }
  }

  int number(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  bool chance(int oneinn) { return number(1, oneinn) == 1; }

 private:
  template <typename T>
  T pick(const std::vector<T>& values) {
    return values[static_cast<std::size_t>(number(0, static_cast<int>(values.size()) - 1))];
  }
  std::string pick(std::initializer_list<const char*> values) {
    return pick(std::vector<std::string>(values.begin(), values.end()));
  }

  static Rows::value_type emptyrow(int columns) { return Rows::value_type(static_cast<std::size_t>(columns)); }

  // A file cannot end with an all-empty record of a two-column table.
  static Rows finished(Rows rows, int columns) {
    if (!rows.empty() && columns == 2 && rows.back()[0].empty() && rows.back()[1].empty()) rows.back()[0] = "99";
    return rows;
  }

  std::mt19937 random_;
};

TEST(SearchDifferential, FastSearchAndEditorFillingEqualThePlainScans) {
  testsupport::TempFolder folder;
  testsupport::FakeMessages messages;
  TdbdynGrid zutaten("c_zutaten");
  TdbdynGrid links("c_rezeptezutaten");
  TdbdynGrid rezepte("c_rezepte");
  TdbdynGrid ersatztabelle("c_ersatz");
  catalogue::Namensordnung namensordnung;
  catalogue::Rezeptfakten fakten;  // kept over the changes, as the catalogue keeps it
  int hits = 0;
  for (unsigned seed = 1; seed <= 150; ++seed) {
    RandomCatalogue random(seed);
    ASSERT_TRUE(testsupport::loadtable(zutaten, folder.path(), 2, random.zutaten()));
    ASSERT_TRUE(testsupport::loadtable(links, folder.path(), 3, random.links()));
    ASSERT_TRUE(testsupport::loadtable(rezepte, folder.path(), 2, random.rezepte()));
    if (random.chance(2)) {
      random.deletesome(zutaten);
      random.deletesome(links);
      random.deletesome(rezepte);
    }
    Rows relationen;  // among the usual ids, self relations and repeats among them
    for (int i = random.chance(2) ? random.number(0, 6) : 0; i > 0; --i)
      relationen.push_back({std::to_string(random.number(1, 14)), std::to_string(random.number(1, 14))});
    ASSERT_TRUE(testsupport::loadtable(ersatztabelle, folder.path(), 2, relationen));
    const catalogue::Ersatztabelle c_ersatz(ersatztabelle);
    for (int run = 0; run < 8; ++run) {
      if (run % 2 == 1) random.changeone(*std::array{&rezepte, &links, &zutaten}[random.number(0, 2)]);
      if (run == 4) {  // one relation more: the kept facts follow c_ersatz too
        std::vector<std::string> relation = {std::to_string(random.number(1, 14)), "3"};
        ASSERT_TRUE(ersatztabelle.addrow(relation));
      }
      const SearchSettings settings = random.settings();
      RecordingProgress fastprogress;
      RecordingProgress plainprogress;
      const catalogue::Rezeptetabelle c_rezepte(rezepte);
      const catalogue::Rezeptezutatentabelle c_rezeptezutaten(links);
      const catalogue::Zutatentabelle c_zutaten(zutaten);
      const catalogue::SearchResult fast = catalogue::b_suchenClick(c_rezepte, c_rezeptezutaten, c_zutaten, c_ersatz,
                                                                    namensordnung, fakten, settings, fastprogress);
      const catalogue::SearchResult plain =
          plainsearch(c_rezepte, c_rezeptezutaten, c_zutaten, settings, plainprogress, catalogue::leseersatz(c_ersatz));
      ASSERT_EQ(fast.rows, plain.rows) << "seed " << seed << " term '" << settings.suchbegriff << "'";
      ASSERT_EQ(fast.hitcount, plain.hitcount);
      ASSERT_EQ(fastprogress.shown, plainprogress.shown);
      ASSERT_EQ(fastprogress.closed, 1);
      hits += static_cast<int>(fast.rows.size());
    }
    RecordingProgress fastprogress;
    RecordingProgress plainprogress;
    const catalogue::Zutatentabelle c_zutaten(zutaten);
    const catalogue::Rezeptezutatentabelle c_rezeptezutaten(links);
    const auto fastrows = catalogue::zutatenzeilen(c_zutaten, c_rezeptezutaten, fastprogress);
    ASSERT_EQ(fastrows, plainrows(c_zutaten, c_rezeptezutaten, plainprogress)) << "seed " << seed;
    ASSERT_EQ(fastprogress.shown, plainprogress.shown);
  }
  // The catalogues are not so sparse that nothing is ever found.
  EXPECT_GT(hits, 500);
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{});
}

}  // namespace
