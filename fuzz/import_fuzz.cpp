// Any bytes as an import file must end in the success box or in the import's
// error box: never a crash, a hang or silence.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "tests/support/fake_messages.h"

namespace {

class Splash : public catalogue::SplashPort {
 public:
  void show() override {}
  void close() override {}
};

class Application : public catalogue::ApplicationPort {
 public:
  void endapplication() override { std::abort(); }  // the start-up must succeed here
  void armstarttimer() override {}
};

class ImportFile : public catalogue::ImportFilePort {
 public:
  std::optional<std::string> chooseimportfile() override { return path; }
  std::string path;
};

class InstantClock : public platform::Clock {
 public:
  double now() override { return moment; }
  void sleep(int milliseconds) override { moment += milliseconds / 86400000.0; }
  double moment = 46000.0;
};

// One catalogue for the whole run, emptied now and then so the tables stay small.
struct Environment {
  Environment() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mixolino-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder = pattern + "/";
    platform::setclock(&clock);
    file.path = folder + "import.txt";
    catalogue = std::make_unique<catalogue::Catalogue>(folder + "mixolino", splash, application);
    catalogue->StarttimerTimer();
  }

  ~Environment() {
    catalogue.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  void emptycatalogue() {
    std::filesystem::remove(catalogue->statusfile());
    messages.answers = {true, true, true};
    catalogue->StarttimerTimer();
  }

  testsupport::FakeMessages messages;
  InstantClock clock;
  Splash splash;
  Application application;
  ImportFile file;
  std::string folder;
  std::unique_ptr<catalogue::Catalogue> catalogue;
  long runs = 0;
};

bool startswith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Environment environment;
  if (++environment.runs % 200 == 0) environment.emptycatalogue();
  {
    std::ofstream out(environment.file.path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  environment.messages.clear();
  catalogue::Importieren1Click(*environment.catalogue, environment.file);

  const auto& log = environment.messages.log;
  if (log.empty()) std::abort();
  const testsupport::Message& last = log.back();
  const bool success = last.kind == testsupport::Message::Kind::information &&
                       startswith(last.text, "Import wurde ausgef\xFChrt, ");
  const bool failure = last.kind == testsupport::Message::Kind::warning &&
                       startswith(last.text, "Fehler beim Importieren der Datei bei Zeile \n\r");
  if (!success && !failure) {
    std::fprintf(stderr, "unexpected last message: %s\n", platform::cp1252_to_utf8(last.text).c_str());
    std::abort();
  }
  return 0;
}
