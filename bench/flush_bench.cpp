// What putting a command's changes on the disk costs: each command runs in a
// fresh catalogue of 1,400 generated recipes, once with its commit (the
// journal and the table files it changed synced) and once with syncs
// skipped, alternately, and the medians are printed side by side, with the
// syncs one command makes. The temp folder must lie on a
// real disk for the figures to mean anything. Run by hand in a Release build.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "catalogue/rating.h"
#include "catalogue/zutatenedit_model.h"
#include "platform/file.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/faults.h"
#include "tests/support/powercut.h"
#include "tests/support/recipe_generator.h"
#include "tests/support/recording_progress.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int recipes = 1400;
constexpr int rounds = 15;

// A started catalogue in a fresh folder, with the generated recipes imported
// unless empty is set.
struct Bar {
  explicit Bar(bool empty) {
    catalogue.StarttimerTimer();
    file.path = folder.path() + "rezepte.txt";
    testsupport::writefile(*file.path, testsupport::generaterecipes(recipes, 400, 1).text);
    if (!empty) catalogue::Importieren1Click(catalogue, file);
  }
  testsupport::TempFolder folder;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  testsupport::FakeImportFile file;
  catalogue::Catalogue catalogue{folder.path() + "mixolino", splash, application};
};

class Rate : public catalogue::RatingPort {
 public:
  bool anzeigen(int& rating) override {
    rating = rating % 5 + 1;
    return true;
  }
};

// One command: prepare is not timed, run is.
struct Command {
  const char* label;
  bool emptycatalogue;
  std::function<void(Bar&, testsupport::FakeMessages&)> prepare;
  std::function<void(Bar&)> run;
};

std::vector<std::unique_ptr<catalogue::ZutateneditModel>> editors;

const Command commands[] = {
    {"import of 1,400 recipes", true, [](Bar&, testsupport::FakeMessages&) {},
     [](Bar& bar) { catalogue::Importieren1Click(bar.catalogue, bar.file); }},
    {"one rating", false, [](Bar&, testsupport::FakeMessages&) {},
     [](Bar& bar) {
       Rate dialog;
       catalogue::Wertungndern1Click(bar.catalogue, "700", dialog);
     }},
    {"ingredient editor save of 100 rows", false,
     [](Bar& bar, testsupport::FakeMessages& messages) {
       testsupport::RecordingProgress progress;
       editors.push_back(std::make_unique<catalogue::ZutateneditModel>(bar.catalogue));
       catalogue::ZutateneditModel& model = *editors.back();
       model.fuellen(progress);
       for (int32_t row = 1; row <= 100; ++row) {
         messages.inputs.push_back({true, model.cell(0, row) + " neu"});
         model.select(row, 0);
         model.Zutatumbenennen1Click();
       }
     },
     [](Bar&) { editors.back()->b_okClick(); }},
};

double milliseconds(const Command& command, bool sync) {
  testsupport::FakeMessages messages;
  testsupport::FakeClock clock;
  Bar bar(command.emptycatalogue);
  command.prepare(bar, messages);
  testsupport::faults::skipsyncs(!sync);
  const auto start = Clock::now();
  command.run(bar);
  const double took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  testsupport::faults::skipsyncs(false);
  editors.clear();
  return took;
}

// The syncs of one run of the command, counted by the power-cut model's log.
long syncs(const Command& command) {
  testsupport::FakeMessages messages;
  testsupport::FakeClock clock;
  Bar bar(command.emptycatalogue);
  command.prepare(bar, messages);
  testsupport::powercut::record(bar.catalogue.dbfolder());
  command.run(bar);
  testsupport::powercut::stop();
  editors.clear();
  const auto& events = testsupport::powercut::events();
  return std::count_if(events.begin(), events.end(), [](const testsupport::powercut::Event& event) {
    return event.kind == testsupport::powercut::Event::Kind::sync;
  });
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  std::printf("%-36s %14s %14s %12s %6s\n", "command", "with flush ms", "without ms", "flush ms", "syncs");
  for (const Command& command : commands) {
    std::vector<double> with, without;
    for (int round = 0; round < rounds; ++round) {
      with.push_back(milliseconds(command, true));
      without.push_back(milliseconds(command, false));
    }
    const double a = median(with);
    const double b = median(without);
    std::printf("%-36s %14.2f %14.2f %12.2f %6ld\n", command.label, a, b, a - b, syncs(command));
  }
  return 0;
}
