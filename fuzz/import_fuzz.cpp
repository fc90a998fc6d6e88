// Any bytes as an import file must end in the success box or in the import's
// error box: never a crash, a hang or silence.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"

namespace {

// One catalogue for the whole run, emptied now and then so the tables stay small.
struct Environment {
  Environment() {
    file.path = folder.path() + "import.txt";
    catalogue = std::make_unique<catalogue::Catalogue>(folder.path() + "mixolino", splash, application);
    start();
  }

  void emptycatalogue() {
    std::filesystem::remove(catalogue->statusfile());
    messages.answers = {true, true, true};
    start();
  }

  // The start-up must succeed here.
  void start() {
    catalogue->StarttimerTimer();
    if (application.ended != 0) std::abort();
  }

  testsupport::TempFolder folder;
  testsupport::FakeMessages messages;
  testsupport::FakeClock clock;
  testsupport::FakeSplash splash;
  testsupport::FakeApplication application;
  testsupport::FakeImportFile file;
  std::unique_ptr<catalogue::Catalogue> catalogue;
  long runs = 0;
};

bool startswith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Environment environment;
  if (++environment.runs % 200 == 0) environment.emptycatalogue();
  testsupport::writefile(*environment.file.path, std::string(reinterpret_cast<const char*>(data), size));
  environment.messages.clear();
  catalogue::Importieren1Click(*environment.catalogue, environment.file);

  const auto& log = environment.messages.log;
  if (log.empty()) std::abort();
  const testsupport::Message& last = log.back();
  const bool success =
      last.kind == testsupport::Message::Kind::information && startswith(last.text, "Import wurde ausgef\xFChrt, ");
  const bool failure = last.kind == testsupport::Message::Kind::warning &&
                       startswith(last.text, "Fehler beim Importieren der Datei bei Zeile \n\r");
  if (!success && !failure) {
    std::fprintf(stderr, "unexpected last message: %s\n", platform::cp1252toutf8(last.text).c_str());
    std::abort();
  }
  return 0;
}
