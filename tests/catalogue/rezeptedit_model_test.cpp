#include "catalogue/rezeptedit_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "catalogue/export.h"
#include "catalogue/recipeview.h"
#include "catalogue/rezeptfragen.h"
#include "catalogue/search.h"
#include "platform/codepage.h"
#include "tests/support/catalogue_fixture.h"

namespace {

using catalogue::RezepteditModel;
using catalogue::Rezeptentwurf;
using catalogue::Zutatenzeile;

std::string cp(std::string_view utf8) { return platform::utf8tocp1252(utf8); }

class RezepteditTest : public testsupport::CatalogueFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start());
    importtext("Mojito\r\nZutaten:\r\n4 cl Rum\r\n2 BL Zucker\r\nMinze\r\n\r\nSour\r\nZutaten:\r\n4 cl rum\r\n");
    std::vector<std::string> row;
    ASSERT_TRUE(catalogue->c_rezepte().getrow(0, row));
    ASSERT_TRUE(TdbdynGrid::setsubfield(row[1], 2, "4"));
    ASSERT_TRUE(catalogue->c_rezepte().updaterow(0, row));
    messages.clear();
  }

  // The three table files, which a refused or declined command leaves alone.
  std::string files() const {
    std::string bytes;
    for (const char* name : {"c_zutaten", "c_rezeptezutaten", "c_rezepte", "c_zubereitungen", "c_ersatz"})
      bytes += testsupport::readfile(dbfolder() + name + ".db");
    return bytes;
  }

  // The recipe as the catalogue holds it after a fresh start-up.
  Rezeptentwurf reloaded(const std::string& id) {
    EXPECT_TRUE(start());
    RezepteditModel model(*catalogue);
    EXPECT_TRUE(model.oeffnen(id));
    return model.entwurf();
  }
};

TEST_F(RezepteditTest, RefusesWhatTheImportWouldNotReadBackAndWritesNothing) {
  const std::string before = files();
  const std::pair<Rezeptentwurf, std::string> refused[] = {
      {{"", " \x01 ", {}, ""}, "Name: Bitte geben Sie dem Rezept einen Namen."},
      {{"", "zutaten:", {}, ""}, cp("Name: „zutaten:“ ist als Name eines Rezeptes nicht möglich.")},
      {{"", std::string(256, 'x'), {}, ""}, cp("Name: Der Name darf höchstens 255 Zeichen lang sein.")},
      {{"", "X", {{"1", "cl", std::string(256, 'x')}}, ""},
       cp("Zutatenzeile 1: Die Zutat darf höchstens 255 Zeichen lang sein.")},
      {{"", "X", {{}, {"4", "cl", ""}}, ""}, "Zutatenzeile 2: Bitte geben Sie eine Zutat an."},
      {{"", "X", {{"1 1/2", "cl", "Rum"}}, ""},
       cp("Zutatenzeile 1: Die Menge „1 1/2“ darf kein Leerzeichen enthalten.")},
      {{"", "X", {{"1", "c\xBFl", "Rum"}}, ""},
       cp("Zutatenzeile 1: Die Einheit „c l“ darf kein Leerzeichen enthalten.")},
      {{"", "X", {{"1", "cl", "Zubereitungssirup"}}, ""},
       cp("Zutatenzeile 1: Die Zutat „Zubereitungssirup“ darf das Wort „Zubereitung“ nicht enthalten.")},
  };
  for (const auto& [entwurf, message] : refused) {
    RezepteditModel model(*catalogue);
    model.neu();
    model.entwurf() = entwurf;
    messages.clear();
    EXPECT_FALSE(model.speichern());
    EXPECT_EQ(messages.warnings(), std::vector<std::string>{message});
  }
  EXPECT_EQ(files(), before);
}

TEST_F(RezepteditTest, ChangedRecipeKeepsIdAndRatingAndReplacesItsLines) {
  RezepteditModel model(*catalogue);
  ASSERT_TRUE(model.oeffnen("1"));
  EXPECT_EQ(model.entwurf().zeilen,
            (std::vector<Zutatenzeile>{{"4", "cl", "Rum"}, {"2", "BL", "Zucker"}, {"", "", "Minze"}}));
  model.entwurf().name = " Mojito\xBF Royal\r";
  model.entwurf().zubereitung = "Umr\xFChren";
  // The first line no longer fits its old record's slot: the file holds the
  // lines out of their order.
  model.entwurf().zeilen = {
      {"1", "Spritzer", "Crushed Ice"}, {"", "", "Minze"}, {"4", "", "RUM"}, {"2", "cl", "crushed ice"}};
  EXPECT_TRUE(model.geaendert());
  ASSERT_TRUE(model.speichern());
  EXPECT_FALSE(model.geaendert());
  EXPECT_TRUE(messages.log.empty());
  EXPECT_EQ(reloaded("1"),
            (Rezeptentwurf{
                "1",
                "Mojito  Royal",
                {{"1", "Spritzer", "Crushed Ice"}, {"", "", "Minze"}, {"4", "", "Rum"}, {"2", "cl", "Crushed Ice"}},
                "Umr\xFChren"}));
  EXPECT_EQ(catalogue::ergebniszeile(*catalogue, "1")->wertung, "* * * *");
  // The unit left empty is stored as the import stores a line without one.
  std::vector<std::string> row;
  const std::vector<std::string> rum{"1", "1", testsupport::packed({"4", "-"})};
  int32_t r = 0;
  while (r < catalogue->c_rezeptezutaten().getrowcount() && (catalogue->c_rezeptezutaten().getrow(r, row), row != rum))
    ++r;
  EXPECT_LT(r, catalogue->c_rezeptezutaten().getrowcount());
  // The new ingredient is not available and not alcoholic; "RUM" is the known
  // "Rum", and "crushed ice" the one the same save added.
  const TdbdynGrid& zutaten = catalogue->c_zutaten();
  ASSERT_EQ(zutaten.getrowcount(), 4);
  EXPECT_EQ(zutaten.getcell(0, 3), "4");
  EXPECT_EQ(zutaten.getcell(1, 3), testsupport::packed({"Crushed Ice", "0", "0"}));
  // A restart loads the lines in file order, which is not theirs; saved in
  // that order, with the preparation changed, they read back so.
  const TdbdynGrid& links = catalogue->c_rezeptezutaten();
  std::vector<int32_t> rows;  // the recipe's lines in file order
  for (int32_t link = 0; link < links.getrowcount(); ++link)
    if (links.getcell(0, link) == "1") rows.push_back(link);
  std::vector<int32_t> satzfolge = rows;
  catalogue::insatzfolge(links, satzfolge);
  ASSERT_NE(rows, satzfolge);
  RezepteditModel wieder(*catalogue);
  ASSERT_TRUE(wieder.oeffnen("1"));
  std::vector<Zutatenzeile> infilefolge;
  for (const int32_t link : rows)
    infilefolge.push_back(
        wieder.entwurf()
            .zeilen[static_cast<std::size_t>(std::find(satzfolge.begin(), satzfolge.end(), link) - satzfolge.begin())]);
  wieder.entwurf() = {"1", "Mojito  Royal", infilefolge, "Kurz umr\xFChren"};
  ASSERT_TRUE(wieder.speichern());
  EXPECT_EQ(reloaded("1"), (Rezeptentwurf{"1", "Mojito  Royal", infilefolge, "Kurz umr\xFChren"}));
}

TEST_F(RezepteditTest, WhatItSavesTheExportWritesAndTheImportReadsBackAlike) {
  RezepteditModel model(*catalogue);
  ASSERT_TRUE(model.oeffnen("1"));
  model.entwurf().zeilen = {{"", "", "Crushed Ice"}, {"4", "", "Rum"}, {"", "cl", "Soda"}, {"2", "BL", "Zucker"}};
  model.entwurf().zubereitung = ": kalt\n\nUmr\xFChren";
  ASSERT_TRUE(model.speichern());
  ASSERT_TRUE(start());
  const std::string text = catalogue::exporttext(*catalogue);
  // The line breaks as "¶" in the one line of the preparation.
  EXPECT_NE(text.find("\r\nZubereitung: : kalt\xB6\xB6Umr\xFChren\r\n"), std::string::npos);
  testsupport::TempFolder other;
  catalogue::Catalogue copy(other.path() + "mixolino", splash, application);
  copy.StarttimerTimer();
  testsupport::writefile(importfile.path.emplace(other.path() + "export.txt"), text);
  catalogue::Importieren1Click(copy, importfile);
  RezepteditModel back(copy);
  ASSERT_TRUE(back.oeffnen("1"));
  EXPECT_EQ(back.entwurf(), model.entwurf());
  EXPECT_EQ(catalogue::exporttext(copy), text);
}

TEST_F(RezepteditTest, NewRecipeGetsTheNextIdAndNoRating) {
  RezepteditModel model(*catalogue);
  model.neu();
  model.entwurf() = {
      "", "Zombie", {{"4", "cl", "Rum"}, {}, {"", "cl", "Limette"}}, "\n Kurz \r\n\n\xB6sch\xFCtteln\n\n"};
  ASSERT_TRUE(model.speichern());
  EXPECT_EQ(model.entwurf().id, "3");
  // Each line keeps its break, without trailing blanks or empty lines at the ends; a typed "¶" is a blank.
  EXPECT_EQ(reloaded("3"),
            (Rezeptentwurf{"3", "Zombie", {{"4", "cl", "Rum"}, {"", "cl", "Limette"}}, "Kurz\n\n sch\xFCtteln"}));
  EXPECT_EQ(catalogue->c_zubereitungen().getcell(1, 0), "Kurz\xB6\xB6 sch\xFCtteln");
  const std::vector<std::string> view = *catalogue::zeigecocktail(*catalogue, "3");
  EXPECT_EQ(std::vector<std::string>(view.begin() + 2, view.end()),
            (std::vector<std::string>{"", "Kurz", "", "sch\xFCtteln"}));
  EXPECT_EQ(catalogue->c_rezepte().getcell(1, 2), testsupport::packed({"Zombie", "0"}));
}

TEST_F(RezepteditTest, DeletingAsksThenRemovesTheRecipeItsLinesAndPreparationButNoIngredient) {
  RezepteditModel model(*catalogue);
  ASSERT_TRUE(model.oeffnen("1"));
  model.entwurf().zubereitung = "Mit Minze";
  ASSERT_TRUE(model.speichern());
  const std::string before = files();
  EXPECT_FALSE(catalogue::rezeptloeschen(*catalogue, "1"));
  EXPECT_EQ(messages.questions(), std::vector<std::string>{cp("Soll das Rezept „Mojito“ gelöscht werden?")});
  EXPECT_EQ(files(), before);
  messages.answers = {true};
  EXPECT_TRUE(catalogue::rezeptloeschen(*catalogue, "1"));
  testsupport::RecordingProgress progress;
  EXPECT_EQ(catalogue::b_suchenClick(*catalogue, {}, progress).rows.size(), 1u);  // no empty row for it
  EXPECT_TRUE(start());
  EXPECT_FALSE(catalogue::ergebniszeile(*catalogue, "1"));
  catalogue::rrezept lines;
  EXPECT_FALSE(catalogue::laderezept(*catalogue, "1", lines));
  EXPECT_TRUE(catalogue::laderezept(*catalogue, "2", lines));
  EXPECT_EQ(catalogue->c_zutaten().getrowcount(), 3);
  EXPECT_EQ(catalogue->c_zubereitungen().getcell(1, 0), "");
}

TEST(Aehnlichenamen, SameLettersContainedOrTwoLettersApartClosestFirstAtMostThree) {
  const std::vector<std::string> bekannte = {cp("Eiswürfel"), "Crushed-Eis",  "Minze",        "Gin",
                                             cp("Äpfel"),     "Zitronensaft", "Limettensaft", "Wodka"};
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"Eis", {cp("Eiswürfel"), "Crushed-Eis", "Gin"}},
      {"Frische Minze", {"Minze"}},
      {cp("äpfel"), {cp("Äpfel")}},
      {"Limetensaft", {"Limettensaft"}},
      {"Tequila", {}},
      {"", {}},
  };
  for (const auto& [name, aehnlich] : cases) EXPECT_EQ(catalogue::aehnlichenamen(name, bekannte), aehnlich) << name;
}

TEST_F(RezepteditTest, BeforeSavingAsksForLostCharactersTakenNamesAndEachNewIngredient) {
  const std::string before = files();
  const auto vorpruefen = [this](const Rezeptentwurf& entwurf, std::deque<bool> answers) {
    messages.clear();
    messages.neinvorgaben.clear();
    messages.answers = std::move(answers);
    RezepteditModel model(*catalogue);
    return catalogue::vorpruefen(*catalogue, entwurf, model.zutatennamen());
  };
  // Refused by the save's own rule: its warning, no question.
  catalogue::Vorpruefung geprueft = vorpruefen({"", "", {{"1", "cl", "Eis"}}, ""}, {});
  EXPECT_FALSE(geprueft.speichern);
  EXPECT_EQ(messages.questions().size() + messages.warnings().size(), 1u);

  geprueft = vorpruefen({"",
                         "\xA1Hola!",
                         {},
                         "a\xBF"
                         "b\xB6"
                         "c"},
                        {false});
  EXPECT_EQ(messages.questions(), std::vector<std::string>{cp("Diese Zeichen kann die Datenbank nicht speichern: "
                                                              "„¡“, „¿“, „¶“. Sie werden als Leerzeichen "
                                                              "gespeichert. Trotzdem speichern?")});
  EXPECT_FALSE(geprueft.speichern);

  // One question per new name, whatever its case; "Nein" names its line.
  const Rezeptentwurf mojito{
      "", " mojito", {{"4", "cl", "RUM"}, {"", "", "Eis"}, {"", "", "eis"}, {"1", "", "Frische Minze"}}, ""};
  geprueft = vorpruefen(mojito, {true, true, false});
  const std::vector<std::string> asked = {
      cp("Ein Rezept „mojito“ gibt es schon. Trotzdem speichern?"),
      cp("Die Zutat „Eis“ gibt es noch nicht. Neu anlegen?"),
      cp("Die Zutat „Frische Minze“ gibt es noch nicht. Neu anlegen?\n\nÄhnliche Zutaten: „Minze“")};
  EXPECT_EQ(messages.questions(), asked);
  EXPECT_EQ(messages.neinvorgaben, asked);
  EXPECT_FALSE(geprueft.speichern);
  EXPECT_EQ(geprueft.zeile, 3);
  geprueft = vorpruefen(mojito, {true, true, true});
  EXPECT_TRUE(geprueft.speichern);
  // The recipe itself keeps its name without a question.
  geprueft = vorpruefen({"1", "Mojito", {{"4", "cl", "Rum"}}, ""}, {});
  EXPECT_TRUE(geprueft.speichern && messages.log.empty());
  EXPECT_EQ(files(), before);
}

}  // namespace
