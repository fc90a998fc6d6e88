// Import and load times of the catalogue for the sample file and for
// generated files of 1,400, 14,000 and 140,000 recipes. Run by hand in a
// Release build; prints one table row per file, with times in seconds.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "platform/codepage.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recipe_generator.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU time of this process: on a shared, busy machine wall time overstates the cost.
double cpuseconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

template <typename Work>
Timing timed(Work work) {
  const auto wall = Clock::now();
  const double cpu = cpuseconds();
  work();
  return {seconds(Clock::now() - wall), cpuseconds() - cpu};
}

// Imports the file into an empty catalogue, then loads the result afresh.
void measure(const char* label, const std::string& text) {
  const testsupport::TempFolder temp;
  const std::string& folder = temp.path();
  testsupport::FakeMessages messages;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  testsupport::FakeImportFile file;
  file.path = folder + "import.txt";
  testsupport::writefile(*file.path, text);

  Timing importtime;
  Timing loadtime;
  {
    catalogue::Catalogue first(folder + "mixolino", splash, application);
    first.StarttimerTimer();
    importtime = timed([&] { catalogue::Importieren1Click(first, file); });
    first.FormCloseQuery();
  }
  int32_t rows = 0;
  {
    catalogue::Catalogue second(folder + "mixolino", splash, application);
    loadtime = timed([&] { second.StarttimerTimer(); });
    rows = second.c_rezepte().getrowcount() + second.c_zutaten().getrowcount() + second.c_rezeptezutaten().getrowcount();
    second.FormCloseQuery();
  }
  const std::string result = messages.log.empty() ? "-" : platform::cp1252_to_utf8(messages.log.back().text);
  std::printf("| %-18s | %10zu | %7d | %8.2f | %8.2f | %8.3f | %8.3f | %s\n", label, text.size(), rows,
              importtime.wall, importtime.cpu, loadtime.wall, loadtime.cpu, result.c_str());
}

}  // namespace

int main() {
  const testsupport::FakeClock clock;  // the splash's one-second minimum is not part of loading
  std::printf("| %-18s | %10s | %7s | %8s | %8s | %8s | %8s | last message\n", "file", "bytes", "rows", "import", "(cpu)",
              "load", "(cpu)");
  std::printf("|--------------------|------------|---------|----------|----------|----------|----------|\n");
  const std::filesystem::path sample = std::filesystem::path(MIXOLINO_SAMPLE_DATA) / "rezepte.txt";
  if (std::filesystem::exists(sample)) {
    measure("data/rezepte.txt", testsupport::readfile(sample.string()));
  }
  for (const int count : {1400, 14000, 140000}) {
    const std::string label = "generated " + std::to_string(count);
    measure(label.c_str(), testsupport::generaterecipes(count, 3000, 1).text);
  }
  return 0;
}
