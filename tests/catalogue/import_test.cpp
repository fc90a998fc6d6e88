#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <limits>
#include <map>
#include <random>
#include <set>

#include "catalogue/ersatzdatei.h"
#include "catalogue/export.h"
#include "catalogue/rezeptformat.h"
#include "catalogue/wiederherstellen.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/folderlock.h"
#include "platform/text.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/faults.h"
#include "tests/support/powercut.h"
#include "tests/support/recipe_generator.h"
#include "tests/support/tableprobe.h"

namespace {

using testsupport::readfile;
using Rows = std::vector<std::vector<std::string>>;

// A packed cell of five subfields.
std::string packed(const std::string& a, const std::string& b, const std::string& c = "") {
  return a + "\xBF" + b + "\xBF" + c + "\xBF\xBF\xBF";
}

Rows rows(const TdbdynGrid& table) {
  Rows out;
  for (int32_t r = 0; r < table.getrowcount(); ++r) {
    std::vector<std::string> row;
    for (int32_t c = 0; c < table.getcolcount(); ++c) row.push_back(table.getcell(c, r));
    out.push_back(row);
  }
  return out;
}

std::string errorbox(const std::string& line, const std::string& error) {
  return "Fehler beim Importieren der Datei bei Zeile \n\r" + line + "\n\r" + error;
}

std::string successbox(int count) {
  return std::string("Import wurde ausgeführt, "_cp) + std::to_string(count) + std::string(" Einträge verarbeitet!"_cp);
}

// A record line of a table file as the writer appends it.
std::string record(int pos, const std::vector<std::string>& values) {
  std::string bytes = "\r\n\xBF" + platform::zeropadded(pos, 10) +
                      "\xBF"
                      "0\xA1";
  for (const std::string& v : values) bytes += v + "\xA1";
  return bytes;
}

std::string header(int count, int columns) {
  return "#DB\xA1" + platform::zeropadded(count, 10) +
         "\xA1"
         "A\xA1" +
         std::to_string(columns) + "\xA1";
}

class Import : public testsupport::CatalogueFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(start()); }

  // The import's final box: its text, or "" when none was shown.
  std::string lastbox() const {
    for (auto it = messages.log.rbegin(); it != messages.log.rend(); ++it)
      if (it->kind == testsupport::Message::Kind::warning || it->kind == testsupport::Message::Kind::information)
        return it->text;
    return "";
  }
  Rows recipes() const { return rows(catalogue->c_rezepte()); }
  Rows ingredients() const { return rows(catalogue->c_zutaten()); }
  Rows links() const { return rows(catalogue->c_rezeptezutaten()); }
  Rows preparations() const { return rows(catalogue->c_zubereitungen()); }
  std::vector<std::string> recipenames() const {
    std::vector<std::string> names;
    for (const auto& r : recipes()) names.push_back(TdbdynGrid::getsubfield(r[1], 1));
    return names;
  }
  std::vector<std::string> ingredientnames() const {
    std::vector<std::string> names;
    for (const auto& r : ingredients()) names.push_back(TdbdynGrid::getsubfield(r[1], 1));
    return names;
  }
};

const char* const example =
    "Sommerdrink\r\nZutaten:\r\n4 cl Rum\r\n2 cl Zitronensaft\r\nEis\r\nZubereitung: auf Eis servieren\r\n\r\n";

TEST_F(Import, ExampleFillsAllThreeTablesAndTheirFiles) {
  importtext(example);
  EXPECT_EQ(messages.log.size(), 1u);
  EXPECT_EQ(messages.informations(), std::vector<std::string>{successbox(1)});

  const Rows expectedrecipes = {{"1", packed("Sommerdrink", "0")}};
  const Rows expectedingredients = {
      {"1", packed("Rum", "0", "0")}, {"2", packed("Zitronensaft", "0", "0")}, {"3", packed("Eis", "0", "0")}};
  const Rows expectedlinks = {
      {"1", "1", packed("4", "cl")}, {"1", "2", packed("2", "cl")}, {"1", "3", packed("0", "-")}};
  EXPECT_EQ(recipes(), expectedrecipes);
  EXPECT_EQ(ingredients(), expectedingredients);
  EXPECT_EQ(links(), expectedlinks);

  EXPECT_EQ(readfile(dbfolder() + "c_rezepte.db"), header(1, 2) + record(1, expectedrecipes[0]));
  std::string zutaten = header(3, 2);
  for (int i = 0; i < 3; ++i) zutaten += record(i + 1, expectedingredients[i]);
  EXPECT_EQ(readfile(dbfolder() + "c_zutaten.db"), zutaten);
  std::string verweise = header(3, 3);
  for (int i = 0; i < 3; ++i) verweise += record(i + 1, expectedlinks[i]);
  EXPECT_EQ(readfile(dbfolder() + "c_rezeptezutaten.db"), verweise);
  EXPECT_EQ(readfile(dbfolder() + "c_zubereitungen.db"), header(1, 2) + record(1, {"1", "auf Eis servieren"}));

  // The next start reads the same rows back.
  catalogue.reset();
  messages.clear();
  ASSERT_TRUE(start());
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(recipes(), expectedrecipes);
  EXPECT_EQ(ingredients(), expectedingredients);
  EXPECT_EQ(links(), expectedlinks);
  EXPECT_EQ(preparations(), (Rows{{"1", "auf Eis servieren"}}));
}

TEST_F(Import, CancelledFileDialogDoesNothing) {
  importfile.path.reset();
  catalogue::Importieren1Click(*catalogue, importfile);
  EXPECT_EQ(importfile.asked, 1);
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(recipes(), (Rows{{"", ""}}));
}

TEST_F(Import, FileThatCannotBeOpenedShowsTheErrorWithAnEmptyLine) {
  importfile.path = folder.path() + "nirgends.txt";
  catalogue::Importieren1Click(*catalogue, importfile);
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{errorbox("", "Datei nicht gefunden")});
  EXPECT_TRUE(messages.informations().empty());
  // Only regular files are read: a FIFO would wait for a writer, /dev/zero never end.
  const std::string fifo = folder.path() + "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    messages.clear();
    importfile.path = path;
    catalogue::Importieren1Click(*catalogue, importfile);
    EXPECT_EQ(messages.warnings(), std::vector<std::string>{errorbox("", "Dateizugriff verweigert")});
  }
}

TEST_F(Import, EmptyAndBlankFilesImportNothingSuccessfully) {
  for (const char* text : {"", "\r\n", "   \r\n\t\r\n\r\n"}) {
    messages.clear();
    importtext(text);
    EXPECT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(lastbox(), successbox(0)) << text;
  }
  EXPECT_EQ(catalogue->c_rezepte().getcell(0, 0), "");
}

TEST_F(Import, BlockStructureFollowsBlankLinesAndMarkers) {
  importtext(
      "\r\n\r\n  Erster  \r\n"            // leading blank lines are skipped; the name is trimmed
      "zutaten:\r\n"                      // marker in lower case
      "4 cl   Rum\r\n"                    // blanks between unit and name are harmless
      "zubereitung :  Mit \xBF Eis \r\n"  // a preparation, cleaned as names are
      "\r\n"                              // a blank line ends the list
      "Zweiter\r\nZUTATEN:\r\n"
      "Zutaten:\r\n"                // a marker inside the list is an ingredient
      "1 BL Zubereitungssirup\r\n"  // ends the list: not stored
      "Dritter\r\n\tZutaten:\t\r\n"
      "Eis\r\n"
      "ZUBEREITUNG\r\n"
      "Vierter\r\nZutaten:\r\n");  // a recipe without ingredients
  EXPECT_EQ(lastbox(), successbox(4));
  EXPECT_EQ(recipenames(), (std::vector<std::string>{"Erster", "Zweiter", "Dritter", "Vierter"}));
  EXPECT_EQ(ingredientnames(), (std::vector<std::string>{"Rum", "Zutaten:", "Eis"}));
  EXPECT_EQ(links(), (Rows{{"1", "1", packed("4", "cl")}, {"2", "2", packed("0", "-")}, {"3", "3", packed("0", "-")}}));
  // The word inside a longer one, or alone, ends the list without a preparation.
  EXPECT_EQ(preparations(), (Rows{{"1", "Mit   Eis"}}));
}

TEST_F(Import, BlankLineBetweenNameAndMarkerStartsAnotherRecipe) {
  importtext("Sour\r\n\r\nZutaten:\r\n4 cl Rum\r\n");
  EXPECT_EQ(lastbox(), errorbox("4 cl Rum", "Zeile ist nicht \"zutaten:\""));
  EXPECT_EQ(recipenames(), (std::vector<std::string>{"Sour", "Zutaten:"}));
}

TEST_F(Import, MarkerMustBeExactlyZutatenWithColon) {
  for (const char* marker : {"Zutaten", "Zutaten :", "Zutaten: Rum"}) {
    messages.clear();
    importtext(std::string("Sour\r\n") + marker + "\r\n4 cl Rum\r\n");
    EXPECT_EQ(messages.warnings(), std::vector<std::string>{errorbox(marker, "Zeile ist nicht \"zutaten:\"")});
    EXPECT_TRUE(messages.informations().empty());
  }
  // No rollback: each attempt left its recipe row.
  EXPECT_EQ(recipes().size(), 3u);
  EXPECT_EQ(recipes()[2][0], "3");
}

TEST_F(Import, IngredientLinesNeedQuantityUnitAndName) {
  for (const char* line : {"2 Limetten", "4  cl Rum", "4 cl \t"}) {
    messages.clear();
    importtext(std::string("Sour\r\nZutaten:\r\n") + line + "\r\n");
    EXPECT_EQ(messages.warnings(), std::vector<std::string>{errorbox(platform::trim(line), "Format Fehler (1)!")});
  }
  messages.clear();
  importtext(
      "Sour\r\nZutaten:\r\n1/2 St\xFC"
      "ck Limette  gepresst\r\nLimettensaft\r\n");
  EXPECT_EQ(lastbox(), successbox(1));
  EXPECT_EQ(ingredientnames(), (std::vector<std::string>{"Limette  gepresst", "Limettensaft"}));
  EXPECT_EQ(links()[0][2], packed("1/2",
                                  "St\xFC"
                                  "ck"));
}

TEST_F(Import, ErrorInTheFifthRecipeKeepsWhatWasWritten) {
  std::string text;
  for (int i = 1; i <= 4; ++i) text += "Drink " + std::to_string(i) + "\r\nZutaten:\r\n4 cl Rum\r\n\r\n";
  text += "Drink 5\r\nZutaten:\r\n2 cl Gin\r\n2 Limetten\r\n3 cl Wodka\r\n\r\nDrink 6\r\nZutaten:\r\n";
  importtext(text);
  EXPECT_EQ(messages.log.size(), 1u);
  EXPECT_EQ(lastbox(), errorbox("2 Limetten", "Format Fehler (1)!"));
  EXPECT_EQ(recipes().size(), 5u);
  EXPECT_EQ(ingredientnames(), (std::vector<std::string>{"Rum", "Gin"}));
  EXPECT_EQ(links().size(), 5u);
  EXPECT_EQ(links().back(), (std::vector<std::string>{"5", "2", packed("2", "cl")}));
  // On the disk as well: what was written is committed, the error is no failed write.
  catalogue.reset();
  ASSERT_TRUE(start());
  EXPECT_EQ(recipes().size(), 5u);
  EXPECT_EQ(links().size(), 5u);
}

TEST_F(Import, IngredientsMatchAcrossAsciiCaseButNotAcrossUmlautCase) {
  importtext(
      "A\r\nZutaten:\r\n4 cl Rum\r\n1 cl RUM\r\n1 Dash rum\r\n2 cl \xC4pfelsaft\r\n2 cl \xE4pfelsaft\r\n"
      "2 cl \xE4PFELSAFT\r\n");
  EXPECT_EQ(lastbox(), successbox(1));
  EXPECT_EQ(ingredientnames(), (std::vector<std::string>{"Rum", "\xC4pfelsaft", "\xE4pfelsaft"}));
  std::vector<std::string> linked;
  for (const auto& l : links()) linked.push_back(l[1]);
  EXPECT_EQ(linked, (std::vector<std::string>{"1", "1", "1", "2", "3", "3"}));
}

TEST_F(Import, SameFileTwiceGivesNewRecipesButNoNewIngredients) {
  importtext(example);
  importtext(example);
  EXPECT_EQ(lastbox(), successbox(1));
  EXPECT_EQ(recipes().size(), 2u);
  EXPECT_EQ(recipes()[1][0], "2");
  EXPECT_EQ(ingredients().size(), 3u);
  EXPECT_EQ(links()[5], (std::vector<std::string>{"2", "3", packed("0", "-")}));
}

TEST_F(Import, AnyLineEndEndsALineAndCtrlZEndsTheFile) {
  importtext(
      "Lf\nZutaten:\n4 cl Rum\n\nCr\rZutaten:\r2 cl Gin\r\rCrLf\r\nZutaten:\r\nEis\x1A"
      "Danach\r\nZutaten:\r\n");
  EXPECT_EQ(lastbox(), successbox(3));
  EXPECT_EQ(recipenames(), (std::vector<std::string>{"Lf", "Cr", "CrLf"}));
  EXPECT_EQ(ingredientnames(), (std::vector<std::string>{"Rum", "Gin", "Eis"}));
}

TEST_F(Import, SubfieldSeparatorInAValueBecomesABlank) {
  importtext(
      "Sour\xBFX\r\nZutaten:\r\n4\xBF"
      "5 c\xBFl Rum\xBF"
      "1\r\n");
  EXPECT_EQ(lastbox(), successbox(1));
  EXPECT_EQ(recipes()[0][1], packed("Sour X", "0"));
  EXPECT_EQ(ingredients()[0][1], packed("Rum 1", "0", "0"));
  EXPECT_EQ(links()[0][2], packed("4 5", "c l"));
  // The mended name is the one matched later.
  importtext(
      "Sour\r\nZutaten:\r\n1 cl rum\xBF"
      "1\r\n");
  EXPECT_EQ(ingredients().size(), 1u);
}

// A name is looked up as the table will store and read it back: bytes that
// become blanks at the edges are trimmed, inner ones match a blank.
TEST_F(Import, NamesWithBytesTheTableBlanksAreMatchedAsStored) {
  importtext(
      "A\r\nZutaten:\r\n4 cl Rum\xBF\r\n2 cl Rum\r\n1 cl Rum\xA1\r\n1 cl Caipi\xA1rinha\r\n1 cl CAIPI rinha\r\n"
      "Eis\xBF\r\n1 St Eis\r\n");
  EXPECT_EQ(lastbox(), successbox(1));
  EXPECT_EQ(
      ingredients(),
      (Rows{{"1", packed("Rum", "0", "0")}, {"2", packed("Caipi rinha", "0", "0")}, {"3", packed("Eis", "0", "0")}}));
  std::vector<std::string> linked;
  for (const auto& l : links()) linked.push_back(l[1]);
  EXPECT_EQ(linked, (std::vector<std::string>{"1", "1", "1", "2", "2", "3", "3"}));
  EXPECT_EQ(recipes().back()[1], packed("A", "0"));
  // A name longer than 255 bytes reads back cut: the lookup compares it so.
  const std::string longname(300, 'L');
  importtext("C\r\nZutaten:\r\n1 cl " + longname + "\r\n2 cl " + longname + "X\r\n");
  EXPECT_EQ(ingredients().size(), 4u);
  // A part that is nothing but such bytes is empty.
  for (const char* line : {"4 cl \xBF", "\xBF cl Rum", "\xBF\xBF"}) {
    messages.clear();
    importtext(std::string("B\r\nZutaten:\r\n") + line + "\r\n");
    EXPECT_EQ(messages.warnings(), std::vector<std::string>{errorbox(line, "Format Fehler (1)!")}) << line;
  }
}

TEST_F(Import, Utf8FilesAreReadAsWindows1252) {
  // Valid UTF-8 with umlauts, no byte order mark.
  importtext(
      "Kr\xC3\xA4uterdrink\r\nZutaten:\r\n2 cl Kr\xC3\xA4uterlik\xC3\xB6r\r\n1 St \xE2\x82\xAC\xE2\x86\x92X\r\n");
  EXPECT_EQ(recipenames().back(), "Kr\xE4uterdrink");
  EXPECT_EQ(ingredientnames(), (std::vector<std::string>{"Kr\xE4uterlik\xF6r", "\x80?X"}));
  // A byte order mark alone makes a file UTF-8; it is not part of the first name.
  importtext("\xEF\xBB\xBFMit Marke\r\nZutaten:\r\nEis\r\n");
  EXPECT_EQ(recipenames().back(), "Mit Marke");
  // Windows-1252 bytes that are no valid UTF-8 stay as they are.
  importtext("K\xFChl\r\nZutaten:\r\n2 cl Kr\xE4uterlik\xF6r\r\n");
  EXPECT_EQ(recipenames().back(), "K\xFChl");
  EXPECT_EQ(ingredients().size(), 3u);  // the liqueur was found again
}

std::vector<std::string> walk(catalogue::ImportLines& lines) {
  std::vector<std::string> out;
  for (std::string line; lines.next(line);) out.push_back(line);
  return out;
}

// The file is read in chunks: a line end or a UTF-8 character across a chunk
// border comes out as from the whole text at once.
TEST_F(Import, ChunkBordersSplitNoLineEndAndNoCharacter) {
  const std::string path = folder.path() + "chunks.txt";
  for (std::size_t border = 0; border < 9; ++border) {  // the first chunk ends before the tail's byte border
    const std::string padding(catalogue::ImportLines::chunk - 7 - border, 'x');
    const std::string text = "K\xC3\xA4se\r\n" + padding + "\xC3\xA4se\r\n\r\nEnde";
    testsupport::writefile(path, text);
    const auto file = platform::File::open(path, platform::File::Access::readonlyregularfile);
    catalogue::ImportLines fromfile(*file);
    catalogue::ImportLines whole(text);
    EXPECT_TRUE(walk(fromfile) == walk(whole)) << border;
    EXPECT_EQ(walk(whole), std::vector<std::string>{}) << "a walk ends once";
  }
}

// A file larger than memory that holds no line end: the import stops at once.
TEST_F(Import, ALineLongerThanAnyRecordEndsTheImport) {
  const std::string path = folder.path() + "sparse.bin";
  ASSERT_TRUE(platform::File::create(path)->truncate(int64_t{64} << 30));
  importfile.path = path;
  catalogue::Importieren1Click(*catalogue, importfile);
  EXPECT_EQ(messages.log,
            (std::vector<testsupport::Message>{{testsupport::Message::Kind::warning,
                                                errorbox("", std::string("Zeile ist länger als 1048576 Bytes!"_cp))}}));
  EXPECT_EQ(recipes(), (Rows{{"", ""}}));
}

// A line of exactly the longest length is read, one byte more is refused,
// from the whole text and across the file's chunks alike.
TEST_F(Import, ALineOfTheLongestLengthIsReadOneByteMoreIsNot) {
  const std::string path = folder.path() + "long.txt";
  for (const std::size_t length : {catalogue::ImportLines::longestline, catalogue::ImportLines::longestline + 1}) {
    const std::string text = std::string(length, 'a') + "\r\nb";
    testsupport::writefile(path, text);
    const auto file = platform::File::open(path, platform::File::Access::readonlyregularfile);
    catalogue::ImportLines fromfile(*file), whole(text);
    for (catalogue::ImportLines* lines : {&fromfile, &whole}) {
      std::string line;
      EXPECT_EQ(lines->next(line), length == catalogue::ImportLines::longestline) << length;
      EXPECT_EQ(line.size(), length == catalogue::ImportLines::longestline ? length : 255) << length;
      EXPECT_EQ(static_cast<bool>(lines->outcome()), length == catalogue::ImportLines::longestline) << length;
    }
  }
}

// An import larger than a batch commits before its end, and only between
// recipes: each commit leaves whole recipes, each with its line and its
// preparation. The folder stays locked between its commits: no commit opens
// the folder again to take the lock.
TEST_F(Import, ABatchCommitsBetweenRecipesBeforeTheImportEnds) {
  std::string text;
  for (int i = 0; i < 100; ++i)
    text += "R" + std::to_string(i) + "\r\nZutaten:\r\n4 cl Rum\r\nZubereitung: " + std::string(90000, 'x') + "\r\n";
  std::vector<testsupport::powercut::Disk> commits;  // the tables as each commit cleared its journal
  std::vector<long> opensbetween;                    // opens from a commit's end to the next commit's first write
  long opensatclear = -1;
  testsupport::faults::arm(std::numeric_limits<long>::max(), EIO, testsupport::faults::Call::open);
  testsupport::powercut::record(dbfolder());
  testsupport::powercut::watch([&](const testsupport::powercut::Event& event) {
    if (event.file != "journal") return;
    if (event.kind == testsupport::powercut::Event::Kind::truncate && event.offset == 0) {
      commits.push_back(testsupport::powercut::snapshot(dbfolder()));
      opensatclear = testsupport::faults::calls();
    } else if (event.kind == testsupport::powercut::Event::Kind::write && opensatclear >= 0) {
      opensbetween.push_back(testsupport::faults::calls() - opensatclear);
      opensatclear = -1;
    }
  });
  importtext(text);
  testsupport::powercut::stop();
  testsupport::faults::disarm();
  EXPECT_EQ(opensbetween, std::vector<long>{0});
  EXPECT_EQ(lastbox(), successbox(100));
  const auto records = [](const testsupport::powercut::Disk& disk, const std::string& table) {
    const std::string& bytes = disk.at(table + ".db");
    std::size_t count = 0;
    for (std::size_t at = bytes.find("\r\n\xBF"); at != std::string::npos; at = bytes.find("\r\n\xBF", at + 1)) ++count;
    return count;
  };
  std::set<std::size_t> committed;
  for (const testsupport::powercut::Disk& disk : commits) {
    committed.insert(records(disk, "c_rezepte"));
    EXPECT_EQ(records(disk, "c_rezeptezutaten"), records(disk, "c_rezepte"));
    EXPECT_EQ(records(disk, "c_zubereitungen"), records(disk, "c_rezepte"));
  }
  ASSERT_EQ(committed.size(), 2u);  // a batch, then the rest
  EXPECT_EQ(*committed.rbegin(), 100u);
}

// A table file that ends in a torn line: the import's commit cuts it off
// before the records it appends, and the next start reads them all.
TEST_F(Import, AnImportAfterATornLineKeepsEveryRecipe) {
  importtext("Alt\r\nZutaten:\r\nEis\r\n");
  catalogue.reset();
  testsupport::writefile(dbfolder() + "c_rezepte.db", readfile(dbfolder() + "c_rezepte.db") + "\r\n\xBF" + "00000");
  ASSERT_TRUE(start());
  importtext("Neu\r\nZutaten:\r\nEis\r\n");
  catalogue.reset();
  messages.clear();
  ASSERT_TRUE(start());
  EXPECT_EQ(recipenames(), (std::vector<std::string>{"Alt", "Neu"}));
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(Import, RecordTooLongForATableFileEndsTheImport) {
  const std::string name(150000, 'N');
  importtext("Kurz\r\nZutaten:\r\nEis\r\n\r\n" + name + "\r\nZutaten:\r\n");
  ASSERT_FALSE(messages.warnings().empty());
  EXPECT_EQ(messages.warnings().back(), errorbox(name, "c_rezepte db_addrow fehlgeschlagen"));
  EXPECT_TRUE(messages.informations().empty());
  // A failed write drops what its batch wrote, the first recipe too, in
  // memory and on the disk, and the files still load.
  EXPECT_EQ(recipenames(), std::vector<std::string>{""});
  catalogue.reset();
  messages.clear();
  ASSERT_TRUE(start());
  EXPECT_EQ(recipenames(), std::vector<std::string>{""});
}

TEST_F(Import, IdsContinueAfterTheLargestNumericId) {
  std::vector<std::vector<std::string>> zutaten = {{"abc", packed("Rum", "1", "1")},
                                                   {" 7", packed(" rUM ", "0", "1")},
                                                   {"$10", packed("Gin", "0", "0")},
                                                   {"3", packed("Gin", "1", "1")}};
  for (auto& row : zutaten) ASSERT_TRUE(catalogue->c_zutaten().addrow(row));
  std::vector<std::string> recipe = {"41", packed("Alt", "5")};
  ASSERT_TRUE(catalogue->c_rezepte().addrow(recipe));
  std::vector<std::string> odd = {"99a", packed("Kaputt", "0")};
  ASSERT_TRUE(catalogue->c_rezepte().addrow(odd));

  importtext("Neu\r\nZutaten:\r\n4 cl Rum\r\n2 cl GIN\r\nEis\r\n");
  EXPECT_EQ(lastbox(), successbox(1));
  EXPECT_EQ(recipes().back()[0], "42");
  // Rum: the row with id abc is passed over; Gin: the first row wins, its id read as a number.
  EXPECT_EQ(links(),
            (Rows{{"42", "7", packed("4", "cl")}, {"42", "16", packed("2", "cl")}, {"42", "17", packed("0", "-")}}));
  EXPECT_EQ(ingredients().back(), (std::vector<std::string>{"17", packed("Eis", "0", "0")}));
}

TEST_F(Import, EveryFailingFileOperationEndsInTheImportsErrorBox) {
  const std::string text = "Sour\r\nZutaten:\r\n4 cl Rum\r\n";
  std::set<std::string> errors;
  for (long nth = 1;; ++nth) {
    testsupport::TempFolder place;
    testsupport::FakeSplash quietsplash;
    testsupport::FakeApplication quietapplication;
    catalogue::Catalogue fresh(place.path() + "mixolino", quietsplash, quietapplication);
    fresh.StarttimerTimer();
    testsupport::writefile(place.path() + "import.txt", text);
    importfile.path = place.path() + "import.txt";
    messages.clear();
    testsupport::faults::arm(nth, EIO);
    catalogue::Importieren1Click(fresh, importfile);
    const bool fired = testsupport::faults::fired();
    testsupport::faults::disarm();
    ASSERT_FALSE(messages.log.empty());
    if (!fired) {
      EXPECT_EQ(lastbox(), successbox(1));
      break;
    }
    // A failure closing the import file is of no concern.
    const std::string box = lastbox();
    if (box != successbox(1)) {
      ASSERT_EQ(box.rfind("Fehler beim Importieren der Datei bei Zeile \n\r", 0), 0u) << nth << ": " << box;
    }
    errors.insert(box);
    ASSERT_LT(nth, 200);
  }
  EXPECT_TRUE(errors.count(errorbox("", "E/A-Fehler 1117")));
  EXPECT_TRUE(errors.count(errorbox("4 cl Rum", "E/A-Fehler 1117")));  // the rows could not be synced
  EXPECT_TRUE(errors.count(errorbox("Sour", "c_rezepte db_addrow fehlgeschlagen")));
  EXPECT_TRUE(errors.count(errorbox("4 cl Rum", "c_zutaten db_addrow fehlgeschlagen")));
  EXPECT_TRUE(errors.count(errorbox("4 cl Rum", "c_rezeptezutaten db_addrow fehlgeschlagen")));
}

// The lookup the import builds once must answer exactly like a scan of the
// table by name, and its next id like a scan for the largest id.
std::optional<int32_t> scanforname(const TdbdynGrid& c_zutaten, const std::string& uppername) {
  for (int32_t row = 0; row < c_zutaten.getrowcount(); ++row) {
    const std::string name = platform::upper(platform::trim(TdbdynGrid::getsubfield(c_zutaten.getcell(1, row), 1)));
    int32_t id = 0;
    if (name == uppername && platform::strtoint(c_zutaten.getcell(0, row), id)) return id;
  }
  return std::nullopt;
}

int64_t scanfornextid(const TdbdynGrid& c_zutaten) {
  int64_t largest = 0;
  for (int32_t row = 0; row < c_zutaten.getrowcount(); ++row) {
    int32_t id = 0;
    if (platform::strtoint(c_zutaten.getcell(0, row), id)) largest = std::max<int64_t>(largest, id);
  }
  return largest + 1;
}

class RandomIngredients {
 public:
  explicit RandomIngredients(unsigned seed) : random_(seed) {}

  std::string name() {
    static const char* const pool[] = {"rum", "gin", "\xE4pfel", "\xC4pfel", "eis", "limette", "rum 1", "zucker"};
    std::string n = pool[pick(8)];
    for (char& c : n)
      if (pick(2) == 0) c = platform::upper(std::string(1, c))[0];
    if (pick(6) == 0) n = " " + n + "\t";
    if (pick(10) == 0) n = std::string(255, 'L') + n;  // cut to its first 255 bytes when read
    return n;
  }

  std::string id() {
    switch (pick(10)) {
      case 0: return "";
      case 1: return "x" + std::to_string(pick(50));
      case 2: return std::to_string(pick(50)) + " ";
      case 3: return " " + std::to_string(pick(50));
      case 4: return "$" + std::to_string(pick(50));
      case 5: return "-" + std::to_string(pick(50));
      case 6: return "99999999999";
      default: return std::to_string(pick(60));
    }
  }

  std::vector<std::string> row() {
    std::string cell = pick(8) == 0 ? name() : packed(name(), "0", "0");  // some cells hold no separator
    return {id(), cell};
  }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

 private:
  std::mt19937 random_;
};

TEST_F(Import, LookupFindsWhatAScanOfTheTableFinds) {
  TdbdynGrid& c_zutaten = catalogue->c_zutaten();
  RandomIngredients random(20261207);
  for (int i = 0; i < 300; ++i) {
    std::vector<std::string> row = random.row();
    ASSERT_TRUE(c_zutaten.addrow(row));
  }
  for (int i = 0; i < 40; ++i) {
    const int32_t row = random.pick(c_zutaten.getrowcount());
    if (!testsupport::probe(c_zutaten).DBfields(row).empty()) {
      ASSERT_TRUE(c_zutaten.delrow(row));  // left as a row of empty cells
    }
  }

  catalogue::IngredientLookup lookup{catalogue::Zutatentabelle(c_zutaten)};
  for (int round = 0; round < 200; ++round) {
    for (int q = 0; q < 20; ++q) {
      const std::string query = platform::upper(platform::trim(random.name()));
      ASSERT_EQ(lookup.find(query), scanforname(c_zutaten, query)) << query;
    }
    ASSERT_EQ(lookup.nextid(), scanfornextid(c_zutaten));
    // Rows appended while the import runs are found like the others.
    std::vector<std::string> row = random.row();
    ASSERT_TRUE(c_zutaten.addrow(row));
    lookup.added(catalogue::Zutatentabelle(c_zutaten), c_zutaten.getrowcount() - 1);
  }
  EXPECT_TRUE(messages.warnings().empty());
}

// Files that once troubled the import: each must end in one of its two boxes.
TEST_F(Import, CorpusFilesEndInSuccessOrTheErrorBox) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(MIXOLINO_TEST_DATA "/import_corpus")) {
    messages.clear();
    importfile.path = entry.path().string();
    catalogue::Importieren1Click(*catalogue, importfile);
    const std::string box = lastbox();
    EXPECT_TRUE(box.rfind("Fehler beim Importieren der Datei bei Zeile \n\r", 0) == 0 ||
                box.rfind(std::string("Import wurde ausgeführt, "_cp), 0) == 0)
        << entry.path();
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace

namespace {

class Export : public Import {
 protected:
  std::vector<Rows> alltables() const { return {recipes(), ingredients(), links(), preparations()}; }

  // Exports through the command, empties the database as the reset does and
  // imports the export again.
  void roundtrip(const std::string& exportpath) {
    dialogs.file = exportpath;
    catalogue::Rezepteexportieren1Click(*catalogue, dialogs);
    ASSERT_EQ(messages.informations().back(), "Die Rezepte wurden nach " + exportpath + " exportiert.");
    messages.answers = {true, true, true, true, true, true};
    catalogue->DBreset1Click();
    ASSERT_TRUE(start());
    ASSERT_EQ(catalogue->c_rezepte().getcell(0, 0), "");
    importtext(readfile(exportpath));
  }

  testsupport::FakeExportDialogs dialogs;
};

TEST_F(Export, TheSampleComesBackAsItWasWrittenAndImportsToTheSameTables) {
  const std::string sample = readfile(MIXOLINO_SAMPLE_DATA "/rezepte.txt");
  importtext(sample);
  const std::vector<Rows> before = alltables();
  ASSERT_EQ(before[3].size(), 218u);
  EXPECT_EQ(catalogue::exporttext(*catalogue), sample + "\r\n");
  roundtrip(folder.path() + "export.txt");
  EXPECT_EQ(lastbox(), successbox(218));
  EXPECT_EQ(alltables(), before);
}

TEST_F(Export, AwkwardNamesSurviveTheRoundTrip) {
  std::string text = testsupport::generaterecipes(40, 15, 5).text;
  text +=
      "  Caf\xE9  au \xBF Lait \r\nZutaten:\r\n2 cl  Kr\xE4uterlik\xF6r  alt\r\n0 - Crushed Eis\r\nEis\r\n"
      "Zubereitung:Mit \xBF R\xFChren\r\n\r\nOhne\r\nZutaten:\r\n";
  importtext(text);
  const std::vector<Rows> before = alltables();
  const std::string exported = catalogue::exporttext(*catalogue);
  EXPECT_NE(exported.find("Caf\xE9  au   Lait\r\nZutaten:\r\n2 cl Kr\xE4uterlik\xF6r  alt\r\n0 - Crushed Eis\r\nEis\r\n"
                          "Zubereitung: Mit   R\xFChren\r\n\r\nOhne\r\nZutaten:\r\n\r\n"),
            std::string::npos);
  roundtrip(folder.path() + "export.txt");
  EXPECT_EQ(lastbox(), successbox(42));
  EXPECT_EQ(alltables(), before);
  EXPECT_EQ(catalogue::exporttext(*catalogue), exported);
}

// The substitutes go into "<name>.ersatz.txt" beside the recipes, and the
// import of the recipes file reads them from there.
TEST_F(Export, TheSubstitutesGoBesideTheRecipesAndComeBackWithThem) {
  importtext(readfile(MIXOLINO_SAMPLE_DATA "/rezepte.txt"));
  catalogue::ersatzladen(*catalogue, MIXOLINO_SAMPLE_DATA "/ersatz.txt");
  const std::string relations = catalogue::ersatztext(*catalogue);
  ASSERT_NE(relations.find("Limette => Limettensaft\r\n"), std::string::npos);
  dialogs.file = folder.path() + "bar.txt";
  catalogue::Rezepteexportieren1Click(*catalogue, dialogs);
  EXPECT_EQ(readfile(folder.path() + "bar.ersatz.txt"), relations);
  messages.answers = {true, true, true, true, true, true};
  catalogue->DBreset1Click();
  ASSERT_TRUE(start());
  messages.clear();
  importfile.path = folder.path() + "bar.txt";
  catalogue::Importieren1Click(*catalogue, importfile);
  EXPECT_EQ(messages.log.size(), 1u);  // the import's box, nothing skipped
  EXPECT_EQ(catalogue::ersatztext(*catalogue), relations);
}

TEST_F(Export, AFailedWriteSaysSoAndLeavesNoFile) {
  importtext(example);
  const std::string path = folder.path() + "export.txt";
  dialogs.file = path;
  testsupport::faults::arm(1, ENOSPC, testsupport::faults::Call::write);
  catalogue::Rezepteexportieren1Click(*catalogue, dialogs);
  testsupport::faults::disarm();
  EXPECT_EQ(messages.warnings(), std::vector<std::string>{"Fehler beim Exportieren der Rezepte nach " + path + "!\n\r" +
                                                          platform::errortext(platform::errdiskfull)});
  std::set<std::string> left;  // neither the file nor its temporary one
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) left.insert(entry.path().filename());
  EXPECT_EQ(left, (std::set<std::string>{"db", "import.txt"}));
}

TEST_F(Export, TheBackupCopiesTablesAndStatusAndStartsAgainWhereCopiedBack) {
  importtext(example);
  const std::string backup = folder.path() + "sicherung/";
  ASSERT_TRUE(platform::createdirectory(backup));
  dialogs.folder = backup;
  catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  EXPECT_EQ(messages.informations().back(), "Die Datenbank wurde nach " + backup + " gesichert.");
  const std::vector<Rows> before = alltables();
  for (const std::string& name : catalogue::Catalogue::datafilenames())
    EXPECT_EQ(readfile(backup + name), readfile(dbfolder() + name)) << name;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(backup), {}), 6);

  // Restored while the program is closed: the next start finds the same rows.
  importtext(example);
  catalogue->FormCloseQuery();
  for (const std::string& name : catalogue::Catalogue::datafilenames())
    std::filesystem::copy_file(backup + name, dbfolder() + name, std::filesystem::copy_options::overwrite_existing);
  catalogue.reset();
  ASSERT_TRUE(start());
  EXPECT_EQ(alltables(), before);
}

}  // namespace

namespace {

using Files = std::map<std::string, std::string>;

Files filesin(const std::string& folder) {
  Files files;
  for (const std::string& name : platform::foldernames(folder))
    if (name != "journal") files[name] = readfile(folder + "/" + name);
  return files;
}

TEST_F(Export, NothingIsWrittenIntoTheDatabaseFolderNorWhileACommandIsUnfinishedOrWritten) {
  importtext(example);
  const Files db = filesin(dbfolder());
  std::filesystem::create_directory_symlink(dbfolder(), folder.path() + "verweis");
  dialogs.file = dbfolder() + "c_rezepte.db";
  catalogue::Rezepteexportieren1Click(*catalogue, dialogs);
  dialogs.folder = folder.path() + "verweis/";
  catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  dialogs.folder = folder.path() + "neu/";
  {
    const auto writing = platform::FolderLock::trylock(dbfolder());  // another copy's command
    catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  }
  testsupport::writefile(dbfolder() + "journal", "halb");
  catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  const auto refused = [&](const std::string& target) {
    return "Nach " + target + std::string(" wird nicht geschrieben: das ist der Ordner der Datenbank "_cp) +
           dbfolder() +
           std::string(
               " oder eine Datei darin. Bitte wählen Sie einen Ort außerhalb dieses Ordners. Es wurde nichts "
               "geschrieben."_cp);
  };
  const std::string failed = "Fehler beim Sichern der Datenbank nach " + folder.path() + "neu/!\n\r";
  EXPECT_EQ(messages.warnings(),
            (std::vector<std::string>{
                refused(dbfolder() + "c_rezepte.db"), refused(folder.path() + "verweis/"),
                failed + std::string("Eine andere Kopie von Mixolino ändert die Datenbank gerade. Bitte später noch "
                                     "einmal versuchen."_cp),
                failed + std::string("Ein unterbrochener Befehl ist noch nicht rückgängig gemacht; das geschieht beim "
                                     "nächsten Start von Mixolino mit Schreibzugriff. Bis dahin wird nicht "
                                     "gesichert."_cp)}));
  EXPECT_EQ(filesin(dbfolder()), db);
  EXPECT_FALSE(platform::directoryexists(folder.path() + "neu"));
}

// Killed at any file operation, a backup over an older one leaves the older
// one or the new one, whole; the next backup or export clears what is left.
TEST_F(Export, ABackupIsTheOldOneOrTheNewOneWhole) {
  importtext(example);
  const std::string backup = folder.path() + "sicherung/";
  dialogs.folder = backup;
  catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  const Files old = filesin(backup);
  importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n");
  int deaths = 0;
  for (long nth = 1; deaths == nth - 1; ++nth) {
    if (const pid_t child = ::fork(); child == 0) {
      testsupport::faults::armdeath(nth);
      catalogue::Datenbanksichern1Click(*catalogue, dialogs);
      ::_exit(0);
    } else {
      int status = 0;
      ::waitpid(child, &status, 0);
      deaths += WIFEXITED(status) && WEXITSTATUS(status) == testsupport::faults::deathstatus;
    }
    EXPECT_TRUE(filesin(backup) == old || filesin(backup) == filesin(dbfolder())) << nth;
  }
  EXPECT_GT(deaths, 10);
  testsupport::writefile(folder.path() + "alt.txt.mixolino-neu", "halb");
  dialogs.file = folder.path() + "rezepte.txt";
  catalogue::Rezepteexportieren1Click(*catalogue, dialogs);
  catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  EXPECT_EQ(filesin(backup), filesin(dbfolder()));
  for (const std::string& name : platform::foldernames(folder.path())) EXPECT_FALSE(name.ends_with("-neu")) << name;
}

// Restored from a backup: checked first, asked once, shown at once.
TEST_F(Export, ARestoreChecksTheBackupAsksOnceAndShowsItsTablesAtOnce) {
  importtext(example);
  const std::string backup = folder.path() + "sicherung/";
  dialogs.folder = backup;
  catalogue::Datenbanksichern1Click(*catalogue, dialogs);
  const std::vector<Rows> saved = alltables();
  importtext("Sour\r\nZutaten:\r\n4 cl Rum\r\n");
  messages.clear();
  EXPECT_FALSE(catalogue::Datenbankwiederherstellen1Click(*catalogue, dialogs));  // answered No
  EXPECT_NE(alltables(), saved);
  messages.answers = {true};
  EXPECT_TRUE(catalogue::Datenbankwiederherstellen1Click(*catalogue, dialogs));
  EXPECT_EQ(alltables(), saved);
  EXPECT_EQ(messages.questions(),
            std::vector<std::string>(2, "Die Datenbank wird durch die Sicherung in " + backup +
                                            std::string(" ersetzt; was seitdem geändert wurde, geht verloren. Soll sie "
                                                        "wiederhergestellt werden?"_cp)));
  // A backup from before the substitutes restores them empty.
  ASSERT_TRUE(platform::deletefile(backup + "c_ersatz.db"));
  std::vector<std::string> relation = {"1", "2"};
  ASSERT_TRUE(catalogue->c_ersatz().addrow(relation) && catalogue->flush());
  messages.answers = {true};
  EXPECT_TRUE(catalogue::Datenbankwiederherstellen1Click(*catalogue, dialogs));
  EXPECT_EQ(alltables(), saved);
  EXPECT_EQ(catalogue->c_ersatz().getcell(0, 0), "");

  // A damaged or an incomplete backup is not asked about.
  testsupport::writefile(backup + "c_rezepte.db",
                         "#DB\xA1"
                         "0000000007\xA1"
                         "A\xA1"
                         "2\xA1");
  EXPECT_FALSE(catalogue::Datenbankwiederherstellen1Click(*catalogue, dialogs));
  ASSERT_TRUE(platform::deletefile(backup + "status.txt"));
  EXPECT_FALSE(catalogue::Datenbankwiederherstellen1Click(*catalogue, dialogs));
  EXPECT_EQ(messages.warnings(),
            (std::vector<std::string>{"Die Sicherung in " + backup +
                                          std::string(" ist beschädigt: eine ihrer Tabellen lässt sich nicht "
                                                      "fehlerfrei laden. Es wurde nichts geändert."_cp),
                                      "Im Ordner " + backup +
                                          std::string(" fehlt die Datei status.txt: das ist keine vollständige "
                                                      "Sicherung. Es wurde nichts geändert."_cp)}));
  EXPECT_EQ(messages.questions().size(), 3u);
}

}  // namespace
