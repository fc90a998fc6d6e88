// The changes a command makes to one table file, held in memory until the
// command commits them through the journal: extents of new bytes over the
// file and the file's size as the changes leave it. Reads see the staged
// bytes over the file's, so the write-back works on a staged file as on the
// file itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace tablestore {

class FileStage {
 public:
  explicit FileStage(int64_t filesize) : oldsize_(filesize), size_(filesize), kept_(filesize) {}

  void write(int64_t offset, std::string_view bytes);
  // As platform::File::read of the file with the changes applied.
  bool read(platform::File& file, int64_t offset, char* bytes, std::size_t count, std::size_t& got) const;
  int64_t size() const { return size_; }
  void truncate(int64_t length);

  int64_t oldsize() const { return oldsize_; }
  // The file's own bytes below this offset stay; above it only staged bytes count.
  int64_t kept() const { return kept_; }
  const std::map<int64_t, std::string>& extents() const { return extents_; }
  std::size_t stagedbytes() const { return stagedbytes_; }

 private:
  int64_t oldsize_;
  int64_t size_;
  int64_t kept_;
  std::map<int64_t, std::string> extents_;  // by offset; none overlap or touch
  std::size_t stagedbytes_ = 0;
};

}  // namespace tablestore
