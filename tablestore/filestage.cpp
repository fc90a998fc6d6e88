#include "tablestore/filestage.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace tablestore {

void FileStage::write(int64_t offset, std::string_view bytes) {
  if (bytes.empty()) return;
  // The extent that holds or ends at offset takes the bytes; else a new one.
  auto extent = extents_.upper_bound(offset);
  if (extent != extents_.begin()) {
    auto before = std::prev(extent);
    if (before->first + static_cast<int64_t>(before->second.size()) >= offset) extent = before;
  }
  if (extent == extents_.end() || extent->first > offset) extent = extents_.emplace(offset, std::string()).first;
  std::string& held = extent->second;
  const std::size_t at = static_cast<std::size_t>(offset - extent->first);
  stagedbytes_ -= held.size();
  if (held.size() < at + bytes.size()) held.resize(at + bytes.size());
  std::memcpy(held.data() + at, bytes.data(), bytes.size());
  // Extents now overlapped or touched join this one; its bytes win.
  for (auto next = std::next(extent); next != extents_.end();) {
    const int64_t end = extent->first + static_cast<int64_t>(held.size());
    if (next->first > end) break;
    const auto overlap = static_cast<std::size_t>(end - next->first);
    if (overlap < next->second.size()) held.append(next->second, overlap);
    stagedbytes_ -= next->second.size();
    next = extents_.erase(next);
  }
  stagedbytes_ += held.size();
  size_ = std::max(size_, offset + static_cast<int64_t>(bytes.size()));
}

bool FileStage::read(platform::File& file, int64_t offset, char* bytes, std::size_t count, std::size_t& got) const {
  got = 0;
  if (offset >= size_) return true;
  const std::size_t wanted = std::min<std::size_t>(count, static_cast<std::size_t>(size_ - offset));
  const int64_t end = offset + static_cast<int64_t>(wanted);
  auto extent = extents_.upper_bound(offset);
  if (extent != extents_.begin()) extent = std::prev(extent);
  // Bytes staged as a whole (an appended record's count, read back) need no
  // read of the file.
  if (extent != extents_.end() && extent->first <= offset &&
      extent->first + static_cast<int64_t>(extent->second.size()) >= end) {
    std::memcpy(bytes, extent->second.data() + (offset - extent->first), wanted);
    got = wanted;
    return true;
  }
  // The file's bytes where it keeps them, zeros past that, then the staged ones.
  std::size_t fromfile = 0;
  if (offset < kept_) {
    const std::size_t own = std::min<std::size_t>(wanted, static_cast<std::size_t>(kept_ - offset));
    if (!file.read(offset, bytes, own, fromfile)) return false;
  }
  std::memset(bytes + fromfile, 0, wanted - fromfile);
  for (; extent != extents_.end() && extent->first < end; ++extent) {
    const int64_t from = std::max(offset, extent->first);
    const int64_t to = std::min(end, extent->first + static_cast<int64_t>(extent->second.size()));
    if (from >= to) continue;
    std::memcpy(bytes + (from - offset), extent->second.data() + (from - extent->first),
                static_cast<std::size_t>(to - from));
  }
  got = wanted;
  return true;
}

void FileStage::truncate(int64_t length) {
  size_ = length;
  kept_ = std::min(kept_, length);
  auto extent = extents_.lower_bound(length);
  while (extent != extents_.end()) {
    stagedbytes_ -= extent->second.size();
    extent = extents_.erase(extent);
  }
  if (extents_.empty()) return;
  auto last = std::prev(extents_.end());
  const int64_t end = last->first + static_cast<int64_t>(last->second.size());
  if (end <= length) return;
  stagedbytes_ -= static_cast<std::size_t>(end - length);
  last->second.resize(static_cast<std::size_t>(length - last->first));
}

}  // namespace tablestore
