#include "platform/mapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "platform/file.h"

namespace platform {

// The mapping must not hold the file's lock: a mapping keeps the descriptor
// it was made from alive, and with it a lock taken through it, after the file
// is closed. So the file is opened again (the same file, whatever its path
// names now) for the mapping alone, without a lock.
std::unique_ptr<Mapping> Mapping::map(const File& file, std::size_t size) {
  if (size == 0 || !file.isopen()) return nullptr;
  const std::string again = "/proc/self/fd/" + std::to_string(file.fd_);
  const int fd = ::open(again.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  void* const data = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  ::close(fd);
  if (data == MAP_FAILED) return nullptr;
  return std::unique_ptr<Mapping>(new Mapping(static_cast<const char*>(data), size));
}

Mapping::~Mapping() { ::munmap(const_cast<char*>(data_), size_); }

}  // namespace platform
