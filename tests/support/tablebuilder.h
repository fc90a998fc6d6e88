// Catalogue tables for tests and benchmarks, written straight into table
// files and loaded, so that large or odd catalogues (ids that are no numbers,
// rows of empty cells) need no row-by-row writing.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tablestore/dbdyngrid_unit.h"

namespace testsupport {

using Rows = std::vector<std::vector<std::string>>;

// A packed cell of five subfields whose first ones hold the values.
inline std::string packed(const std::vector<std::string>& values) {
  std::string text = TdbdynGrid::newsubfields(5);
  for (std::size_t i = 0; i < values.size(); ++i) TdbdynGrid::setsubfield(text, static_cast<int32_t>(i + 1), values[i]);
  return text;
}

// The bytes of a table file with the rows as live records, Pos 1, 2, ...
inline std::string tablefilebytes(int32_t columns, const Rows& rows) {
  const std::string colsep(1, TdbdynGrid::colsep);
  const std::string subsep(1, TdbdynGrid::subsep);
  std::string bytes = "#DB" + colsep + platform::zeropadded(static_cast<int64_t>(rows.size()), 10) + colsep + "A" +
                      colsep + std::to_string(columns) + colsep;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    bytes += "\r\n" + subsep + platform::zeropadded(static_cast<int64_t>(i + 1), 10) + subsep + "0" + colsep;
    for (const std::string& value : rows[i]) bytes += TdbdynGrid::cleantext(value) + colsep;
  }
  return bytes;
}

// Writes folder + the table's name + ".db" and loads the table from it. The
// last row should not be all empty: the format cannot end with such a record.
inline bool loadtable(TdbdynGrid& table, const std::string& folder, int32_t columns, const Rows& rows) {
  {
    std::ofstream out(folder + table.name() + ".db", std::ios::binary | std::ios::trunc);
    out << tablefilebytes(columns, rows);
  }
  table.db_close();
  return table.db_init(folder, {table.name()});
}

}  // namespace testsupport
