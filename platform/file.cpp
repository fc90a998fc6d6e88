#include "platform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iterator>

#include "platform/codepage.h"

namespace platform {

namespace {

thread_local int lasterrorcode = 0;

// Maps an errno value to the program's error codes.
int errorcodefromerrno(int errnum) {
  switch (errnum) {
    case ENOENT:
    case ENOTDIR: return errfilenotfound;
    case ENAMETOOLONG:
    case EINVAL:
    case EISDIR: return errinvalidname;
    case EMFILE:
    case ENFILE: return errtoomanyfiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case ELOOP: return erraccessdenied;  // a link where a file must be
    case EWOULDBLOCK: return errinuse;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return errdiskfull;
    case EIO: return errdeviceio;
    default: return errnum;
  }
}

bool failwitherrno() {
  lasterrorcode = errorcodefromerrno(errno);
  return false;
}

// Takes the deny-write lock; only one process can hold it.
bool lockdenywrite(int fd) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  return failwitherrno();
}

bool isregularfile(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return failwitherrno();
  if (S_ISREG(info.st_mode)) return true;
  lasterrorcode = erraccessdenied;
  return false;
}

}  // namespace

std::string errortext(int code) {
  switch (code) {
    case errfilenotfound: return "Datei nicht gefunden";
    case errinvalidname: return std::string("Ungültiger Dateiname"_cp);
    case errtoomanyfiles: return std::string("Zu viele geöffnete Dateien"_cp);
    case erraccessdenied: return "Dateizugriff verweigert";
    case errreadpastend: return "Versuch hinter dem Dateiende zu lesen";
    case errdiskfull: return "Zu wenig Speicherplatz";
    case errinvalidnumeric: return std::string("Ungültige numerische Eingabe"_cp);
    default: return "E/A-Fehler " + std::to_string(code);
  }
}

int lasterror() { return lasterrorcode; }

std::unique_ptr<File> File::open(const std::string& path, Access access) {
  const bool readwrite = access == Access::readwritedenywrite;
  // Only a file the user names may be reached through a link.
  const int follow = access == Access::readonlyregularfile ? 0 : O_NOFOLLOW;
  const int fd = ::open(path.c_str(), (readwrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK | follow);
  if (fd < 0) {
    failwitherrno();
    return nullptr;
  }
  if (!isregularfile(fd) || (readwrite && !lockdenywrite(fd))) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<File>(new File(fd));
}

std::unique_ptr<File> File::create(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0644);
  if (fd < 0) {
    failwitherrno();
    return nullptr;
  }
  if (!lockdenywrite(fd)) {
    ::close(fd);
    return nullptr;
  }
  if (::ftruncate(fd, 0) != 0) {
    failwitherrno();
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<File>(new File(fd));
}

bool File::present(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return failwitherrno();
  return !S_ISDIR(info.st_mode);
}

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

// A system call may move fewer bytes than asked (a signal, a very large
// count); the rest follows, still as one operation of this layer.
bool File::read(int64_t offset, void* buffer, std::size_t count, std::size_t& got) {
  got = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (got < count) {
    const ssize_t n = ::pread(fd_, bytes + got, count - got, offset + static_cast<int64_t>(got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return failwitherrno();
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

bool File::write(int64_t offset, const void* buffer, std::size_t count, std::size_t& written) {
  written = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (written < count) {
    const ssize_t n = ::pwrite(fd_, bytes + written, count - written, offset + static_cast<int64_t>(written));
    if (n < 0) {
      if (errno == EINTR) continue;
      return failwitherrno();
    }
    if (n == 0) {
      lasterrorcode = errdiskfull;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

bool File::size(int64_t& bytes) {
  bytes = 0;
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return failwitherrno();
  bytes = info.st_size;
  return true;
}

bool File::truncate(int64_t length) {
  if (::ftruncate(fd_, length) != 0) return failwitherrno();
  return true;
}

bool File::sync() {
  if (::fdatasync(fd_) != 0) return failwitherrno();
  return true;
}

bool File::close() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) return failwitherrno();
  return true;
}

bool directoryexists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool createdirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) == 0) return true;
  return failwitherrno();
}

bool fileexists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool specialfile(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

bool deletefile(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return true;
  return failwitherrno();
}

bool renamefile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  return failwitherrno();
}

bool exchangefolders(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) return true;
  return failwitherrno();
}

std::string makescratchfolder() {
  std::error_code error;
  std::string pattern = (std::filesystem::temp_directory_path(error) / "mixolino-XXXXXX").string();
  if (error || ::mkdtemp(pattern.data()) == nullptr) {
    failwitherrno();
    return {};
  }
  return pattern + "/";
}

bool removefolder(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  if (!error) return true;
  lasterrorcode = errorcodefromerrno(error.value());
  return false;
}

std::vector<std::string> foldernames(const std::string& path) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(path, error))
    names.push_back(entry.path().filename().string());
  return names;
}

bool withinfolder(const std::string& path, const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path place = fs::weakly_canonical(path, error);
  const fs::path home = fs::weakly_canonical(folder, error);
  const auto [mismatch, ignored] = std::mismatch(home.begin(), home.end(), place.begin(), place.end());
  if (mismatch == home.end() || (std::next(mismatch) == home.end() && mismatch->empty())) return true;
  for (const auto& entry : fs::directory_iterator(folder, error))
    if (fs::equivalent(entry.path(), path, error)) return true;
  return false;
}

bool writesynced(const std::string& path, std::string_view bytes) {
  std::unique_ptr<File> file = File::create(path);
  std::size_t written = 0;
  return file && file->write(0, bytes.data(), bytes.size(), written) && file->sync() && file->close();
}

bool readwhole(const std::string& path, std::string& bytes) {
  std::unique_ptr<File> file = File::open(path, File::Access::readonlydenynone);
  int64_t size = 0;
  if (!file || !file->size(size)) return false;
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  if (!file->read(0, bytes.data(), bytes.size(), got)) return false;
  bytes.resize(got);
  return true;
}

bool syncfolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return failwitherrno();
  const bool synced = ::fsync(fd) == 0 || failwitherrno();
  ::close(fd);
  return synced;
}

}  // namespace platform
