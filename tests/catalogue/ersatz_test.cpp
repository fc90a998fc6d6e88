#include "catalogue/ersatz.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <type_traits>

#include "catalogue/einkaufstipps.h"
#include "catalogue/ersatzdatei.h"
#include "catalogue/recipeview.h"
#include "catalogue/search.h"
#include "catalogue/zutatcocktails.h"
#include "platform/codepage.h"
#include "tests/support/catalogue_fixture.h"

namespace {

using catalogue::Ersatzliste;
using testsupport::packed;
using testsupport::Rows;

// Only the catalogue makes its tables, each as the table it is: one table's
// writer passed where another's is wanted, or read as another, does not compile.
using catalogue::Catalogue;
static_assert(
    std::is_invocable_v<decltype(&catalogue::ersatzschreiben), catalogue::Ersatzschreiber&, const Ersatzliste&>);
static_assert(
    !std::is_invocable_v<decltype(&catalogue::ersatzschreiben), catalogue::Zutatenschreiber&, const Ersatzliste&>);
static_assert(std::is_constructible_v<catalogue::Rezeptetabelle, decltype(std::declval<Catalogue&>().c_rezepte())>);
static_assert(!std::is_constructible_v<catalogue::Zutatentabelle, decltype(std::declval<Catalogue&>().c_rezepte())>);
static_assert(!std::is_constructible_v<catalogue::Ersatzschreiber, std::string>);

class ErsatzTest : public testsupport::CatalogueFixture {
 protected:
  // Limette stands in for Limettensaft, Zitrone for Limette (which does not
  // make it stand in for Limettensaft), Cointreau for Triple Sec. Only
  // Zitrone and Cointreau are at home.
  void SetUp() override {
    ASSERT_TRUE(start());
    loadtables({{"1", packed({"Limettensaft", "0", "0"})},
                {"2", packed({"Limette", "0", "0"})},
                {"3", packed({"Zitrone", "1", "0"})},
                {"4", packed({"Triple Sec", "0", "0"})},
                {"5", packed({"Cointreau", "1", "1"})}},
               {{"1", "1", packed({"3", "cl"})}, {"2", "2", packed({"1", "St"})}, {"3", "4", packed({"2", "cl"})}},
               {{"1", packed({"Gimlet", "0"})}, {"2", packed({"Limonade", "0"})}, {"3", packed({"Sidecar", "0"})}}, {},
               {{"1", "2"}, {"2", "3"}, {"4", "5"}, {"x", "5"}, {"4", "4"}});
  }
};

TEST_F(ErsatzTest, DirectSubstitutesCountInTheSearchAndTheRecipeViewButNotForAlcohol) {
  testsupport::RecordingProgress progress;
  catalogue::SearchSettings nurverfuegbar;
  nurverfuegbar.nurverfuegbar = true;
  EXPECT_EQ(
      catalogue::b_suchenClick(*catalogue, nurverfuegbar, progress).rows,
      (std::vector<catalogue::ResultRow>{{"Limonade", "", "Nein", "Ja  ", "2"}, {"Sidecar", "", "Nein", "Ja  ", "3"}}));
  EXPECT_EQ(catalogue::zeigecocktail(*catalogue, "2")->front(),
            "1 St Limette                  (alkoholisch:Nein verf\xFCgbar:Ja (Zitrone))");
  EXPECT_EQ(catalogue::zeigecocktail(*catalogue, "1")->front(),
            "3 cl Limettensaft             (alkoholisch:Nein verf\xFCgbar:Nein)");
}

// A small random catalogue (ingredients Z101.., recipes R100.., ids from 1)
// and the recipes a purchase completes, counted plainly.
struct Zufallsbar {
  Zufallsbar(std::mt19937& random, int zutaten, int rezepte) {
    const auto zahl = [&](int lo, int hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
    for (int z = 1; z <= zutaten; ++z) verfuegbar.push_back(zahl(1, 10) <= 4);
    linien.resize(static_cast<std::size_t>(rezepte));
    for (auto& zeilen : linien)
      for (int n = zahl(1, 5); n > 0; --n) zeilen.push_back(zahl(1, zutaten));
    for (int n = zahl(0, zutaten); n > 0; --n) liste.push_back({zahl(1, zutaten), zahl(1, zutaten)});
  }
  static std::string name(int32_t z) { return "Z" + std::to_string(100 + z); }
  int32_t anzahl() const { return static_cast<int32_t>(verfuegbar.size()); }

  // The recipes complete with the purchases and not with those before; all
  // complete ones without vorher.
  std::set<std::string> neu(const std::set<int32_t>& kauf, const std::set<int32_t>* vorher = nullptr) const {
    std::set<std::string> namen;
    for (std::size_t r = 0; r < linien.size(); ++r)
      if (komplett(r, kauf) && (vorher == nullptr || !komplett(r, *vorher)))
        namen.insert("R" + std::to_string(100 + r));
    return namen;
  }
  bool komplett(std::size_t r, const std::set<int32_t>& kauf) const {
    const auto hat = [&](int32_t z) { return verfuegbar[static_cast<std::size_t>(z - 1)] || kauf.contains(z); };
    return std::all_of(linien[r].begin(), linien[r].end(), [&](int32_t z) {
      const std::vector<int32_t> stehtein = catalogue::ersatzfuer(liste, z);
      return hat(z) || std::any_of(stehtein.begin(), stehtein.end(), hat);
    });
  }

  std::vector<bool> verfuegbar;
  std::vector<std::vector<int32_t>> linien;
  Ersatzliste liste;
};

TEST_F(ErsatzTest, TipsEqualAPlainRecountOnSmallRandomCatalogues) {
  std::mt19937 random(20261208);
  for (int runde = 0; runde < 60; ++runde) {
    const Zufallsbar bar(random, 3 + runde % 8, 4 + runde % 12);
    Rows zutaten, links, rezepte, ersatz;
    for (int32_t z = 1; z <= bar.anzahl(); ++z)
      zutaten.push_back(
          {std::to_string(z), packed({bar.name(z), bar.verfuegbar[static_cast<std::size_t>(z - 1)] ? "1" : ""})});
    for (std::size_t r = 0; r < bar.linien.size(); ++r) {
      rezepte.push_back({std::to_string(r + 1), packed({"R" + std::to_string(100 + r)})});
      for (const int32_t z : bar.linien[r]) links.push_back({std::to_string(r + 1), std::to_string(z), packed({"1"})});
    }
    for (const auto& paar : bar.liste) ersatz.push_back({std::to_string(paar.zutat), std::to_string(paar.ersatz)});
    loadtables(zutaten, links, rezepte, {}, ersatz);
    const catalogue::Einkaufstipps tipps = catalogue::einkaufstipps(*catalogue);
    EXPECT_EQ(tipps.mixbar, static_cast<int64_t>(bar.neu({}).size()));
    const std::set<int32_t> nichts;
    std::map<std::string, std::set<std::string>> eine, tippeine;
    std::size_t bestespaar = 0;  // of the pairs whose two bottles both add something
    for (int32_t a = 1; a <= bar.anzahl(); ++a) {
      if (!bar.neu({a}, &nichts).empty()) eine[bar.name(a)] = bar.neu({a}, &nichts);
      for (int32_t b = a + 1; b <= bar.anzahl(); ++b)
        if (bar.neu({a, b}, &nichts).size() > std::max(bar.neu({a}, &nichts).size(), bar.neu({b}, &nichts).size()))
          bestespaar = std::max(bestespaar, bar.neu({a, b}, &nichts).size());
    }
    const auto alle = [&](std::size_t tipp) {  // all the tip's recipes (eine, then paare), each once
      std::set<std::string> namen;
      const std::vector<int32_t> rows = catalogue::allerezepte(*catalogue, tipps, tipp);
      for (const int32_t row : rows) namen.emplace(catalogue::leserezept(catalogue->rezepte(), row).name());
      EXPECT_EQ(namen.size(), rows.size());
      return namen;
    };
    for (std::size_t i = 0; i < tipps.eine.size(); ++i) tippeine[tipps.eine[i].zutaten[0]] = alle(i);
    ASSERT_EQ(tippeine, eine) << runde;
    for (std::size_t i = 0; i < tipps.paare.size(); ++i)
      ASSERT_EQ(alle(tipps.eine.size() + i), bar.neu({std::stoi(tipps.paare[i].zutaten[0].substr(1)) - 100,
                                                      std::stoi(tipps.paare[i].zutaten[1].substr(1)) - 100},
                                                     &nichts));
    ASSERT_GE(tipps.paare.empty() ? 0 : alle(tipps.eine.size()).size(), bestespaar) << runde;
    // The plan: each purchase the one that completes the most, ties by name.
    std::set<int32_t> gekauft;
    std::vector<catalogue::Einkaufsschritt> plan;
    for (int64_t zusammen = 0; plan.size() < catalogue::planschritte;) {
      std::pair<std::size_t, int32_t> bester{0, -1};  // what it completes, and the purchase
      for (int32_t z = 1; z <= bar.anzahl(); ++z) {
        std::set<int32_t> mit = gekauft;
        mit.insert(z);
        bester = std::max(bester, {bar.neu(mit, &gekauft).size(), -z});
      }
      if (bester.first == 0) break;
      gekauft.insert(-bester.second);
      zusammen += static_cast<int64_t>(bester.first);
      plan.push_back({bar.name(-bester.second), static_cast<int64_t>(bester.first), zusammen});
    }
    ASSERT_EQ(tipps.plan, plan) << runde;
  }
}

// A list's lines that name ingredients the catalogue lacks, or no relation,
// are skipped and counted in one box; the others are added, repeats once.
TEST_F(ErsatzTest, AListAddsWhatItCanAndCountsTheLinesItSkips) {
  const std::string list = folder.path() + "liste.txt";
  testsupport::writefile(list,
                         "# Kommentar\r\nLIMETTE => zitrone\r\nCointreau => Triple Sec\r\nLimette\r\n\r\n"
                         "Limette => Limettensaft\r\nGrand Marnier => Triple Sec\r\n");
  catalogue::ersatzladen(*catalogue, list);
  EXPECT_EQ(messages.informations(),
            std::vector<std::string>{"Ersatzliste " + list +
                                     ": 2 Zeile(n) \xFC"
                                     "bersprungen, weil sie Zutaten nennen, die es nicht gibt."});
  EXPECT_EQ(catalogue::leseersatz(catalogue->ersatz()), (Ersatzliste{{1, 2}, {2, 3}, {4, 5}, {3, 2}}));
}

TEST_F(ErsatzTest, CocktailsWithAnIngredientAreThoseOfItAndOfWhatItStandsInFor) {
  testsupport::RecordingProgress progress;
  const catalogue::Suchtreffer limette = catalogue::cocktailsmitzutat(*catalogue, 2, progress);
  EXPECT_EQ(limette.hitcount, "2 Cocktails mit Limette");
  EXPECT_EQ(limette.liste.zeile(1), (catalogue::ResultRow{"Limonade", "", "Nein", "Ja  ", "2"}));
  // Zitrone stands in for Limette, not for Limettensaft.
  EXPECT_EQ(catalogue::cocktailsmitzutat(*catalogue, 3, progress).hitcount, "1 Cocktails mit Zitrone");
}

}  // namespace
