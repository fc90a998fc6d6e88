#include <zlib.h>

#include <algorithm>
#include <limits>
#include <set>
#include <string_view>

#include "tablestore/journal.h"
#include "tablestore/journalformat.h"
#include "tablestore/recordformat.h"

namespace tablestore {

namespace {

// Reads the journal's numbers and bytes in order; any read past its end
// leaves it failed.
class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : rest_(bytes) {}

  uint64_t number(unsigned long width) {
    const std::string_view digits = bytes(width);
    uint64_t value = 0;
    for (std::size_t i = digits.size(); i-- > 0;) value = (value << 8) | static_cast<unsigned char>(digits[i]);
    return value;
  }
  std::string_view bytes(uint64_t count) {
    if (failed_ || count > rest_.size()) {
      failed_ = true;
      return {};
    }
    const std::string_view taken = rest_.substr(0, count);
    rest_.remove_prefix(count);
    return taken;
  }
  bool failed() const { return failed_; }
  bool atend() const { return rest_.empty(); }

 private:
  std::string_view rest_;
  bool failed_ = false;
};

// The journal's bytes before its trailer, when the trailer vouches for them.
bool whole(std::string_view bytes, std::string_view& body) {
  using namespace journalformat;
  if (bytes.size() < magicwidth + trailerwidth) return false;
  body = bytes.substr(0, bytes.size() - trailerwidth);
  Cursor trailer(bytes.substr(body.size()));
  const uint64_t length = trailer.number(sizewidth);
  const uint64_t crc = trailer.number(crcwidth);
  return length == body.size() && body.substr(0, magicwidth) == std::string_view(magic, magicwidth) &&
         crc == crc32_z(0, reinterpret_cast<const Bytef*>(body.data()), body.size());
}

constexpr uint64_t largest = std::numeric_limits<int64_t>::max();

// A commit never cuts a table file below its header: magic, DC, REV and a
// one-digit CC, each followed by its 0xA1.
constexpr int64_t shortestheader = recordformat::countend + 5;

// The journal's images; false where the body does not read to its end or an
// extent lies outside its file's old size. What was read whole stays in
// images either way.
bool parse(std::string_view body, std::vector<Beforeimage>& images) {
  using namespace journalformat;
  Cursor in(body);
  if (in.bytes(magicwidth) != std::string_view(magic, magicwidth)) return false;
  while (!in.atend()) {
    const std::string_view name = in.bytes(in.number(namelengthwidth));
    const uint64_t oldsize = in.number(sizewidth);
    const uint64_t count = in.number(countwidth);
    if (in.failed() || oldsize > largest) return false;
    Beforeimage& image = images.emplace_back(Beforeimage{std::string(name), static_cast<int64_t>(oldsize), {}});
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t offset = in.number(sizewidth);
      const std::string_view bytes = in.bytes(in.number(lengthwidth));
      if (in.failed() || offset > oldsize || bytes.size() > oldsize - offset) return false;
      image.extents.emplace_back(static_cast<int64_t>(offset), std::string(bytes));
    }
  }
  return true;
}

// A torn journal up to its first sector of zeros: the pages a power cut kept
// from being written read as zeros, so nothing after it is surely the journal's.
std::string_view readableprefix(std::string_view bytes) {
  constexpr std::size_t sectorsize = 512;
  for (std::size_t at = 0; at < bytes.size(); at += sectorsize)
    if (bytes.substr(at, sectorsize).find_first_not_of('\0') == std::string_view::npos) return bytes.substr(0, at);
  return bytes;
}

// Whether the extents cover every byte from offset from to offset to.
bool covered(const Beforeimage& image, int64_t from, int64_t to) {
  std::vector<std::pair<int64_t, int64_t>> spans;
  for (const auto& [offset, bytes] : image.extents) spans.emplace_back(offset, offset + std::ssize(bytes));
  std::sort(spans.begin(), spans.end());
  for (const auto& [start, end] : spans)
    if (start <= from) from = std::max(from, end);
  return from >= to;
}

bool readall(platform::File& file, std::string& bytes) {
  int64_t size = 0;
  if (!file.size(size)) return false;
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  if (!file.read(0, bytes.data(), bytes.size(), got)) return false;
  bytes.resize(got);
  return true;
}

}  // namespace

bool rollback(platform::File& file, const Beforeimage& image) {
  for (const auto& [offset, bytes] : image.extents) {
    std::size_t written = 0;
    if (!file.write(offset, bytes.data(), bytes.size(), written)) return false;
  }
  return file.truncate(image.oldsize) && file.sync();
}

JournalReader::JournalReader(std::string folder, std::vector<std::string> names)
    : folder_(std::move(folder)), names_(std::move(names)) {}

JournalReader::Recovery JournalReader::recover() {
  const std::string path = folder_ + journalformat::filename;
  if (!platform::fileexists(path)) return Recovery::done;
  const std::unique_ptr<platform::File> journal =
      platform::File::open(path, platform::File::Access::readwritedenywrite);
  if (!journal) return platform::lasterror() == platform::errinuse ? Recovery::done : Recovery::untrusted;
  std::string bytes;
  if (!readall(*journal, bytes)) return Recovery::failed;
  if (bytes.empty()) return Recovery::done;
  std::string_view body;
  std::vector<Beforeimage> images;
  if (whole(bytes, body)) {
    if (!parse(body, images) || !trusted(images)) return Recovery::untrusted;
    if (!undo(images)) return Recovery::failed;
  } else if (begunwrite(bytes)) {
    return Recovery::untrusted;
  }
  return journal->truncate(0) && journal->sync() ? Recovery::done : Recovery::failed;
}

JournalReader::Recovery JournalReader::undoincopies(const std::string& copies) {
  const std::string path = folder_ + journalformat::filename;
  std::string bytes;
  if (!platform::fileexists(path)) return Recovery::done;
  if (!platform::readwhole(path, bytes)) return Recovery::untrusted;
  std::string_view body;
  std::vector<Beforeimage> images;
  if (bytes.empty()) return Recovery::done;
  if (!whole(bytes, body)) return begunwrite(bytes) ? Recovery::untrusted : Recovery::done;
  if (!parse(body, images) || !trusted(images)) return Recovery::untrusted;
  for (const std::string& name : names_) {
    std::string table;
    if (!platform::fileexists(folder_ + name)) continue;
    if (!platform::readwhole(folder_ + name, table) || !platform::writesynced(copies + name, table))
      return Recovery::failed;
  }
  return JournalReader(copies, names_).undo(images) ? Recovery::copied : Recovery::failed;
}

// Each file named once, and only the table files; a file cut by the commit
// below its old size has the cut bytes in the journal.
bool JournalReader::trusted(const std::vector<Beforeimage>& images) const {
  std::set<std::string> seen;
  for (const Beforeimage& image : images) {
    if (std::find(names_.begin(), names_.end(), image.name) == names_.end() || !seen.insert(image.name).second)
      return false;
    const std::unique_ptr<platform::File> file =
        platform::File::open(folder_ + image.name, platform::File::Access::readonlydenynone);
    if (!file && platform::lasterror() == platform::errfilenotfound) continue;  // nothing left to undo
    int64_t size = 0;
    if (!file || !file->size(size)) return false;
    if (image.oldsize < std::min(size, shortestheader) || !covered(image, size, image.oldsize)) return false;
  }
  return true;
}

// A commit writes the tables only once its journal is whole on the disk: while
// the journal is merely torn, each table still has the old size and the old
// bytes its readable part records. Where one differs, the journal was damaged
// after the tables were begun, and dropping it would keep a half-done command.
bool JournalReader::begunwrite(std::string_view bytes) const {
  std::vector<Beforeimage> images;
  (void)parse(readableprefix(bytes), images);
  for (const Beforeimage& image : images) {
    std::string table;
    if (std::find(names_.begin(), names_.end(), image.name) == names_.end() ||
        !platform::fileexists(folder_ + image.name))
      continue;
    if (!platform::readwhole(folder_ + image.name, table) || std::ssize(table) != image.oldsize) return true;
    for (const auto& [offset, old] : image.extents)
      if (table.compare(static_cast<std::size_t>(offset), old.size(), old) != 0) return true;
  }
  return false;
}

bool JournalReader::undo(const std::vector<Beforeimage>& images) {
  for (const Beforeimage& image : images) {
    const std::unique_ptr<platform::File> file =
        platform::File::open(folder_ + image.name, platform::File::Access::readwritedenywrite);
    // A file gone since has nothing left to undo; one that cannot be looked at may have.
    if (!file && platform::lasterror() == platform::errfilenotfound) continue;
    if (!file || !rollback(*file, image)) return false;
  }
  return true;
}

}  // namespace tablestore
