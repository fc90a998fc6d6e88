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
  if (columns != columns_) rewrite(columns, false);
  columns_ = columns;
}

void CellBuffer::resize(std::size_t rows) {
  for (std::size_t row = rows; row < starts_.size(); ++row) garbage_ += ownbytes(starts_[row]);
  starts_.resize(rows, none);
}

void CellBuffer::reserve(std::size_t rows, std::size_t bytes) {
  starts_.reserve(rows);
  values_.reserve(values_.size() + bytes);
}

void CellBuffer::clear() {
  values_ = {};
  starts_ = {};
  mappings_.clear();
  garbage_ = 0;
  columns_ = 0;
}

std::string_view CellBuffer::cell(int32_t col, int32_t row) const {
  const uint64_t start = starts_[static_cast<std::size_t>(row)];
  if (start == none) return {};
  // Every row holds columns_ separators, so each walk ends inside it. Most
  // cells are a few bytes long: a plain walk beats a call of memchr.
  const char* cell = rowbegin(start);
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
  const char* cell = rowbegin(start);
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
  garbage_ += ownbytes(start);
  start = end;
  if (garbage_ > garbageslack && garbage_ > values_.size() / 2) rewrite(columns_, true);
}

void CellBuffer::erase(int32_t row) {
  uint64_t& start = starts_[static_cast<std::size_t>(row)];
  garbage_ += ownbytes(start);
  start = none;
}

void CellBuffer::keep(std::unique_ptr<platform::Mapping> mapping) { mappings_.push_back(std::move(mapping)); }

void CellBuffer::setmapped(int32_t row, const char* cells) {
  uint64_t& start = starts_[static_cast<std::size_t>(row)];
  garbage_ += ownbytes(start);
  start = reinterpret_cast<uintptr_t>(cells) | mapped;
}

const char* CellBuffer::rowbegin(uint64_t start) const {
  return inmapping(start) ? reinterpret_cast<const char*>(start & ~mapped) : values_.data() + start;
}

std::string_view CellBuffer::rowcells(uint64_t start) const {
  if (start == none) return {};
  const char* const begin = rowbegin(start);
  const char* end = begin;
  if (inmapping(start)) {
    for (int32_t c = 0; c < columns_; ++c, ++end)
      while (*end != colsep) ++end;
    return {begin, static_cast<std::size_t>(end - begin)};
  }
  const char* const bufferend = values_.data() + values_.size();
  for (int32_t c = 0; c < columns_; ++c)
    end = static_cast<const char*>(std::memchr(end, colsep, static_cast<std::size_t>(bufferend - end))) + 1;
  return {begin, static_cast<std::size_t>(end - begin)};
}

void CellBuffer::rewrite(int32_t columns, bool keepmapped) {
  std::string packed;
  packed.reserve(values_.size() - garbage_);
  for (uint64_t& start : starts_) {
    if (start == none || (keepmapped && inmapping(start))) continue;
    std::string_view rest = rowcells(start);
    start = columns == 0 ? none : packed.size();
    for (int32_t col = 0; col < columns; ++col) {
      const std::size_t sep = rest.find(colsep);
      packed.append(rest.substr(0, sep));
      packed.push_back(colsep);
      rest.remove_prefix(sep == std::string_view::npos ? rest.size() : sep + 1);
    }
  }
  values_ = std::move(packed);
  if (!keepmapped) mappings_.clear();  // every row has its own copy now
  garbage_ = 0;
}

}  // namespace tablestore
