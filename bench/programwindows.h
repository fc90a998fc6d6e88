// What the click benchmarks share: a generated catalogue imported, the real
// windows over it with the tables loaded, and the small helpers of a timing.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recipe_generator.h"
#include "ui/fortschritt_Unit.h"
#include "ui/main_Unit.h"
#include "ui/memo_Unit.h"
#include "ui/splash_Unit.h"
#include "ui/wertungs_Unit.h"
#include "ui/zutatenedit_Unit.h"

namespace bench {

// The generated recipes imported into folder/db/ beside folder/mixolino.
inline void importcatalogue(const std::string& folder, int recipes) {
  testsupport::FakeClock clock;
  testsupport::FakeMessages messages;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  testsupport::FakeImportFile file;
  file.path = folder + "import.txt";
  testsupport::writefile(*file.path, testsupport::generaterecipes(recipes, 3000, 1).text);
  catalogue::Catalogue catalogue(folder + "mixolino", splash, application);
  catalogue.StarttimerTimer();
  catalogue::Importieren1Click(catalogue, file);
  catalogue.FormCloseQuery();
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
        wertungsform(&mainform) {
    mainform.setfenster({&zutatenedit, &fortschrittform, &splashform, &memoform, &wertungsform});
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
};

}  // namespace bench
