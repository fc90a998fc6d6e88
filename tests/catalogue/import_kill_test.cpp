// An import killed at a random moment must leave table files that load with
// at most a corrected record count, every complete record intact, and no
// half record read as a record.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>

#include "platform/codepage.h"
#include "platform/text.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/recipe_generator.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Link {
  std::string name, quantity, unit;
  bool operator==(const Link&) const = default;
};

// The tables of a started catalogue, checked against the file that was
// being imported; returns how many recipes were found.
int checkcatalogue(catalogue::Catalogue& cat, const testsupport::GeneratedFile& file) {
  const TdbdynGrid& rezepte = cat.c_rezepte();
  const TdbdynGrid& zutaten = cat.c_zutaten();
  const TdbdynGrid& verweise = cat.c_rezeptezutaten();
  const auto sub = [](const std::string& cell, int n) { return TdbdynGrid::getsubfield(cell, n); };

  // Recipes: ids 1, 2, ... in file order, each with its name and rating 0.
  int recipes = 0;
  for (int32_t row = 0; row < rezepte.getrowcount(); ++row) {
    if (rezepte.DBfields(row).empty()) {
      EXPECT_EQ(rezepte.getrowcount(), 1) << "only an empty table has a placeholder row";
      break;
    }
    EXPECT_EQ(rezepte.getcell(0, row), std::to_string(row + 1));
    EXPECT_EQ(sub(rezepte.getcell(1, row), 1), file.recipes[static_cast<std::size_t>(row)].name);
    EXPECT_EQ(sub(rezepte.getcell(1, row), 2), "0");
    ++recipes;
  }

  // Ingredients: ids 1, 2, ..., names unique.
  std::map<std::string, std::string> names;  // id -> name
  for (int32_t row = 0; row < zutaten.getrowcount(); ++row) {
    if (zutaten.DBfields(row).empty()) break;
    const std::string id = zutaten.getcell(0, row);
    EXPECT_EQ(id, std::to_string(row + 1));
    names[id] = sub(zutaten.getcell(1, row), 1);
    EXPECT_EQ(sub(zutaten.getcell(1, row), 2) + sub(zutaten.getcell(1, row), 3), "00");
  }
  EXPECT_EQ(static_cast<int32_t>(names.size()), zutaten.DBfields(0).empty() ? 0 : zutaten.getrowcount());

  // Links: a prefix of the file's ingredient lines, holding every line of each
  // recipe but the last one found, every ingredient id loaded.
  std::vector<std::pair<int, Link>> expected;
  for (std::size_t r = 0; r < file.recipes.size(); ++r)
    for (const auto& line : file.recipes[r].lines)
      expected.push_back({static_cast<int>(r + 1), {line.name, line.quantity, line.unit}});
  int32_t links = 0;
  for (int32_t row = 0; row < verweise.getrowcount(); ++row) {
    if (verweise.DBfields(row).empty()) break;
    const auto& [recipe, link] = expected[static_cast<std::size_t>(row)];
    EXPECT_EQ(verweise.getcell(0, row), std::to_string(recipe));
    const auto ingredient = names.find(verweise.getcell(1, row));
    EXPECT_NE(ingredient, names.end()) << "link to an ingredient that was not loaded";
    const Link found{ingredient == names.end() ? "" : ingredient->second, sub(verweise.getcell(2, row), 1),
                     sub(verweise.getcell(2, row), 2)};
    EXPECT_EQ(found, link) << "link row " << row;
    ++links;
  }
  if (recipes > 0) {
    std::size_t complete = 0;
    while (complete < expected.size() && expected[complete].first < recipes) ++complete;
    EXPECT_GE(static_cast<std::size_t>(links), complete) << "lines of a completed recipe are missing";
    EXPECT_LE(static_cast<std::size_t>(links), complete + file.recipes[static_cast<std::size_t>(recipes - 1)].lines.size());
  } else {
    EXPECT_EQ(links, 0);
  }
  return recipes;
}

class ImportKill : public testsupport::CatalogueFixture {
 protected:
  // Starts a catalogue in a child process and imports the file there; the
  // child ends when the import has ended.
  pid_t spawnimport(const std::string& importpath) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    testsupport::FakeMessages quiet;
    testsupport::FakeClock fast;
    testsupport::FakeSplash childsplash;
    testsupport::FakeApplication childapplication;
    testsupport::FakeImportFile childfile;
    childfile.path = importpath;
    catalogue::Catalogue cat(programfile(), childsplash, childapplication);
    cat.StarttimerTimer();
    catalogue::Importieren1Click(cat, childfile);
    ::_exit(quiet.informations().size() == 1 ? 0 : 1);
  }

  // Loads the files afresh; only record count warnings are allowed.
  void loadandcheck(const testsupport::GeneratedFile& file, int& recipes) {
    messages.clear();
    catalogue.reset();
    ASSERT_TRUE(start());
    for (const std::string& warning : messages.warnings()) {
      EXPECT_EQ(warning.rfind("Warnung beim Laden von ", 0), 0u) << warning;
      EXPECT_NE(warning.find("Datenanzahl stimmt nicht!"), std::string::npos) << warning;
      EXPECT_TRUE(warning.ends_with("Fehler wurde korrigiert!")) << warning;
    }
    recipes = checkcatalogue(*catalogue, file);
  }
};

TEST_F(ImportKill, KilledImportLeavesConsistentFiles) {
  const testsupport::GeneratedFile file = testsupport::generaterecipes(300, 120, 7);
  const std::string importpath = folder.path() + "rezepte.txt";
  testsupport::writefile(importpath, file.text);
  ASSERT_TRUE(start());
  catalogue->FormCloseQuery();
  catalogue.reset();

  // One undisturbed run tells how long an import takes here.
  const auto before = Clock::now();
  const pid_t whole = spawnimport(importpath);
  int status = 0;
  ASSERT_EQ(::waitpid(whole, &status, 0), whole);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - before).count();
  int recipes = 0;
  loadandcheck(file, recipes);
  ASSERT_EQ(recipes, 300);
  EXPECT_TRUE(messages.warnings().empty());

  std::mt19937 random(20261207);
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  int killed = 0;
  for (int round = 0; round < 60 && Clock::now() < deadline; ++round) {
    ASSERT_TRUE(platform::deletefile(dbfolder() + "status.txt"));
    messages.answers = {true, true, true};
    catalogue.reset();
    ASSERT_TRUE(start());  // empty tables again
    catalogue.reset();

    const pid_t child = spawnimport(importpath);
    const long delay = std::uniform_int_distribution<long>(0, duration * 11 / 10)(random);
    const timespec pause{0, delay * 1000};
    ::nanosleep(&pause, nullptr);
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFSIGNALED(status)) ++killed;

    SCOPED_TRACE("round " + std::to_string(round) + ", killed after " + std::to_string(delay) + " us");
    loadandcheck(file, recipes);
    if (HasFailure()) return;
    // The count was corrected: the next load is silent, and the files take more rows.
    importtext(std::string("Nachzügler\r\nZutaten:\r\n1 cl Rum 1\r\n"_cp));
    EXPECT_EQ(messages.informations().size(), 1u);
    catalogue.reset();
    messages.clear();
    ASSERT_TRUE(start());
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(TdbdynGrid::getsubfield(catalogue->c_rezepte().getcell(1, catalogue->c_rezepte().getrowcount() - 1), 1),
              std::string("Nachzügler"_cp));
    EXPECT_EQ(catalogue->c_rezepte().getrowcount(), recipes + 1);
  }
  EXPECT_GT(killed, 5);
}

}  // namespace
