// Odd inputs found by fuzzing the reader (tests/data/reader_corpus): each one
// loads or stops with one of the reader's messages, and the file keeps its
// bytes except for the record count correction and records of an unfinished
// change settled.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/text.h"
#include "readeroutcome.h"
#include "tablefiles.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tests/support/fake_messages.h"

using namespace tablefiles;

namespace {

TEST(ReaderCorpus, EveryInputLoadsOrFailsCleanly) {
  const std::filesystem::path corpus = std::filesystem::path(MIXOLINO_TEST_DATA) / "reader_corpus";
  int inputs = 0;
  int failures = 0;
  int corrections = 0;
  TdbdynGrid table("c_corpus");  // one table for all, as the program reloads its tables
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    ++inputs;
    const std::string name = entry.path().filename().string();
    const std::string input = readbytes(entry.path().string());
    ScratchFolder folder;
    const std::string path = folder.file("c_corpus.db");
    writebytes(path, input);
    testsupport::FakeMessages messages;
    const bool loaded = table.db_init(folder.path(), {"c_corpus"});

    bool countwarning = false;
    bool readerfailure = false;
    for (const std::string& text : messages.warnings()) {
      EXPECT_TRUE(readeroutcome::isexpected(text, "c_corpus", path)) << name << ": " << text;
      countwarning = countwarning || readeroutcome::startswith(text, readeroutcome::countwarningstart(path));
      readerfailure = readerfailure || readeroutcome::isreaderfailure(text, "c_corpus");
    }
    EXPECT_EQ(loaded, !readerfailure) << name;
    EXPECT_TRUE(messages.questions().empty() && messages.informations().empty()) << name;
    failures += readerfailure;
    table.db_close();

    std::string after = readbytes(path);
    ASSERT_EQ(after.size(), input.size()) << name;
    if (countwarning && readeroutcome::endswith(messages.warnings().back(), "Fehler wurde korrigiert!")) {
      ++corrections;
      // The new count stands in bytes 4..13, after the unchanged magic and separator.
      int32_t count = -1;
      EXPECT_TRUE(platform::strtoint(after.substr(4, 10), count)) << name;
      EXPECT_EQ(after.substr(0, 4), "#DB" + A) << name;
      // The corrected file loads again without a count warning.
      messages.clear();
      EXPECT_EQ(table.db_init(folder.path(), {"c_corpus"}), loaded) << name;
      for (const std::string& text : messages.warnings())
        EXPECT_FALSE(readeroutcome::startswith(text, readeroutcome::countwarningstart(path))) << name;
      table.db_close();
      after.replace(0, 14, input, 0, 14);
    }
    if (!readeroutcome::onlysettled(input, after)) {
      EXPECT_EQ(after, input) << name;
    }
  }
  // The corpus holds inputs of each kind.
  EXPECT_GE(inputs, 20);
  EXPECT_GT(failures, 0);
  EXPECT_GT(corrections, 0);
  EXPECT_LT(failures, inputs);
}

}  // namespace
