#include <zlib.h>

#include <algorithm>

#include "tablestore/journal.h"
#include "tablestore/journalformat.h"

namespace tablestore {

namespace {

void putnumber(std::string& out, uint64_t value, unsigned long width) {
  for (unsigned long i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

bool writeall(platform::File& file, int64_t offset, const std::string& bytes) {
  std::size_t written = 0;
  return file.write(offset, bytes.data(), bytes.size(), written);
}

// The file's bytes where the stage overwrites them, and what a cut drops.
bool readbeforeimage(const Stagedfile& staged, Beforeimage& image) {
  const FileStage& stage = *staged.stage;
  image = {staged.name, stage.oldsize(), {}};
  const auto keep = [&](int64_t from, int64_t to) {
    to = std::min(to, stage.oldsize());
    if (from >= to) return true;
    std::string bytes(static_cast<std::size_t>(to - from), '\0');
    std::size_t got = 0;
    if (!staged.file->read(from, bytes.data(), bytes.size(), got)) return false;
    bytes.resize(got);
    image.extents.emplace_back(from, std::move(bytes));
    return true;
  };
  for (const auto& [offset, bytes] : stage.extents())
    if (!keep(offset, offset + static_cast<int64_t>(bytes.size()))) return false;
  return keep(stage.kept(), stage.oldsize());
}

std::string encode(const std::vector<Beforeimage>& images) {
  using namespace journalformat;
  std::string out(magic, magicwidth);
  for (const Beforeimage& image : images) {
    putnumber(out, image.name.size(), namelengthwidth);
    out += image.name;
    putnumber(out, static_cast<uint64_t>(image.oldsize), sizewidth);
    putnumber(out, image.extents.size(), countwidth);
    for (const auto& [offset, bytes] : image.extents) {
      putnumber(out, static_cast<uint64_t>(offset), sizewidth);
      putnumber(out, bytes.size(), lengthwidth);
      out += bytes;
    }
  }
  const uint64_t length = out.size();
  const uLong crc = crc32_z(0, reinterpret_cast<const Bytef*>(out.data()), out.size());
  putnumber(out, length, sizewidth);
  putnumber(out, crc, crcwidth);
  return out;
}

// The staged extents written and the file cut to its new size.
bool apply(const Stagedfile& staged) {
  const FileStage& stage = *staged.stage;
  platform::File& file = *staged.file;
  if (stage.kept() < stage.oldsize() && !file.truncate(stage.kept())) return false;
  int64_t end = stage.kept();
  for (const auto& [offset, bytes] : stage.extents()) {
    if (!writeall(file, offset, bytes)) return false;
    end = std::max(end, offset + static_cast<int64_t>(bytes.size()));
  }
  return end == stage.size() || file.truncate(stage.size());
}

}  // namespace

JournalWriter::JournalWriter(std::string folder) : folder_(std::move(folder)) {}

bool JournalWriter::commit(std::span<const Stagedfile> files) {
  if (files.empty()) return true;
  if (pending_) return fail(journalformat::filename);
  std::vector<Beforeimage> images(files.size());
  for (std::size_t i = 0; i < files.size(); ++i)
    if (!readbeforeimage(files[i], images[i])) return fail(files[i].name);
  if (!writejournal(images)) return false;
  const bool applied = applyandsync(files);
  if (applied && clearjournal()) return true;
  // A failed clearing may have emptied the journal: it is made whole again
  // before any file is undone, or else every file keeps the whole command
  // and the journal waits for the next start as it is.
  if (applied && !(writeall(*journal_, 0, encode(images)) && journal_->sync())) {
    pending_ = true;
    return false;
  }
  undo(files, images);
  return false;
}

bool JournalWriter::fail(const std::string& name) {
  failedfile_ = name;
  return false;
}

bool JournalWriter::openjournal() {
  if (journal_) return true;
  const std::string path = folder_ + journalformat::filename;
  if (platform::fileexists(path)) {
    journal_ = platform::File::open(path, platform::File::Access::readwritedenywrite);
    return journal_ != nullptr;
  }
  // A new file's name must be on the disk before its bytes are relied on.
  journal_ = platform::File::create(path);
  if (journal_ && platform::syncfolder(folder_)) return true;
  journal_.reset();
  return false;
}

// The journal is whole on the disk before any table file changes. A failure
// leaves the tables untouched; the journal is emptied as far as that works,
// and a copy of it that survives anyway only writes back what the files hold.
bool JournalWriter::writejournal(const std::vector<Beforeimage>& images) {
  if (!openjournal()) return fail(journalformat::filename);
  if (writeall(*journal_, 0, encode(images)) && journal_->sync()) return true;
  fail(journalformat::filename);
  clearjournal();
  return false;
}

bool JournalWriter::applyandsync(std::span<const Stagedfile> files) {
  for (const Stagedfile& staged : files)
    if (!apply(staged)) return fail(staged.name);
  for (const Stagedfile& staged : files)
    if (!staged.file->sync()) return fail(staged.name);
  return true;
}

bool JournalWriter::clearjournal() {
  if (journal_->truncate(0) && journal_->sync()) return true;
  return fail(journalformat::filename);
}

void JournalWriter::undo(std::span<const Stagedfile> files, const std::vector<Beforeimage>& images) {
  const std::string failed = failedfile_;
  bool undone = true;
  for (std::size_t i = 0; i < files.size(); ++i) undone = rollback(*files[i].file, images[i]) && undone;
  // Only files that read as before may lose their journal.
  if (undone) clearjournal();
  pending_ = !undone;
  failedfile_ = failed;
}

}  // namespace tablestore
