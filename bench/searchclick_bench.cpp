// The real main window, with the program's six windows, on a catalogue of
// 140,000 generated recipes (written by the real import): the time from a
// click on "Cocktails suchen", for each search setting, until the result
// list's viewport has painted the new rows and the frame has gone out, and
// how much of it is the search and how much the list; the most used half of
// the ingredients is available. Run by hand from a
// Release build on a real X server, for example Xvfb with openbox:
//   DISPLAY=:99 build-rel/bench/searchclick_bench [recipes]
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

constexpr int rounds = 5;

// The search alone, as the click runs it but without the progress dialog.
double searchwithoutprogress(const catalogue::Catalogue& catalogue, const catalogue::SearchSettings& settings) {
  testsupport::SilentProgress progress;
  QElapsedTimer clock;
  clock.start();
  catalogue::b_suchenClick(catalogue, settings, progress);
  return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// The processor time this thread has used, in ms.
double cpums() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The times of one click, in ms from its start. The list's model is reset
// when the previous rows are gone, and the search starts; the progress
// dialog closes when the search has sorted its rows, and the list takes the
// new ones. Painted: the list's viewport has painted and the event loop has
// come round once more, so the frame has gone to the window system.
struct Click {
  double paintedcpu = -1;  // the program's own processor time up to painted
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
    cpustart_ = cpums();
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
        click_->paintedcpu = cpums() - cpustart_;
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
  double cpustart_ = 0;
  Click* click_ = nullptr;
  QEventLoop* loop_ = nullptr;
};

// The settings the window's controls hold.
catalogue::SearchSettings settingsof(const ui::TMainform& mainform) {
  catalogue::SearchSettings settings;
  settings.suchbegriff = mainform.e_suchbegriff->text().toStdString();
  settings.bereich = mainform.r_rezeptzusaetzlich->isChecked() ? catalogue::Suchbereich::rezeptzusaetzlich
                                                               : catalogue::Suchbereich::nurcocktailname;
  settings.alkohol = mainform.c_alk_ja->isChecked()     ? catalogue::Alkoholwahl::ja
                     : mainform.c_alk_nein->isChecked() ? catalogue::Alkoholwahl::nein
                                                        : catalogue::Alkoholwahl::egal;
  settings.nurverfuegbar = mainform.c_nurverfuegbar->isChecked();
  return settings;
}

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

  bench::markieren(mainform.catalogue(), bench::meistgenutztehaelfte(mainform.catalogue()));
  struct Fall {
    const char* name;
    const char* term;
    bool zusaetzlich;
    QRadioButton* alkohol;
    bool nurverfuegbar;
  };
  const Fall faelle[] = {{"empty term", "", false, mainform.c_alk_egal, false},
                         {"\"ra\" in names", "ra", false, mainform.c_alk_egal, false},
                         {"\"li\" in names + ingredients", "li", true, mainform.c_alk_egal, false},
                         {"\"zzz\" (no hit), + ingredients", "zzz", true, mainform.c_alk_egal, false},
                         {"alcohol ja", "", false, mainform.c_alk_ja, false},
                         {"alcohol nein", "", false, mainform.c_alk_nein, false},
                         {"only available", "", false, mainform.c_alk_egal, true}};
  ClickWatch watch(&windows.fortschrittform, mainform.findChild<QAbstractItemView*>(QStringLiteral("ListView_erg")));
  std::printf("%s platform, %d recipes, medians of %d clicks in ms\n", qPrintable(QGuiApplication::platformName()),
              recipes, rounds);
  std::printf(
      "| setting                         |    hits | click to painted | (processor) | search | the list's update |"
      " painting | search alone |\n");
  for (const Fall& fall : faelle) {
    mainform.e_suchbegriff->setText(QString::fromLatin1(fall.term));
    (fall.zusaetzlich ? mainform.r_rezeptzusaetzlich : mainform.r_nurcocktailname)->setChecked(true);
    fall.alkohol->setChecked(true);
    mainform.c_nurverfuegbar->setChecked(fall.nurverfuegbar);
    std::vector<double> total, cpu, search, list, painting, searchalone;
    for (int round = 0; round < rounds; ++round) {
      const Click click = watch.measure(*mainform.b_suchen);
      if (click.cleared < 0 || click.painted <= 0) {
        std::fprintf(stderr, "the search was not measured, or nothing was painted\n");
        return 1;
      }
      total.push_back(click.painted);
      cpu.push_back(click.paintedcpu);
      search.push_back(click.searchend - click.cleared);
      list.push_back(click.returned - click.searchend);
      painting.push_back(click.painted - click.returned);
      bench::settle(300);
      searchalone.push_back(searchwithoutprogress(mainform.catalogue(), settingsof(mainform)));
      bench::settle(100);
    }
    std::printf("| %-31s | %7s | %16.1f | %11.1f | %6.1f | %17.1f | %8.1f | %12.1f |\n", fall.name,
                qPrintable(mainform.label_suchinf->text().section(' ', 0, 0)), bench::median(total), bench::median(cpu),
                bench::median(search), bench::median(list), bench::median(painting), bench::median(searchalone));
  }
  mainform.close();
  return 0;
}
