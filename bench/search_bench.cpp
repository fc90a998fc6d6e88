// The search, the ingredient editor's filling and the shopping tips (with
// one, half, or all but one ingredient available) on generated catalogues of
// 1,400, 14,000 and 140,000 recipes (five lines each, a third as many
// ingredients), against the plain per-recipe table scans
// where those finish in reasonable time. Run a Release build by hand:
//   ./bench/search_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <random>

#include "catalogue/einkaufstipps.h"
#include "catalogue/search.h"
#include "catalogue/zutatenedit_model.h"
#include "tests/support/plainscans.h"
#include "tests/support/recording_progress.h"
#include "tests/support/tablebuilder.h"

namespace {

struct Bar {
  TdbdynGrid zutaten{"c_zutaten"};
  TdbdynGrid links{"c_rezeptezutaten"};
  TdbdynGrid rezepte{"c_rezepte"};
  TdbdynGrid ersatz{"c_ersatz"};  // none
  testsupport::Rows zutatenzeilen;
};

// Loads the rows as the table from a folder that is removed again at once:
// the table keeps its file open; only its name goes.
void loadfromscratch(TdbdynGrid& table, int32_t columns, const testsupport::Rows& rows) {
  std::string folder = (std::filesystem::temp_directory_path() / "mixolino-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) std::abort();
  if (!testsupport::loadtable(table, folder + "/", columns, rows)) std::abort();
  std::filesystem::remove_all(folder);
}

std::string word(std::mt19937& random) {
  static const char* const syllables[] = {"ra", "mu", "gin", "to", "li", "me", "sa", "ko", "ri", "ta", "an", "el"};
  std::string text;
  for (int i = std::uniform_int_distribution<int>(2, 4)(random); i > 0; --i) text += syllables[random() % 12];
  text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

// Built once per size, in a folder that is removed again at once.
Bar& bar(int recipes) {
  static std::map<int, std::unique_ptr<Bar>> bars;
  std::unique_ptr<Bar>& made = bars[recipes];
  if (made) return *made;
  made = std::make_unique<Bar>();
  std::mt19937 random(static_cast<unsigned>(recipes));
  const int ingredients = recipes / 3;
  testsupport::Rows zutaten, links, rezepte;
  for (int i = 1; i <= ingredients; ++i)
    zutaten.push_back(
        {std::to_string(i), testsupport::packed({word(random), random() % 4 ? "1" : "0", random() % 2 ? "1" : "0"})});
  for (int r = 1; r <= recipes; ++r) {
    rezepte.push_back(
        {std::to_string(r), testsupport::packed({word(random) + " " + word(random), std::to_string(random() % 6)})});
    for (int line = 0; line < 5; ++line)
      links.push_back(
          {std::to_string(r), std::to_string(1 + random() % ingredients), testsupport::packed({"4", "cl"})});
  }
  loadfromscratch(made->zutaten, 2, zutaten);
  loadfromscratch(made->links, 3, links);
  loadfromscratch(made->rezepte, 2, rezepte);
  made->zutatenzeilen = std::move(zutaten);
  return *made;
}

// Which ingredients are available for the tips: as generated (three in
// four), only the first one, every other one, or all but the first.
enum class Verfuegbar { generiert, eine, haelfte, allebisaufeine };

// The bar's ingredients with one of those choices, built once per size.
const TdbdynGrid& zutatenmit(int recipes, Verfuegbar wahl) {
  static std::map<std::pair<int, Verfuegbar>, std::unique_ptr<TdbdynGrid>> tables;
  Bar& b = bar(recipes);
  if (wahl == Verfuegbar::generiert) return b.zutaten;
  std::unique_ptr<TdbdynGrid>& made = tables[{recipes, wahl}];
  if (made) return *made;
  made = std::make_unique<TdbdynGrid>("c_zutaten");
  testsupport::Rows zutaten = b.zutatenzeilen;
  for (std::size_t i = 0; i < zutaten.size(); ++i) {
    const bool da = wahl == Verfuegbar::eine ? i == 0 : wahl == Verfuegbar::haelfte ? i % 2 == 0 : i != 0;
    TdbdynGrid::setsubfield(zutaten[i][1], 2, da ? "1" : "0");
  }
  loadfromscratch(*made, 2, zutaten);
  return *made;
}

catalogue::SearchSettings settings(bool withterm) {
  return withterm ? catalogue::SearchSettings{"ra", catalogue::Suchbereich::rezeptzusaetzlich}
                  : catalogue::SearchSettings{};
}

void search(benchmark::State& state) {
  Bar& b = bar(static_cast<int>(state.range(0)));
  testsupport::SilentProgress progress;
  catalogue::Namensordnung namensordnung;
  catalogue::Rezeptfakten fakten;
  std::size_t hits = 0;
  for (auto _ : state)
    hits = catalogue::b_suchenClick(catalogue::Rezeptetabelle(b.rezepte), catalogue::Rezeptezutatentabelle(b.links),
                                    catalogue::Zutatentabelle(b.zutaten), catalogue::Ersatztabelle(b.ersatz),
                                    namensordnung, fakten, settings(state.range(1)), progress)
               .rows.size();
  state.counters["hits"] = static_cast<double>(hits);
}

void searchplainscan(benchmark::State& state) {
  Bar& b = bar(static_cast<int>(state.range(0)));
  testsupport::RecordingProgress progress;
  std::size_t hits = 0;
  for (auto _ : state)
    hits = testsupport::plainsearch(catalogue::Rezeptetabelle(b.rezepte), catalogue::Rezeptezutatentabelle(b.links),
                                    catalogue::Zutatentabelle(b.zutaten), settings(state.range(1)), progress)
               .rows.size();
  state.counters["hits"] = static_cast<double>(hits);
}

void editorfilling(benchmark::State& state) {
  Bar& b = bar(static_cast<int>(state.range(0)));
  testsupport::SilentProgress progress;
  for (auto _ : state)
    benchmark::DoNotOptimize(catalogue::zutatenzeilen(catalogue::Zutatentabelle(b.zutaten),
                                                      catalogue::Rezeptezutatentabelle(b.links), progress));
}

// Second argument, the ingredients available: 0 three in four (most recipes
// miss one or two), 1 only one, 2 every other one, 3 all but one.
void einkaufstipps(benchmark::State& state) {
  Bar& b = bar(static_cast<int>(state.range(0)));
  const TdbdynGrid& zutaten = zutatenmit(static_cast<int>(state.range(0)), static_cast<Verfuegbar>(state.range(1)));
  catalogue::Namensordnung namensordnung;
  catalogue::Rezeptfakten fakten;
  std::size_t recipes = 0;
  for (auto _ : state) {
    const catalogue::Einkaufstipps tipps = catalogue::einkaufstipps(
        catalogue::Rezeptetabelle(b.rezepte), catalogue::Rezeptezutatentabelle(b.links),
        catalogue::Zutatentabelle(zutaten), catalogue::Ersatztabelle(b.ersatz), namensordnung, fakten);
    recipes = 0;
    for (const std::vector<int32_t>& rows : tipps.rezeptzeilen) recipes += rows.size();
  }
  state.counters["listed"] = static_cast<double>(recipes);
}

void editorfillingplainscan(benchmark::State& state) {
  Bar& b = bar(static_cast<int>(state.range(0)));
  testsupport::RecordingProgress progress;
  for (auto _ : state)
    benchmark::DoNotOptimize(testsupport::plainrows(catalogue::Zutatentabelle(b.zutaten),
                                                    catalogue::Rezeptezutatentabelle(b.links), progress));
}

// Second argument: 0 empty term and name only, 1 a term in names and ingredients.
BENCHMARK(search)->ArgsProduct({{1400, 14000, 140000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(searchplainscan)->ArgsProduct({{1400}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(editorfilling)->Arg(1400)->Arg(14000)->Arg(140000)->Unit(benchmark::kMillisecond);
BENCHMARK(einkaufstipps)->ArgsProduct({{1400, 14000, 140000}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);
BENCHMARK(editorfillingplainscan)->Arg(1400)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
