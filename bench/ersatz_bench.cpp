// The substitutes' cost on a generated catalogue of 140,000 recipes (five
// lines each), 3,500 ingredients (three in four available) and 300
// relations: the search with "only available" and the shopping tips, each
// without and with the substitutes, and an ingredient editor save of 50
// changed relations, one commit with its syncs. Run a Release build by hand:
//   ./bench/ersatz_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "catalogue/einkaufstipps.h"
#include "catalogue/ersatz.h"
#include "catalogue/search.h"
#include "catalogue/zutatenedit_model.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recording_progress.h"
#include "tests/support/tablebuilder.h"

namespace {

constexpr int rezepte = 140000;
constexpr int zutaten = 3500;
constexpr int relationen = 300;

struct Bar {
  testsupport::TempFolder folder;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  testsupport::FakeMessages messages;
  catalogue::Catalogue catalogue{folder.path() + "mixolino", splash, application};
};

// Built once, started as the program starts, then filled straight through the files.
Bar& bar() {
  static std::unique_ptr<Bar> made;
  if (made) return *made;
  made = std::make_unique<Bar>();
  made->catalogue.StarttimerTimer();
  std::mt19937 random(rezepte);
  testsupport::Rows zutatrows, links, rows, ersatz;
  for (int i = 1; i <= zutaten; ++i)
    zutatrows.push_back(
        {std::to_string(i), testsupport::packed({"Zutat " + std::to_string(i), random() % 4 ? "1" : "0"})});
  for (int r = 1; r <= rezepte; ++r) {
    rows.push_back({std::to_string(r), testsupport::packed({"Rezept " + std::to_string(r), "0"})});
    for (int line = 0; line < 5; ++line)
      links.push_back({std::to_string(r), std::to_string(1 + random() % zutaten), testsupport::packed({"4", "cl"})});
  }
  for (int i = 0; i < relationen; ++i)
    ersatz.push_back({std::to_string(1 + random() % zutaten), std::to_string(1 + random() % zutaten)});
  const std::string db = made->folder.path() + "db/";
  if (!testsupport::loadtable(made->catalogue.c_zutaten(), db, 2, zutatrows) ||
      !testsupport::loadtable(made->catalogue.c_rezeptezutaten(), db, 3, links) ||
      !testsupport::loadtable(made->catalogue.c_rezepte(), db, 2, rows) ||
      !testsupport::loadtable(made->catalogue.c_ersatz(), db, 2, ersatz))
    std::abort();
  return *made;
}

// The relations as the commands read them; none for the runs without.
catalogue::Ersatzliste ersatz(bool mit) {
  return mit ? catalogue::leseersatz(bar().catalogue.ersatz()) : catalogue::Ersatzliste{};
}

// Argument: 0 without the substitutes, 1 with them (c_ersatz read as the command reads it).
void SucheNurVerfuegbar(benchmark::State& state) {
  const catalogue::Catalogue& c = bar().catalogue;
  testsupport::SilentProgress progress;
  catalogue::SearchSettings settings;
  settings.nurverfuegbar = true;
  std::size_t hits = 0;
  for (auto _ : state)
    hits = catalogue::b_suchenClick(c.rezepte(), c.rezeptezutaten(), c.zutaten(), c.namensordnung(), settings, progress,
                                    ersatz(state.range(0) == 1))
               .rows.size();
  state.counters["hits"] = static_cast<double>(hits);
}

void Einkaufstipps(benchmark::State& state) {
  const catalogue::Catalogue& c = bar().catalogue;
  int64_t mixbar = 0;
  for (auto _ : state)
    mixbar = catalogue::einkaufstipps(c.rezepte(), c.rezeptezutaten(), c.zutaten(), ersatz(state.range(0) == 1)).mixbar;
  state.counters["mixbar"] = static_cast<double>(mixbar);
}

// 50 relations added, the next time removed again, each a save of its own;
// the filling of the window is not timed.
void EditorSpeichern50Relationen(benchmark::State& state) {
  Bar& b = bar();
  testsupport::SilentProgress progress;
  bool hinzu = true;
  for (auto _ : state) {
    state.PauseTiming();
    catalogue::ZutateneditModel model(b.catalogue);
    model.fuellen(progress);
    for (int32_t row = 0; row < 50; ++row) {
      if (hinzu)
        model.ersatzhinzufuegen(row, model.cell(catalogue::ZutateneditModel::name, row + 100));
      else
        model.ersatzentfernen(row, model.ersatznamen(row).size() - 1);
    }
    hinzu = !hinzu;
    state.ResumeTiming();
    if (!model.b_okClick()) std::abort();
  }
}

BENCHMARK(SucheNurVerfuegbar)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Einkaufstipps)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(EditorSpeichern50Relationen)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
