// The substitutes' cost on a generated catalogue of 140,000 recipes (five
// lines each), 3,500 ingredients (three in four available) and 300
// relations: the search with "only available" and the shopping tips, each
// without and with the substitutes, and an ingredient editor save of 50
// changed relations, one commit with its syncs. The search and the tips run
// as the program runs them, on the recipes' facts kept between commands:
// once with the tables as they were, once after a bottle was marked (its
// flag turned over between two runs, untimed), which works the facts out
// again. Run a Release build by hand:
//   ./bench/ersatz_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "catalogue/einkaufstipps.h"
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
  TdbdynGrid keinersatz{"c_ersatz"};
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

// The relations of the bar, or none.
catalogue::Ersatztabelle ersatz(bool mit) {
  return catalogue::Ersatztabelle(mit ? bar().catalogue.c_ersatz() : bar().keinersatz);
}

// Turns the flag "available" of the first ingredient over.
void markieren() {
  TdbdynGrid& tabelle = bar().catalogue.c_zutaten();
  std::vector<std::string> values;
  tabelle.getrow(0, values);
  const bool da = catalogue::lesezutat(catalogue::Zutatentabelle(tabelle), 0).verfuegbar();
  TdbdynGrid::setsubfield(values[catalogue::zutatspalte::werte], catalogue::zutatfeld::verfuegbar, da ? "0" : "1");
  if (!tabelle.updaterow(0, values)) std::abort();
}

// Arguments: 0 without the substitutes, 1 with them; 0 the tables as they
// were, 1 a bottle marked before each run.
template <class Befehl>
void befehl(benchmark::State& state, Befehl&& ausfuehren) {
  catalogue::Rezeptfakten fakten;
  catalogue::Namensordnung namensordnung;
  ausfuehren(ersatz(state.range(0) == 1), namensordnung, fakten);
  for (auto _ : state) {
    if (state.range(1) == 1) {
      state.PauseTiming();
      markieren();
      state.ResumeTiming();
    }
    ausfuehren(ersatz(state.range(0) == 1), namensordnung, fakten);
  }
}

void suchenurverfuegbar(benchmark::State& state) {
  const catalogue::Catalogue& c = bar().catalogue;
  testsupport::SilentProgress progress;
  catalogue::SearchSettings settings;
  settings.nurverfuegbar = true;
  std::size_t hits = 0;
  befehl(state, [&](catalogue::Ersatztabelle e, catalogue::Namensordnung& n, catalogue::Rezeptfakten& f) {
    hits = catalogue::suche(c.rezepte(), c.rezeptezutaten(), c.zutaten(), e, n, f, settings, progress).liste.size();
  });
  state.counters["hits"] = static_cast<double>(hits);
}

void einkaufstipps(benchmark::State& state) {
  const catalogue::Catalogue& c = bar().catalogue;
  int64_t mixbar = 0;
  befehl(state, [&](catalogue::Ersatztabelle e, catalogue::Namensordnung& n, catalogue::Rezeptfakten& f) {
    mixbar = catalogue::einkaufstipps(c.rezepte(), c.rezeptezutaten(), c.zutaten(), e, n, f).mixbar;
  });
  state.counters["mixbar"] = static_cast<double>(mixbar);
}

// 50 relations added, the next time removed again, each a save of its own;
// the filling of the window is not timed.
void editorspeichern50relationen(benchmark::State& state) {
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

BENCHMARK(suchenurverfuegbar)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(einkaufstipps)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(editorspeichern50relationen)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
