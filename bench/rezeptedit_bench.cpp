// The recipe window's commands on a generated catalogue of 140,000 recipes
// (five lines each, a third as many ingredients), each a whole command as the
// window runs it, the syncs of its flush included. Run a Release build by hand:
//   ./bench/rezeptedit_bench
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "catalogue/rezeptedit_model.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/tablebuilder.h"

namespace {

constexpr int rezepte = 140000;

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
  const int ingredients = rezepte / 3;
  testsupport::Rows zutaten, links, rows, zubereitungen;
  for (int i = 1; i <= ingredients; ++i)
    zutaten.push_back({std::to_string(i), testsupport::packed({"Zutat " + std::to_string(i), "0", "0"})});
  for (int r = 1; r <= rezepte; ++r) {
    rows.push_back({std::to_string(r), testsupport::packed({"Rezept " + std::to_string(r), "0"})});
    for (int line = 0; line < 5; ++line)
      links.push_back(
          {std::to_string(r), std::to_string(1 + random() % ingredients), testsupport::packed({"4", "cl"})});
    zubereitungen.push_back({std::to_string(r), std::string(150, 'z')});
  }
  const std::string db = made->folder.path() + "db/";
  if (!testsupport::loadtable(made->catalogue.c_zutaten(), db, 2, zutaten) ||
      !testsupport::loadtable(made->catalogue.c_rezeptezutaten(), db, 3, links) ||
      !testsupport::loadtable(made->catalogue.c_rezepte(), db, 2, rows) ||
      !testsupport::loadtable(made->catalogue.c_zubereitungen(), db, 2, zubereitungen))
    std::abort();
  return *made;
}

std::string mitten(int i) { return std::to_string(rezepte / 2 + i); }

// What the window does before it shows: the recipe, the names and the units
// (these kept from the last opening while their tables stay as they are).
void oeffnen(benchmark::State& state) {
  catalogue::RezepteditModel model(bar().catalogue);
  int i = 0;
  for (auto _ : state) {
    if (!model.oeffnen(mitten(i++ % 1000))) std::abort();
    benchmark::DoNotOptimize(model.zutatennamen());
    benchmark::DoNotOptimize(model.einheiten());
  }
}

// The first opening after a start or a change: the names and units worked out anew.
void oeffnenerstesmal(benchmark::State& state) {
  int i = 0;
  for (auto _ : state) {
    catalogue::RezepteditModel model(bar().catalogue);
    if (!model.oeffnen(mitten(i++ % 1000))) std::abort();
    benchmark::DoNotOptimize(model.zutatennamen());
    benchmark::DoNotOptimize(model.einheiten());
  }
}

// One line's quantity and the preparation changed, then saved.
void speichern(benchmark::State& state) {
  Bar& b = bar();
  catalogue::RezepteditModel model(b.catalogue);
  int i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (!model.oeffnen(mitten(i % 1000))) std::abort();
    model.entwurf().zeilen[2].menge = std::to_string(i);
    model.entwurf().zubereitung = "Ruehren " + std::to_string(i++);
    state.ResumeTiming();
    if (!model.speichern()) std::abort();
    benchmark::DoNotOptimize(catalogue::ergebniszeile(b.catalogue, model.entwurf().id));  // the list's row
  }
}

void loeschen(benchmark::State& state) {
  Bar& b = bar();
  static int i = 1000;  // each repetition deletes recipes of its own
  for (auto _ : state) {
    b.messages.answers = {true};
    if (!catalogue::rezeptloeschen(b.catalogue, mitten(i))) std::abort();
    benchmark::DoNotOptimize(catalogue::ergebniszeile(b.catalogue, mitten(i++)));  // the list's row goes
  }
}

}  // namespace

BENCHMARK(oeffnen)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(oeffnenerstesmal)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(speichern)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(loeschen)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly();

BENCHMARK_MAIN();
