// Opening one recipe from the result list at 1,400, 14,000 and 140,000
// generated recipes, each with a preparation: the whole opening (caption and
// the info box's lines) and its parts, as the median of many recipes, in
// wall and CPU time (on a shared machine the CPU time tells the cost). The
// tables are written straight into table files and loaded. Run by hand from
// a Release build:  build-release/bench/recipeview_bench [recipes ...]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/recipeview.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recipe_generator.h"
#include "tests/support/tablebuilder.h"

namespace {

constexpr int opened = 41;

struct Timing {
  double wall = 0;
  double cpu = 0;
};

double cpuseconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// The median of running work once for each of the ids, in milliseconds.
Timing median(const std::vector<std::string>& ids, const std::function<void(const std::string&)>& work) {
  std::vector<double> walls;
  std::vector<double> cpus;
  for (const std::string& id : ids) {
    const auto wall = std::chrono::steady_clock::now();
    const double cpu = cpuseconds();
    work(id);
    cpus.push_back((cpuseconds() - cpu) * 1000);
    walls.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count());
  }
  std::nth_element(walls.begin(), walls.begin() + opened / 2, walls.end());
  std::nth_element(cpus.begin(), cpus.begin() + opened / 2, cpus.end());
  return {walls[opened / 2], cpus[opened / 2]};
}

// The generated recipes as the four tables the import would write.
void loadgenerated(catalogue::Catalogue& catalogue, const std::string& db, int recipes) {
  const testsupport::GeneratedFile file = testsupport::generaterecipes(recipes, 3000, 1);
  testsupport::Rows zutaten, links, rezepte, zubereitungen;
  std::unordered_map<std::string, int> ids;
  for (std::size_t r = 0; r < file.recipes.size(); ++r) {
    const std::string id = std::to_string(r + 1);
    rezepte.push_back({id, testsupport::packed({file.recipes[r].name, "0"})});
    zubereitungen.push_back({id, file.recipes[r].zubereitung});
    for (const testsupport::GeneratedLine& line : file.recipes[r].lines) {
      const auto [it, added] = ids.try_emplace(line.name, static_cast<int>(ids.size()) + 1);
      if (added) zutaten.push_back({std::to_string(it->second), testsupport::packed({line.name, "0", "0"})});
      links.push_back({id, std::to_string(it->second), testsupport::packed({line.quantity, line.unit})});
    }
  }
  testsupport::loadtable(catalogue.c_zutaten(), db, 2, zutaten);
  testsupport::loadtable(catalogue.c_rezeptezutaten(), db, 3, links);
  testsupport::loadtable(catalogue.c_rezepte(), db, 2, rezepte);
  testsupport::loadtable(catalogue.c_zubereitungen(), db, 2, zubereitungen);
}

void measure(int recipes) {
  const testsupport::TempFolder temp;
  testsupport::FakeMessages messages;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  catalogue::Catalogue catalogue(temp.path() + "mixolino", splash, application);
  catalogue.StarttimerTimer();
  loadgenerated(catalogue, catalogue.dbfolder(), recipes);
  std::vector<std::string> ids;
  for (int i = 0; i < opened; ++i) ids.push_back(std::to_string(1 + i * 7919 % recipes));

  const Timing whole = median(ids, [&](const std::string& id) {
    catalogue::infotitel(catalogue, id);
    catalogue::zeigecocktail(catalogue, id);
  });
  catalogue::rrezept list;
  const Timing lines = median(ids, [&](const std::string& id) { catalogue::laderezept(catalogue, id, list); });
  const Timing caption = median(ids, [&](const std::string& id) { catalogue::infotitel(catalogue, id); });
  std::printf("| %7d | %8.2f | %8.2f | %8.2f | %8.2f | %8.2f | %8.2f |\n", recipes, whole.wall, whole.cpu, lines.wall,
              lines.cpu, caption.wall, caption.cpu);
  catalogue.FormCloseQuery();
}

}  // namespace

int main(int argc, char** argv) {
  const testsupport::FakeClock clock;  // the splash's second is no part of this
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1400, 14000, 140000};
  std::printf("Opening one recipe, median of %d recipes, in ms\n", opened);
  std::printf("| %7s | %8s | %8s | %8s | %8s | %8s | %8s |\n", "recipes", "open", "(cpu)", "lines", "(cpu)", "caption",
              "(cpu)");
  std::printf("|---------|----------|----------|----------|----------|----------|----------|\n");
  for (const int recipes : sizes) measure(recipes);
  return 0;
}
