#include "catalogue/einkaufstipps.h"

#include <gtest/gtest.h>

#include "catalogue/einkaufstipps_text.h"
#include "catalogue/search.h"
#include "platform/codepage.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/tablebuilder.h"

namespace {

using catalogue::Einkaufstipp;
using testsupport::packed;
using testsupport::Rows;

class EinkaufstippsTest : public testsupport::CatalogueFixture {
 protected:
  void load(const Rows& zutaten, const Rows& links, const Rows& rezepte) {
    ASSERT_TRUE(start());
    loadtables(zutaten, links, rezepte);
  }
};

Rows lines(const std::string& rezept, const std::vector<std::string>& zutaten) {
  Rows out;
  for (const std::string& zutat : zutaten) out.push_back({rezept, zutat, packed({"4", "cl"})});
  return out;
}

TEST_F(EinkaufstippsTest, GroupsRecipesByTheirOneOrTwoMissingIngredients) {
  Rows links;
  for (const auto& [rezept, zutaten] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"10", {"1", "5", "2"}},
           {"11", {"1", "2", "4", "3"}},
           {"12", {"1", "5"}},
           {"13", {"4", "4"}},   // the same ingredient twice misses it once
           {"14", {"3", "99"}},  // 99 has no row: nothing completes it
           {"16", {"1", "2", "7"}},
           {"17", {"1", "3"}},
           {"18", {"3", "5"}},
           {"19", {"5"}},
           {"20", {"4", "3", "5"}}})  // three missing
    for (const auto& row : lines(rezept, zutaten)) links.push_back(row);
  load({{"1", packed({"Rum", "1"})},
        {"2", packed({"Limettensaft", "1"})},
        {"3", packed({"Soda", "0"})},
        {"4", packed({"Minze", "0"})},
        {"5", packed({"Cola", "0"})},
        {"7", packed({"Grenadine", "0"})},
        {"7", packed({"Grenadine", "1"})}},  // the later row counts
       links,
       {{"10", packed({"Cuba Libre"})},
        {"11", packed({"Mojito"})},
        {"12", packed({"Rum Cola"})},
        {"13", packed({"Minzwasser"})},
        {"14", packed({"Geheimnis"})},
        {"15", packed({"Leer"})},
        {"16", packed({"Daiquiri"})},
        {"17", packed({"Highball"})},
        {"18", packed({"Soda Cola"})},
        {"19", packed({"cola light"})},
        {"20", packed({"Zuviel"})}});

  const catalogue::Einkaufstipps tipps = catalogue::einkaufstipps(*catalogue);
  EXPECT_EQ(tipps.mixbar, 1);
  EXPECT_FALSE(tipps.nichtsverfuegbar);
  EXPECT_EQ(tipps.eine, (std::vector<Einkaufstipp>{{{"Cola"}, {"cola light", "Cuba Libre", "Rum Cola"}},
                                                   {{"Minze"}, {"Minzwasser"}},
                                                   {{"Soda"}, {"Highball"}}}));
  // A pair brings the recipes missing exactly one of the two and those
  // missing exactly both; Cola + Minze is missed by no recipe as a pair.
  EXPECT_EQ(tipps.paare, (std::vector<Einkaufstipp>{
                             {{"Cola", "Soda"}, {"cola light", "Cuba Libre", "Highball", "Rum Cola", "Soda Cola"}},
                             {{"Cola", "Minze"}, {"cola light", "Cuba Libre", "Minzwasser", "Rum Cola"}},
                             {{"Minze", "Soda"}, {"Highball", "Minzwasser", "Mojito"}}}));
  // Cola completes 3; then Soda completes Highball and Soda Cola; then Minze
  // completes Minzwasser, Mojito and Zuviel; nothing is left to complete.
  EXPECT_EQ(tipps.plan, (std::vector<catalogue::Einkaufsschritt>{{"Cola", 3, 3}, {"Soda", 2, 5}, {"Minze", 3, 8}}));
  // The mixable recipes' list follows the tips' lists.
  const auto mixbare = catalogue::allerezepte(*catalogue, tipps, tipps.eine.size() + tipps.paare.size());
  ASSERT_EQ(mixbare.size(), 1u);
  EXPECT_EQ(catalogue::leserezept(catalogue->rezepte(), mixbare[0]).name(), "Daiquiri");
  // What is mixable now is what the search lists with the availability box ticked.
  testsupport::RecordingProgress progress;
  catalogue::SearchSettings nurverfuegbar;
  nurverfuegbar.nurverfuegbar = true;
  EXPECT_EQ(catalogue::b_suchenClick(*catalogue, nurverfuegbar, progress).rows.size(), 1u);
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(EinkaufstippsTest, AnEmptyCatalogueHasNoRecipesToBuyFor) {
  ASSERT_TRUE(start());
  EXPECT_TRUE(catalogue::einkaufstipps(*catalogue).keinerezepte);
}

// Ties are broken by the names in the result list's order: a pair by its
// first name, then its second; a purchase of the plan by its name.
TEST_F(EinkaufstippsTest, TiesGoByNameInPairsAndPlan) {
  Rows links;
  for (const auto& [rezept, zutaten] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"1", {"1", "2"}}, {"2", {"1", "3"}}, {"3", {"2", "3"}}, {"4", {"1", "4"}}})
    for (const auto& row : lines(rezept, zutaten)) links.push_back(row);
  load({{"1", packed({"Rum", "1"})},
        {"2", packed({"Zitrone", "0"})},
        {"3", packed({"Eis", "0"})},
        {"4", packed({"Minze", "0"})}},
       links,
       {{"1", packed({"Sour"})}, {"2", packed({"On the Rocks"})}, {"3", packed({"Slush"})}, {"4", packed({"Mojito"})}});
  const catalogue::Einkaufstipps tipps = catalogue::einkaufstipps(*catalogue);
  EXPECT_EQ(tipps.paare, (std::vector<Einkaufstipp>{{{"Eis", "Zitrone"}, {"On the Rocks", "Slush", "Sour"}},
                                                    {{"Eis", "Minze"}, {"Mojito", "On the Rocks"}},
                                                    {{"Minze", "Zitrone"}, {"Mojito", "Sour"}}}));
  // Eis, Minze and Zitrone each complete one recipe: Eis first; then
  // Zitrone completes Sour and Slush.
  EXPECT_EQ(tipps.plan, (std::vector<catalogue::Einkaufsschritt>{{"Eis", 1, 1}, {"Zitrone", 2, 3}, {"Minze", 1, 4}}));
  EXPECT_FALSE(tipps.keinerezepte);
}

// Pairs of Zucker with Sirup 97 .. Sirup 75 (ids 3 .. 25); Sirup 97 twice.
TEST_F(EinkaufstippsTest, TwentyPairsAtMostTheMostRecipesFirstThenByName) {
  Rows zutaten{{"1", packed({"Rum", "1"})}, {"2", packed({"Zucker", "0"})}};
  Rows links = lines("1", {"2", "3"});
  Rows rezepte{{"1", packed({"Zweimal"})}};
  for (int i = 3; i <= 25; ++i) {
    const std::string id = std::to_string(i);
    zutaten.push_back({id, packed({"Sirup " + std::to_string(100 - i), "0"})});
    for (const auto& row : lines(std::to_string(100 + i), {"1", "2", id})) links.push_back(row);
    rezepte.push_back({std::to_string(100 + i), packed({"Drink " + id})});
  }
  load(zutaten, links, rezepte);
  const catalogue::Einkaufstipps tipps = catalogue::einkaufstipps(*catalogue);
  ASSERT_EQ(tipps.paare.size(), catalogue::maxpaare);
  EXPECT_EQ(tipps.paare[0], (Einkaufstipp{{"Sirup 97", "Zucker"}, {"Drink 3", "Zweimal"}}));
  EXPECT_EQ(tipps.paare[1], (Einkaufstipp{{"Sirup 75", "Zucker"}, {"Drink 25"}}));
  EXPECT_EQ(tipps.paare[19], (Einkaufstipp{{"Sirup 93", "Zucker"}, {"Drink 7"}}));
  EXPECT_TRUE(tipps.eine.empty());
  EXPECT_TRUE(tipps.plan.empty());  // no single purchase completes a recipe
}

// Absinth completes three recipes, Sirup 01 .. Sirup 21 one each: every
// single is listed, and the last of the twenty best pairs joins Absinth to
// the twenty-first single, Sirup 20.
TEST_F(EinkaufstippsTest, TheLastPlacesOfTheSinglesAndThePairs) {
  Rows zutaten{{"1", packed({"Absinth", "0"})}};
  Rows links;
  Rows rezepte;
  for (int k = 1; k <= 24; ++k) {  // recipes 1 .. 3 miss Absinth, 4 .. 24 one syrup each
    const std::string id = std::to_string(k);
    const std::string nummer = (k < 13 ? "0" : "") + std::to_string(k - 3);
    if (k > 3) zutaten.push_back({id, packed({"Sirup " + nummer, "0"})});
    for (const auto& row : lines(id, {k > 3 ? id : "1"})) links.push_back(row);
    rezepte.push_back({id, packed({k > 3 ? "Drink " + nummer : "Absinth " + id})});
  }
  load(zutaten, links, rezepte);
  const catalogue::Einkaufstipps tipps = catalogue::einkaufstipps(*catalogue);
  ASSERT_EQ(tipps.eine.size(), 22u);
  EXPECT_EQ(tipps.eine.back(), (Einkaufstipp{{"Sirup 21"}, {"Drink 21"}}));
  ASSERT_EQ(tipps.paare.size(), catalogue::maxpaare);
  EXPECT_EQ(tipps.paare.back(),
            (Einkaufstipp{{"Absinth", "Sirup 20"}, {"Absinth 1", "Absinth 2", "Absinth 3", "Drink 20"}}));
}

// A recipe missing exactly as many ingredients as the plan has purchases left
// stays in it: the fifth purchase completes the recipe that missed five.
TEST_F(EinkaufstippsTest, ThePlansLastPurchaseCompletesARecipeMissingFive) {
  Rows zutaten;
  Rows links = lines("9", {"1", "2", "3", "4", "5"});
  Rows rezepte{{"9", packed({"Alles"})}};
  for (const std::string id : {"1", "2", "3", "4", "5"}) {
    zutaten.push_back({id, packed({"Zutat " + id, "0"})});
    if (id == "5") continue;
    for (const auto& row : lines(id, {id})) links.push_back(row);
    rezepte.push_back({id, packed({"Drink " + id})});
  }
  load(zutaten, links, rezepte);
  EXPECT_EQ(catalogue::einkaufstipps(*catalogue).plan,
            (std::vector<catalogue::Einkaufsschritt>{
                {"Zutat 1", 1, 1}, {"Zutat 2", 1, 2}, {"Zutat 3", 1, 3}, {"Zutat 4", 1, 4}, {"Zutat 5", 1, 5}}));
}

// A long tip names its first recipes by name and counts the rest; the
// whole list, in name order, comes when asked for.
TEST_F(EinkaufstippsTest, ALongTipNamesItsFirstRecipesAndListsAllOnDemand) {
  Rows links;
  Rows rezepte;
  std::vector<std::string> namen;
  for (int i = 13; i >= 1; --i) {  // the table holds them against their name order
    const std::string id = std::to_string(i);
    for (const auto& row : lines(id, {"1", "2"})) links.push_back(row);
    rezepte.push_back({id, packed({"Drink " + std::string(i < 10 ? "0" : "") + id})});
    namen.insert(namen.begin(), "Drink " + std::string(i < 10 ? "0" : "") + id);
  }
  load({{"1", packed({"Rum", "1"})}, {"2", packed({"Cola", "0"})}}, links, rezepte);
  const catalogue::Einkaufstipps tipps = catalogue::einkaufstipps(*catalogue);
  const std::vector<std::string> erste(namen.begin(), namen.begin() + catalogue::gezeigterezepte);
  EXPECT_EQ(tipps.eine, (std::vector<Einkaufstipp>{{{"Cola"}, erste, 3}}));
  std::vector<std::string> alle;
  for (const int32_t row : catalogue::allerezepte(*catalogue, tipps, 0))
    alle.emplace_back(catalogue::leserezept(catalogue->rezepte(), row).name());
  EXPECT_EQ(alle, namen);
}

// The window's text: the hint of an empty catalogue, and a long tip with its
// first names, how many more, and its lines known as its own.
TEST(Einkaufstippstext, AnEmptyCatalogueAndALongTip) {
  EXPECT_TRUE(catalogue::einkaufstippszeilen(catalogue::Einkaufstipps{}, 200)[2].starts_with(
      "Noch sind keine Rezepte vorhanden: im Men\xFC \"Debug\""));
  catalogue::Einkaufstipps lang;
  lang.keinerezepte = lang.nichtsverfuegbar = false;
  lang.eine = {{{"Cola"}, {"Cuba Libre", "Rum Cola"}, 70812}};
  std::vector<int32_t> nummern;
  const std::vector<std::string> zeilen = catalogue::einkaufstippszeilen(lang, 40, &nummern);
  EXPECT_EQ(zeilen[3], "Cola: 70814 Rezepte");
  EXPECT_EQ(zeilen[4], "    Cuba Libre, Rum Cola, \x85 und 70.812");
  EXPECT_EQ(zeilen[5], "    weitere (Doppelklick zeigt alle)");
  EXPECT_EQ(nummern, (std::vector<int32_t>{-1, -1, -1, 0, 0, 0, -1, -1, -1, -1}));
}

}  // namespace
