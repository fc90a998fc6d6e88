// What the click benchmarks share: a generated catalogue imported, the real
// windows over it with the tables loaded, and the small helpers of a timing.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recipe_generator.h"
#include "ui/fortschritt_Unit.h"
#include "ui/main_Unit.h"
#include "ui/memo_Unit.h"
#include "ui/rezeptedit_Unit.h"
#include "ui/splash_Unit.h"
#include "ui/wertungs_Unit.h"
#include "ui/zutatenedit_Unit.h"

namespace bench {

// The generated catalogues: ingredients used as skewed as in the sample
// (the n-th most used with a weight of 1 / n^1.1), and about twice as many
// names as numbers, as most ingredients also appear as one word.
inline constexpr int generatedingredients = 1750;
inline constexpr double generatedskew = 1.1;

// How many link rows name each row of c_zutaten.
inline std::vector<int64_t> nutzung(const catalogue::Catalogue& catalogue) {
  std::unordered_map<std::string, int64_t> links;
  const TdbdynGrid& rezeptezutaten = catalogue.c_rezeptezutaten();
  for (int32_t row = 0; row < rezeptezutaten.getrowcount(); ++row)
    ++links[std::string(rezeptezutaten.cellview(catalogue::rezeptzutatspalte::zutatid, row))];
  const TdbdynGrid& zutaten = catalogue.c_zutaten();
  std::vector<int64_t> uses;
  for (int32_t row = 0; row < zutaten.getrowcount(); ++row)
    uses.push_back(links[std::string(zutaten.cellview(catalogue::zutatspalte::id, row))]);
  return uses;
}

// Marks the ingredient of each table row available when da says so, and
// every third one alcoholic.
inline void markieren(catalogue::Catalogue& catalogue, const std::vector<bool>& da) {
  TdbdynGrid& zutaten = catalogue.c_zutaten();
  for (int32_t row = 0; row < zutaten.getrowcount(); ++row) {
    std::vector<std::string> values;
    if (!zutaten.getrow(row, values) ||
        !TdbdynGrid::setsubfield(values[catalogue::zutatspalte::werte], catalogue::zutatfeld::verfuegbar,
                                 da[static_cast<std::size_t>(row)] ? "1" : "0") ||
        !TdbdynGrid::setsubfield(values[catalogue::zutatspalte::werte], catalogue::zutatfeld::alkoholisch,
                                 row % 3 == 0 ? "1" : "0") ||
        !zutaten.updaterow(row, values))
      std::abort();
  }
}

// The rows of c_zutaten whose ingredients stand in the most lines, half of them.
inline std::vector<bool> meistgenutztehaelfte(const catalogue::Catalogue& catalogue) {
  const std::vector<int64_t> uses = nutzung(catalogue);
  std::vector<std::size_t> rows(uses.size());
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = i;
  std::stable_sort(rows.begin(), rows.end(), [&uses](std::size_t a, std::size_t b) { return uses[a] > uses[b]; });
  std::vector<bool> da(uses.size(), false);
  for (std::size_t i = 0; i < rows.size() / 2; ++i) da[rows[i]] = true;
  return da;
}

// The shape of the use: the share of all lines that the most used
// ingredient, the ten most used and the most used tenth stand in.
inline std::string nutzungsform(const catalogue::Catalogue& catalogue) {
  std::vector<int64_t> uses = nutzung(catalogue);
  std::sort(uses.rbegin(), uses.rend());
  double all = 0, top1 = 0, top10 = 0, tenth = 0;
  for (std::size_t i = 0; i < uses.size(); ++i) {
    all += static_cast<double>(uses[i]);
    if (i < 1) top1 += static_cast<double>(uses[i]);
    if (i < 10) top10 += static_cast<double>(uses[i]);
    if (i < uses.size() / 10) tenth += static_cast<double>(uses[i]);
  }
  char text[160];
  std::snprintf(text, sizeof text,
                "%zu ingredients; lines of the most used one %.1f %%, of the ten most used %.1f %%, of the most used "
                "tenth %.1f %%",
                uses.size(), 100 * top1 / all, 100 * top10 / all, 100 * tenth / all);
  return text;
}

// The text imported into folder/db/ beside folder/mixolino.
inline void importtext(const std::string& folder, const std::string& text) {
  testsupport::FakeClock clock;
  testsupport::FakeMessages messages;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  testsupport::FakeImportFile file;
  file.path = folder + "import.txt";
  testsupport::writefile(*file.path, text);
  catalogue::Catalogue catalogue(folder + "mixolino", splash, application);
  catalogue.StarttimerTimer();
  catalogue::Importieren1Click(catalogue, file);
  catalogue.FormCloseQuery();
}

// The generated recipes imported into folder/db/ beside folder/mixolino.
inline void importcatalogue(const std::string& folder, int recipes) {
  importtext(folder, testsupport::generaterecipes(recipes, generatedingredients, 1, generatedskew).text);
}

// The shape of the sample's use beside the generated one's.
inline void printnutzung(const catalogue::Catalogue& generated) {
  const testsupport::TempFolder folder;
  importtext(folder.path(), testsupport::readfile(std::string(MIXOLINO_SAMPLE_DATA) + "/rezepte.txt"));
  testsupport::FakeClock clock;
  testsupport::FakeMessages messages;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  catalogue::Catalogue sample(folder.path() + "mixolino", splash, application);
  sample.StarttimerTimer();
  std::printf("sample:    %s\ngenerated: %s\n", nutzungsform(sample).c_str(), nutzungsform(generated).c_str());
  sample.FormCloseQuery();
}

// Lets the event loop run for ms milliseconds.
inline void settle(int ms) {
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The program's windows as the program makes them, shown once its start-up
// has loaded the recipes of programfile's database.
struct Programwindows {
  Programwindows(const std::string& programfile, int recipes)
      : mainform(programfile),
        zutatenedit(mainform.catalogue(), mainform.progressport(), &mainform),
        fortschrittform(&mainform),
        splashform(&mainform),
        memoform(&mainform),
        wertungsform(&mainform),
        rezeptedit(mainform.catalogue(), &mainform) {
    mainform.setfenster({&zutatenedit, &fortschrittform, &splashform, &memoform, &wertungsform, &rezeptedit});
    mainform.show();
    while (mainform.catalogue().c_rezepte().getrowcount() != recipes || splashform.isVisible())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    settle(500);
  }

  ui::TMainform mainform;
  ui::Tzutatenedit zutatenedit;
  ui::Tfortschrittform fortschrittform;
  ui::Tsplashform splashform;
  ui::TMemoform memoform;
  ui::Twertungsform wertungsform;
  ui::Trezeptedit rezeptedit;
};

}  // namespace bench
