// Byte-addressed files with the two sharing modes the table store needs, and
// the few folder and file operations of the catalogue. Failures never throw:
// an operation returns false and leaves its error code in lasterror().
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Error codes as the program reports them ("(err=...)").
inline constexpr int errfilenotfound = 2;
inline constexpr int errinvalidname = 3;
inline constexpr int errtoomanyfiles = 4;
inline constexpr int erraccessdenied = 5;
inline constexpr int errinuse = 32;  // another process holds the file
inline constexpr int errreadpastend = 100;
inline constexpr int errdiskfull = 101;
inline constexpr int errinvalidnumeric = 106;
inline constexpr int errdeviceio = 1117;

// The German text of an error code: "Datei nicht gefunden", ..., "E/A-Fehler %d".
std::string errortext(int code);

// The code of the last failed operation of this layer.
int lasterror();

class File {
 public:
  // Every access opens only a regular file (erraccessdenied otherwise), and
  // without waiting, as a FIFO would wait for a writer and a device may
  // never end. The program's own files are never reached through a link.
  enum class Access {
    // Read and write; other processes may read but not write. On Linux an
    // exclusive flock, which survives other descriptors of the file closing.
    readwritedenywrite,
    // Read only; nothing denied, no lock taken.
    readonlydenynone,
    // As readonlydenynone, for a file the user names: a link to it is followed.
    readonlyregularfile,
  };

  // Opens an existing file; nullptr on failure (errinuse when another
  // process holds the lock).
  static std::unique_ptr<File> open(const std::string& path, Access access);

  // Creates the file or empties an existing one, opened read/write with the
  // deny-write lock; a link in its place is neither followed nor replaced. A file that another process holds is left
  // alone (errinuse), since Linux would otherwise truncate it under that process.
  static std::unique_ptr<File> create(const std::string& path);

  // True when path names a file, not a folder, with one system call (stat):
  // for a file held open already, whether its path still leads to one.
  static bool present(const std::string& path);

  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Reads up to count bytes at offset, with one system call (pread); got
  // tells how many came, fewer only at the end of the file. Offsets are
  // given with every call: a file has no current position.
  bool read(int64_t offset, void* buffer, std::size_t count, std::size_t& got);
  // Writes count bytes at offset, with one system call (pwrite); written
  // tells how many reached the file. A short write is a failure
  // (errdiskfull unless the system said otherwise).
  bool write(int64_t offset, const void* buffer, std::size_t count, std::size_t& written);
  bool size(int64_t& bytes);
  bool truncate(int64_t length);
  // Puts what was written to the file on the disk (fdatasync): a change that
  // the program reports as done survives a power cut.
  bool sync();
  bool close();
  bool isopen() const { return fd_ >= 0; }

 private:
  friend class Mapping;  // maps the open file (platform/mapping.h)
  explicit File(int fd) : fd_(fd) {}
  int fd_;
};

bool directoryexists(const std::string& path);
bool createdirectory(const std::string& path);  // one level
bool fileexists(const std::string& path);
// True when path names a link, a FIFO, a socket or a device: there, but
// neither a regular file nor a folder. A link is not followed.
bool specialfile(const std::string& path);
bool deletefile(const std::string& path);
// Puts the folder's entries on the disk, so that files created or deleted in
// it survive a power cut.
bool syncfolder(const std::string& path);
// Replaces to by from in one step (rename): a reader finds the old file or
// the new one, never a part of it.
bool renamefile(const std::string& from, const std::string& to);
// Swaps two folders in one step (renameat2 with RENAME_EXCHANGE): a reader
// finds each name with the one folder or the other, never a mix.
bool exchangefolders(const std::string& from, const std::string& to);
// A new empty folder in the system's folder for temporary files, its path
// ending in "/"; "" when none can be made.
std::string makescratchfolder();
// Removes a folder with everything in it; true when it is gone.
bool removefolder(const std::string& path);
// The names in a folder, without "." and ".."; empty when it cannot be read.
std::vector<std::string> foldernames(const std::string& path);
// Whether path is the folder or lies inside it, once links are resolved,
// or names the same file as one inside it.
bool withinfolder(const std::string& path, const std::string& folder);
// Creates or empties the file, writes the bytes and puts them on the disk.
bool writesynced(const std::string& path, std::string_view bytes);
// The whole content of a file opened read-only (another copy may hold it).
bool readwhole(const std::string& path, std::string& bytes);

}  // namespace platform
