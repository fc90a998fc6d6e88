// A catalogue of 1.4 million generated recipes (ingredients used as skewed as
// in the sample), generated here and imported by the real import: the
// import against SQLite's, the start-up (load, name order and the recipes'
// facts), the peak memory after it against the table files, every search
// setting, and the shopping tips with the most used half and every second
// ingredient available. Wall and processor time, medians. Run by hand from a
// Release build:  build-release/bench/bigcatalogue_bench [recipes]
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "bench/sqlitepeer.h"
#include "catalogue/catalogue.h"
#include "catalogue/einkaufstipps.h"
#include "catalogue/import.h"
#include "catalogue/search.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recipe_generator.h"
#include "tests/support/recording_progress.h"

namespace {

constexpr int rounds = 5;

struct Quiet {
  testsupport::FakeClock clock;  // the splash's minimum second passes at once
  testsupport::FakeMessages messages;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
};

struct Time {
  double wall = 0;
  double cpu = 0;
};

double cpums() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

Time timed(const std::function<void()>& work) {
  const double cpu = cpums();
  const auto begin = std::chrono::steady_clock::now();
  work();
  return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count(), cpums() - cpu};
}

// The median of rounds runs of work, wall and processor time apart.
Time median(const std::function<void()>& work, int n = rounds) {
  std::vector<double> wall, cpu;
  for (int i = 0; i < n; ++i) {
    const Time t = timed(work);
    wall.push_back(t.wall);
    cpu.push_back(t.cpu);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void row(const std::string& name, Time t, const std::string& note = "") {
  std::printf("| %-44s | %10.1f | %10.1f | %s\n", name.c_str(), t.wall, t.cpu, note.c_str());
}

long peakkb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
  return 0;
}

// What a start in a fresh process costs and leaves: the first start pays
// for fresh memory that a repeated one in the same process reuses.
struct Firststart {
  Time time;
  long peakkb = 0;
};

// The child's work: the start-up alone, its time, then its peak.
int peakchild(const std::string& program, int fd) {
  Quiet quiet;
  catalogue::Catalogue catalogue(program, quiet.splash, quiet.application);
  const Time time = timed([&] { catalogue.StarttimerTimer(); });
  return bench::sendback(fd, Firststart{time, peakkb()}) ? 0 : 1;
}

// Marks every ingredient whose row da names available, in memory and files.
void markieren(catalogue::Catalogue& catalogue, const std::function<bool(int32_t)>& da) {
  TdbdynGrid& zutaten = catalogue.c_zutaten();
  for (int32_t row = 0; row < zutaten.getrowcount(); ++row) {
    std::vector<std::string> values;
    zutaten.getrow(row, values);
    TdbdynGrid::setsubfield(values[catalogue::zutatspalte::werte], catalogue::zutatfeld::verfuegbar,
                            da(row) ? "1" : "0");
    TdbdynGrid::setsubfield(values[catalogue::zutatspalte::werte], catalogue::zutatfeld::alkoholisch,
                            row % 3 == 0 ? "1" : "0");
    zutaten.updaterow(row, values);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--peak") return peakchild(argv[2], std::atoi(argv[3]));
  const int recipes = argc > 1 ? std::atoi(argv[1]) : 1400000;
  const testsupport::TempFolder scratch;
  const std::string text = testsupport::generaterecipes(recipes, 1750, 1, 1.1).text;
  const std::string program = scratch.path() + "mixolino";
  std::printf("%d recipes; times in ms: | figure | wall | processor |\n", recipes);

  Time importing;
  {
    Quiet quiet;
    testsupport::FakeImportFile file;
    file.path = scratch.path() + "import.txt";
    testsupport::writefile(*file.path, text);
    catalogue::Catalogue catalogue(program, quiet.splash, quiet.application);
    catalogue.StarttimerTimer();
    importing = timed([&] { catalogue::Importieren1Click(catalogue, file); });
    catalogue.FormCloseQuery();
  }
  Time sqlite;
  {
    bench::SqlitePeer peer(scratch.path() + "peer.sqlite");
    peer.createschema();
    sqlite = timed([&] { peer.import(text); });
  }
  row("import", importing);
  row("import, SQLite (one transaction)", sqlite, "ratio " + std::to_string(importing.wall / sqlite.wall));

  std::uintmax_t bytes = 0;
  for (const std::string& name : catalogue::Catalogue::datafilenames())
    if (name.ends_with(".db")) bytes += std::filesystem::file_size(scratch.path() + "db/" + name);
  // The start-up in new processes, rounds times: the median time, the
  // highest peak, and the range of the times.
  // A user starts the program over files at rest, not over the import's
  // writes still going to the disk, which would take a core.
  ::sync();
  std::vector<Firststart> firsts;
  for (int i = 0; i < rounds; ++i)
    if (const auto start = bench::runagain<Firststart>("bigcatalogue_bench", {"--peak", program}))
      firsts.push_back(*start);
  std::sort(firsts.begin(), firsts.end(),
            [](const Firststart& a, const Firststart& b) { return a.time.wall < b.time.wall; });
  std::optional<Firststart> first;
  if (!firsts.empty()) {
    first = firsts[firsts.size() / 2];
    for (const Firststart& start : firsts) first->peakkb = std::max(first->peakkb, start.peakkb);
  }
  const double filesmb = static_cast<double>(bytes) / 1e6;
  const double peakmb = first ? static_cast<double>(first->peakkb) * 1024 / 1e6 : -1;
  std::printf("table files %.1f MB, peak memory after the start-up %.1f MB: %.2f x the files\n", filesmb, peakmb,
              peakmb / filesmb);

  // The tables alone, before the catalogue holds their files: a table whose
  // file another holds reads it the slower way, as a copy.
  const Time load = median(
      [&] {
        for (const char* name : {"c_zutaten", "c_rezeptezutaten", "c_rezepte", "c_zubereitungen"})
          TdbdynGrid(name).db_init(scratch.path() + "db/", {name});
      },
      3);
  Quiet quiet;
  catalogue::Catalogue catalogue(program, quiet.splash, quiet.application);
  if (first)
    row("start-up, the first in a new process", first->time,
        std::to_string(firsts.size()) + " runs, " + std::to_string(static_cast<int>(firsts.front().time.wall)) + "-" +
            std::to_string(static_cast<int>(firsts.back().time.wall)) + " ms");
  row("start-up: load, name order, facts", median([&] { catalogue.StarttimerTimer(); }, 3));
  row("  of it the load of the four tables", load);
  row("  of it the name order", median([&] { catalogue::Namensordnung().fuer(catalogue.rezepte()); }, 3));
  row("  of it the facts", median(
                               [&] {
                                 catalogue::Rezeptfakten().fuer(catalogue.rezepte(), catalogue.rezeptezutaten(),
                                                                catalogue.zutaten(), catalogue.ersatz());
                               },
                               3));
  testsupport::SilentProgress progress;
  using catalogue::Alkoholwahl;
  using catalogue::Suchbereich;
  markieren(catalogue, [](int32_t row) { return row % 2 == 0; });
  catalogue::suche(catalogue, {}, progress);  // the facts after the change
  const std::pair<const char*, catalogue::SearchSettings> settings[] = {
      {"search, empty term", {}},
      {"search \"ra\" in names", {"ra"}},
      {"search \"li\" in names + ingredients", {"li", Suchbereich::rezeptzusaetzlich}},
      {"search \"zzz\" (no hit), + ingredients", {"zzz", Suchbereich::rezeptzusaetzlich}},
      {"search, alcohol ja", {"", Suchbereich::nurcocktailname, Alkoholwahl::ja}},
      {"search, alcohol nein", {"", Suchbereich::nurcocktailname, Alkoholwahl::nein}},
      {"search, only available", {"", Suchbereich::nurcocktailname, Alkoholwahl::egal, true}}};
  for (const auto& setting : settings)
    row(setting.first, median([&] { catalogue::suche(catalogue, setting.second, progress); }));
  row("tips, every second one available", median([&] { catalogue::einkaufstipps(catalogue); }));
  markieren(catalogue, [](int32_t row) { return row < 1750; });  // about the most used half
  row("tips after marking the first half, first", timed([&] { catalogue::einkaufstipps(catalogue); }));
  row("tips, the first half available", median([&] { catalogue::einkaufstipps(catalogue); }));
  catalogue.FormCloseQuery();
  return 0;
}
