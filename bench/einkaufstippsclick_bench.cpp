// The real main window on a catalogue of 140,000 generated recipes (written
// by the real import): the time from a click on "Einkaufstipps" until the
// tips window has painted its text and the frame has gone out, with one
// ingredient available, none, the most used half, every second one, and all but one; and how much of
// it is the computation. Run by hand from a Release build on a real X
// server, for example Xvfb with openbox:
//   DISPLAY=:99 build-release/bench/einkaufstippsclick_bench [recipes]
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>
#include <vector>

#include "bench/measure.h"
#include "bench/programwindows.h"
#include "catalogue/catalogue.h"
#include "catalogue/einkaufstipps.h"
#include "catalogue/import.h"
#include "catalogue/tables.h"
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

constexpr int rounds = 5;

// The rows for which pick says so.
template <typename Pick>
std::vector<bool> jede(const catalogue::Catalogue& catalogue, Pick pick) {
  std::vector<bool> da;
  for (int32_t row = 0; row < catalogue.c_zutaten().getrowcount(); ++row) da.push_back(pick(row));
  return da;
}

// One click, in ms from its start: the tips window shown (the tips computed
// and set), and painted (its text field has painted and the event loop has
// come round once more, so the frame has gone to the window system).
struct Click {
  double shown = -1;
  double painted = -1;
  double paintedcpu = -1;  // the program's own processor time up to painted
  int lines = 0;
};

// The processor time this thread has used, in ms: on a machine that other
// work keeps busy, the part of a wall-clock time that is the program's own.
class ClickWatch : public QObject {
 public:
  ClickWatch() { qApp->installEventFilter(this); }

  Click measure(QAction& action) {
    Click click;
    click_ = &click;
    clock_.start();
    cpustart_ = bench::threadcpums();
    action.trigger();  // returns when the window has closed
    click_ = nullptr;
    return click;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (click_ == nullptr || widget == nullptr || widget->window()->objectName() != "einkaufstippsform") return false;
    if (event->type() == QEvent::Show && widget->isWindow() && click_->shown < 0) click_->shown = ms();
    auto* memo = widget->window()->findChild<QPlainTextEdit*>(QStringLiteral("Memo"));
    if (event->type() == QEvent::Paint && memo != nullptr && watched == memo->viewport() && click_->painted < 0) {
      click_->painted = 0;  // once
      click_->lines = memo->blockCount();
      QTimer::singleShot(0, widget->window(), [this, window = widget->window()] {
        click_->painted = ms();
        click_->paintedcpu = bench::threadcpums() - cpustart_;
        window->close();
      });
    }
    return false;
  }

 private:
  double ms() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }

  QElapsedTimer clock_;
  double cpustart_ = 0;
  Click* click_ = nullptr;
};

// The computation alone, wall clock and processor time.
std::pair<double, double> computation(const catalogue::Catalogue& catalogue) {
  QElapsedTimer clock;
  clock.start();
  const double cpu = bench::threadcpums();
  catalogue::einkaufstipps(catalogue);
  return {static_cast<double>(clock.nsecsElapsed()) / 1e6, bench::threadcpums() - cpu};
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

  bench::printnutzung(mainform.catalogue());
  struct Fall {
    const char* name;
    std::vector<bool> da;
  };
  const catalogue::Catalogue& c = mainform.catalogue();
  const Fall faelle[] = {{"none", jede(c, [](int32_t) { return false; })},
                         {"one", jede(c, [](int32_t row) { return row == 0; })},
                         {"most-used half", bench::meistgenutztehaelfte(c)},
                         {"every second one", jede(c, [](int32_t row) { return row % 2 == 0; })},
                         {"all but one", jede(c, [](int32_t row) { return row != 0; })}};
  ClickWatch watch;
  std::printf("%s platform, %d recipes, %d ingredients, medians of %d clicks in ms\n",
              qPrintable(QGuiApplication::platformName()), recipes, mainform.catalogue().c_zutaten().getrowcount(),
              rounds);
  std::printf(
      "| available        | click to painted | (processor) | click to shown | computation alone | (processor) |"
      " lines |\n");
  for (const Fall& fall : faelle) {
    bench::markieren(mainform.catalogue(), fall.da);
    std::vector<double> painted, paintedcpu, shown, alone, alonecpu;
    int lines = 0;
    for (int round = 0; round < rounds; ++round) {
      const Click click = watch.measure(*mainform.Einkaufstipps1);
      if (click.painted <= 0) {
        std::fprintf(stderr, "the tips window was not painted\n");
        return 1;
      }
      painted.push_back(click.painted);
      paintedcpu.push_back(click.paintedcpu);
      shown.push_back(click.shown);
      lines = click.lines;
      bench::settle(300);
      const auto [wall, cpu] = computation(mainform.catalogue());
      alone.push_back(wall);
      alonecpu.push_back(cpu);
    }
    std::printf("| %-16s | %16.1f | %11.1f | %14.1f | %17.1f | %11.1f | %5d |\n", fall.name, bench::median(painted),
                bench::median(paintedcpu), bench::median(shown), bench::median(alone), bench::median(alonecpu), lines);
  }
  mainform.close();
  return 0;
}
