// The real main window, with the program's six windows, on a catalogue of
// 140,000 generated recipes (written by the real import): the time from a
// click on "Cocktails suchen" with every recipe listed until the result
// list's viewport has painted the new rows and the frame has gone out, and
// how much of it is the search. Run by hand from a Release build on a real X
// server, for example Xvfb with openbox:
//   DISPLAY=:99 build-rel/bench/searchclick_bench [recipes]
#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "catalogue/search.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recipe_generator.h"
#include "ui/fortschritt_Unit.h"
#include "ui/main_Unit.h"
#include "ui/memo_Unit.h"
#include "ui/splash_Unit.h"
#include "ui/wertungs_Unit.h"
#include "ui/zutatenedit_Unit.h"

namespace {

constexpr int rounds = 7;

// The generated recipes imported into folder/db/ beside folder/mixolino.
void importcatalogue(const std::string& folder, int recipes) {
  testsupport::FakeClock clock;
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

// Reports when a widget has been painted and the event loop has come round
// once more, so the frame has been handed to the window system.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }

  // Runs the event loop until the next paint; its time in ms since clock started.
  double waitforpaint(const QElapsedTimer& clock) {
    QEventLoop loop;
    double painted = -1;
    onpaint_ = [&] {
      QTimer::singleShot(0, &loop, [&] {
        painted = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        loop.quit();
      });
    };
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    onpaint_ = nullptr;
    return painted;
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && onpaint_) {
      onpaint_();
      onpaint_ = nullptr;
    }
    return false;
  }

 private:
  std::function<void()> onpaint_;
};

void settle(int ms) {
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int recipes = argc > 1 ? std::atoi(argv[1]) : 140000;
  const testsupport::TempFolder scratch;
  importcatalogue(scratch.path(), recipes);

  int qtargc = 1;
  QApplication app(qtargc, argv);
  testsupport::FakeMessages messages;  // no message box is expected; none may block
  ui::TMainform mainform(scratch.path() + "mixolino");
  ui::Tzutatenedit zutatenedit(mainform.catalogue(), mainform.progressport(), &mainform);
  ui::Tfortschrittform fortschrittform(&mainform);
  ui::Tsplashform splashform(&mainform);
  ui::TMemoform memoform(&mainform);
  ui::Twertungsform wertungsform(&mainform);
  mainform.setfenster({&zutatenedit, &fortschrittform, &splashform, &memoform, &wertungsform});
  mainform.show();
  while (mainform.catalogue().c_rezepte().getrowcount() != recipes || splashform.isVisible())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  settle(500);

  PaintWatch watch(mainform.findChild<QAbstractScrollArea*>(QStringLiteral("ListView_erg"))->viewport());
  std::vector<double> total, returned, search;
  std::printf("%s platform, %d recipes\n| round | click to painted | click returned | search alone |\n",
              qPrintable(QGuiApplication::platformName()), recipes);
  for (int round = 0; round < rounds; ++round) {
    QElapsedTimer clock;
    clock.start();
    mainform.b_suchen->click();
    returned.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    total.push_back(watch.waitforpaint(clock));
    settle(300);

    clock.restart();
    const catalogue::SearchResult result =
        catalogue::b_suchenClick(mainform.catalogue(), catalogue::SearchSettings{}, mainform.progressport());
    search.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    if (result.rows.size() != static_cast<std::size_t>(recipes) || total.back() < 0) {
      std::fprintf(stderr, "the search listed %zu rows, or nothing was painted\n", result.rows.size());
      return 1;
    }
    settle(300);
    std::printf("| %5d | %13.1f ms | %11.1f ms | %9.1f ms |\n", round + 1, total.back(), returned.back(), search.back());
  }
  const double t = median(total), r = median(returned), s = median(search);
  std::printf("\nmedians: click to painted %.1f ms = search %.1f ms (%.0f %%) + the list's update %.1f ms (%.0f %%)"
              " + painting %.1f ms (%.0f %%)\n",
              t, s, 100 * s / t, r - s, 100 * (r - s) / t, t - r, 100 * (t - r) / t);
  mainform.close();
  return 0;
}
