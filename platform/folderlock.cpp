#include "platform/folderlock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/clock.h"

namespace platform {

std::unique_ptr<FolderLock> FolderLock::trylock(const std::string& path, Kind kind) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (::flock(fd, (kind == Kind::exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<FolderLock>(new FolderLock(fd));
}

std::unique_ptr<FolderLock> FolderLock::waitlock(const std::string& path, Kind kind, double seconds) {
  constexpr int retryms = 50;
  const double giveup = now() + seconds * onesecond;
  for (;;) {
    if (std::unique_ptr<FolderLock> lock = trylock(path, kind)) return lock;
    if (now() >= giveup) return nullptr;
    sleep(retryms);
  }
}

FolderLock::~FolderLock() { ::close(fd_); }  // closing the last descriptor ends the lock

}  // namespace platform
