// A printed card ("Barkarte") of 200 recipes at 1,400, 14,000 and 140,000
// imported recipes: collecting the recipes with their lines, then laying out,
// painting and writing the PDF file, as the median of five cards, in ms. Run
// by hand from a Release build:
//     QT_QPA_PLATFORM=offscreen build-release/bench/barkarte_bench [recipes ...]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/programwindows.h"
#include "catalogue/barkarte.h"
#include "ui/barkarte_Unit.h"

namespace {

constexpr int kartenrezepte = 200;
constexpr int karten = 5;

void measure(int recipes) {
  const testsupport::TempFolder temp;
  bench::importcatalogue(temp.path(), recipes);
  testsupport::FakeMessages messages;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  catalogue::Catalogue catalogue(temp.path() + "mixolino", splash, application);
  catalogue.StarttimerTimer();
  std::vector<double> sammeln, schreiben, ganz;
  int kib = 0;
  for (int karte = 0; karte < karten; ++karte) {
    std::vector<std::string> ids;
    for (int i = 0; i < kartenrezepte; ++i) ids.push_back(std::to_string(1 + (karte + i * 7919) % recipes));
    const QString path = QString::fromStdString(temp.path() + "karte.pdf");
    QElapsedTimer watch;
    watch.start();
    const std::vector<catalogue::Kartenrezept> rezepte = catalogue::kartenrezepte(catalogue, ids, {4});
    sammeln.push_back(static_cast<double>(watch.nsecsElapsed()) / 1e6);
    ui::barkartepdf(path, catalogue::kartenkopf("08.12.2026", rezepte.size(), {4}), rezepte, nullptr);
    ganz.push_back(static_cast<double>(watch.nsecsElapsed()) / 1e6);
    schreiben.push_back(ganz.back() - sammeln.back());
    kib = static_cast<int>(QFile(path).size() / 1024);
  }
  std::printf("| %7d | %8.1f | %8.1f | %8.1f | %7d |\n", recipes, bench::median(sammeln), bench::median(schreiben),
              bench::median(ganz), kib);
  catalogue.FormCloseQuery();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const testsupport::FakeClock clock;
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1400, 14000, 140000};
  std::printf("A card of %d recipes for 4 glasses, median of %d cards, in ms\n", kartenrezepte, karten);
  std::printf("| %7s | %8s | %8s | %8s | %7s |\n", "recipes", "collect", "pdf", "total", "PDF KiB");
  std::printf("|---------|----------|----------|----------|---------|\n");
  for (const int recipes : sizes) measure(recipes);
  return 0;
}
