// A temporary program folder and fakes of the window ports and of the clock,
// for catalogue tests, benchmarks and fuzz targets.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/ports.h"
#include "platform/clock.h"

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

// The rating dialog: records each rating it was offered and answers "OK"
// with answer, or cancels when ok is false.
class FakeRating : public catalogue::RatingPort {
 public:
  bool anzeigen(int& rating) override {
    offered.push_back(rating);
    if (!ok) return false;
    rating = answer;
    return true;
  }
  bool ok = true;
  int answer = 4;
  std::vector<int> offered;
};

class FakeExportDialogs : public catalogue::ExportPort {
 public:
  std::optional<std::string> chooseexportfile() override { return file; }
  std::optional<std::string> choosebackupfolder() override { return folder; }
  std::optional<std::string> file;    // nothing: the user cancels
  std::optional<std::string> folder;  // ends with "/"
};

}  // namespace testsupport
