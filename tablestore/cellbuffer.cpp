#include "tablestore/cellbuffer.h"

#include <algorithm>
#include <cstring>

#include "tablestore/recordformat.h"

using recordformat::colsep;

namespace tablestore {

namespace {

// values_ is laid out anew once its garbage is this large and more than half of it.
constexpr std::size_t garbageslack = 1 << 16;

}  // namespace

void CellBuffer::setcolumns(int32_t columns) {
  if (columns != columns_) rewrite(columns);
  columns_ = columns;
}

void CellBuffer::resize(std::size_t rows) {
  for (std::size_t row = rows; row < starts_.size(); ++row) garbage_ += rowcells(starts_[row]).size();
  starts_.resize(rows, none);
}

void CellBuffer::reserve(std::size_t rows, std::size_t bytes) {
  starts_.reserve(rows);
  values_.reserve(values_.size() + bytes);
}

void CellBuffer::clear() {
  values_ = {};
  starts_ = {};
  garbage_ = 0;
  columns_ = 0;
}

std::string_view CellBuffer::cell(int32_t col, int32_t row) const {
  const uint64_t start = starts_[static_cast<std::size_t>(row)];
  if (start == none) return {};
  // Every row holds columns_ separators, so each walk ends inside it. Most
  // cells are a few bytes long: a plain walk beats a call of memchr.
  const char* cell = values_.data() + start;
  for (int32_t c = 0; c < col; ++c) {
    while (*cell != colsep) ++cell;
    ++cell;
  }
  const char* end = cell;
  while (*end != colsep) ++end;
  return {cell, static_cast<std::size_t>(end - cell)};
}

void CellBuffer::views(int32_t row, std::span<std::string_view> cells) const {
  const uint64_t start = starts_[static_cast<std::size_t>(row)];
  if (start == none) return;
  const char* cell = values_.data() + start;
  for (std::string_view& view : cells.first(std::min<std::size_t>(cells.size(), columns_))) {
    const char* end = cell;
    while (*end != colsep) ++end;
    view = {cell, static_cast<std::size_t>(end - cell)};
    cell = end + 1;
  }
}

void CellBuffer::set(int32_t row, std::string_view cells) {
  uint64_t& start = starts_[static_cast<std::size_t>(row)];
  const std::size_t end = values_.size();
  values_.append(cells);  // should this fail, the row keeps its old cells
  garbage_ += rowcells(start).size();
  start = end;
  if (garbage_ > garbageslack && garbage_ > values_.size() / 2) rewrite(columns_);
}

void CellBuffer::erase(int32_t row) {
  uint64_t& start = starts_[static_cast<std::size_t>(row)];
  garbage_ += rowcells(start).size();
  start = none;
}

std::string_view CellBuffer::rowcells(uint64_t start) const {
  if (start == none) return {};
  const char* const bufferend = values_.data() + values_.size();
  const char* const begin = values_.data() + start;
  const char* end = begin;
  for (int32_t c = 0; c < columns_; ++c)
    end = static_cast<const char*>(std::memchr(end, colsep, static_cast<std::size_t>(bufferend - end))) + 1;
  return {begin, static_cast<std::size_t>(end - begin)};
}

void CellBuffer::rewrite(int32_t columns) {
  std::string packed;
  packed.reserve(values_.size() - garbage_);
  for (uint64_t& start : starts_) {
    std::string_view rest = rowcells(start);
    if (start == none) continue;
    start = columns == 0 ? none : packed.size();
    for (int32_t col = 0; col < columns; ++col) {
      const std::size_t sep = rest.find(colsep);
      packed.append(rest.substr(0, sep));
      packed.push_back(colsep);
      rest.remove_prefix(sep == std::string_view::npos ? rest.size() : sep + 1);
    }
  }
  values_ = std::move(packed);
  garbage_ = 0;
}

}  // namespace tablestore
