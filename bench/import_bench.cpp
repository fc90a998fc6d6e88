// Import and load times of the catalogue for the sample file and for
// generated files of 1,400, 14,000 and 140,000 recipes. Run by hand in a
// Release build; prints one table row per file, with times in seconds.
// A second table gives the peak memory of imports of about 200 MB and 1 GB,
// each measured in a fresh process, and of a sparse file of 50 GB without a
// line end, which must end at once with the import's warning.
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench/measure.h"
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
    rows =
        second.c_rezepte().getrowcount() + second.c_zutaten().getrowcount() + second.c_rezeptezutaten().getrowcount();
    second.FormCloseQuery();
  }
  const std::string result = messages.log.empty() ? "-" : platform::cp1252toutf8(messages.log.back().text);
  std::printf("| %-18s | %10zu | %7d | %8.2f | %8.2f | %8.3f | %8.3f | %s\n", label, text.size(), rows, importtime.wall,
              importtime.cpu, loadtime.wall, loadtime.cpu, result.c_str());
}

// A catalogue in folder started from scratch (or from its files), with fakes
// for everything the windows do; work runs on it. A number of warnings other
// than expected ends the child as failed.
void withcatalogue(const std::string& folder, const std::function<void(catalogue::Catalogue&)>& work,
                   std::size_t warnings = 0) {
  testsupport::FakeMessages messages;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  catalogue::Catalogue catalogue(folder + "mixolino", splash, application);
  catalogue.StarttimerTimer();
  work(catalogue);
  if (messages.warnings().size() != warnings) ::_exit(1);
}

// Peak memory of importing the file that write puts at path into an empty
// catalogue, next to that of a start that only loads the tables it left.
void measurepeak(const char* label, const std::function<void(std::ofstream&)>& write) {
  const testsupport::TempFolder temp;
  testsupport::FakeImportFile file;
  file.path = temp.path() + "import.txt";
  bench::childpeakmib([&] {
    std::ofstream out(*file.path, std::ios::binary);
    write(out);
  });
  const double megabytes = static_cast<double>(std::filesystem::file_size(*file.path)) / (1024.0 * 1024.0);
  const double empty = bench::childpeakmib([&] { withcatalogue(temp.path(), [](catalogue::Catalogue&) {}); });
  const double import = bench::childpeakmib(
      [&] { withcatalogue(temp.path(), [&](catalogue::Catalogue& c) { catalogue::Importieren1Click(c, file); }); });
  const double load = bench::childpeakmib([&] { withcatalogue(temp.path(), [](catalogue::Catalogue&) {}); });
  std::printf("| %-22s | %8.1f | %11.1f | %12.1f | %10.1f | %13.1f |\n", label, megabytes, empty, import, load,
              megabytes + load + 64);
}

// A file of zero bytes that takes no room on the disk: one line, larger than
// memory. Its import ends with one warning; the row gives its time too.
void measuresparse(const char* label, std::uintmax_t bytes) {
  const testsupport::TempFolder temp;
  testsupport::FakeImportFile file;
  file.path = temp.path() + "import.bin";
  std::ofstream(*file.path, std::ios::binary).close();
  std::filesystem::resize_file(*file.path, bytes);
  const auto wall = Clock::now();
  const double import = bench::childpeakmib([&] {
    withcatalogue(
        temp.path(), [&](catalogue::Catalogue& c) { catalogue::Importieren1Click(c, file); }, 1);
  });
  std::printf("| %-22s | %8.1f | %11s | %12.1f | %10s | %13s | %.2f s\n", label,
              static_cast<double>(bytes) / (1024.0 * 1024.0), "", import, "", "", seconds(Clock::now() - wall));
}

void peakmemory() {
  std::printf("Peak resident memory in MiB, each in a fresh process\n");
  std::printf("| %-22s | %8s | %11s | %12s | %10s | %13s |\n", "import file", "file", "empty start", "import peak",
              "load peak", "file+load+64");
  std::printf("|------------------------|----------|-------------|--------------|------------|---------------|\n");
  constexpr std::size_t megabyte = 1 << 20;
  measurepeak("200 MB of blank lines", [](std::ofstream& out) {
    std::string blanks;
    for (std::size_t i = 0; i < megabyte / 2; ++i) blanks += "\r\n";
    for (int i = 0; i < 200; ++i) out << blanks;
  });
  measurepeak("~200 MB of recipes",
              [](std::ofstream& out) { out << testsupport::generaterecipes(1300000, 3000, 1).text; });
  measurepeak("1 GB of blank lines", [](std::ofstream& out) {
    const std::string blanks(megabyte, '\n');
    for (int i = 0; i < 1024; ++i) out << blanks;
  });
  measuresparse("50 GB sparse, no line", std::uintmax_t{50} << 30);
  measurepeak("~1 GB of recipes",
              [](std::ofstream& out) { out << testsupport::generaterecipes(6500000, 3000, 1).text; });
}

}  // namespace

int main() {
  const testsupport::FakeClock clock;  // the splash's one-second minimum is not part of loading
  peakmemory();                        // first, while this process is still small: its children start with its pages
  std::printf("\n| %-18s | %10s | %7s | %8s | %8s | %8s | %8s | last message\n", "file", "bytes", "rows", "import",
              "(cpu)", "load", "(cpu)");
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
