// The cells of a table's rows. Every row's cells lie in one buffer, each
// row's in one piece, each cell followed by colsep (no cell holds that byte):
// one buffer for the whole table instead of a string per cell. A changed row
// is appended anew; the old bytes are garbage until the buffer is laid out
// again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

 private:
  static constexpr uint64_t none = UINT64_MAX;  // a row whose cells are all empty
  // The bytes of a row's cells: each cell followed by colsep.
  std::string_view rowcells(uint64_t start) const;
  // Lays the buffer out anew with columns cells per row, without the garbage.
  void rewrite(int32_t columns);

  std::string values_;
  std::vector<uint64_t> starts_;  // where each row's cells begin in values_
  std::size_t garbage_ = 0;
  int32_t columns_ = 0;
};

}  // namespace tablestore
