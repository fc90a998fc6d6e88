// The real main window, with the program's six windows, on a catalogue of
// 140,000 generated recipes (written by the real import): the time from a
// click on "Cocktails suchen" with every recipe listed until the result
// list's viewport has painted the new rows and the frame has gone out, and
// how much of it is the search and how much the list. Run by hand from a
// Release build on a real X server, for example Xvfb with openbox:
//   DISPLAY=:99 build-rel/bench/searchclick_bench [recipes]
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/programwindows.h"
#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "catalogue/search.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recipe_generator.h"
#include "tests/support/recording_progress.h"
#include "ui/fortschritt_Unit.h"
#include "ui/main_Unit.h"
#include "ui/memo_Unit.h"
#include "ui/splash_Unit.h"
#include "ui/wertungs_Unit.h"
#include "ui/zutatenedit_Unit.h"

namespace {

constexpr int rounds = 7;

// The search alone, as the click runs it but without the progress dialog.
double searchwithoutprogress(const catalogue::Catalogue& catalogue) {
  testsupport::SilentProgress progress;
  QElapsedTimer clock;
  clock.start();
  catalogue::b_suchenClick(catalogue, catalogue::SearchSettings{}, progress);
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// The times of one click, in ms from its start. The list's model is reset
// when the previous rows are gone, and the search starts; the progress
// dialog closes when the search has sorted its rows, and the list takes the
// new ones. Painted: the list's viewport has painted and the event loop has
// come round once more, so the frame has gone to the window system.
struct Click {
  double cleared = -1;
  double searchend = -1;
  double returned = -1;
  double painted = -1;
};

class ClickWatch : public QObject {
 public:
  ClickWatch(QWidget* progress, QAbstractItemView* list) : progress_(progress), viewport_(list->viewport()) {
    progress->installEventFilter(this);
    viewport_->installEventFilter(this);
    connect(list->model(), &QAbstractItemModel::modelReset, this, [this] {
      if (click_ != nullptr && click_->cleared < 0) click_->cleared = ms();
    });
  }

  Click measure(QPushButton& button) {
    Click click;
    QEventLoop loop;
    click_ = &click;
    loop_ = &loop;
    clock_.start();
    button.click();
    click.returned = ms();
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    click_ = nullptr;
    loop_ = nullptr;
    return click;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (click_ == nullptr) return false;
    if (watched == progress_ && event->type() == QEvent::Hide) {
      click_->searchend = ms();
    } else if (watched == viewport_ && event->type() == QEvent::Paint && click_->returned >= 0 && click_->painted < 0) {
      click_->painted = 0;  // once
      QTimer::singleShot(0, loop_, [this] {
        click_->painted = ms();
        loop_->quit();
      });
    }
    return false;
  }

 private:
  double ms() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

  QWidget* progress_;
  QWidget* viewport_;
  QElapsedTimer clock_;
  Click* click_ = nullptr;
  QEventLoop* loop_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  const int recipes = argc > 1 ? std::atoi(argv[1]) : 140000;
  const testsupport::TempFolder scratch;
  bench::importcatalogue(scratch.path(), recipes);

  int qtargc = 1;
  QApplication app(qtargc, argv);
  testsupport::FakeMessages messages;  // no message box is expected; none may block
  bench::Programwindows windows(scratch.path() + "mixolino", recipes);
  ui::TMainform& mainform = windows.mainform;

  ClickWatch watch(&windows.fortschrittform, mainform.findChild<QAbstractItemView*>(QStringLiteral("ListView_erg")));
  std::vector<double> total, clearing, search, list, painting, searchalone;
  std::printf("%s platform, %d recipes, times in ms\n", qPrintable(QGuiApplication::platformName()), recipes);
  std::printf(
      "| round | click to painted | clearing the list | search | the list's update | painting |"
      " search without the progress dialog |\n");
  for (int round = 0; round < rounds; ++round) {
    const Click click = watch.measure(*mainform.b_suchen);
    const QString everyrecipe = QString::number(recipes) + QStringLiteral(" Suchergebnisse");
    const bool measured = click.cleared >= 0 && click.searchend >= 0 && click.painted > 0;
    if (!measured || mainform.label_suchinf->text() != everyrecipe) {
      std::fprintf(stderr, "the search did not list every recipe, or nothing was painted\n");
      return 1;
    }
    total.push_back(click.painted);
    clearing.push_back(click.cleared);
    search.push_back(click.searchend - click.cleared);
    list.push_back(click.returned - click.searchend);
    painting.push_back(click.painted - click.returned);
    bench::settle(300);
    searchalone.push_back(searchwithoutprogress(mainform.catalogue()));
    std::printf("| %5d | %16.1f | %17.1f | %6.1f | %17.1f | %8.1f | %34.1f |\n", round + 1, total.back(),
                clearing.back(), search.back(), list.back(), painting.back(), searchalone.back());
    bench::settle(300);
  }
  std::printf("| median| %16.1f | %17.1f | %6.1f | %17.1f | %8.1f | %34.1f |\n", bench::median(total),
              bench::median(clearing), bench::median(search), bench::median(list), bench::median(painting),
              bench::median(searchalone));
  mainform.close();
  return 0;
}
