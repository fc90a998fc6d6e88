// A power cut in any command leaves the command wholly done or wholly not
// done, and so does a file operation that fails at any step.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "catalogue/export.h"
#include "catalogue/rating.h"
#include "catalogue/rezeptedit_model.h"
#include "catalogue/wiederherstellen.h"
#include "catalogue/zutatenedit_model.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/faults.h"
#include "tests/support/powercut.h"

namespace {

namespace powercut = testsupport::powercut;

// Runs a command while the power-cut model records, then starts a fresh
// catalogue on every disk state a cut may leave. Each must load without a
// warning, with its journal empty and its tables exactly as before the command
// or as after it; once the command has returned, only as after it.
class Powercut : public testsupport::CatalogueFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start());
    loadtables({{"1", testsupport::packed({"Rum", "1", "1"})}, {"2", testsupport::packed({"Cola", "0", "0"})}},
               {{"1", "1", testsupport::packed({"4", "cl"})}, {"1", "2", testsupport::packed({"8", "cl"})}},
               {{"1", testsupport::packed({"Cuba Libre", "0"})}, {"2", testsupport::packed({"Rum pur", "3"})}}, {},
               {{"1", "2"}});  // Cola for Rum, which a merge of the two drops
  }

  void cutthrough(const std::function<void()>& command) {
    const powercut::Disk before = powercut::snapshot(dbfolder());
    powercut::record(dbfolder());
    command();
    powercut::stop();
    const powercut::Disk after = powercut::snapshot(dbfolder());
    ASSERT_NE(tables(after), tables(before));
    std::mt19937 random(17);
    const std::size_t events = powercut::events().size();
    for (std::size_t cut = 0; cut <= events; ++cut) {
      for (const powercut::Disk& disk : powercut::states(before, cut, random)) {
        const powercut::Disk now = startedon(disk);
        const bool done = tables(now) == tables(after);
        EXPECT_TRUE(done || (cut < events && tables(now) == tables(before))) << "cut after " << cut << " of " << events;
        EXPECT_EQ(now.contains("journal") ? now.at("journal") : "", "") << cut;
        if (HasFailure()) return;
      }
    }
  }

  // The command again from the same start, its nth file operation failing,
  // for every n: the tables on the disk as before or after it (unless it keeps
  // a part by its own rule), and in memory as the disk holds them.
  void failthrough(const std::function<void()>& command, bool whole = true) {
    const powercut::Disk before = powercut::snapshot(dbfolder());
    command();
    const powercut::Disk after = powercut::snapshot(dbfolder());
    for (long nth = 1; !HasFailure(); ++nth) {
      powercut::restore(before, dbfolder());
      ASSERT_TRUE(start());
      testsupport::faults::arm(nth, EIO);
      command();
      const bool fired = testsupport::faults::fired();
      testsupport::faults::disarm();
      const powercut::Disk now = powercut::snapshot(dbfolder());
      EXPECT_TRUE(!whole || tables(now) == tables(after) || tables(now) == tables(before)) << nth;
      const std::vector<std::string> memory = cells(*catalogue);
      catalogue->FormCloseQuery();
      catalogue.reset();
      ASSERT_TRUE(start());
      EXPECT_EQ(memory, cells(*catalogue)) << nth;
      if (!fired) break;
    }
  }

  // The rows of the five tables, sorted, as a load may order them otherwise;
  // rows of empty cells (deleted ones stay so until the next load) left out.
  static std::vector<std::string> cells(catalogue::Catalogue& cat) {
    std::vector<std::string> all;
    for (const TdbdynGrid* table : std::array<const TdbdynGrid*, 5>{
             &cat.c_zutaten(), &cat.c_rezeptezutaten(), &cat.c_rezepte(), &cat.c_zubereitungen(), &cat.c_ersatz()}) {
      for (int32_t row = 0; row < table->getrowcount(); ++row) {
        std::string cells = table->name() + "|";
        for (int32_t col = 0; col < table->getcolcount(); ++col) cells += table->getcell(col, row) + "|";
        if (cells.find_first_not_of('|', table->name().size()) != std::string::npos) all.push_back(cells);
      }
    }
    std::sort(all.begin(), all.end());
    return all;
  }

  // The folder after a fresh catalogue started on the disk and closed; every
  // question (a reset cut short asks to overwrite the tables) answered Yes.
  powercut::Disk startedon(const powercut::Disk& disk) {
    testsupport::TempFolder place;
    powercut::restore(disk, place.path() + "db");
    testsupport::FakeSplash quietsplash;
    testsupport::FakeApplication quietapplication;
    messages.clear();
    messages.answers = {true, true, true, true, true};  // the five tables
    catalogue::Catalogue fresh(place.path() + "mixolino", quietsplash, quietapplication);
    fresh.StarttimerTimer();
    EXPECT_EQ(quietapplication.ended, 0);
    EXPECT_EQ(messages.warnings(), std::vector<std::string>{});
    fresh.FormCloseQuery();
    return powercut::snapshot(place.path() + "db");
  }

  // A change after which a backup or an export writes other bytes.
  void addarecipe() { importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n"); }

  // A backup into backupfolder that the database has changed since.
  void olderbackup(testsupport::FakeExportDialogs& dialogs, const std::string& backupfolder) {
    dialogs.folder = backupfolder;
    catalogue::Datenbanksichern1Click(*catalogue, dialogs);
    addarecipe();
  }

  // A command that writes into place, outside the database, over what it
  // wrote there before (it is run once first, then a recipe is added): cut
  // at any moment or failing at any file operation, it leaves what place
  // held before or after it, each whole (what an unfinished run left beside
  // them the next run removes); once it has returned, only after it.
  void outsidethrough(const std::string& place, const std::function<void()>& command) {
    command();
    addarecipe();
    const auto finished = [](const powercut::Disk& disk) {
      powercut::Disk only;
      for (const auto& [path, bytes] : disk)
        if (path.find(".mixolino-neu") == std::string::npos) only[path] = bytes;
      return only;
    };
    const powercut::Disk before = powercut::snapshot(place);
    powercut::record(place);
    command();
    powercut::stop();
    const powercut::Disk after = powercut::snapshot(place);
    ASSERT_NE(finished(after), finished(before));
    syncedaroundrenames(powercut::events());
    std::mt19937 random(17);
    const std::size_t events = powercut::events().size();
    for (std::size_t cut = 0; cut <= events && !HasFailure(); ++cut)
      for (const powercut::Disk& disk : powercut::states(before, cut, random))
        EXPECT_TRUE(finished(disk) == finished(after) || (cut < events && finished(disk) == finished(before)))
            << "cut after " << cut << " of " << events;
    for (long nth = 1; !HasFailure(); ++nth) {
      powercut::restore(before, place);
      testsupport::faults::arm(nth, EIO);
      command();
      const bool fired = testsupport::faults::fired();
      testsupport::faults::disarm();
      const powercut::Disk now = finished(powercut::snapshot(place));
      EXPECT_TRUE(now == finished(after) || now == finished(before)) << "failure at call " << nth;
      if (!fired) break;
    }
  }

  // Before a rename, each file under what it moves is synced since it was
  // last written, and a moved folder since a file was made in it: the model
  // counts a file made at once, the disk does not. After it, the folder of
  // the rename is synced.
  static void syncedaroundrenames(const std::vector<powercut::Event>& log) {
    using Kind = powercut::Event::Kind;
    const auto parent = [](const std::string& path) {
      const std::size_t slash = path.rfind('/');
      return slash == std::string::npos ? std::string() : path.substr(0, slash);
    };
    for (std::size_t r = 0; r < log.size(); ++r) {
      if (log[r].kind != Kind::rename && log[r].kind != Kind::exchange) continue;
      const std::string& from = log[r].file;
      std::map<std::string, bool> synced;
      for (std::size_t i = 0; i < r; ++i) {
        const powercut::Event& event = log[i];
        if (event.file != from && !event.file.starts_with(from + "/")) continue;
        if (event.file != from && !synced.contains(event.file)) synced[parent(event.file)] = false;  // made in it
        if (event.kind == Kind::write || event.kind == Kind::truncate) synced[event.file] = false;
        if (event.kind == Kind::sync || event.kind == Kind::syncfolder) synced[event.file] = true;
      }
      for (const auto& [path, done] : synced) EXPECT_TRUE(done) << path << " not synced before " << from << " moves";
      EXPECT_TRUE(std::any_of(log.begin() + static_cast<std::ptrdiff_t>(r), log.end(),
                              [&](const powercut::Event& event) {
                                return event.kind == Kind::syncfolder && event.file == parent(log[r].to);
                              }))
          << "the folder of " << log[r].to << " not synced after the rename";
    }
  }

  static powercut::Disk tables(const powercut::Disk& disk) {
    powercut::Disk only;
    for (const auto& [name, bytes] : disk)
      if (name.ends_with(".db")) only[name] = bytes;
    return only;
  }
};

TEST_F(Powercut, ARating) {
  testsupport::FakeRating stars;
  stars.answer = 5;
  cutthrough([&] { ASSERT_TRUE(catalogue::Wertungndern1Click(*catalogue, "1", stars)); });
}

// A commit whose undo fails as well leaves its journal for the next start,
// and no later command of the run may overwrite it.
TEST_F(Powercut, AFailedUndoBlocksWritingUntilTheNextStartUndoesIt) {
  const powercut::Disk before = powercut::snapshot(dbfolder());
  const std::vector<std::string> beforecells = cells(*catalogue);
  const std::string journal = dbfolder() + "journal";
  testsupport::FakeRating stars;
  stars.answer = 5;
  const std::string once(
      "Die Änderung konnte nicht rückgängig gemacht werden. Das geschieht beim nächsten Start von Mixolino; bis dahin "
      "ist die Datenbank nur zum Lesen geöffnet."_cp);
  // Every file operation from the nth on fails: the first n that leaves the
  // journal synced before the tables change.
  bool blocked = false;
  for (long nth = 1; nth < 50 && !blocked; ++nth) {
    powercut::restore(before, dbfolder());
    ASSERT_TRUE(start());
    messages.clear();
    testsupport::faults::armfrom(nth, EIO);
    (void)catalogue::Wertungndern1Click(*catalogue, "1", stars);
    testsupport::faults::disarm();
    const std::vector<std::string> warnings = messages.warnings();
    blocked = std::count(warnings.begin(), warnings.end(), once) == 1;
  }
  ASSERT_TRUE(blocked);
  const std::string pending = testsupport::readfile(journal);
  EXPECT_NE(pending, "");
  messages.clear();
  EXPECT_FALSE(catalogue::Wertungndern1Click(*catalogue, "2", stars));
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{std::string(
                                     "Die Datenbank ist nur zum Lesen geöffnet, weil eine unvollendete Änderung erst "
                                     "beim nächsten Start von Mixolino rückgängig gemacht werden kann. Es wurde nichts "
                                     "geändert."_cp)});
  EXPECT_EQ(testsupport::readfile(journal), pending);
  // A second copy cannot write while this one holds the tables: it shows them as before the command.
  messages.clear();
  catalogue::Catalogue other(programfile(), splash, application);
  other.StarttimerTimer();
  EXPECT_EQ(messages.warnings(),
            std::vector<std::string>{std::string(
                "Ein Befehl ist nicht zu Ende geführt worden. Mixolino zeigt die Datenbank, wie sie vor ihm war; "
                "rückgängig gemacht wird er erst bei einem Start von Mixolino mit Schreibzugriff. Bis dahin ist die "
                "Datenbank nur zum Lesen geöffnet."_cp)});
  EXPECT_EQ(cells(other), beforecells);
  other.FormCloseQuery();
  EXPECT_EQ(testsupport::readfile(journal), pending);
  catalogue->FormCloseQuery();
  catalogue.reset();
  ASSERT_TRUE(start());
  EXPECT_EQ(tables(powercut::snapshot(dbfolder())), tables(before));
  EXPECT_EQ(testsupport::readfile(journal), "");
}

TEST_F(Powercut, AMovingUpdate) {
  cutthrough([&] {
    std::vector<std::string> values = {"2", testsupport::packed({"Cola mit einem viel laengeren Namen", "0", "0"})};
    ASSERT_TRUE(catalogue->c_zutaten().updaterow(1, values));
    ASSERT_TRUE(catalogue->flush());
  });
}

// Merges Cola into Rum: the recipe line moves, and Cola goes.
void merge(catalogue::Catalogue& catalogue, testsupport::FakeMessages& messages) {
  catalogue::ZutateneditModel model(catalogue);
  testsupport::RecordingProgress progress;
  model.fuellen(progress);
  const auto rowofkey = [&](const std::string& key) {
    for (int32_t row = 0; row < model.rowcount(); ++row)
      if (model.cell(6, row) == key) return row;
    return -1;
  };
  model.select(rowofkey("2"), 1);
  model.zutataufloesenClick();
  model.select(rowofkey("1"), 1);
  messages.answers = {true};
  model.zutatengridDblClick();
  model.b_okClick();
}

// Flags and substitutes, in the one commit of the rows: Rum for Cola in
// place of Cola for Rum, and Cola available.
void savewithsubstitutes(catalogue::Catalogue& catalogue) {
  catalogue::ZutateneditModel model(catalogue);
  testsupport::RecordingProgress progress;
  model.fuellen(progress);
  model.ersatzentfernen(0, 0);
  ASSERT_TRUE(model.ersatzhinzufuegen(1, "Rum"));
  model.select(1, 3);
  model.zutatengridDblClick();
  ASSERT_TRUE(model.b_okClick());
}

TEST_F(Powercut, AMerge) {
  cutthrough([&] { merge(*catalogue, messages); });
}

TEST_F(Powercut, AnEditorSaveWithSubstitutes) {
  cutthrough([&] { savewithsubstitutes(*catalogue); });
}

TEST_F(Powercut, EveryFailingFileOperationOfAnEditorSaveWithSubstitutes) {
  failthrough([&] { savewithsubstitutes(*catalogue); });
}

TEST_F(Powercut, EveryFailingFileOperationOfAMergeOrAnImport) {
  failthrough([&] { merge(*catalogue, messages); });
  failthrough([&] { importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n2 cl Zitrone\r\n"); });
  // A failed preparation row leaves the recipe without it.
  failthrough([&] { importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\nZubereitung: kalt\r\n"); }, false);
}

TEST_F(Powercut, AnImportOfAFewRecipes) {
  cutthrough(
      [&] { importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n2 cl Zitrone\r\n\r\nMojito\r\nZutaten:\r\nMinze\r\n"); });
}

// A change with a new ingredient and a preparation, then a delete.
TEST_F(Powercut, ASavedAndADeletedRecipe) {
  const auto save = [this] {
    catalogue::RezepteditModel model(*catalogue);
    if (!model.oeffnen("1")) return;
    model.entwurf().zeilen = {{"5", "cl", "Rum"}, {"", "", "Limette"}};
    model.entwurf().zubereitung = "Auf Eis";
    (void)model.speichern();
  };
  const auto erase = [this] {
    messages.answers = {true};
    catalogue::rezeptloeschen(*catalogue, "2");
  };
  cutthrough(save);
  cutthrough(erase);
  failthrough(save);
  failthrough(erase);
}

TEST_F(Powercut, ARestore) {
  testsupport::TempFolder place;
  testsupport::FakeExportDialogs dialogs;
  olderbackup(dialogs, place.path() + "sicherung/");
  const auto restore = [&] {
    messages.answers = {true};
    application.armed = 0;
    (void)catalogue::Datenbankwiederherstellen1Click(*catalogue, dialogs);
    if (application.armed > 0) {
      EXPECT_TRUE(start());  // the start-up timer fires
    }
  };
  cutthrough(restore);
  failthrough(restore);
}

// A backup over an older one: after any cut the folder holds the old backup
// or the new one, each whole; the database's own folder stays untouched.
TEST_F(Powercut, ABackupOverAnOlderOne) {
  testsupport::TempFolder place;
  testsupport::FakeExportDialogs dialogs;
  olderbackup(dialogs, place.path() + "sicherung/");
  const auto backup = [](const powercut::Disk& disk) {
    powercut::Disk only;
    for (const auto& [path, bytes] : disk)
      if (path.starts_with("sicherung/")) only[path] = bytes;
    return only;
  };
  const powercut::Disk db = powercut::snapshot(dbfolder()), before = powercut::snapshot(place.path());
  powercut::record(place.path());
  catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  powercut::stop();
  EXPECT_EQ(powercut::snapshot(dbfolder()), db);
  const powercut::Disk old = backup(before), neu = backup(powercut::snapshot(place.path()));
  ASSERT_NE(old, neu);
  std::mt19937 random(17);
  std::set<bool> found;  // whether old and new both occur
  const std::size_t events = powercut::events().size();
  for (std::size_t cut = 0; cut <= events && !HasFailure(); ++cut)
    for (const powercut::Disk& disk : powercut::states(before, cut, random)) {
      EXPECT_TRUE(backup(disk) == neu || (cut < events && backup(disk) == old)) << "cut after " << cut;
      found.insert(backup(disk) == neu);
    }
  EXPECT_EQ(found.size(), 2u);
}

TEST_F(Powercut, AnExportOverAnOlderOne) {
  testsupport::TempFolder place;
  testsupport::FakeExportDialogs dialogs;
  dialogs.file = place.path() + "rezepte.txt";
  outsidethrough(place.path(), [&] { catalogue::Rezepteexportieren1Click(*catalogue, dialogs); });
}

TEST_F(Powercut, EveryFailingFileOperationOfABackupOverAnOlderOne) {
  testsupport::TempFolder place;
  testsupport::FakeExportDialogs dialogs;
  dialogs.folder = place.path() + "sicherung/";
  outsidethrough(place.path(), [&] { catalogue::Datenbanksichern1Click(*catalogue, dialogs); });
}

// A backup reads the whole database before it writes anything: its last
// read failing leaves nothing written.
TEST_F(Powercut, ABackupReadsEverythingBeforeItWritesAnything) {
  testsupport::TempFolder place;
  testsupport::FakeExportDialogs dialogs;
  dialogs.folder = place.path() + "sicherung/";
  testsupport::faults::arm(1000000, EIO, testsupport::faults::Call::read);
  catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  const long reads = testsupport::faults::calls();
  ASSERT_GT(reads, 1);
  ASSERT_TRUE(platform::removefolder(*dialogs.folder));
  messages.clear();
  powercut::record(place.path());
  testsupport::faults::arm(reads, EIO, testsupport::faults::Call::read);
  catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  EXPECT_TRUE(testsupport::faults::fired());
  testsupport::faults::disarm();
  powercut::stop();
  EXPECT_EQ(powercut::events().size(), 0u);
  EXPECT_EQ(messages.warnings().size(), 1u);
}

TEST_F(Powercut, AReset) {
  cutthrough([&] {
    messages.answers = {true, true, true, true, true, true};  // "Sind Sie sicher?" and five overwrites
    catalogue->DBreset1Click();
    ASSERT_TRUE(start());
  });
}

}  // namespace
