// A file's bytes mapped read-only into memory: nothing is copied, and a page
// takes room in the process only once it is read, then sharing the system's
// cache of the file. A byte shows what the file holds at the moment it is
// read, and reading past the end of a file cut shorter stops the program: so
// only a file that no other process writes is worth mapping, and its owner
// neither changes nor cuts the bytes it still reads through the mapping.
#pragma once

#include <cstddef>
#include <memory>

namespace platform {

class File;

class Mapping {
 public:
  // The first size bytes of the open file; nullptr when they cannot be
  // mapped (size 0 included), which is no error: the caller reads instead.
  static std::unique_ptr<Mapping> map(const File& file, std::size_t size);
  ~Mapping();
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;

  const char* data() const { return data_; }

 private:
  Mapping(const char* data, std::size_t size) : data_(data), size_(size) {}
  const char* data_;
  std::size_t size_;
};

}  // namespace platform
