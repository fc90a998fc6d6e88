// A model of the disk under a power cut, for tests. While recording, every
// pwrite, ftruncate, fdatasync, fsync, unlink, mkdir, rename and renameat2
// the process makes on a file or folder under one folder is logged (the test
// executable defines these calls in tests/support/faults.cpp). From
// a snapshot of the folder taken before and the log, states() builds the
// disk states that a power cut after a prefix of the log may leave: per
// file, its bytes as of its last sync, plus any subset of the 4 KiB pages
// written since (with their newest bytes), one of them perhaps torn at a
// 512-byte boundary, and its size as synced or as written. A new folder and
// a rename or exchange of two entries may or may not have happened until a
// sync of the folder holding the entry makes it sure. Making and removing a
// file count as done at once.
//
//   const Disk before = snapshot(db); record(db); command(); stop();
//   for (std::size_t cut = 0; cut <= events().size(); ++cut)
//     for (const Disk& disk : states(before, cut, random)) { ... }
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace testsupport::powercut {

struct Event {
  enum class Kind { write, truncate, sync, remove, makefolder, rename, exchange, syncfolder };
  Kind kind;
  std::string file;    // the path under the folder, "" for the folder itself
  int64_t offset = 0;  // a write's offset, a truncate's length
  std::string bytes;
  std::string to = {};  // a rename's new path, the other path of an exchange
};

// The folder's files by their path under it ("sub/name").
using Disk = std::map<std::string, std::string>;

void record(const std::string& folder);  // starts a new log
void stop();                             // and ends the watch
// Called with each event as it is logged, while the file call is under way.
void watch(std::function<void(const Event&)> onevent);
const std::vector<Event>& events();

Disk snapshot(const std::string& folder);
// Makes the folder hold exactly the disk's files.
void restore(const Disk& disk, const std::string& folder);
// The states a cut after the first cut events of the log may leave; all of
// them when few pages are in doubt, else a sample drawn with random.
std::vector<Disk> states(const Disk& before, std::size_t cut, std::mt19937& random);

// For the calls defined in faults.cpp, once a call is done: what it did to
// the file open as fd, or to the entries of a folder.
void note(int fd, Event::Kind kind, int64_t offset, std::string bytes);
void notefolder(Event::Kind kind, const char* path, const char* to = nullptr);

}  // namespace testsupport::powercut
