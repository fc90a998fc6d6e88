// Thousands of random row changes checked against a plain model of the
// table's live records, in memory after every call and in the file after
// loading it again now and then. A twin table that stages the same changes
// and commits them through the journal now and then must then hold exactly
// the bytes that writing through gave.
#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "tests/support/tableprobe.h"
#include "writeback_support.h"

using testsupport::probe;

using namespace writeback;

namespace {

// What the table should hold: the values of every live record by its Pos.
struct Model {
  std::map<int32_t, Row> live;
  int32_t maxpos = 0;  // the highest Pos issued or loaded
};

class RandomChanges {
 public:
  RandomChanges(int columns, unsigned seed) : columns_(columns), random_(seed) {}

  // Bytes a user could type plus the ones the table store must clean away.
  Row values() {
    static const std::string alphabet = std::string("abcxyz019 ") + "\xA1\xBF\r\n" + '\0' + "\x01\xE4\xDF";
    Row out;
    for (int c = 0; c < columns_; ++c) {
      // The first value is never empty: a record of empty values only may
      // end a file in a form the reader does not parse.
      const int longest = chance(10) ? 80 : 12;
      int length = std::uniform_int_distribution<int>(c == 0 ? 1 : 0, longest)(random_);
      std::string value;
      while (length-- > 0)
        value += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random_)];
      out.push_back(value);
    }
    return out;
  }

  static Row cleaned(Row values) {
    for (std::string& value : values)
      for (char& c : value)
        if (c == '\xA1' || c == '\0' || c == '\x01' || c == '\n' || c == '\r') c = ' ';
    return values;
  }

  bool chance(int percent) { return std::uniform_int_distribution<int>(1, 100)(random_) <= percent; }

  // A row that has a record, or -1 when there is none.
  int32_t liverow(const TdbdynGrid& table) {
    std::vector<int32_t> rows;
    for (int32_t row = 0; row < table.getrowcount(); ++row)
      if (!probe(table).DBfields(row).empty()) rows.push_back(row);
    if (rows.empty()) return -1;
    return rows[std::uniform_int_distribution<std::size_t>(0, rows.size() - 1)(random_)];
  }

 private:
  int columns_;
  std::mt19937 random_;
};

int32_t posof(const TdbdynGrid& table, int32_t row) {
  int32_t pos = 0;
  EXPECT_TRUE(platform::strtoint(TdbdynGrid::getsubfield(probe(table).DBfields(row), 3), pos));
  return pos;
}

// Memory against the model: live rows "N" with their values, no Pos twice,
// rows without record empty.
void expectmatches(const TdbdynGrid& table, const Model& model) {
  std::set<int32_t> seen;
  for (int32_t row = 0; row < table.getrowcount(); ++row) {
    if (probe(table).DBfields(row).empty()) {
      ASSERT_EQ(cells(table, row), Row(static_cast<std::size_t>(table.getcolcount()), "")) << "row " << row;
      continue;
    }
    ASSERT_EQ(state(table, row), "N") << "row " << row;
    const int32_t pos = posof(table, row);
    ASSERT_TRUE(seen.insert(pos).second) << "Pos " << pos << " twice";
    ASSERT_EQ(model.live.count(pos), 1u) << "Pos " << pos << " is not live";
    ASSERT_EQ(cells(table, row), model.live.at(pos)) << "row " << row;
  }
  ASSERT_EQ(seen.size(), model.live.size());
}

// DC counts every record line, deleted ones included.
void expectrecordcount(const std::string& file) {
  const auto lines = std::count(file.begin(), file.end(), '\r');
  ASSERT_EQ(file.substr(4, 10), pos10(lines));
}

class RandomModel : public TableFile, public testing::WithParamInterface<int> {
 protected:
  // The twin's staged changes committed; its file then matches the table's.
  void committwin() {
    std::vector<tablestore::Stagedfile> files;
    twin.staged(files);
    ASSERT_TRUE(journal.commit(files));
    twin.committed();
    ASSERT_EQ(readbytes(twinfolder.file(std::string(name) + ".db")), bytes());
    ASSERT_EQ(readbytes(twinfolder.file("journal")), "");
  }

  tablefiles::ScratchFolder twinfolder;
  TdbdynGrid twin{name};
  tablestore::JournalWriter journal{twinfolder.path()};
};

TEST_P(RandomModel, TableAndFileFollowTheModel) {
  const int columns = GetParam();
  RandomChanges random(columns, 20261207u + static_cast<unsigned>(columns));
  start(header(0, columns));
  writebytes(twinfolder.file(std::string(name) + ".db"), header(0, columns));
  twin.stagechanges(true);
  ASSERT_TRUE(twin.db_init(twinfolder.path(), {name}));
  Model model;
  TdbdynGrid other(name);
  TdbdynGrid* current = &table;

  for (int step = 1; step <= 3000; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    TdbdynGrid& t = *current;
    const int32_t row = random.liverow(t);
    const int dice = random.chance(45) ? 0 : random.chance(70) ? 1 : 2;
    if (row < 0 || dice == 0) {
      Row values = random.values();
      const Row expected = RandomChanges::cleaned(values);
      Row same = values;
      ASSERT_TRUE(twin.addrow(same));
      ASSERT_TRUE(t.addrow(values));
      ASSERT_EQ(values, expected);
      int32_t added = t.getrowcount() - 1;
      ASSERT_EQ(posof(t, added), model.maxpos + 1);
      model.live[++model.maxpos] = expected;
    } else if (dice == 1) {
      Row values = random.values();
      const int32_t pos = posof(t, row);
      Row same = values;
      ASSERT_TRUE(twin.updaterow(row, same));
      ASSERT_TRUE(t.updaterow(row, values));
      ASSERT_EQ(posof(t, row), pos);
      model.live[pos] = RandomChanges::cleaned(values);
    } else {
      model.live.erase(posof(t, row));
      ASSERT_TRUE(twin.delrow(row));
      ASSERT_TRUE(t.delrow(row));
    }
    if (random.chance(5)) {
      ASSERT_NO_FATAL_FAILURE(committwin());
    }
    ASSERT_TRUE(messages.log.empty()) << messages.log.front().text;
    expectmatches(t, model);

    if (step % 250 == 0) {
      // Load again, alternately into the same object and into another one.
      ASSERT_NO_FATAL_FAILURE(expectrecordcount(bytes()));
      ASSERT_NO_FATAL_FAILURE(committwin());
      ASSERT_TRUE(twin.reload());
      TdbdynGrid& next = step % 500 == 0 ? t : (current == &table ? other : table);
      t.db_close();
      ASSERT_TRUE(next.db_init(folder.path(), {name}));
      ASSERT_TRUE(messages.log.empty()) << messages.log.front().text;
      current = &next;
      model.maxpos = model.live.empty() ? 0 : model.live.rbegin()->first;
      expectmatches(next, model);
      ASSERT_EQ(probe(next).dbfiles().at(0).maxpos, model.maxpos);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(WriteBack, RandomModel, testing::Values(2, 3),
                         [](const auto& test) { return std::to_string(test.param) + "columns"; });

}  // namespace
