// Progress dialogs for tests and benchmarks.
#pragma once

#include <vector>

#include "catalogue/ports.h"

namespace testsupport {

// The progress dialog: records every percentage shown and each closing.
class RecordingProgress : public catalogue::ProgressPort {
 public:
  void zeigefortschritt(int percent) override { shown.push_back(percent); }
  void close() override { ++closed; }
  std::vector<int> shown;
  int closed = 0;
};

// For benchmarks, where recording would cost time and memory of its own.
class SilentProgress : public catalogue::ProgressPort {
 public:
  void zeigefortschritt(int) override {}
  void close() override {}
};

}  // namespace testsupport
