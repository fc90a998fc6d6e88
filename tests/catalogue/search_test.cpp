#include "catalogue/search.h"

#include <gtest/gtest.h>

#include "catalogue/anzeigetexte.h"
#include "platform/codepage.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/tablebuilder.h"

namespace {

using catalogue::Alkoholwahl;
using catalogue::ResultRow;
using catalogue::SearchSettings;
using catalogue::Suchbereich;
using testsupport::packed;
using testsupport::Rows;

std::string cp(std::string_view utf8) { return platform::utf8tocp1252(utf8); }

using FakeProgress = testsupport::RecordingProgress;

class SearchTest : public testsupport::CatalogueFixture {
 protected:
  void load(const Rows& zutaten, const Rows& links, const Rows& rezepte) {
    ASSERT_TRUE(start());
    loadtables(zutaten, links, rezepte);
    messages.clear();
  }

  // A small bar: 1 Rum (alcoholic, available), 2 Limette (available),
  // 3 Sahne (not available), 4 Weißer Rum (alcoholic, not available).
  void loadbar() {
    load({{"1", packed({"Rum", "1", "1"})},
          {"2", packed({"Limette", "1", "0"})},
          {"3", packed({"Sahne", "0", "0"})},
          {"4", packed({cp("Weißer Rum"), "0", "1"})}},
         {{"10", "1", packed({"4", "cl"})},
          {"11", "2", packed({"2", "cl"})},
          {"10", "2", packed({"2", "cl"})},
          {"12", "4", packed({"4", "cl"})},
          {"13", "3", packed({"4", "cl"})},
          {"14", "9", packed({"1", "cl"})},
          {"11", "1", packed({"4", "cl"})}},
         {{"10", packed({"Daiquiri", "3"})},
          {"11", packed({"rum punch", "5"})},
          {"12", packed({"Mojito", "0"})},
          {"13", packed({"Sahnehaube", "x"})},
          {"14", packed({"Geheimnis", "1"})},
          {"15", packed({"RUM-Glas leer", "2"})},
          {"16", packed({cp("Ölprinz"), "1"})}});
  }

  catalogue::SearchResult suche(const SearchSettings& settings) {
    progress = FakeProgress();
    return catalogue::b_suchenClick(*catalogue, settings, progress);
  }

  static std::vector<std::string> captions(const catalogue::SearchResult& result) {
    std::vector<std::string> out;
    for (const ResultRow& row : result.rows) out.push_back(row.caption);
    return out;
  }

  FakeProgress progress;
};

TEST_F(SearchTest, EmptyTermListsEveryRecipeSortedWithStarsFlagsAndId) {
  loadbar();
  const catalogue::SearchResult result = suche({});
  const std::vector<ResultRow> expected = {
      {"Daiquiri", "* * *", "Ja  ", "Ja  ", "10"},
      {"Geheimnis", "*", "Nein", "Nein", "14"},  // its only ingredient does not exist
      {"Mojito", "", "Ja  ", "Nein", "12"},
      {cp("Ölprinz"), "*", "Nein", "Ja  ", "16"},  // no lines: starting values
      {"rum punch", "* * * * *", "Ja  ", "Ja  ", "11"},
      {"RUM-Glas leer", "* *", "Nein", "Ja  ", "15"},
      {"Sahnehaube", "", "Nein", "Nein", "13"}};
  EXPECT_EQ(result.rows, expected);
  EXPECT_EQ(result.hitcount, "7 Suchergebnisse");
  EXPECT_EQ(progress.shown, (std::vector<int>{14, 29, 43, 57, 71, 86, 100}));
  EXPECT_EQ(progress.closed, 1);
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(SearchTest, TermIsTrimmedAndMatchesAsciiCaseInsensitiveSubstrings) {
  loadbar();
  EXPECT_EQ(captions(suche({"  RUM\t"})), (std::vector<std::string>{"rum punch", "RUM-Glas leer"}));
  EXPECT_EQ(captions(suche({"m p"})), (std::vector<std::string>{"rum punch"}));
  EXPECT_TRUE(suche({"m  p"}).rows.empty());
  // Umlauts keep their case: only the same case of the umlaut matches.
  EXPECT_EQ(captions(suche({cp("Ölp")})), (std::vector<std::string>{cp("Ölprinz")}));
  EXPECT_TRUE(suche({cp("ölp")}).rows.empty());
  EXPECT_EQ(suche({"zzz"}).hitcount, "0 Suchergebnisse");
}

TEST_F(SearchTest, WiderScopeAlsoSearchesIngredientNamesButNotQuantities) {
  loadbar();
  SearchSettings settings{"rum", Suchbereich::rezeptzusaetzlich};
  EXPECT_EQ(captions(suche(settings)), (std::vector<std::string>{"Daiquiri", "Mojito", "rum punch", "RUM-Glas leer"}));
  settings.suchbegriff = cp("weiß");
  EXPECT_EQ(captions(suche(settings)), (std::vector<std::string>{"Mojito"}));
  settings.suchbegriff = "cl";
  EXPECT_TRUE(suche(settings).rows.empty());
}

TEST_F(SearchTest, AlcoholAndAvailabilityFilters) {
  loadbar();
  EXPECT_EQ(captions(suche({"", Suchbereich::nurcocktailname, Alkoholwahl::ja})),
            (std::vector<std::string>{"Daiquiri", "Mojito", "rum punch"}));
  // Recipes without lines pass only with "egal" and the box clear.
  EXPECT_EQ(captions(suche({"", Suchbereich::nurcocktailname, Alkoholwahl::nein})),
            (std::vector<std::string>{"Geheimnis", "Sahnehaube"}));
  EXPECT_EQ(captions(suche({"", Suchbereich::nurcocktailname, Alkoholwahl::egal, true})),
            (std::vector<std::string>{"Daiquiri", "rum punch"}));
  EXPECT_TRUE(suche({"", Suchbereich::nurcocktailname, Alkoholwahl::nein, true}).rows.empty());
  EXPECT_EQ(captions(suche({"punch", Suchbereich::nurcocktailname, Alkoholwahl::ja, true})),
            (std::vector<std::string>{"rum punch"}));
}

TEST_F(SearchTest, AnEmptyCatalogueHasOnePlaceholderRecipe) {
  ASSERT_TRUE(start());
  messages.clear();
  const catalogue::SearchResult result = suche({});
  EXPECT_EQ(result.rows, (std::vector<ResultRow>{{"", "", "Nein", "Ja  ", ""}}));
  EXPECT_EQ(result.hitcount, "1 Suchergebnisse");
  EXPECT_EQ(progress.shown, std::vector<int>{100});
  EXPECT_TRUE(suche({"a"}).rows.empty());
  EXPECT_TRUE(suche({"", Suchbereich::nurcocktailname, Alkoholwahl::ja}).rows.empty());
  EXPECT_TRUE(suche({"", Suchbereich::nurcocktailname, Alkoholwahl::nein}).rows.empty());
  EXPECT_TRUE(suche({"", Suchbereich::nurcocktailname, Alkoholwahl::egal, true}).rows.empty());
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(SearchTest, BeforeTheTablesAreLoadedNothingIsFoundAndNoProgressShown) {
  make();
  const catalogue::SearchResult result = suche({});
  EXPECT_TRUE(result.rows.empty());
  EXPECT_EQ(result.hitcount, "0 Suchergebnisse");
  EXPECT_TRUE(progress.shown.empty());
  EXPECT_EQ(progress.closed, 1);
  EXPECT_TRUE(messages.log.empty());
}

TEST(SearchProgress, PercentagesRoundHalfToEven) {
  using catalogue::fortschrittprozent;
  std::vector<int> eighths;
  for (int i = 1; i <= 8; ++i) eighths.push_back(fortschrittprozent(i, 8));
  EXPECT_EQ(eighths, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
  EXPECT_EQ(fortschrittprozent(1, 200), 0);  // 0.5 goes to the even 0
  EXPECT_EQ(fortschrittprozent(3, 200), 2);  // 1.5 goes to 2
  EXPECT_EQ(fortschrittprozent(1, 3), 33);
  EXPECT_EQ(fortschrittprozent(2, 3), 67);
  EXPECT_EQ(fortschrittprozent(140000, 140000), 100);
}

}  // namespace
