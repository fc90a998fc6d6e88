#include "tests/support/powercut.h"

#include <fcntl.h>
#include <sys/stat.h>
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
std::string recordedfolder;
std::vector<Event> recorded;
std::function<void(const Event&)> watcher;

// The path under the recorded folder of a path, or nothing.
std::optional<std::string> recordedname(std::string path) {
  if (!recording) return std::nullopt;
  if (path.size() > 1 && path.ends_with('/')) path.pop_back();
  // The entry itself is not followed: a link is removed or renamed as a link.
  const std::filesystem::path given = std::filesystem::absolute(path);
  const std::string whole = (std::filesystem::weakly_canonical(given.parent_path()) / given.filename()).string();
  if (whole + "/" == recordedfolder) return "";
  if (!whole.starts_with(recordedfolder)) return std::nullopt;
  return whole.substr(recordedfolder.size());
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

void change(Filecut& file, const Event& event) {
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

// Which file or folder (by number; 0 the recorded folder) each path names.
using Tree = std::map<std::string, int>;

std::string parentof(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::optional<std::string> pathof(const Tree& tree, int node) {
  for (const auto& [path, at] : tree)
    if (at == node) return path;
  return std::nullopt;
}

bool under(const std::string& path, const std::string& top) { return path == top || path.starts_with(top + "/"); }

// The tree after a rename of from to to (what stood at to gone), or an exchange of the two.
Tree moved(const Tree& tree, const std::string& from, const std::string& to, bool exchange) {
  Tree out;
  for (const auto& [path, node] : tree) {
    if (under(path, from))
      out[to + path.substr(from.size())] = node;
    else if (!under(path, to))
      out[path] = node;
    else if (exchange)
      out[from + path.substr(to.size())] = node;
  }
  return out;
}

// The disk under a cut for one choice of the folder changes in doubt: the
// tree as the process saw it, the tree as the disk keeps it, the files.
struct Replay {
  Tree seen{{"", 0}}, kept{{"", 0}};
  std::map<int, Filecut> files;
  std::map<std::size_t, int> doubtful;  // the folder changes no sync made sure of, and their folder
  int nodes = 1;

  // The node the process's path names, made where it is new; on the disk
  // it lies where its folder does, if that is kept.
  int node(const std::string& path, bool onthedisk) {
    if (const auto at = seen.find(path); at != seen.end()) return at->second;
    const int folder = node(parentof(path), onthedisk);
    const int made = seen[path] = nodes++;
    if (const std::optional<std::string> place = keptpath(folder, path); place && onthedisk) kept[*place] = made;
    return made;
  }

  // Where the disk keeps the entry of the process's path in folder.
  std::optional<std::string> keptpath(int folder, const std::string& path) const {
    const std::optional<std::string> at = pathof(kept, folder);
    if (!at) return std::nullopt;
    return (at->empty() ? "" : *at + "/") + path.substr(path.rfind('/') + 1);
  }

  void folderchange(std::size_t index, const Event& event, bool happened) {
    using Kind = Event::Kind;
    const int folder = node(parentof(event.file), true);
    doubtful[index] = folder;
    if (event.kind == Kind::makefolder) {
      (void)node(event.file, happened);
      return;
    }
    const int tofolder = node(parentof(event.to), true);
    const std::optional<std::string> from = keptpath(folder, event.file), to = keptpath(tofolder, event.to);
    const bool exchange = event.kind == Kind::exchange;
    if (happened && from && to && kept.contains(*from) && (!exchange || kept.contains(*to)))
      kept = moved(kept, *from, *to, exchange);
    seen = moved(seen, event.file, event.to, exchange);
  }

  void follow(const Event& event, std::size_t index, const std::set<std::size_t>& undone) {
    using Kind = Event::Kind;
    if (event.kind == Kind::makefolder || event.kind == Kind::rename || event.kind == Kind::exchange)
      return folderchange(index, event, !undone.contains(index));
    const int at = node(event.file, true);
    if (event.kind == Kind::syncfolder)
      std::erase_if(doubtful, [&](const auto& change) { return change.second == at; });
    else
      change(files[at], event);
    if (event.kind != Kind::remove) return;
    std::erase_if(kept, [&](const auto& entry) { return entry.second == at; });
    seen.erase(event.file);
  }
};

Replay replay(const Disk& before, std::size_t cut, const std::set<std::size_t>& undone) {
  Replay disk;
  for (const auto& [path, bytes] : before) disk.files[disk.node(path, true)] = {bytes, bytes, {}};
  for (std::size_t i = 0; i < cut && i < recorded.size(); ++i) disk.follow(recorded[i], i, undone);
  return disk;
}

// The files on the disk by path, for one choice of folder changes undone.
std::map<std::string, Filecut> cutfiles(const Disk& before, std::size_t cut, const std::set<std::size_t>& undone) {
  Replay disk = replay(before, cut, undone);
  std::map<std::string, Filecut> files;
  for (const auto& [path, node] : disk.kept)
    if (disk.files.contains(node)) files[path] = disk.files[node];
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

// Which folder changes in doubt did not happen: any of them (a test keeps
// them few).
std::vector<std::set<std::size_t>> folderchoices(const std::map<std::size_t, int>& doubtful) {
  std::vector<std::size_t> changes;
  for (const auto& [index, folder] : doubtful) changes.push_back(index);
  std::vector<std::set<std::size_t>> out;
  for (std::size_t mask = 0; mask < (std::size_t{1} << changes.size()); ++mask) {
    std::set<std::size_t>& undone = out.emplace_back();
    for (std::size_t i = 0; i < changes.size(); ++i)
      if (mask & (std::size_t{1} << i)) undone.insert(changes[i]);
  }
  return out;
}

}  // namespace

void note(int fd, Event::Kind kind, int64_t offset, std::string bytes) {
  char target[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = recording ? ::readlink(link.c_str(), target, sizeof target) : 0;
  if (n <= 0) return;
  if (const std::optional<std::string> name = recordedname(std::string(target, static_cast<std::size_t>(n)))) {
    struct stat info {};
    if (kind == Event::Kind::sync && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) kind = Event::Kind::syncfolder;
    recorded.push_back({kind, *name, offset, std::move(bytes)});
    if (watcher) watcher(recorded.back());
  }
}

void notefolder(Event::Kind kind, const char* path, const char* to) {
  const std::optional<std::string> name = recordedname(path);
  const std::optional<std::string> other = to ? recordedname(to) : std::nullopt;
  if (name && (!to || other)) recorded.push_back({kind, *name, 0, {}, other.value_or("")});
}

void record(const std::string& folder) {
  recordedfolder = std::filesystem::weakly_canonical(folder).string();
  if (!recordedfolder.ends_with('/')) recordedfolder += '/';
  recorded.clear();
  recording = true;
}

void stop() {
  recording = false;
  watcher = nullptr;
}

void watch(std::function<void(const Event&)> onevent) { watcher = std::move(onevent); }

const std::vector<Event>& events() { return recorded; }

Disk snapshot(const std::string& folder) {
  Disk disk;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    disk[entry.path().lexically_relative(folder).string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return disk;
}

void restore(const Disk& disk, const std::string& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : disk) {
    std::filesystem::create_directories(std::filesystem::path(folder + "/" + name).parent_path());
    std::ofstream(folder + "/" + name, std::ios::binary) << bytes;
  }
}

static std::vector<Disk> pagestates(const std::map<std::string, Filecut>& files, std::mt19937& random) {
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

std::vector<Disk> states(const Disk& before, std::size_t cut, std::mt19937& random) {
  std::vector<Disk> out;
  for (const std::set<std::size_t>& undone : folderchoices(replay(before, cut, {}).doubtful))
    for (Disk& disk : pagestates(cutfiles(before, cut, undone), random)) out.push_back(std::move(disk));
  return out;
}

}  // namespace testsupport::powercut
