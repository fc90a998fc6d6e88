// Helpers of the row change and write-back tests: one table loaded from a
// scratch folder, its file bytes, and the texts the table store shows.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/text.h"
#include "tablefiles.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tests/support/fake_messages.h"
#include "tests/support/tableprobe.h"

namespace writeback {

using tablefiles::A;
using tablefiles::B;
using tablefiles::fields;
using tablefiles::readbytes;
using tablefiles::record;
using tablefiles::writebytes;
using Row = std::vector<std::string>;
using Texts = std::vector<std::string>;

inline std::string pos10(int64_t pos) { return platform::zeropadded(pos, 10); }

// The header of a file with columns columns and count records.
inline std::string header(int64_t count, int columns) {
  return tablefiles::header(pos10(count), std::to_string(columns));
}

// A live record with Pos pos.
inline std::string liverecord(int64_t pos, const Row& values) {
  std::string out = B + pos10(pos) + B + "0" + A;
  for (const std::string& value : values) out += value + A;
  return out;
}

inline std::string deletedhead() { return B + pos10(0) + B + "1"; }

// What the table store appends to a message: line break, "Quelle:" and the name.
inline std::string source(const std::string& name) { return "\n\rQuelle:" + name; }

inline std::string state(const TdbdynGrid& table, int32_t row) {
  return TdbdynGrid::getsubfield(testsupport::probe(table).DBfields(row), 1);
}

inline Row cells(const TdbdynGrid& table, int32_t row) {
  Row out;
  table.getrow(row, out);
  return out;
}

// One table "c_rezepte" loaded from its file in a scratch folder; messages recorded.
class TableFile : public testing::Test {
 protected:
  static constexpr const char* name = "c_rezepte";

  // Writes the file and loads the table from it; no message may appear.
  void start(const std::string& bytes) {
    writebytes(path, bytes);
    ASSERT_TRUE(table.db_init(folder.path(), {name}));
    ASSERT_EQ(messages.log.size(), 0u) << messages.log.front().text;
  }

  // A second table object loaded from the same folder, as at the next start.
  void reload(TdbdynGrid& fresh, const std::vector<std::string>& names = {name}) {
    table.db_close();
    ASSERT_TRUE(fresh.db_init(folder.path(), names));
  }

  bool add(Row values) { return table.addrow(values); }
  bool update(int32_t row, Row values) { return table.updaterow(row, values); }

  std::string bytes() const { return readbytes(path); }

  testsupport::FakeMessages messages;
  tablefiles::ScratchFolder folder;
  std::string path = folder.file(std::string(name) + ".db");
  TdbdynGrid table{name};
};

}  // namespace writeback
