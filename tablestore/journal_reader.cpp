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

bool parse(std::string_view body, std::vector<Beforeimage>& images) {
  using namespace journalformat;
  Cursor in(body);
  in.bytes(magicwidth);
  while (!in.failed() && !in.atend()) {
    Beforeimage& image = images.emplace_back();
    image.name = std::string(in.bytes(in.number(namelengthwidth)));
    const uint64_t oldsize = in.number(sizewidth);
    const uint64_t count = in.number(countwidth);
    for (uint64_t i = 0; i < count && !in.failed(); ++i) {
      const uint64_t offset = in.number(sizewidth);
      const std::string_view bytes = in.bytes(in.number(lengthwidth));
      // Every extent lies inside the file's old size.
      if (offset > oldsize || bytes.size() > oldsize - offset) return false;
      image.extents.emplace_back(static_cast<int64_t>(offset), std::string(bytes));
    }
    if (oldsize > largest) return false;
    image.oldsize = static_cast<int64_t>(oldsize);
  }
  return !in.failed();
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
  if (bytes.empty() || !whole(bytes, body)) return Recovery::done;
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
    const std::string path = folder_ + image.name;
    if (!platform::fileexists(path)) continue;  // nothing left to undo
    const std::unique_ptr<platform::File> file = platform::File::open(path, platform::File::Access::readonlydenynone);
    int64_t size = 0;
    if (!file || !file->size(size)) return false;
    if (image.oldsize < std::min(size, shortestheader) || !covered(image, size, image.oldsize)) return false;
  }
  return true;
}

bool JournalReader::undo(const std::vector<Beforeimage>& images) {
  for (const Beforeimage& image : images) {
    const std::string path = folder_ + image.name;
    // A file gone since has nothing left to undo.
    if (!platform::fileexists(path)) continue;
    const std::unique_ptr<platform::File> file = platform::File::open(path, platform::File::Access::readwritedenywrite);
    if (!file || !rollback(*file, image)) return false;
  }
  return true;
}

}  // namespace tablestore
