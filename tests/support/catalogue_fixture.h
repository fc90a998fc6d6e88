// A fixture for catalogue tests that starts a catalogue headless and
// instantly in a temporary program folder.
//
//   class SearchTest : public testsupport::CatalogueFixture {};
//   TEST_F(SearchTest, ...) { start(); importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n"); ... }
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/import.h"
#include "tests/support/fake_messages.h"
#include "tests/support/fake_ports.h"
#include "tests/support/recording_progress.h"
#include "tests/support/tablebuilder.h"

namespace testsupport {

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

  // Writes the rows as the table files of a started catalogue and loads them.
  void loadtables(const Rows& zutaten, const Rows& links, const Rows& rezepte, const Rows& zubereitungen = {},
                  const Rows& ersatz = {}) {
    ASSERT_TRUE(loadtable(catalogue->c_zutaten(), dbfolder(), 2, zutaten));
    ASSERT_TRUE(loadtable(catalogue->c_rezeptezutaten(), dbfolder(), 3, links));
    ASSERT_TRUE(loadtable(catalogue->c_rezepte(), dbfolder(), 2, rezepte));
    ASSERT_TRUE(loadtable(catalogue->c_zubereitungen(), dbfolder(), 2, zubereitungen));
    ASSERT_TRUE(loadtable(catalogue->c_ersatz(), dbfolder(), 2, ersatz));
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
