// The real windows, with the program's own message boxes, on a catalogue of
// 140,000 generated recipes (written by the real import): the time from the
// user's input until the window has painted what it leads to and the frame
// has gone out.
//   - "Zutaten bearbeiten": the menu entry until the editor's grid has painted;
//   - "Speichern" in the recipe window, the name changed: until the result
//     list has painted the changed row;
//   - "Rezept löschen": the menu entry until the question box has painted,
//     and the key "J" answering it until the result list has painted.
// Run by hand from a Release build on a real X server with a window manager:
//   DISPLAY=:99 build-release/bench/editorclick_bench [recipes]
#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

#include "bench/measure.h"
#include "bench/programwindows.h"
#include "ui/messageboxes.h"

namespace {

constexpr int rounds = 7;

// The processor time this thread has used, in ms.
// A clock started at the input; painted() is the time when the watched
// widget has painted after armed() and the event loop has come round once
// more.
class Paintwatch : public QObject {
 public:
  void start() {
    clock_.start();
    cpustart_ = bench::threadcpums();
    painted_ = -1;
    watched_ = nullptr;
  }
  double ms() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e6; }
  double cpu() const { return bench::threadcpums() - cpustart_; }

  // Waits (in the running event loop) for widget's next paint, then runs done.
  void armed(QWidget* widget, std::function<void()> done) {
    watched_ = widget;
    done_ = std::move(done);
    widget->installEventFilter(this);
  }
  // Runs an event loop until the armed widget has painted; -1 after 10 s.
  double waitpainted() {
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    const auto quit = done_;
    done_ = [&loop, quit] {
      if (quit) quit();
      loop.quit();
    };
    if (painted_ < 0) loop.exec();
    return painted_;
  }
  double painted() const { return painted_; }
  double paintedcpu() const { return paintedcpu_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != watched_ || event->type() != QEvent::Paint) return false;
    watched_->removeEventFilter(this);
    watched_ = nullptr;
    QTimer::singleShot(0, this, [this] {
      painted_ = ms();
      paintedcpu_ = cpu();
      if (done_) done_();
    });
    return false;
  }

 private:
  QElapsedTimer clock_;
  double cpustart_ = 0;
  QWidget* watched_ = nullptr;
  std::function<void()> done_;
  double painted_ = -1;
  double paintedcpu_ = -1;
};

// Runs act once the widget that visible returns is on the screen, polled every millisecond.
void whenshown(const std::function<QWidget*()>& visible, const std::function<void(QWidget&)>& act) {
  auto* poll = new QTimer;
  poll->setInterval(1);
  QObject::connect(poll, &QTimer::timeout, [poll, visible, act] {
    QWidget* widget = visible();
    if (widget == nullptr || !widget->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    act(*widget);
  });
  poll->start();
}

struct Row {
  std::vector<double> total, cpu;
};

void printrow(const char* name, const Row& row) {
  std::printf("| %-46s | %8.1f | %11.1f | %5.1f |\n", name, bench::median(row.total), bench::median(row.cpu),
              row.total.front());
}

// The menu entry until the editor's grid has painted; the editor is then closed unchanged.
void oeffnezutaten(bench::Programwindows& windows, Paintwatch& watch, Row& row) {
  ui::Tzutatenedit& editor = windows.zutatenedit;
  watch.start();
  watch.armed(editor.zutatengrid->viewport(), [&editor] { editor.reject(); });
  windows.mainform.Zutatenbearbeiten1->trigger();
  row.total.push_back(watch.painted());
  row.cpu.push_back(watch.paintedcpu());
}

// Selects the result list's row, in view.
void waehle(ui::TMainform& mainform, int row) {
  const QModelIndex index = mainform.ListView_erg->model()->index(row, 0);
  mainform.ListView_erg->setCurrentIndex(index);
  mainform.ListView_erg->scrollTo(index);
  bench::settle(200);
}

// The recipe of the row opened, its name changed and "Speichern" clicked,
// until the list has painted.
void speichere(bench::Programwindows& windows, Paintwatch& watch, int row, Row& times) {
  ui::TMainform& mainform = windows.mainform;
  waehle(mainform, row);
  ui::Trezeptedit& edit = windows.rezeptedit;
  whenshown([&edit] { return &edit; },
            [&edit, &watch](QWidget&) {
              bench::settle(200);
              edit.e_name->setText(edit.e_name->text() + QStringLiteral(" neu"));
              watch.start();
              edit.b_speichern->click();
            });
  mainform.Rezeptbearbeiten1->trigger();
  watch.armed(mainform.ListView_erg->viewport(), {});
  times.total.push_back(watch.waitpainted());
  times.cpu.push_back(watch.paintedcpu());
}

// "Rezept löschen" on the row until the question box has painted; "J" until the list has painted.
void loesche(ui::TMainform& mainform, Paintwatch& watch, int row, Row& question, Row& answer) {
  waehle(mainform, row);
  Paintwatch boxwatch;
  whenshown([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
            [&](QWidget& box) {
              boxwatch.armed(&box, [&box, &watch, &boxwatch, &question] {
                question.total.push_back(boxwatch.painted());
                question.cpu.push_back(boxwatch.paintedcpu());
                bench::settle(200);
                watch.start();
                QKeyEvent press(QEvent::KeyPress, Qt::Key_J, Qt::NoModifier, QStringLiteral("j"));
                QApplication::sendEvent(&box, &press);
              });
            });
  boxwatch.start();
  mainform.Rezeptlschen1->trigger();
  watch.armed(mainform.ListView_erg->viewport(), {});
  answer.total.push_back(watch.waitpainted());
  answer.cpu.push_back(watch.paintedcpu());
}

}  // namespace

int main(int argc, char** argv) {
  const int recipes = argc > 1 ? std::atoi(argv[1]) : 140000;
  const testsupport::TempFolder scratch;
  bench::importcatalogue(scratch.path(), recipes);

  int qtargc = 1;
  QApplication app(qtargc, argv);
  ui::QtMessages messages;
  platform::setmessageport(&messages);
  bench::Programwindows windows(scratch.path() + "mixolino", recipes);
  ui::TMainform& mainform = windows.mainform;
  mainform.b_suchen->click();  // every recipe in the list
  bench::settle(500);

  Paintwatch watch;
  Row zutaten, speichern, frage, loeschen;
  for (int round = 0; round < rounds; ++round) {
    oeffnezutaten(windows, watch, zutaten);
    bench::settle(300);
    speichere(windows, watch, 1000 + round * 5000, speichern);
    bench::settle(300);
    loesche(mainform, watch, 3000 + round * 5000, frage, loeschen);
    bench::settle(300);
  }
  // Each round saved one recipe under a new name and deleted another.
  const QAbstractItemModel& list = *mainform.ListView_erg->model();
  int renamed = 0;
  for (int row = 0; row < list.rowCount(); ++row)
    renamed += list.index(row, 0).data().toString().endsWith(QStringLiteral(" neu")) ? 1 : 0;
  if (list.rowCount() != recipes - rounds || renamed != rounds) {
    std::fprintf(stderr, "%d rows, %d renamed: the clicks did not do their work\n", list.rowCount(), renamed);
    return 1;
  }
  std::printf("%s platform, %d recipes, medians of %d in ms\n", qPrintable(QGuiApplication::platformName()), recipes,
              rounds);
  std::printf("| input                                          |  painted | (processor) | first |\n");
  printrow("Zutaten bearbeiten, to the grid painted", zutaten);
  printrow("Speichern, name changed, to the list painted", speichern);
  printrow("Rezept l\xc3\xb6schen, to the question painted", frage);
  printrow("\"J\" to the question, to the list painted", loeschen);
  mainform.close();
  return 0;
}
