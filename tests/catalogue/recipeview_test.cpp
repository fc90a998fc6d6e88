#include "catalogue/recipeview.h"

#include <gtest/gtest.h>

#include "catalogue/anzeigetexte.h"
#include "catalogue/barkarte.h"
#include "platform/codepage.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/tablebuilder.h"

namespace {

using catalogue::rrezept;
using catalogue::rrezepteintrag;
using testsupport::packed;
using testsupport::Rows;

// The link table and the ingredient table are two types: swapped, or passed
// as bare tables, they do not compile.
template <class Links, class Zutaten>
concept Laedt = requires(Links links, Zutaten zutaten, rrezept& list) {
  catalogue::laderezept(links, zutaten, std::string(), list);
};
static_assert(Laedt<catalogue::Rezeptezutatentabelle, catalogue::Zutatentabelle>);
static_assert(!Laedt<catalogue::Zutatentabelle, catalogue::Rezeptezutatentabelle>);
static_assert(!Laedt<const TdbdynGrid&, const TdbdynGrid&>);

class RecipeViewTest : public testsupport::CatalogueFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(start()); }

  void load(const Rows& zutaten, const Rows& links, const Rows& rezepte, const Rows& zubereitungen = {}) {
    loadtables(zutaten, links, rezepte, zubereitungen);
    messages.clear();
  }

  rrezept lade(const std::string& id, bool expected = true) {
    rrezept list = {rrezepteintrag{"stale", "", "", "", true, true}};
    EXPECT_EQ(catalogue::laderezept(*catalogue, id, list), expected) << id;
    return list;
  }
};

TEST_F(RecipeViewTest, LaderezeptCollectsTheLinesInLinkOrderWithTheirIngredients) {
  load({{"1", packed({"Rum", "0", "1"})}, {"2", packed({"Limette", "1", "0"})}, {"3", packed({"Zucker", " 1 ", "2"})}},
       {{"7", "2", packed({"1/2", "-"})},
        {"8", "1", packed({"4", "cl"})},
        {"7", "3", packed({"0", "BL"})},
        {"7", "9", packed({"2", "cl"})},
        {"7", "2", packed({"0", "-"})}},
       {{"7", packed({"Daiquiri", "0"})}, {"8", packed({"Rum pur", "0"})}});
  const rrezept list = lade("7");
  const rrezept expected = {{"1/2", "", "2", "Limette", true, false},
                            {"", "BL", "3", "Zucker", true, false},
                            {"2", "cl", "9", "", false, false},  // ingredient 9 does not exist
                            {"", "", "2", "Limette", true, false}};
  EXPECT_EQ(list, expected);
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(RecipeViewTest, LaderezeptComparesIdsAsNumbersAndTheLaterIngredientRowWins) {
  load({{"5", packed({"Gin", "1", "1"})}, {"abc", packed({"Kein", "1", "1"})}, {"05", packed({"Gin neu", "0", "1"})}},
       {{" 12", "+5", packed({"4", "cl"})}, {"x", "5", packed({"1", "cl"})}, {"12", "abc", packed({"1", "cl"})}},
       {{"12", packed({"Gin Tonic"})}});
  const rrezept list = lade("012");
  const rrezept expected = {{"4", "cl", "+5", "Gin neu", false, true}, {"1", "cl", "abc", "", false, false}};
  EXPECT_EQ(list, expected);
  // An id that is no number matches nothing, not even a link whose id is none.
  EXPECT_TRUE(lade("x", false).empty());
  EXPECT_TRUE(lade("", false).empty());
  EXPECT_TRUE(lade("99", false).empty());
}

TEST_F(RecipeViewTest, InfoLinesArePaddedTo30AndCarryTheTwoFlags) {
  const std::string tail = std::string("(alkoholisch:Ja   verfügbar:Nein)"_cp);
  EXPECT_EQ(catalogue::zeigecocktailzeile({"4", "cl", "1", "Rum", false, true}),
            "4 cl Rum" + std::string(22, ' ') + tail);
  EXPECT_EQ(catalogue::zeigecocktailzeile({"4", "cl", "1", "Rum", false, true}).size(), 63u);
  // No quantity and unit: just the name. A quantity without unit keeps two blanks.
  EXPECT_EQ(catalogue::zeigecocktailzeile({"", "", "1", "Eis", true, false}),
            "Eis" + std::string(27, ' ') + std::string("(alkoholisch:Nein verfügbar:Ja  )"_cp));
  EXPECT_EQ(catalogue::zeigecocktailzeile({"2", "", "1", "Eier", true, false}).substr(0, 8), "2  Eier ");
  // A missing ingredient shows quantity and unit only, both flags "Nein".
  EXPECT_EQ(catalogue::zeigecocktailzeile({"2", "cl", "9", "", false, false}),
            "2 cl" + std::string(26, ' ') + std::string("(alkoholisch:Nein verfügbar:Nein)"_cp));
  // Longer than 30: not cut, nothing padded.
  const std::string longname(40, 'L');
  EXPECT_EQ(catalogue::zeigecocktailzeile({"", "", "1", longname, false, true}), longname + tail);
}

TEST_F(RecipeViewTest, ZeigecocktailGivesOneLinePerEntryOrWarnsWhenTheRecipeHasNone) {
  load({{"1", packed({"Rum", "0", "1"})}}, {{"7", "1", packed({"4", "cl"})}, {"7", "1", packed({"2", "cl"})}},
       {{"7", packed({"Doppelt"})}, {"8", packed({"Leer"})}});
  const auto lines = catalogue::zeigecocktail(*catalogue, "7");
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 2u);
  EXPECT_EQ((*lines)[1].substr(0, 8), "2 cl Rum");
  EXPECT_TRUE(messages.log.empty());

  for (const std::string id : {"8", "abc", "123"}) {
    messages.clear();
    EXPECT_FALSE(catalogue::zeigecocktail(*catalogue, id).has_value());
    EXPECT_EQ(messages.warnings(), std::vector<std::string>{"Fehler bem Laden des Rezeptes!"}) << id;
  }
}

TEST_F(RecipeViewTest, ThePreparationFollowsAnEmptyLineWrappedToTheLineWidth) {
  load({{"1", packed({"Rum", "0", "1"})}}, {{"7", "1", packed({"4", "cl"})}, {"8", "1", packed({"2", "cl"})}},
       {{"7", packed({"Sour"})}, {"08", packed({"Pur"})}}, {{"x", "falsch"}, {" 7", "Alles kurz ruehren."}});
  EXPECT_EQ(catalogue::zeigecocktail(*catalogue, "7"),
            (std::vector<std::string>{catalogue::zeigecocktailzeile({"4", "cl", "1", "Rum", false, true}), "",
                                      "Alles kurz ruehren."}));
  EXPECT_EQ(catalogue::zeigecocktail(*catalogue, "8")->size(), 1u);  // no preparation: the lines alone
  // For four glasses in ml the lines change; the preparation does not.
  EXPECT_EQ((*catalogue::zeigecocktail(*catalogue, "7", {4, catalogue::Masseinheit::ml}))[0].substr(0, 11),
            "160 ml Rum ");
  EXPECT_EQ((*catalogue::zeigecocktail(*catalogue, "7", {4, catalogue::Masseinheit::ml}))[2], "Alles kurz ruehren.");
  EXPECT_EQ(catalogue::infotitel(*catalogue, "8"), "Info: Pur");
  EXPECT_EQ(catalogue::infotitel(*catalogue, "x"), "Info");
}

// Quantities and units of the sample (data/rezepte.txt) and the forms an
// import lets through, for several glasses and each unit.
TEST(Portionen, QuantitiesScaleAndConvertForTheJigger) {
  using catalogue::Masseinheit;
  struct Fall {
    const char* menge;
    const char* einheit;
    int glaeser;
    Masseinheit nach;
    const char* gemenge;
    const char* geeinheit;
  };
  const Fall faelle[] = {
      {"2,5", "cl", 4, Masseinheit::cl, "10", "cl"},
      {"1,5", "cl", 3, Masseinheit::cl, "4,5", "cl"},
      {"2,5", "cl", 1, Masseinheit::ml, "25", "ml"},
      {"4,5", "cl", 2, Masseinheit::ml, "90", "ml"},
      {"5", "cl", 1, Masseinheit::oz, "1,75", "oz"},
      {"7,5", "cl", 1, Masseinheit::oz, "2,5", "oz"},
      {"150", "cl", 50, Masseinheit::ml, "75000", "ml"},
      {"1,5", "oz", 1, Masseinheit::cl, "4,4", "cl"},
      {"30", "ml", 3, Masseinheit::cl, "9", "cl"},
      {"1", "ml", 1, Masseinheit::oz, "0,25", "oz"},
      {"1/2", "Stück", 4, Masseinheit::cl, "2", "Stück"},
      {"1/2", "Stück", 3, Masseinheit::ml, "1,5", "Stück"},
      {"1/3", "TL", 1, Masseinheit::oz, "1/3", "TL"},
      {"1/3", "TL", 2, Masseinheit::oz, "0,7", "TL"},
      {"2", "Dash", 4, Masseinheit::oz, "8", "Dash"},
      {"1", "Ounce", 2, Masseinheit::oz, "2", "Ounce"},
      {"2-3", "cl", 4, Masseinheit::cl, "8-12", "cl"},
      {"1,5-2", "CL", 2, Masseinheit::ml, "30-40", "ml"},
      {"2.5", "cl", 2, Masseinheit::cl, "5", "cl"},
      {"2,50", "cl", 1, Masseinheit::cl, "2,50", "cl"},
      {"etwas", "cl", 4, Masseinheit::ml, "etwas ×4", "cl"},
      {"1/0", "", 2, Masseinheit::cl, "1/0 ×2", ""},
      {"2-3-4", "cl", 1, Masseinheit::ml, "2-3-4", "cl"},
      {",5", "cl", 2, Masseinheit::cl, ",5 ×2", "cl"},
      {"", "", 4, Masseinheit::oz, "", ""},
      {"", "cl", 4, Masseinheit::ml, "", "cl"},
  };
  for (const Fall& fall : faelle) {
    const catalogue::Menge erwartet{platform::utf8tocp1252(fall.gemenge), platform::utf8tocp1252(fall.geeinheit)};
    EXPECT_EQ(catalogue::portioniert(platform::utf8tocp1252(fall.menge), platform::utf8tocp1252(fall.einheit),
                                     {fall.glaeser, fall.nach}),
              erwartet)
        << fall.menge << " " << fall.einheit << " x" << fall.glaeser;
  }
  EXPECT_EQ(catalogue::einheitwahl(Masseinheit::oz), "oz (US)");
}

// The card's recipes in the order asked, each table read once, with the same
// lines, names and preparation the info box shows.
TEST_F(RecipeViewTest, TheCardTakesItsRecipesInTheListsOrderForTheGlassesChosen) {
  load({{"1", packed({"Rum", "0", "1"})}, {"2", packed({"Limette", "1", "0"})}, {"1", packed({"Rum neu", "0", "1"})}},
       {{"7", "1", packed({"4", "cl"})},
        {"8", "2", packed({"1/2", "-"})},
        {"7", "2", packed({"0", "-"})},
        {"8", "9", packed({"2", "cl"})}},
       {{"7", packed({"Sour"})}, {"8", packed({"Pur"})}, {"9", packed({"Ohne"})}}, {{"8", "Kurz ruehren."}});
  const std::vector<catalogue::Kartenrezept> karte =
      catalogue::kartenrezepte(*catalogue, {"8", "x", "07", "9"}, {2, catalogue::Masseinheit::ml});
  const std::vector<catalogue::Kartenrezept> expected = {
      {"Pur", {"1 Limette", "40 ml"}, "Kurz ruehren."}, {"Sour", {"80 ml Rum neu", "Limette"}, ""}, {"Ohne", {}, ""}};
  EXPECT_EQ(karte, expected);
  EXPECT_EQ(catalogue::kartenkopf("08.12.2026", 1, {}),
            (std::vector<std::string>{"Barkarte", "08.12.2026 \x96 1 Rezept", "Mengen f\xFCr 1 Glas in cl"}));
  EXPECT_EQ(catalogue::kartenkopf("08.12.2026", 25, {4, catalogue::Masseinheit::oz})[2],
            "Mengen f\xFCr 4 Gl\xE4ser in oz (US)");
}

// Pages of height 100 with a head of 30 on the first and a gap of 10.
TEST(Barkarte, RecipesFillPagesWholeAndATallOneIsShrunkOntoItsOwn) {
  using catalogue::Kartenplatz;
  const catalogue::Seitenmasse masse{100, 30, 10};
  EXPECT_EQ(
      catalogue::seitenumbruch({40, 20, 50, 100, 1, 250, 5}, masse),
      (std::vector<Kartenplatz>{{0, 40, 1}, {1, 0, 1}, {1, 30, 1}, {2, 0, 1}, {3, 0, 1}, {4, 0, 0.4}, {5, 0, 1}}));
  EXPECT_EQ(catalogue::seitenumbruch({70, 60}, masse), (std::vector<Kartenplatz>{{1, 0, 1}, {2, 0, 1}}));
  EXPECT_TRUE(catalogue::seitenumbruch({}, masse).empty());
  EXPECT_EQ(catalogue::seitenfuss(2, 5), "Seite 2 von 5");
}

TEST(RecipeTexts, StarsAndYesNo) {
  using catalogue::wertungtostern;
  EXPECT_EQ(wertungtostern("1"), "*");
  EXPECT_EQ(wertungtostern("3"), "* * *");
  EXPECT_EQ(wertungtostern("5"), "* * * * *");
  EXPECT_EQ(wertungtostern(" 2"), "* *");
  for (const std::string none : {"0", "", "-3", "abc", "3 "}) EXPECT_EQ(wertungtostern(none), "") << none;
  // A huge stored rating gives a bounded text instead of gigabytes.
  EXPECT_EQ(wertungtostern("2147483647").size(), 199u);
  EXPECT_EQ(catalogue::janein(true), "Ja  ");
  EXPECT_EQ(catalogue::janein(false), "Nein");
}

}  // namespace
