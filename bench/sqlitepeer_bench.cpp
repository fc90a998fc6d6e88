// Mixolino side by side with an SQLite program doing the same work, on
// generated catalogues of 1,400, 14,000 and 140,000 recipes. Mixolino's table
// files are written by its real import of the generated text; SQLite imports
// the same text. Prints one table per size: figure, Mixolino, SQLite, ratio
// (Mixolino / SQLite, below 1 means Mixolino is faster or leaner).
// Run by hand from a Release build, on a machine as quiet as can be had:
//   build-rel/bench/sqlitepeer_bench [recipes ...]
// Each timing is the median of a few rounds, the two sides taking turns.
#include <algorithm>
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
#include "catalogue/import.h"
#include "catalogue/rating.h"
#include "catalogue/recipeview.h"
#include "catalogue/search.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recipe_generator.h"
#include "tests/support/recording_progress.h"

namespace {

constexpr int importrounds = 3;
constexpr int rounds = 5;
constexpr int ratingchanges = 100;
constexpr int bigcatalogue = 1000000;  // from here the rows of both sides are not compared
// As the click benchmarks: ingredients used as skewed as in the sample.
constexpr int generatedingredients = 1750;
constexpr double generatedskew = 1.1;

class FixedRating : public catalogue::RatingPort {
 public:
  int next = 1;
  bool anzeigen(int& rating) override {
    rating = next;
    return true;
  }
};

double seconds(const std::function<void()>& work) {
  const auto begin = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The fakes a catalogue without windows needs; no message box may appear.
struct Quiet {
  testsupport::FakeClock clock;  // the splash's minimum second passes at once
  testsupport::FakeMessages messages;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
};

// Both sides' medians of one figure, in seconds or megabytes.
struct Figure {
  std::string name;
  std::vector<double> mixolino;
  std::vector<double> sqlite;
};

const catalogue::SearchSettings emptyterm{};
const catalogue::SearchSettings ra{"ra", catalogue::Suchbereich::rezeptzusaetzlich};

// Searches whose rows both sides must give alike, the timed ones first.
std::vector<catalogue::SearchSettings> checkedsearches() {
  using catalogue::Alkoholwahl;
  using catalogue::Suchbereich;
  return {emptyterm,
          ra,
          {"rum", Suchbereich::rezeptzusaetzlich},
          {" NR. 12", Suchbereich::nurcocktailname},
          {"sirup", Suchbereich::rezeptzusaetzlich, Alkoholwahl::nein},
          {"", Suchbereich::nurcocktailname, Alkoholwahl::ja},
          {"", Suchbereich::nurcocktailname, Alkoholwahl::egal, true}};
}

// --- peak memory, each side in a fresh process ---

struct Peak {
  long kb = 0;
  long long hits = 0;
};

// This process's peak resident memory in kB. Not ru_maxrss: that keeps the
// peak of the parent's memory, which a forked child maps until its exec.
long peakkb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
  return 0;
}

// The child's work: load, search with an empty term (holding the rows as
// the window does), report the peak. A
// side named with "-load" only loads (and reports 0 hits).
int peakchild(const std::string& side, const std::string& path, int fd) {
  Peak peak;
  const bool search = !side.ends_with("-load");
  if (side.starts_with("mixolino")) {
    Quiet quiet;
    catalogue::Catalogue catalogue(path, quiet.splash, quiet.application);
    catalogue.StarttimerTimer();
    testsupport::SilentProgress progress;
    if (search) peak.hits = static_cast<long long>(catalogue::suche(catalogue, emptyterm, progress).liste.size());
    peak.kb = peakkb();
  } else {
    bench::SqlitePeer peer(path);
    peer.readall();
    if (search) peak.hits = static_cast<long long>(peer.search(emptyterm).size());
    peak.kb = peakkb();
  }
  return bench::sendback(fd, peak) ? 0 : 1;
}

// Runs this program again as "--peak side path fd" and returns its peak in MB.
double peakmb(const std::string& side, const std::string& path, long long expectedhits) {
  const std::optional<Peak> peak = bench::runagain<Peak>("sqlitepeer_bench", {"--peak", side, path});
  if (!peak || peak->hits != expectedhits) {
    std::fprintf(stderr, "%s: the peak memory run failed\n", side.c_str());
    std::exit(1);
  }
  return static_cast<double>(peak->kb) * 1024 / 1e6;
}

// --- one size ---

double filesmb(const std::vector<std::string>& paths) {
  std::uintmax_t bytes = 0;
  for (const std::string& path : paths) bytes += std::filesystem::file_size(path);
  return static_cast<double>(bytes) / 1e6;
}

// Imports the text into a fresh catalogue under folder; the import's time.
double mixolinoimport(const std::string& folder, const std::string& importfile) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  Quiet quiet;
  testsupport::FakeImportFile file;
  file.path = importfile;
  catalogue::Catalogue catalogue(folder + "mixolino", quiet.splash, quiet.application);
  catalogue.StarttimerTimer();
  const double took = seconds([&] { catalogue::Importieren1Click(catalogue, file); });
  catalogue.FormCloseQuery();
  if (quiet.messages.warnings().size() != 0 || quiet.messages.informations().size() != 1) {
    std::fprintf(stderr, "the import did not report success\n");
    std::exit(1);
  }
  return took;
}

double sqliteimport(const std::string& path, const std::string& text) {
  std::filesystem::remove(path);
  bench::SqlitePeer peer(path);
  peer.createschema();
  return seconds([&] { peer.import(text); });
}

// Compares the rows of every checked search; prints the first difference.
bool samerows(catalogue::Catalogue& catalogue, bench::SqlitePeer& peer) {
  testsupport::SilentProgress progress;
  for (const catalogue::SearchSettings& settings : checkedsearches()) {
    const std::vector<catalogue::ResultRow> ours = catalogue::b_suchenClick(catalogue, settings, progress).rows;
    const std::vector<catalogue::ResultRow> theirs = peer.search(settings);
    if (ours != theirs) {
      std::printf("different rows for the term \"%s\": %zu against %zu\n", settings.suchbegriff.c_str(), ours.size(),
                  theirs.size());
      return false;
    }
  }
  return true;
}

void printtable(int recipes, double tablemb, double sqlitemb, const std::vector<Figure>& figures, double loadpeak,
                double peakmixolino, bool same) {
  std::printf("\n%d recipes: table files %.1f MB, SQLite file %.1f MB; same rows from both in %zu searches: %s\n",
              recipes, tablemb, sqlitemb, checkedsearches().size(), same ? "yes" : "NO");
  std::printf("| %-44s | %10s | %10s | %6s |\n", "figure", "Mixolino", "SQLite", "ratio");
  std::printf("|%s|%s|%s|%s|\n", std::string(46, '-').c_str(), std::string(12, '-').c_str(),
              std::string(12, '-').c_str(), std::string(8, '-').c_str());
  for (const Figure& figure : figures) {
    const double ours = median(figure.mixolino);
    const double theirs = median(figure.sqlite);
    const bool memory = figure.name.starts_with("peak");
    const auto shown = [memory](double value) {
      char text[32];
      if (memory)
        std::snprintf(text, sizeof text, "%.1f MB", value);
      else if (value >= 1)
        std::snprintf(text, sizeof text, "%.2f s", value);
      else
        std::snprintf(text, sizeof text, "%.1f ms", value * 1000);
      return std::string(text);
    };
    std::printf("| %-44s | %10s | %10s | %6.2f |\n", figure.name.c_str(), shown(ours).c_str(), shown(theirs).c_str(),
                ours / theirs);
  }
  std::printf("Mixolino's peak memory is %.1f x its table files after the load, %.1f x after the first search.\n",
              loadpeak / tablemb, peakmixolino / tablemb);
}

void measure(int recipes, const std::string& scratch) {
  const std::string folder = scratch + std::to_string(recipes) + "/";
  std::filesystem::create_directories(folder);
  const std::string text = testsupport::generaterecipes(recipes, generatedingredients, 1, generatedskew).text;
  const std::string importfile = folder + "import.txt";
  testsupport::writefile(importfile, text);
  const std::string program = folder + "mixolino/";
  const std::string database = folder + "peer.sqlite";

  Figure importing{"import of the generated text", {}, {}};
  for (int round = 0; round < importrounds; ++round) {
    importing.mixolino.push_back(mixolinoimport(program, importfile));
    importing.sqlite.push_back(sqliteimport(database, text));
  }
  const std::string db = program + "db/";
  const double tablemb =
      filesmb({db + "c_zutaten.db", db + "c_rezeptezutaten.db", db + "c_rezepte.db", db + "c_zubereitungen.db"});
  const double sqlitemb = filesmb({database});

  // The start-up loads the tables and then works out the name order in the
  // splash's second; both rows set it against the same SQLite figure.
  Figure loading{"load, four tables (SQLite: open + query)", {}, {}};
  Figure startup{"start-up: load + name order", {}, {}};
  for (int round = 0; round < rounds; ++round) {
    Quiet quiet;
    loading.mixolino.push_back(seconds([&] {
      for (const char* name : {"c_zutaten", "c_rezeptezutaten", "c_rezepte", "c_zubereitungen"})
        TdbdynGrid(name).db_init(db, {name});
    }));
    catalogue::Catalogue catalogue(program + "mixolino", quiet.splash, quiet.application);
    startup.mixolino.push_back(seconds([&] { catalogue.StarttimerTimer(); }));
    catalogue.FormCloseQuery();
    std::unique_ptr<bench::SqlitePeer> peer;
    loading.sqlite.push_back(seconds([&] {
      peer = std::make_unique<bench::SqlitePeer>(database);
      peer->readall();
    }));
    startup.sqlite.push_back(loading.sqlite.back());
  }

  Quiet quiet;
  catalogue::Catalogue catalogue(program + "mixolino", quiet.splash, quiet.application);
  catalogue.StarttimerTimer();
  bench::SqlitePeer peer(database);
  testsupport::SilentProgress progress;
  Figure searchall{"search, empty term", {}, {}};
  Figure searchra{"search \"ra\", name + ingredients", {}, {}};
  for (int round = 0; round < rounds; ++round)
    for (Figure* figure : {&searchall, &searchra}) {
      const catalogue::SearchSettings& settings = figure == &searchall ? emptyterm : ra;
      figure->mixolino.push_back(seconds([&] { catalogue::suche(catalogue, settings, progress); }));
      // SQLite's searches take most of a minute each at a million recipes: once is enough there.
      if (round == 0 || recipes < bigcatalogue) figure->sqlite.push_back(seconds([&] { peer.search(settings); }));
    }
  const bool same = recipes >= bigcatalogue || samerows(catalogue, peer);
  const std::size_t allhits = catalogue::suche(catalogue, emptyterm, progress).liste.size();

  // Opening a recipe: its caption and its box's lines, one recipe at a time.
  Figure opening{"open one recipe (name, lines, preparation)", {}, {}};
  for (int round = 0; round < rounds; ++round) {
    const std::string id = std::to_string(1 + round * 7919 % recipes);
    opening.mixolino.push_back(seconds([&] {
      catalogue::infotitel(catalogue, id);
      catalogue::zeigecocktail(catalogue, id);
    }));
    opening.sqlite.push_back(seconds([&] { peer.openrecipe(std::stoi(id)); }));
  }

  Figure peak{"peak memory after load + first search", {}, {}};
  Figure loadpeak{"peak memory after load", {}, {}};
  for (int round = 0; round < 3; ++round) {
    peak.mixolino.push_back(peakmb("mixolino", program + "mixolino", static_cast<long long>(allhits)));
    peak.sqlite.push_back(peakmb("sqlite", database, static_cast<long long>(allhits)));
    loadpeak.mixolino.push_back(peakmb("mixolino-load", program + "mixolino", 0));
    loadpeak.sqlite.push_back(peakmb("sqlite-load", database, 0));
  }

  // Last, as they change the files: the same recipes rated on both sides.
  Figure rating{std::to_string(ratingchanges) + " rating changes", {}, {}};
  FixedRating dialog;
  for (int round = 0; round < 3; ++round) {
    std::vector<int> ids;
    for (int i = 0; i < ratingchanges; ++i) ids.push_back(1 + (round * ratingchanges + i) * 7919 % recipes);
    rating.mixolino.push_back(seconds([&] {
      for (const int id : ids) {
        dialog.next = 1 + id % 5;
        catalogue::Wertungndern1Click(catalogue, std::to_string(id), dialog);
      }
    }));
    rating.sqlite.push_back(seconds([&] {
      for (const int id : ids) peer.rate(id, 1 + id % 5);
    }));
  }
  const bool samerated = recipes >= bigcatalogue || samerows(catalogue, peer);
  catalogue.FormCloseQuery();

  printtable(recipes, tablemb, sqlitemb,
             {searchall, searchra, opening, loading, startup, loadpeak, peak, importing, rating},
             median(loadpeak.mixolino), median(peak.mixolino), same && samerated);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--peak") return peakchild(argv[2], argv[3], std::atoi(argv[4]));
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1400, 14000, 140000};
  const testsupport::TempFolder scratch;
  for (const int recipes : sizes) measure(recipes, scratch.path());
  return 0;
}
