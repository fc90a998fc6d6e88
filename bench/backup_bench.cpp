// What a backup and a restore cost at 140,000 generated recipes: each runs
// a few times in one catalogue, with its syncs and with them skipped, and the
// medians are printed side by side. The temp folder must lie on a real disk
// for the figures to mean anything. Run by hand in a Release build.
//
// Syncs per run, from the code: a backup syncs each of its files, its new
// folder and the folder it lies in; a restore syncs the copy of each table
// file that it test-loads, the journal, each table file and the cleared
// journal.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/export.h"
#include "catalogue/import.h"
#include "catalogue/wiederherstellen.h"
#include "platform/file.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/faults.h"
#include "tests/support/recipe_generator.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int recipes = 140000;
constexpr int rounds = 5;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double milliseconds(const std::function<void()>& command) {
  const auto start = Clock::now();
  command();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
  testsupport::FakeMessages messages;
  testsupport::FakeClock clock;
  testsupport::TempFolder folder;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  testsupport::FakeImportFile file;
  testsupport::FakeExportDialogs dialogs;
  catalogue::Catalogue catalogue(folder.path() + "mixolino", splash, application);
  catalogue.StarttimerTimer();
  file.path = folder.path() + "rezepte.txt";
  testsupport::writefile(*file.path, testsupport::generaterecipes(recipes, 4000, 1).text);
  catalogue::Importieren1Click(catalogue, file);
  dialogs.folder = folder.path() + "sicherung/";
  struct Command {
    const char* label;
    std::function<void()> run;
    int syncs;
  };
  const Command commands[] = {
      {"backup of 140,000 recipes", [&] { catalogue::Datenbanksichern1Click(catalogue, dialogs); },
       static_cast<int>(catalogue::Catalogue::datafilenames().size() + 2)},
      {"restore of 140,000 recipes",
       [&] {
         messages.answers = {true};
         catalogue::Datenbankwiederherstellen1Click(catalogue, dialogs);
       },
       static_cast<int>(2 * catalogue::Catalogue::tablefilenames().size() + 2)},
  };
  std::printf("%-28s %14s %14s %6s\n", "command", "with syncs ms", "without ms", "syncs");
  for (const Command& command : commands) {
    std::vector<double> with, without;
    for (int round = 0; round < rounds; ++round) {
      with.push_back(milliseconds(command.run));
      testsupport::faults::skipsyncs(true);
      without.push_back(milliseconds(command.run));
      testsupport::faults::skipsyncs(false);
    }
    std::printf("%-28s %14.1f %14.1f %6d\n", command.label, median(with), median(without), command.syncs);
  }
  std::printf("%zu warnings, %zu informations\n", messages.warnings().size(), messages.informations().size());
  return 0;
}
