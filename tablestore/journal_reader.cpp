#include <zlib.h>

#include <string_view>

#include "tablestore/journal.h"
#include "tablestore/journalformat.h"

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

// A name that stays inside the folder.
bool plainname(std::string_view name) {
  return !name.empty() && name.find('/') == std::string_view::npos && name != "." && name != "..";
}

bool parse(std::string_view body, std::vector<Beforeimage>& images) {
  using namespace journalformat;
  Cursor in(body);
  in.bytes(magicwidth);
  while (!in.failed() && !in.atend()) {
    Beforeimage& image = images.emplace_back();
    image.name = std::string(in.bytes(in.number(namelengthwidth)));
    image.oldsize = static_cast<int64_t>(in.number(sizewidth));
    const uint64_t count = in.number(countwidth);
    for (uint64_t i = 0; i < count && !in.failed(); ++i) {
      const auto offset = static_cast<int64_t>(in.number(sizewidth));
      image.extents.emplace_back(offset, std::string(in.bytes(in.number(lengthwidth))));
    }
    if (!plainname(image.name) || image.oldsize < 0) return false;
  }
  return !in.failed();
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

JournalReader::JournalReader(std::string folder) : folder_(std::move(folder)) {}

bool JournalReader::recover() {
  const std::string path = folder_ + journalformat::filename;
  if (!platform::fileexists(path)) return true;
  const std::unique_ptr<platform::File> journal =
      platform::File::open(path, platform::File::Access::readwritedenywrite);
  if (!journal) return platform::lasterror() == platform::errinuse;
  std::string bytes;
  if (!readall(*journal, bytes)) return false;
  if (bytes.empty()) return true;
  std::string_view body;
  std::vector<Beforeimage> images;
  if (whole(bytes, body) && parse(body, images) && !undo(images)) return false;
  return journal->truncate(0) && journal->sync();
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
