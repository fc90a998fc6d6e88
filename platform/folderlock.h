// A lock on a folder between processes: exclusive, held by one process at a
// time, or shared, held by any number while nobody holds it exclusively. The
// catalogue holds its database folder exclusively while it creates and loads
// its tables and while a command puts its changes on the disk; a copy that
// can only read waits for a shared lock, so that it never loads what another
// copy is in the middle of writing.
#pragma once

#include <memory>
#include <string>

namespace platform {

class FolderLock {
 public:
  enum class Kind { exclusive, shared };

  // Takes the lock without waiting; nullptr while another process (or another
  // FolderLock of this one) holds it against kind, or when the folder cannot
  // be opened.
  static std::unique_ptr<FolderLock> trylock(const std::string& path, Kind kind = Kind::exclusive);
  // Tries again every 50 ms on the clock of platform/clock.h until the lock
  // is taken or seconds have passed; nullptr then.
  static std::unique_ptr<FolderLock> waitlock(const std::string& path, Kind kind, double seconds);

  ~FolderLock();  // releases the lock
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  explicit FolderLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace platform
