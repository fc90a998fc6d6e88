// Filling the main window's result list: the rows of a search that lists
// every recipe of a large catalogue, shown in place of the previous ones and
// then painted once. Run on the offscreen platform unless QT_QPA_PLATFORM
// says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <string>
#include <vector>

#include "catalogue/search.h"
#include "ui/main_Unit.h"

namespace {

catalogue::Trefferliste rows(int64_t count) {
  catalogue::Trefferliste out;
  std::vector<int32_t> folge;
  for (int64_t i = 1; i <= count; ++i)
    folge.push_back(static_cast<int32_t>(out.dazu("Cocktail Nummer " + std::to_string(i), i % 6 == 0 ? "0" : "3",
                                                  std::to_string(i), i % 2 != 0, i % 3 == 0)));
  out.folge(std::move(folge));
  return out;
}

void fillresultlist(benchmark::State& state) {
  QTemporaryDir folder;
  ui::TMainform form(folder.filePath(QStringLiteral("mixolino")).toStdString());
  form.Starttimer->stop();  // the tables are not needed here
  form.show();
  const catalogue::Trefferliste hits = rows(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    catalogue::Trefferliste search = hits;  // the window takes the search's rows over
    state.ResumeTiming();
    form.fillresultlist(std::move(search));
    form.ListView_erg->viewport()->repaint();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(fillresultlist)->Arg(1400)->Arg(14000)->Arg(140000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
