#include "catalogue/rating.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/file.h"
#include "tests/support/catalogue_fixture.h"
#include "tests/support/faults.h"
#include "tests/support/tablebuilder.h"

namespace {

using testsupport::packed;

class RatingTest : public testsupport::CatalogueFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start());
    const std::string sep(1, TdbdynGrid::subsep);
    ASSERT_TRUE(testsupport::loadtable(catalogue->c_rezepte(), dbfolder(), 2,
                                       {{"3", packed({"Mojito", "2"})},
                                        {"7", "Daiquiri" + sep + "0" + sep + "eins" + sep + sep + "f" + sep},
                                        {"abc", packed({"Ohne Id", "1"})},
                                        {"07", packed({"Doppelt", "5"})}}));
    messages.clear();
  }

  std::string rezeptefile() const { return testsupport::readfile(dbfolder() + "c_rezepte.db"); }

  // The recipe table as it is stored: loaded again from its file.
  std::vector<std::string> reloadedrow(int32_t row) {
    TdbdynGrid& table = catalogue->c_rezepte();
    table.db_close();
    EXPECT_TRUE(table.db_init(dbfolder(), {"c_rezepte"}));
    std::vector<std::string> values;
    table.getrow(row, values);
    return values;
  }

  testsupport::FakeRating dialog;
};

TEST_F(RatingTest, WritesOnlyTheRatingSubfieldAndGivesTheNewStars) {
  EXPECT_EQ(catalogue::Wertungndern1Click(*catalogue, "7", dialog), std::optional<std::string>("* * * *"));
  EXPECT_EQ(dialog.offered, std::vector<int>{0});
  EXPECT_TRUE(messages.log.empty());
  const std::string sep(1, TdbdynGrid::subsep);
  // Reloading keeps the table order of the rows that were not touched; the
  // changed record may move in the file, so look it up by id.
  std::vector<std::string> found;
  for (int32_t row = 0; row < 4; ++row) {
    const std::vector<std::string> values = reloadedrow(row);
    if (values.at(0) == "7") found = values;
  }
  EXPECT_EQ(found, (std::vector<std::string>{"7", "Daiquiri" + sep + "4" + sep + "eins" + sep + sep + "f" + sep}));
}

TEST_F(RatingTest, TheFirstRecipeWithTheNumberIsChangedAndOffersItsRating) {
  dialog.answer = 1;
  EXPECT_EQ(catalogue::Wertungndern1Click(*catalogue, "+3", dialog), std::optional<std::string>("*"));
  EXPECT_EQ(dialog.offered, std::vector<int>{2});
  EXPECT_EQ(TdbdynGrid::getsubfield(catalogue->c_rezepte().getcell(1, 0), 2), "1");
  // "07" and "7" are the same number: the first row in table order wins.
  dialog.answer = 2;
  EXPECT_EQ(catalogue::Wertungndern1Click(*catalogue, "007", dialog), std::optional<std::string>("* *"));
  EXPECT_EQ(TdbdynGrid::getsubfield(catalogue->c_rezepte().getcell(1, 1), 2), "2");
  EXPECT_EQ(TdbdynGrid::getsubfield(catalogue->c_rezepte().getcell(1, 3), 2), "5");
}

TEST_F(RatingTest, CancelOrAMissingRecipeChangesNothingAndSaysNothing) {
  const std::string before = rezeptefile();
  dialog.ok = false;
  EXPECT_FALSE(catalogue::Wertungndern1Click(*catalogue, "3", dialog).has_value());
  EXPECT_EQ(dialog.offered.size(), 1u);
  dialog.ok = true;
  for (const std::string gone : {"99", "", "abc", "7a"}) {
    EXPECT_FALSE(catalogue::Wertungndern1Click(*catalogue, gone, dialog).has_value()) << gone;
  }
  EXPECT_EQ(dialog.offered.size(), 1u);  // the dialog never opened for a missing recipe
  EXPECT_EQ(rezeptefile(), before);
  EXPECT_TRUE(messages.log.empty());
}

TEST_F(RatingTest, AFailedWriteOrSyncIsReportedAndLeavesNoTrace) {
  ASSERT_TRUE(catalogue::Wertungndern1Click(*catalogue, "3", dialog).has_value());  // the journal exists now
  testsupport::faults::disarm();
  ASSERT_TRUE(catalogue::Wertungndern1Click(*catalogue, "3", dialog).has_value());
  const long operations = testsupport::faults::calls();
  const std::string before = rezeptefile();
  const std::string cell = catalogue->c_rezepte().getcell(1, 0);
  const int old = dialog.answer;
  dialog.answer = 1;
  // Only the folder lock's open, flock and close may fail without failing the
  // rating: without the lock a command writes all the same.
  int tolerated = 0;
  for (long nth = 1; nth <= operations; ++nth) {
    messages.clear();
    testsupport::faults::arm(nth, EACCES);
    const bool rated = catalogue::Wertungndern1Click(*catalogue, "3", dialog).has_value();
    testsupport::faults::disarm();
    if (rated) {
      ++tolerated;
      EXPECT_NE(rezeptefile(), before) << nth;
      dialog.answer = old;
      ASSERT_TRUE(catalogue::Wertungndern1Click(*catalogue, "3", dialog).has_value());
      dialog.answer = 1;
      continue;
    }
    const std::vector<std::string> warnings = messages.warnings();
    ASSERT_GE(warnings.size(), 2u) << nth;  // the table store's own reason first
    EXPECT_EQ(warnings.back(), std::string("Fehler beim Übernehmen der Daten!"_cp));
    // Neither memory nor the file keeps the failed rating.
    EXPECT_EQ(catalogue->c_rezepte().getcell(1, 0), cell) << nth;
    EXPECT_EQ(rezeptefile(), before) << nth;
  }
  EXPECT_LE(tolerated, 3);
}

}  // namespace
