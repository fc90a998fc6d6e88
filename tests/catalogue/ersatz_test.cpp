#include "catalogue/ersatz.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "catalogue/einkaufstipps.h"
#include "catalogue/ersatzdatei.h"
#include "catalogue/recipeview.h"
#include "catalogue/search.h"
#include "catalogue/zutatcocktails.h"
#include "platform/codepage.h"
#include "tests/support/catalogue_fixture.h"

namespace {

using catalogue::Ersatzliste;
using catalogue::Ersatzpruefung;
using testsupport::packed;
using testsupport::Rows;

TEST(ErsatzRules, OneWaySeveralPerIngredientNoSelfNoRepeatsAndMergesCarryOver) {
  const Ersatzliste liste = {{1, 2}, {1, 3}, {2, 4}};
  EXPECT_EQ(catalogue::ersatzfuer(liste, 1), (std::vector<int32_t>{2, 3}));
  EXPECT_TRUE(catalogue::ersatzfuer(liste, 3).empty());  // 3 stands in for 1, not 1 for 3
  EXPECT_EQ(catalogue::pruefeersatz(liste, {5, 5}), Ersatzpruefung::selbst);
  EXPECT_EQ(catalogue::pruefeersatz(liste, {1, 3}), Ersatzpruefung::schonda);
  EXPECT_EQ(catalogue::pruefeersatz(liste, {3, 1}), Ersatzpruefung::ok);
  // 2 merged into 1: 1 for itself is dropped, 4 now stands in for 1.
  EXPECT_EQ(catalogue::zusammenfuehren(liste, 2, 1), (Ersatzliste{{1, 3}, {1, 4}}));
  // 3 merged into 2: the relation 1 <- 3 becomes the one 1 <- 2 already there.
  EXPECT_EQ(catalogue::zusammenfuehren(liste, 3, 2), (Ersatzliste{{1, 2}, {2, 4}}));
}

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

// A small random catalogue and a plain recount of the recipes a purchase
// completes: ingredients Z101.., recipes R100.., ids from 1.
class Recount {
 public:
  Recount(std::mt19937& random, int zutaten, int rezepte) {
    const auto zahl = [&](int lo, int hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
    for (int z = 1; z <= zutaten; ++z) verfuegbar_.push_back(zahl(1, 10) <= 4);
    rezepte_.resize(static_cast<std::size_t>(rezepte));
    for (auto& zeilen : rezepte_)
      for (int n = zahl(1, 5); n > 0; --n) zeilen.push_back(zahl(1, zutaten));
    for (int n = zahl(0, zutaten); n > 0; --n) liste_.push_back({zahl(1, zutaten), zahl(1, zutaten)});
    for (int32_t z = 1; z <= anzahl(); ++z)
      zutatrows.push_back(
          {std::to_string(z), packed({name(z), verfuegbar_[static_cast<std::size_t>(z - 1)] ? "1" : ""})});
    for (std::size_t r = 0; r < rezepte_.size(); ++r) {
      rezeptrows.push_back({std::to_string(r + 1), packed({"R" + std::to_string(100 + r)})});
      for (const int32_t z : rezepte_[r]) links.push_back({std::to_string(r + 1), std::to_string(z), packed({"1"})});
    }
    for (const auto& paar : liste_) ersatz.push_back({std::to_string(paar.zutat), std::to_string(paar.ersatz)});
  }

  static std::string name(int32_t z) { return "Z" + std::to_string(100 + z); }
  int32_t anzahl() const { return static_cast<int32_t>(verfuegbar_.size()); }

  // The recipes complete with the purchases, and those of them not complete before.
  std::set<std::string> komplette(const std::set<int32_t>& kauf) const {
    std::set<std::string> namen;
    for (std::size_t r = 0; r < rezepte_.size(); ++r)
      if (komplett(r, kauf)) namen.insert("R" + std::to_string(100 + r));
    return namen;
  }
  std::set<std::string> neu(const std::set<int32_t>& kauf, const std::set<int32_t>& vorher = {}) const {
    std::set<std::string> namen = komplette(kauf);
    for (const std::string& name : komplette(vorher)) namen.erase(name);
    return namen;
  }

  Rows zutatrows, links, rezeptrows, ersatz;

 private:
  bool komplett(std::size_t r, const std::set<int32_t>& kauf) const {
    const auto hat = [&](int32_t z) { return verfuegbar_[static_cast<std::size_t>(z - 1)] || kauf.contains(z); };
    return std::all_of(rezepte_[r].begin(), rezepte_[r].end(), [&](int32_t z) {
      const std::vector<int32_t> stehtein = catalogue::ersatzfuer(liste_, z);
      return hat(z) || std::any_of(stehtein.begin(), stehtein.end(), hat);
    });
  }

  std::vector<bool> verfuegbar_;
  std::vector<std::vector<int32_t>> rezepte_;
  Ersatzliste liste_;
};

std::set<std::string> alsmenge(const std::vector<std::string>& namen) { return {namen.begin(), namen.end()}; }

TEST_F(ErsatzTest, TipsEqualAPlainRecountOnSmallRandomCatalogues) {
  std::mt19937 random(20261208);
  for (int runde = 0; runde < 60; ++runde) {
    const Recount recount(random, 3 + runde % 8, 4 + runde % 12);
    loadtables(recount.zutatrows, recount.links, recount.rezeptrows, {}, recount.ersatz);
    const catalogue::Einkaufstipps tipps = catalogue::einkaufstipps(*catalogue);
    EXPECT_EQ(tipps.mixbar, static_cast<int64_t>(recount.komplette({}).size()));
    std::map<std::string, std::set<std::string>> eine, tippeine;
    std::size_t bestespaar = 0;  // of the pairs whose two bottles both add something
    for (int32_t a = 1; a <= recount.anzahl(); ++a) {
      if (!recount.neu({a}).empty()) eine[Recount::name(a)] = recount.neu({a});
      for (int32_t b = a + 1; b <= recount.anzahl(); ++b)
        if (recount.neu({a, b}).size() > std::max(recount.neu({a}).size(), recount.neu({b}).size()))
          bestespaar = std::max(bestespaar, recount.neu({a, b}).size());
    }
    for (const auto& tipp : tipps.eine) tippeine[tipp.zutaten[0]] = alsmenge(tipp.rezepte);
    ASSERT_EQ(tippeine, eine) << runde;
    for (const auto& tipp : tipps.paare)
      ASSERT_EQ(alsmenge(tipp.rezepte),
                recount.neu({std::stoi(tipp.zutaten[0].substr(1)) - 100, std::stoi(tipp.zutaten[1].substr(1)) - 100}));
    ASSERT_GE(tipps.paare.empty() ? 0 : tipps.paare[0].rezepte.size(), bestespaar) << runde;
    // The plan: each purchase the one that completes the most, ties by name.
    std::set<int32_t> gekauft;
    std::vector<catalogue::Einkaufsschritt> plan;
    for (int64_t zusammen = 0; plan.size() < catalogue::planschritte;) {
      int32_t bester = -1;
      std::size_t gewinn = 0;
      for (int32_t z = 1; z <= recount.anzahl(); ++z) {
        std::set<int32_t> mit = gekauft;
        mit.insert(z);
        if (recount.neu(mit, gekauft).size() > gewinn) {
          bester = z;
          gewinn = recount.neu(mit, gekauft).size();
        }
      }
      if (bester < 0) break;
      gekauft.insert(bester);
      zusammen += static_cast<int64_t>(gewinn);
      plan.push_back({Recount::name(bester), static_cast<int64_t>(gewinn), zusammen});
    }
    ASSERT_EQ(tipps.plan, plan) << runde;
  }
}

}  // namespace

namespace {

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
  const catalogue::SearchResult limette = catalogue::cocktailsmitzutat(*catalogue, 2, progress);
  EXPECT_EQ(limette.hitcount, "2 Cocktails mit Limette");
  EXPECT_EQ(limette.rows[1], (catalogue::ResultRow{"Limonade", "", "Nein", "Ja  ", "2"}));
  // Zitrone stands in for Limette, not for Limettensaft.
  EXPECT_EQ(catalogue::cocktailsmitzutat(*catalogue, 3, progress).hitcount, "1 Cocktails mit Zitrone");
}

}  // namespace
