#include "platform/folderlock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

std::unique_ptr<FolderLock> FolderLock::trylock(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<FolderLock>(new FolderLock(fd));
}

FolderLock::~FolderLock() { ::close(fd_); }  // closing the last descriptor ends the lock

}  // namespace platform
