// The record operations on one table file. Single bytes turn a record live
// or deleted, so that a write through cut short between two writes never
// leaves half a record live. A staged table's writes go through the journal,
// which is what protects the user's data (dbdyngrid_unit.h).
#include "tablestore/recordfile.h"

#include <algorithm>

#include "platform/text.h"
#include "tablestore/recordformat.h"

using namespace recordformat;  // the format's offsets, widths and bytes

namespace tablestore {

Outcome Outcome::ioerror() { return failed(platform::errortext(platform::lasterror())); }

Outcome Outcome::named(const char* step) const {
  if (done || !failure.empty()) return *this;
  return failed(step);
}

bool RecordFile::close() {
  const bool closed = file_->close();
  file_.reset();
  stage_.reset();
  return closed;
}

bool RecordFile::beginstage() {
  int64_t bytes = 0;
  if (!file_->size(bytes)) return false;
  stage_ = std::make_unique<FileStage>(bytes);
  return true;
}

void RecordFile::discard() {
  stage_.reset();
  ownend_ = -1;
}

bool RecordFile::write(int64_t offset, std::string_view bytes) {
  if (stage_) {
    stage_->write(offset, bytes);
    return true;
  }
  std::size_t written = 0;
  return file_->write(offset, bytes.data(), bytes.size(), written);
}

bool RecordFile::read(int64_t offset, char* bytes, std::size_t count, std::size_t& got) {
  return stage_ ? stage_->read(*file_, offset, bytes, count, got) : file_->read(offset, bytes, count, got);
}

bool RecordFile::size(int64_t& bytes) {
  if (!stage_) return file_->size(bytes);
  bytes = stage_->size();
  return true;
}

bool RecordFile::truncate(int64_t length) {
  if (!stage_) return file_->truncate(length);
  stage_->truncate(length);
  return true;
}

Outcome RecordFile::writeat(int64_t offset, std::string_view bytes) {
  return write(offset, bytes) ? Outcome::ok() : Outcome::ioerror();
}

Outcome RecordFile::readat(int64_t offset, char* bytes, std::size_t count) {
  std::size_t got = 0;
  if (!read(offset, bytes, count, got)) return Outcome::ioerror();
  return got == count ? Outcome::ok() : Outcome::failed();
}

Outcome RecordFile::writehead(int64_t offset, std::string_view posdigits, char flag) {
  if (posdigits.size() != poswidth) return Outcome::failed();
  char head[headlength];
  puthead(head, posdigits, flag);
  return writeat(offset, {head, headlength});
}

// One write of many bytes can be cut short when the process dies in it, so a
// record goes to disk not live and turns live by this single byte: an
// interrupted write leaves a free slot, never half a record read as live.
Outcome RecordFile::makelive(int64_t offset) {
  return writeat(offset + static_cast<int64_t>(flagoffset), {&flaglive, 1});
}

// Flags the record at offset deleted. Its Flag byte goes first, alone: a
// write of one byte cannot be torn, while the whole mark can, and a mark torn
// in the middle of the Pos would leave the record live under another Pos.
Outcome RecordFile::deletemark(int64_t offset) {
  const Outcome flagged = writeat(offset + static_cast<int64_t>(flagoffset), {&flagdeleted, 1});
  return flagged ? writehead(offset, zerodigits, flagdeleted) : flagged;
}

Outcome RecordFile::appendrecord(std::string_view record, bool live) {
  const Outcome start = appendstart();
  if (!start) return start;
  const int64_t end = start.slot.offset;
  appended_.assign(crlf);
  appended_.append(record);
  const Slot slot{end + static_cast<int64_t>(crlf.size()), record.size()};
  Outcome appended = writeat(end, appended_);
  if (appended && live) appended = makelive(slot.offset);
  if (appended) appended = raiserecordcount();
  if (!appended) {
    // Cut the file back: a failed append leaves it exactly as before.
    truncate(end);
    return appended;
  }
  ownend_ = slot.offset + static_cast<int64_t>(record.size());
  return Outcome::ok(slot);
}

Outcome RecordFile::appendstart() {
  // The end that the last append left is the file's end: no other process
  // writes the file while the table holds it, and that end holds no torn
  // line. Any other end is looked up and checked.
  const int64_t ownend = ownend_;
  ownend_ = -1;
  if (ownend >= 0) return Outcome::ok({ownend, 0});
  int64_t end = 0;
  if (!size(end)) return Outcome::ioerror();
  return cuttornline(end);
}

// An append cut short by the process dying can leave CR LF and the first
// bytes of a record at the end of the file. A line that the reader would not
// parse alone it joins to the line appended next, which would then fail on
// every load: such a line is cut off before appending. It is assembled as
// the reader assembles it: the file's last byte, LFs and NULs left out, a
// final 0xA1 added when missing.
Outcome RecordFile::cuttornline(int64_t end) {
  // CR LF, a line long enough to be parsed alone, and the file's last byte.
  char tail[crlf.size() + shortestline + 1];
  const int64_t start = std::max<int64_t>(0, end - static_cast<int64_t>(sizeof tail));
  const auto count = static_cast<std::size_t>(end - start);
  const Outcome read = readat(start, tail, count);
  if (!read) return read;
  const std::string_view bytes(tail, count);
  const std::size_t cr = bytes.rfind(lineend);
  if (cr == std::string_view::npos) return Outcome::ok({end, 0});  // the last line is long, or the header
  std::string_view torn = bytes.substr(cr + 1);
  if (!torn.empty()) torn.remove_suffix(1);  // the file's last byte ends the line unread
  std::string line;
  for (const char c : torn)
    if (c != skipped && c != fillbyte) line += c;
  if (line.empty() || line.back() != colsep) line += colsep;
  if (parsedalone(line)) return Outcome::ok({end, 0});
  const int64_t cut = start + static_cast<int64_t>(cr);
  if (!truncate(cut)) return Outcome::ioerror();
  return Outcome::ok({cut, 0});
}

Outcome RecordFile::raiserecordcount() {
  char digits[countwidth];
  const Outcome read = readat(countoffset, digits, countwidth);
  if (!read) return read;
  int32_t count = 0;
  if (!platform::strtoint(std::string_view(digits, countwidth), count)) return Outcome::failed();
  char header[countend];
  putcount(header, int64_t{count} + 1);
  return writeat(0, {header, countend});
}

}  // namespace tablestore
