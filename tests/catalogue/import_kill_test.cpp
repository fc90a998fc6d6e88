// An import or an ingredient editor save killed at a random moment must leave
// table files that load with at most a corrected record count: every complete
// record intact, no half record read as a record, and no row of the save lost
// or doubled.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <set>

#include "catalogue/ersatz.h"
#include "catalogue/zutatenedit_model.h"
#include "platform/codepage.h"
#include "platform/text.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/recipe_generator.h"
#include "tests/support/tableprobe.h"

using testsupport::probe;

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
    if (probe(rezepte).DBfields(row).empty()) {
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
    if (probe(zutaten).DBfields(row).empty()) break;
    const std::string id = zutaten.getcell(0, row);
    EXPECT_EQ(id, std::to_string(row + 1));
    names[id] = sub(zutaten.getcell(1, row), 1);
    EXPECT_EQ(sub(zutaten.getcell(1, row), 2) + sub(zutaten.getcell(1, row), 3), "00");
  }
  EXPECT_EQ(static_cast<int32_t>(names.size()), probe(zutaten).DBfields(0).empty() ? 0 : zutaten.getrowcount());

  // Links: a prefix of the file's ingredient lines, holding every line of each
  // recipe but the last one found, every ingredient id loaded.
  std::vector<std::pair<int, Link>> expected;
  for (std::size_t r = 0; r < file.recipes.size(); ++r)
    for (const auto& line : file.recipes[r].lines)
      expected.push_back({static_cast<int>(r + 1), {line.name, line.quantity, line.unit}});
  int32_t links = 0;
  for (int32_t row = 0; row < verweise.getrowcount(); ++row) {
    if (probe(verweise).DBfields(row).empty()) break;
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
    EXPECT_LE(static_cast<std::size_t>(links),
              complete + file.recipes[static_cast<std::size_t>(recipes - 1)].lines.size());
  } else {
    EXPECT_EQ(links, 0);
  }

  // Preparations: one for each recipe found, but perhaps the last, in order.
  const TdbdynGrid& zubereitungen = cat.c_zubereitungen();
  int32_t preparations = 0;
  for (int32_t row = 0; row < zubereitungen.getrowcount() && !probe(zubereitungen).DBfields(row).empty(); ++row) {
    EXPECT_EQ(zubereitungen.getcell(0, row), std::to_string(row + 1));
    EXPECT_EQ(zubereitungen.getcell(1, row), file.recipes[static_cast<std::size_t>(row)].zubereitung);
    ++preparations;
  }
  EXPECT_GE(preparations, recipes - 1);
  EXPECT_LE(preparations, recipes);
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
    messages.answers = {true, true, true, true, true};
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

// What an editor save may change: each ingredient's packed cell by id, and
// each recipe line with its ingredient id taken through the merges.
struct Saved {
  std::map<std::string, std::string> zutaten;
  std::multiset<std::string> lines;
  std::size_t ersatz = 0;
};

Saved saved(const catalogue::Catalogue& cat, const std::map<std::string, std::string>& merges) {
  Saved out;
  for (int32_t row = 0; row < cat.c_zutaten().getrowcount(); ++row) {
    if (probe(cat.c_zutaten()).DBfields(row).empty()) continue;
    EXPECT_TRUE(out.zutaten.emplace(cat.c_zutaten().getcell(0, row), cat.c_zutaten().getcell(1, row)).second)
        << "ingredient " << cat.c_zutaten().getcell(0, row) << " twice";
  }
  out.ersatz = catalogue::leseersatz(cat.ersatz()).size();
  const TdbdynGrid& links = cat.c_rezeptezutaten();
  for (int32_t row = 0; row < links.getrowcount(); ++row) {
    const auto merged = merges.find(links.getcell(1, row));
    const std::string zutat = merged == merges.end() ? links.getcell(1, row) : merged->second;
    if (!probe(links).DBfields(row).empty())
      out.lines.insert(links.getcell(0, row) + "|" + zutat + "|" + links.getcell(2, row));
  }
  return out;
}

long microseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

// The kernel sends SIGKILL to this process after us microseconds: no wait
// for another process to be scheduled comes between.
void killmeafter(long us) {
  sigevent event{};
  event.sigev_notify = SIGEV_SIGNAL;
  event.sigev_signo = SIGKILL;
  timer_t timer{};
  const itimerspec when{{0, 0}, {us / 1000000, us % 1000000 * 1000 + 1}};
  if (::timer_create(CLOCK_MONOTONIC, &event, &timer) != 0 || ::timer_settime(timer, 0, &when, nullptr) != 0)
    ::_exit(2);
}

// Renames every ingredient but the ten merged into ten others (longer and
// shorter names), marks every second one available, and saves. The save is killed after
// killafter microseconds unless that is negative; the time it took goes to
// the pipe.
void editandsave(catalogue::Catalogue& cat, testsupport::FakeMessages& quiet, long killafter, int pipe,
                 const std::map<std::string, std::string>& merges) {
  testsupport::RecordingProgress progress;
  catalogue::ZutateneditModel model(cat);
  model.fuellen(progress);
  const auto rowofkey = [&](const std::string& key) {
    for (int32_t row = 0; row < model.rowcount(); ++row)
      if (model.cell(6, row) == key) return row;
    return -1;
  };
  // Every seventh kept ingredient gets the next one as a substitute.
  for (int32_t row = 0; row + 1 < model.rowcount(); row += 7)
    if (!merges.contains(model.cell(6, row)) && !merges.contains(model.cell(6, row + 1)))
      model.ersatzhinzufuegen(row, model.cell(0, row + 1));
  for (int32_t row = 0; row < model.rowcount(); ++row) {
    if (merges.contains(model.cell(6, row))) continue;  // kept as it is until it is deleted
    const std::string name = model.cell(0, row);
    const bool even = row % 2 == 0;
    quiet.inputs.push_back({true, even ? name + " neu" : name.substr(0, name.size() - 1)});
    model.select(row, 0);
    model.Zutatumbenennen1Click();
    model.select(row, even ? 3 : 0);
    model.zutatengridDblClick();
  }
  for (const auto& [from, to] : merges) {
    model.select(rowofkey(from), 0);
    model.zutataufloesenClick();
    quiet.answers.push_back(true);
    model.select(rowofkey(to), 0);
    model.zutatengridDblClick();
  }
  if (killafter >= 0) killmeafter(killafter);
  const long start = microseconds();
  model.b_okClick();
  const long took = microseconds() - start;
  (void)!::write(pipe, &took, sizeof took);
}

TEST_F(ImportKill, KilledEditorSaveLosesNoRow) {
  const testsupport::GeneratedFile file = testsupport::generaterecipes(2000, 600, 11);
  ASSERT_TRUE(start());
  importtext(file.text);
  std::map<std::string, std::string> merges;
  for (int k = 1; k <= 10; ++k) merges[std::to_string(100 + k)] = std::to_string(150 + k);
  const Saved before = saved(*catalogue, merges);
  catalogue->FormCloseQuery();
  catalogue.reset();
  std::map<std::string, std::string> files;
  for (const char* name : {"c_zutaten.db", "c_rezeptezutaten.db", "c_rezepte.db", "c_ersatz.db"})
    files[name] = testsupport::readfile(dbfolder() + name);

  // Runs the save in a child; the time it took, or -1 when it was killed.
  const auto spawnsave = [&](long killafter, int& status) {
    for (const auto& [name, bytes] : files) testsupport::writefile(dbfolder() + name, bytes);
    int pipe[2];
    if (::pipe(pipe) != 0) ADD_FAILURE() << "pipe";
    const pid_t child = ::fork();
    if (child == 0) {
      testsupport::FakeMessages quiet;
      catalogue::Catalogue cat(programfile(), splash, application);
      cat.StarttimerTimer();
      editandsave(cat, quiet, killafter, pipe[1], merges);
      ::_exit(0);
    }
    ::close(pipe[1]);
    long took = -1;
    if (::read(pipe[0], &took, sizeof took) != sizeof took) took = -1;
    ::close(pipe[0]);
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    return took;
  };
  // The files as the next start loads them; closed again, so that the next child can write them.
  const auto load = [&] {
    messages.clear();
    catalogue.reset();
    EXPECT_TRUE(start());
    for (const std::string& warning : messages.warnings())
      EXPECT_TRUE(warning.find("Datenanzahl stimmt nicht!") != std::string::npos &&
                  warning.ends_with("Fehler wurde korrigiert!"))
          << warning;
    const Saved found = saved(*catalogue, merges);
    catalogue->FormCloseQuery();
    return found;
  };

  int status = 0;
  const long duration = spawnsave(-1, status);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_GT(duration, 0);
  const Saved after = load();
  ASSERT_EQ(after.lines, before.lines);
  ASSERT_EQ(after.zutaten.size() + merges.size(), before.zutaten.size());
  ASSERT_GT(after.ersatz, 50u);

  // A save that ends before its kill makes the later moments earlier.
  std::mt19937 random(20261208);
  long latest = duration;
  int killed = 0;
  for (int round = 0; round < 120 && killed < 30; ++round) {
    const long delay = std::uniform_int_distribution<long>(0, latest)(random);
    spawnsave(delay, status);
    const bool kill = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    killed += kill;
    if (!kill) latest = std::max(latest * 3 / 4, 100L);
    SCOPED_TRACE("round " + std::to_string(round) + ", killed after " + std::to_string(delay) + " us");
    const Saved now = load();
    EXPECT_EQ(now.lines, before.lines);
    // The substitutes are saved with the rows, or neither is.
    EXPECT_EQ(now.ersatz, now.zutaten.at("1") == after.zutaten.at("1") ? after.ersatz : before.ersatz);
    for (const auto& [id, cell] : before.zutaten) {
      const auto found = now.zutaten.find(id);
      const auto done = after.zutaten.find(id);
      if (found == now.zutaten.end()) {
        EXPECT_TRUE(done == after.zutaten.end()) << "ingredient " << id << " lost";
      } else {
        EXPECT_TRUE(found->second == cell || (done != after.zutaten.end() && found->second == done->second)) << id;
      }
    }
    EXPECT_LE(now.zutaten.size(), before.zutaten.size());
    if (HasFailure()) return;
  }
  EXPECT_EQ(killed, 30);
}

}  // namespace
