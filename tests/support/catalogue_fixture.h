// Building blocks for catalogue tests: a temporary program folder, fakes of
// the window ports and of the clock, and a fixture that starts a catalogue
// there headless and instantly.
//
//   class SearchTest : public testsupport::CatalogueFixture {};
//   TEST_F(SearchTest, ...) { start(); importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n"); ... }
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "catalogue/ports.h"
#include "platform/clock.h"
#include "tests/support/fake_messages.h"
#include "tests/support/recording_progress.h"

namespace testsupport {

// A fresh folder under the system's temp folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mixolino-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }  // ends with "/"

 private:
  std::string path_;
};

inline std::string readfile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writefile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Time stands still except when someone sleeps or the test advances it.
class FakeClock : public platform::Clock {
 public:
  explicit FakeClock(double start = platform::encodedatetime(2026, 12, 7, 20, 15, 30)) : start_(start) {
    platform::setclock(this);
  }
  ~FakeClock() override { platform::setclock(nullptr); }
  double now() override { return start_ + static_cast<double>(elapsedms) / 86400000.0; }
  void sleep(int milliseconds) override {
    ++sleeps;
    elapsedms += milliseconds;
  }
  void advance(int milliseconds) { elapsedms += milliseconds; }

  long long elapsedms = 0;
  int sleeps = 0;

 private:
  double start_;
};

class FakeSplash : public catalogue::SplashPort {
 public:
  void show() override {
    ++shown;
    if (onshow) onshow();
  }
  void close() override { ++closed; }
  int shown = 0;
  int closed = 0;
  std::function<void()> onshow;
};

class FakeApplication : public catalogue::ApplicationPort {
 public:
  void endapplication() override { ++ended; }
  void armstarttimer() override { ++armed; }
  int ended = 0;
  int armed = 0;
};

class FakeImportFile : public catalogue::ImportFilePort {
 public:
  std::optional<std::string> chooseimportfile() override {
    ++asked;
    return path;
  }
  std::optional<std::string> path;  // nothing: the user cancels
  int asked = 0;
};

// A catalogue whose program file lies in a temp folder. start() runs the
// start-up sequence (the first start creates db/ and empty tables).
class CatalogueFixture : public ::testing::Test {
 protected:
  std::string programfile() const { return folder.path() + "mixolino"; }
  std::string dbfolder() const { return folder.path() + "db/"; }

  catalogue::Catalogue& make() {
    catalogue = std::make_unique<catalogue::Catalogue>(programfile(), splash, application);
    return *catalogue;
  }

  // Creates the catalogue if needed and runs the start-up sequence; true when
  // it ended with the tables loaded and the splash closed.
  bool start() {
    if (!catalogue) make();
    const int closedbefore = splash.closed;
    catalogue->StarttimerTimer();
    return application.ended == 0 && splash.closed == closedbefore + 1;
  }

  // Imports the bytes as an import file; the messages of the import stay in messages.log.
  void importtext(const std::string& bytes) {
    const std::string path = folder.path() + "import.txt";
    writefile(path, bytes);
    importfile.path = path;
    catalogue::Importieren1Click(*catalogue, importfile);
  }

  TempFolder folder;
  FakeMessages messages;
  FakeClock clock;
  FakeSplash splash;
  FakeApplication application;
  FakeImportFile importfile;
  std::unique_ptr<catalogue::Catalogue> catalogue;
};

}  // namespace testsupport
