#include "tests/support/powercut.h"

#include <dlfcn.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace testsupport::powercut {

namespace {

constexpr int64_t pagesize = 4096;
constexpr int64_t sectorsize = 512;
constexpr std::size_t enumerated = 10;  // up to this many pages in doubt, every subset
constexpr int sampled = 64;

bool recording = false;
std::string folder_;
std::vector<Event> log_;
std::function<void(const Event&)> watch_;

// The name in the recorded folder of a path, or nothing.
std::optional<std::string> recordedname(const std::string& path) {
  if (!recording || !path.starts_with(folder_) || path.find('/', folder_.size()) != std::string::npos)
    return std::nullopt;
  return path.substr(folder_.size());
}

void note(int fd, Event::Kind kind, int64_t offset, std::string bytes) {
  char target[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = recording ? ::readlink(link.c_str(), target, sizeof target) : 0;
  if (n <= 0) return;
  if (const std::optional<std::string> name = recordedname(std::string(target, static_cast<std::size_t>(n)))) {
    log_.push_back({kind, *name, offset, std::move(bytes)});
    if (watch_) watch_(log_.back());
  }
}

void noteremoved(const char* path) {
  if (const std::optional<std::string> name = recordedname(path)) log_.push_back({Event::Kind::remove, *name, 0, {}});
}

template <typename Function>
Function real(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// One file under the cut: its bytes as synced and as written, and the pages
// written since the sync.
struct Filecut {
  std::optional<std::string> synced;
  std::optional<std::string> current;
  std::set<int64_t> pages;
};

void apply(std::optional<std::string>& file, const Event& event) {
  if (event.kind == Event::Kind::remove) {
    file.reset();
    return;
  }
  if (!file) file.emplace();
  if (event.kind == Event::Kind::truncate) file->resize(static_cast<std::size_t>(event.offset), '\0');
  if (event.kind != Event::Kind::write) return;
  const std::size_t end = static_cast<std::size_t>(event.offset) + event.bytes.size();
  if (file->size() < end) file->resize(end, '\0');
  std::copy(event.bytes.begin(), event.bytes.end(), file->begin() + event.offset);
}

std::map<std::string, Filecut> cutfiles(const Disk& before, std::size_t cut) {
  std::map<std::string, Filecut> files;
  for (const auto& [name, bytes] : before) files[name] = {bytes, bytes, {}};
  for (std::size_t i = 0; i < cut && i < log_.size(); ++i) {
    const Event& event = log_[i];
    Filecut& file = files[event.file];
    apply(file.current, event);
    if (event.kind == Event::Kind::remove) file.synced.reset();
    if (event.kind == Event::Kind::sync || event.kind == Event::Kind::remove) {
      file.synced = file.current;
      file.pages.clear();
    }
    for (int64_t page = event.offset / pagesize;
         event.kind == Event::Kind::write && page * pagesize < event.offset + static_cast<int64_t>(event.bytes.size());
         ++page)
      file.pages.insert(page);
  }
  return files;
}

struct Page {
  std::string file;
  int64_t index;
};

// One state: the chosen pages over the synced bytes; the torn one (if any)
// only up to tornat bytes.
Disk build(const std::map<std::string, Filecut>& files, const std::vector<Page>& chosen, bool currentsizes,
           const Page* torn, int64_t tornat) {
  Disk disk;
  for (const auto& [name, file] : files) {
    const std::optional<std::string>& sized = currentsizes ? file.current : file.synced;
    if (!file.current && !file.synced) continue;
    std::string bytes = file.synced.value_or(std::string());
    bytes.resize(sized ? sized->size() : bytes.size(), '\0');
    for (const Page& page : chosen) {
      if (page.file != name || !file.current) continue;
      const int64_t from = page.index * pagesize;
      int64_t to = std::min<int64_t>(
          {from + pagesize, static_cast<int64_t>(bytes.size()), static_cast<int64_t>(file.current->size())});
      if (torn && torn->file == name && torn->index == page.index) to = std::min(to, from + tornat);
      if (from < to) std::copy(file.current->begin() + from, file.current->begin() + to, bytes.begin() + from);
    }
    disk[name] = std::move(bytes);
  }
  return disk;
}

void addvariants(std::vector<Disk>& out, const std::map<std::string, Filecut>& files, const std::vector<Page>& chosen,
                 std::mt19937& random) {
  out.push_back(build(files, chosen, true, nullptr, 0));
  out.push_back(build(files, chosen, false, nullptr, 0));
  if (chosen.empty()) return;
  const Page& torn = chosen[std::uniform_int_distribution<std::size_t>(0, chosen.size() - 1)(random)];
  const int64_t tornat = sectorsize * std::uniform_int_distribution<int64_t>(1, pagesize / sectorsize - 1)(random);
  out.push_back(build(files, chosen, true, &torn, tornat));
}

}  // namespace

void record(const std::string& folder) {
  folder_ = std::filesystem::weakly_canonical(folder).string();
  if (!folder_.ends_with('/')) folder_ += '/';
  log_.clear();
  recording = true;
}

void stop() {
  recording = false;
  watch_ = nullptr;
}

void watch(std::function<void(const Event&)> onevent) { watch_ = std::move(onevent); }

const std::vector<Event>& events() { return log_; }

Disk snapshot(const std::string& folder) {
  Disk disk;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    disk[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return disk;
}

void restore(const Disk& disk, const std::string& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : disk) std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
}

std::vector<Disk> states(const Disk& before, std::size_t cut, std::mt19937& random) {
  const std::map<std::string, Filecut> files = cutfiles(before, cut);
  std::vector<Page> doubtful;
  for (const auto& [name, file] : files)
    for (const int64_t page : file.pages) doubtful.push_back({name, page});
  std::vector<Disk> out;
  const std::size_t combinations = doubtful.size() <= enumerated ? std::size_t{1} << doubtful.size() : 0;
  for (std::size_t mask = 0; mask < combinations; ++mask) {
    std::vector<Page> chosen;
    for (std::size_t i = 0; i < doubtful.size(); ++i)
      if (mask & (std::size_t{1} << i)) chosen.push_back(doubtful[i]);
    addvariants(out, files, chosen, random);
  }
  for (int i = 0; combinations == 0 && i < sampled; ++i) {
    std::vector<Page> chosen;
    for (const Page& page : doubtful)
      if (random() % 2 != 0) chosen.push_back(page);
    addvariants(out, files, chosen, random);
  }
  return out;
}

}  // namespace testsupport::powercut

// The calls the platform layer makes, logged and passed on to the next
// definition (libc's, or a sanitizer's in front of it).
#define MIXOLINO_LOGGED(result, name, params, args, kind, offset, bytes)                                      \
  extern "C" result name params {                                                                             \
    static const auto next = testsupport::powercut::real<result(*) params>(#name);                            \
    const result done = next args;                                                                            \
    if (done > 0 || (done == 0 && kind != Kind::write)) testsupport::powercut::note(fd, kind, offset, bytes); \
    return done;                                                                                              \
  }
using Kind = testsupport::powercut::Event::Kind;
MIXOLINO_LOGGED(ssize_t, pwrite, (int fd, const void* buffer, size_t count, off_t offset), (fd, buffer, count, offset),
                Kind::write, offset, std::string(static_cast<const char*>(buffer), static_cast<std::size_t>(done)))
MIXOLINO_LOGGED(int, ftruncate, (int fd, off_t length), (fd, length), Kind::truncate, length, {})
MIXOLINO_LOGGED(int, fdatasync, (int fd), (fd), Kind::sync, 0, {})
MIXOLINO_LOGGED(int, fsync, (int fd), (fd), Kind::sync, 0, {})

extern "C" int unlink(const char* path) {
  static const auto next = testsupport::powercut::real<int (*)(const char*)>("unlink");
  const int result = next(path);
  if (result == 0) testsupport::powercut::noteremoved(path);
  return result;
}
