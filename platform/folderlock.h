// An exclusive lock on a folder, held by one process at a time. The catalogue
// holds the lock of its database folder while it creates and loads its three
// tables, so that two copies started together cannot split them up.
#pragma once

#include <memory>
#include <string>

namespace platform {

class FolderLock {
 public:
  // Takes the lock without waiting; nullptr while another process (or another
  // FolderLock of this one) holds it, or when the folder cannot be opened.
  static std::unique_ptr<FolderLock> trylock(const std::string& path);

  ~FolderLock();  // releases the lock
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  explicit FolderLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace platform
