// The cells of a table's rows. Every row's cells lie in one buffer, each
// row's in one piece, each cell followed by colsep (no cell holds that byte):
// one buffer for the whole table instead of a string per cell. A changed row
// is appended anew; the old bytes are garbage until the buffer is laid out
// again. A loaded row's cells may instead stay where they are in a mapped
// table file, in the same form: the load then copies nothing, and the row
// gets a copy only once it changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mapping.h"

namespace tablestore {

class CellBuffer {
 public:
  int32_t columns() const { return columns_; }
  // Lays the buffer out anew with columns cells per row when that differs:
  // each row is cut or padded.
  void setcolumns(int32_t columns);
  // The rows the buffer has room for; rows cut off lose their cells.
  void resize(std::size_t rows);
  // Room for rows rows and bytes more bytes of cells, so that neither moves while a load fills them.
  void reserve(std::size_t rows, std::size_t bytes);
  // No rows, no columns.
  void clear();

  // The cell without checks; col and row must be inside the buffer.
  std::string_view cell(int32_t col, int32_t row) const;
  // The first cells.size() cells of the row, at most columns(); the rest stays as it is.
  void views(int32_t row, std::span<std::string_view> cells) const;
  // Puts cells (each followed by colsep) in as the row's cells; the old ones become garbage.
  void set(int32_t row, std::string_view cells);
  // The row's cells all become empty.
  void erase(int32_t row);
  // Keeps the mapping for rows whose cells lie in it, until clear() or a
  // change of columns, which gives every row a copy.
  void keep(std::unique_ptr<platform::Mapping> mapping);
  // The row's cells are the bytes at cells, inside a kept mapping: each of
  // the columns() cells followed by colsep.
  void setmapped(int32_t row, const char* cells);
  // Every row whose cells lie in a mapping gets its own copy; the mappings go.
  void ownall() { rewrite(columns_, false); }

 private:
  static constexpr uint64_t none = UINT64_MAX;  // a row whose cells are all empty
  // Marks a start that is the address of cells in a mapping, not an offset in values_.
  static constexpr uint64_t mapped = uint64_t{1} << 63;
  static bool inmapping(uint64_t start) { return start != none && (start & mapped) != 0; }
  // Where the cells of a row that has cells begin.
  const char* rowbegin(uint64_t start) const;
  // The bytes of a row's cells: each cell followed by colsep.
  std::string_view rowcells(uint64_t start) const;
  // The bytes of the row's cells that are garbage in values_ once the row has others.
  std::size_t ownbytes(uint64_t start) const { return inmapping(start) ? 0 : rowcells(start).size(); }
  // Lays the buffer out anew with columns cells per row, without the garbage;
  // rows in a mapping stay there when keepmapped (and columns do not change).
  void rewrite(int32_t columns, bool keepmapped);

  std::string values_;
  std::vector<uint64_t> starts_;  // where each row's cells begin in values_, or their address | mapped
  std::vector<std::unique_ptr<platform::Mapping>> mappings_;
  std::size_t garbage_ = 0;
  int32_t columns_ = 0;
};

}  // namespace tablestore
