// Row changes and their write-back. addrow, updaterow and delrow change the
// row in memory and have it in its table file before they return: a record is
// written into a free slot or appended, a deleted record is flagged in place.
// The file is never rewritten as a whole; each change is a few small writes
// at known offsets.
#include <algorithm>
#include <cstring>
#include <exception>
#include <span>
#include <string_view>

#include "platform/codepage.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tablestore/recordformat.h"

using namespace recordformat;  // the format's offsets, widths and bytes

namespace {

// Keeps the text of the first failed file operation of one write-back.
bool ioerror(std::string& error) {
  if (error.empty()) error = platform::errortext(platform::lasterror());
  return false;
}

bool writeat(platform::File& file, int64_t offset, const char* bytes, std::size_t count, std::string& error) {
  std::size_t written = 0;
  return file.write(offset, bytes, count, written) || ioerror(error);
}

// False with no error text when fewer than count bytes arrive.
bool readat(platform::File& file, int64_t offset, char* bytes, std::size_t count, std::string& error) {
  std::size_t got = 0;
  if (!file.read(offset, bytes, count, got)) return ioerror(error);
  return got == count;
}

// The 13 leading bytes of a record: start mark, the ten digits of Pos, separator, Flag.
bool writehead(platform::File& file, int64_t offset, std::string_view posdigits, char flag, std::string& error) {
  char head[headlength];
  if (posdigits.size() != poswidth) return false;
  puthead(head, posdigits, flag);
  return writeat(file, offset, head, headlength, error);
}

bool writeflag(platform::File& file, int64_t offset, char flag, std::string& error) {
  return writeat(file, offset + flagoffset, &flag, 1, error);
}

// Flags the record at offset deleted. Its Flag byte goes first, alone: a
// write of one byte cannot be torn, while the whole mark can, and a mark torn
// in the middle of the Pos would leave the record live under another Pos.
bool deletemark(platform::File& file, int64_t offset, std::string& error) {
  return writeflag(file, offset, flagdeleted, error) && writehead(file, offset, zerodigits, flagdeleted, error);
}

std::size_t recordlength(std::span<const std::string_view> values) {
  std::size_t length = valuesoffset;
  for (const std::string_view value : values) length += value.size() + 1;
  return length;
}

std::string number(int64_t value) { return std::to_string(value); }

// A file operation's own error text says more than the step that failed.
std::string failure(const std::string& ioerror, const char* step) { return ioerror.empty() ? step : ioerror; }

}  // namespace

// --- row changes ---

bool TdbdynGrid::addrow(std::vector<std::string>& values) {
  if (Mode_ < 1) {
    platform::showwarning(std::string("tdbdyngrid: addrow: nicht möglich in Mode "_cp) + number(Mode_));
    return false;
  }
  if (values.size() != static_cast<std::size_t>(getcolcount())) {
    platform::showwarning(std::string("tdbdyngrid: addrow: Übergebene Spaltenanzahl stimmt nicht!"_cp));
    return false;
  }
  // A placeholder last row is filled before the table grows.
  const int32_t rows = getrowcount();
  int32_t row = rows - 1;
  if (rows == 0 || rows_[static_cast<std::size_t>(row)].state != 0) {
    setrowcount(rows + 1);
    row = rows;
  }
  // No record yet: DBfields reads "C" and five "x" subfields.
  rows_[static_cast<std::size_t>(row)].state = 'C';
  setpostext(row, {});
  if (!storevalues(row, values, "addrow")) return false;
  if (updatefile(row)) return true;
  showerror("tdbdyngrid: addrow: row (" + number(row) + ") Fehler beim Updaten der Datei!");
  return false;
}

bool TdbdynGrid::updaterow(int32_t row, std::vector<std::string>& values) {
  if (Mode_ < 1) {
    platform::showwarning(std::string("tdbdyngrid: updaterow: nicht möglich in Mode "_cp) + number(Mode_));
    return false;
  }
  if (values.size() != static_cast<std::size_t>(getcolcount())) {
    platform::showwarning(std::string("tdbdyngrid: updaterow: Übergebene Spaltenanzahl stimmt nicht!"_cp));
    return false;
  }
  // A row outside the table counts as a row without a record.
  const bool inside = row >= 0 && row < getrowcount();
  const char state = inside ? rows_[static_cast<std::size_t>(row)].state : 0;
  if (state == 0) {
    showerror("tdbdyngrid: updaterow: row (" + number(row) + std::string(") interne DBfields ungültig!"_cp));
    return false;
  }
  // A new row has no record yet; its write-back creates one.
  if (state != 'C') rows_[static_cast<std::size_t>(row)].state = 'U';
  if (!storevalues(row, values, "updaterow")) return false;
  if (updatefile(row)) return true;
  showerror("tdbdyngrid: updaterow: row (" + number(row) + ") Fehler beim Updaten der Datei!");
  return false;
}

bool TdbdynGrid::delrow(int32_t row) {
  if (Mode_ < 1) {
    platform::showwarning(std::string("tdbdyngrid: delete: nicht möglich in Mode "_cp) + number(Mode_));
    return false;
  }
  if (row < 0 || row >= getrowcount()) {
    platform::showwarning(std::string("tdbdyngrid: delete: delrow außerhalb Bereich"_cp));
    return false;
  }
  char& state = rows_[static_cast<std::size_t>(row)].state;
  if (state == 0) {
    showerror("tdbdyngrid: delrow: row (" + number(row) + std::string(") interne DBfields ungültig!"_cp));
    return false;
  }
  if (state == 'C') {
    showerror("tdbdyngrid: delrow: row (" + number(row) + ") interne DBfields nicht setzbar! (ist dbcreate)");
    return false;
  }
  state = 'D';
  if (!updatefile(row)) {
    showerror("tdbdyngrid: delrow: row (" + number(row) + ") Fehler beim Updaten der Datei!");
    return false;
  }
  dbfileupdate_ = false;
  clearcells(row);
  dbfileupdate_ = true;
  return true;
}

bool TdbdynGrid::getrow(int32_t row, std::vector<std::string>& values) const {
  const bool inside = row >= 0 && row < getrowcount();
  values.resize(static_cast<std::size_t>(getcolcount()));
  for (std::size_t col = 0; col < values.size(); ++col)
    values[col] = inside ? std::string(cellat(static_cast<int32_t>(col), row)) : std::string();
  return true;
}

bool TdbdynGrid::storevalues(int32_t row, std::vector<std::string>& values, const std::string& operation) {
  dbfileupdate_ = false;
  try {
    cellsbuffer_.clear();
    for (std::string& value : values) {
      cleaninplace(value);
      cellsbuffer_ += value;
      cellsbuffer_ += colsep;
    }
    setcells(row, cellsbuffer_);
  } catch (const std::exception& e) {
    dbfileupdate_ = true;
    platform::showwarning("tdbdyngrid: " + operation + ": Exception: " + e.what());
    return false;
  }
  dbfileupdate_ = true;
  return true;
}

// --- write-back ---

bool TdbdynGrid::updatefile(int32_t row) {
  if (Mode_ < 1) {
    platform::showwarning(std::string("tdbdyngrid: updatefile: nicht möglich in Mode "_cp) + number(Mode_));
    return false;
  }
  if (!dbfileupdate_) {
    platform::showwarning(
        "TdynGird: updatefile: interne Warnung: filememupdate obwohl dbfileupdate inaktiv - fehler wurde "
        "automatisch korrigiert");
    dbfileupdate_ = true;
  }
  if (row < 0 || row >= getrowcount()) {
    showerror("tdbdyngrid: updatefile: row (" + number(row) + std::string(") außerhalb Bereich!"_cp));
    return false;
  }
  const char state = rows_[static_cast<std::size_t>(row)].state;
  if (state == 0) {
    platform::showwarning("tdbdyngrid: updatefile: dbdaten in " + number(row) + std::string(" ungültig! (datei)"_cp));
    return false;
  }
  if (state == 'C' && (dbfiles_.empty() || dbfiles_.back().name.empty())) {
    platform::showwarning("tdbdyngrid: updatefile: create - Dateiname unbekannt!");
    return false;
  }
  // A new row goes to the file loaded last, any other to its own.
  const DbFile& dbfile = state == 'C' ? dbfiles_.back() : dbfiles_[rows_[static_cast<std::size_t>(row)].file];
  // The table holds its file open already, so what can have changed is the
  // path: the file deleted, or a folder in its place. One stat tells both.
  if (!platform::File::present(dbfile.path)) {
    platform::showwarning("tdbdyngrid: updatefile: " + dbfile.path + " existiert nicht!");
    return false;
  }
  // The cells are read in place: a row change costs no copy of them.
  views_.resize(static_cast<std::size_t>(getcolcount()));
  rowviews(row, views_);
  for (const std::string_view value : views_) {
    if (value == "\x01") {
      platform::showwarning("interner dbfehler: insrow daten beinhaltet nicht gepuffertes feld!");
      return false;
    }
  }
  platform::File* file = nullptr;
  bool readonly = false;
  if (!openfileorwarn(dbfile.path, file, readonly)) return false;
  // Another process holds the file: the change stays in memory.
  if (readonly) return true;
  std::string error;
  if (!carryout(row, state, dbfile.name, views_, error)) {
    showerror("tdbdyngrid: updatefile: " + error);
    return false;
  }
  return true;
}

bool TdbdynGrid::carryout(int32_t row, char state, const std::string& filename, Values values, std::string& error) {
  writeerror_.clear();
  switch (state) {
    case 'C':
      if (_ins(row, filename, 0, values)) return true;
      error = failure(writeerror_, "Fehler in _ins!");
      return false;
    case 'D':
      if (_del(row)) return true;
      error = failure(writeerror_, "Fehler in _del!");
      return false;
    case 'N': return true;
    case 'U': return rewrite(row, filename, values, error);
    default:
      error = "dbdaten in " + number(row) + std::string(" ungültig! ("_cp) + DBfields(row) + ")";
      return false;
  }
}

// A changed row keeps its Pos. Where its new record goes is decided before
// anything is written: the first free slot that fits, its own old slot taking
// part as the last one (the old record counts as freed), or the end of the
// file. The writes then keep the old or the new record live at every moment,
// and a failure leaves the old one live with the row still "U".
bool TdbdynGrid::rewrite(int32_t row, const std::string& filename, Values values, std::string& error) {
  const std::string oldfields = DBfields(row);
  int32_t pos = 0;
  if (!platform::strtoint(getsubfield(oldfields, 3), pos)) {
    error = "Rec nicht lesbar";
    return false;
  }
  if (!recordfits(values)) {
    error = writeerror_;
    return false;
  }
  OpenFile* entry = writehandle(filename);
  platform::File* file = entry ? entry->file.get() : nullptr;
  int64_t oldoffset = 0;
  std::size_t oldslot = 0;
  if (!file || !readoldrecord(*file, oldfields, oldoffset, oldslot)) {
    error = failure(writeerror_, "Fehler in _del!");
    return false;
  }
  const std::size_t length = buildrecord(pos, values, flagpending);
  int64_t offset = 0;
  std::size_t slotlength = 0;
  bool written = false;
  bool ownslot = false;
  if (takefreeslot(filename, length, offset, slotlength)) {
    written = movetoslot(*file, oldoffset, oldfields, offset, length, slotlength);
  } else if (oldslot >= length) {
    ownslot = true;
    offset = oldoffset;
    slotlength = oldslot;
    written = overwriteinplace(*file, offset, length, slotlength);
  } else {
    written = movetoend(*entry, oldoffset, oldfields, length, offset);
    slotlength = length;
  }
  if (!written) {
    error = failure(writeerror_, "Fehler in _ins!");
    return false;
  }
  addfreeslot(ownslot ? std::string() : freedslot(oldfields));
  setlive(row, filename, pos, offset, slotlength);
  return true;
}

// Reads the row's record at its offset into the read buffer: its whole slot
// when a record can fill it (oldslot then tells its length, else 0), or just
// its start mark and Pos. False when the Pos there is not the row's: a stale
// offset must not destroy another record.
bool TdbdynGrid::readoldrecord(platform::File& file, const std::string& fields, int64_t& offset,
                               std::size_t& oldslot) {
  int32_t start = 0;
  int32_t pos = 0;
  int32_t slot = 0;
  if (!platform::strtoint(getsubfield(fields, 5), start) || !platform::strtoint(getsubfield(fields, 3), pos))
    return false;
  const bool fillable = platform::strtoint(getsubfield(fields, 6), slot) &&
                        static_cast<std::size_t>(slot) >= posend && static_cast<std::size_t>(slot) <= longestline;
  offset = start;
  oldslot = fillable ? static_cast<std::size_t>(slot) : 0;
  char* const old = readbuffer_.get();
  int32_t stored = 0;
  return readat(file, offset, old, fillable ? oldslot : posend, writeerror_) &&
         platform::strtoint(std::string_view(old + posoffset, poswidth), stored) && stored == pos;
}

// The new record goes over the old one in one write. Its head is the old
// head (same Pos, live), so no delete mark is needed; should the write fail,
// the old bytes, kept in the read buffer, are put back.
bool TdbdynGrid::overwriteinplace(platform::File& file, int64_t offset, std::size_t length, std::size_t slotlength) {
  char* const record = linebuffer_.get();
  record[flagoffset] = flaglive;
  std::memset(record + length, fillbyte, slotlength - length);
  if (writeat(file, offset, record, slotlength, writeerror_)) return true;
  std::string ignored;
  writeat(file, offset, readbuffer_.get(), slotlength, ignored);
  return false;
}

// Into a free slot: the new record, not yet live, then the old one flagged
// deleted, then the new one turned live.
bool TdbdynGrid::movetoslot(platform::File& file, int64_t oldoffset, const std::string& oldfields, int64_t offset,
                            std::size_t length, std::size_t slotlength) {
  std::memset(linebuffer_.get() + length, fillbyte, slotlength - length);
  if (!writeat(file, offset, linebuffer_.get(), slotlength, writeerror_)) {
    std::string ignored;
    deletemark(file, offset, ignored);
    return false;
  }
  return swaplive(file, oldoffset, oldfields, offset);
}

// Appended: the new record, not yet live, with the record count raised, then
// the old one flagged deleted, then the new one turned live.
bool TdbdynGrid::movetoend(OpenFile& entry, int64_t oldoffset, const std::string& oldfields, std::size_t length,
                           int64_t& offset) {
  return appendrecord(entry, length, offset, false) && swaplive(*entry.file, oldoffset, oldfields, offset);
}

// The old record is flagged deleted, then the new one turned live. Should
// either fail, the old record is made live again and the new one deleted;
// if even that fails, the next load still finds exactly one of them live.
bool TdbdynGrid::swaplive(platform::File& file, int64_t oldoffset, const std::string& oldfields, int64_t offset) {
  if (deletemark(file, oldoffset, writeerror_) && writeflag(file, offset, flaglive, writeerror_)) return true;
  std::string ignored;
  if (writehead(file, oldoffset, getsubfield(oldfields, 3), flaglive, ignored)) deletemark(file, offset, ignored);
  return false;
}

// The freeslots entry of a record that was freed: file, offset and length.
std::string TdbdynGrid::freedslot(const std::string& fields) {
  std::string slot = fields;
  setsubfield(slot, 1, "N");
  setsubfield(slot, 3, "x");
  setsubfield(slot, 4, "x");
  return slot;
}

bool TdbdynGrid::_ins(int32_t row, const std::string& filename, int32_t pos, Values values) {
  if (values.size() != static_cast<std::size_t>(getcolcount()) || !recordfits(values)) return false;
  if (pos <= 0 && !issuepos(filename, pos)) return false;
  OpenFile* entry = writehandle(filename);
  if (!entry) return false;
  std::size_t length = buildrecord(pos, values, flagdeleted);
  int64_t offset = 0;
  std::size_t slotlength = 0;
  if (takefreeslot(filename, length, offset, slotlength)) {
    std::memset(linebuffer_.get() + length, fillbyte, slotlength - length);
    length = slotlength;
    if (!writeintoslot(*entry->file, offset, length)) return false;
  } else if (!appendrecord(*entry, length, offset, true)) {
    return false;
  }
  setlive(row, filename, pos, offset, length);
  return true;
}

bool TdbdynGrid::_del(int32_t row) {
  const std::string fields = DBfields(row);
  OpenFile* entry = writehandle(getsubfield(fields, 2));
  platform::File* file = entry ? entry->file.get() : nullptr;
  int64_t offset = 0;
  std::size_t oldslot = 0;
  if (!file || !readoldrecord(*file, fields, offset, oldslot)) return false;
  if (!deletemark(*file, offset, writeerror_)) {
    // A mark that failed half-way must not leave the record live under another Pos.
    std::string ignored;
    writehead(*file, offset, getsubfield(fields, 3), flaglive, ignored);
    return false;
  }
  addfreeslot(freedslot(fields));
  rows_[static_cast<std::size_t>(row)].state = 0;
  setpostext(row, {});
  return true;
}

TdbdynGrid::OpenFile* TdbdynGrid::writehandle(const std::string& filename) {
  platform::File* file = nullptr;
  bool readonly = false;
  const auto dbfile = std::find_if(dbfiles_.begin(), dbfiles_.end(), [&](const DbFile& f) { return f.name == filename; });
  if (dbfile == dbfiles_.end() || !openfile(dbfile->path, file, readonly) || readonly) return nullptr;
  OpenFile* found = nullptr;
  for (OpenFile& entry : openfiles_) {
    if (entry.file.get() != file) continue;
    entry.changed = true;
    found = &entry;
  }
  return found;
}

bool TdbdynGrid::recordfits(Values values) {
  const std::size_t length = recordlength(values);
  if (length <= longestline) return true;
  writeerror_ = "Datensatz zu lang (" + number(static_cast<int64_t>(length)) +
                std::string(" Bytes, höchstens "_cp) + number(longestline) + " Bytes)!";
  return false;
}

std::size_t TdbdynGrid::buildrecord(int32_t pos, Values values, char flag) {
  char* out = linebuffer_.get();
  char digits[poswidth];
  putdigits(digits, pos, poswidth);
  puthead(out, {digits, poswidth}, flag);
  out[flagsep] = colsep;
  std::size_t length = valuesoffset;
  for (const std::string_view value : values) {
    std::memcpy(out + length, value.data(), value.size());
    length += value.size();
    out[length++] = colsep;
  }
  return length;
}

bool TdbdynGrid::issuepos(const std::string& filename, int32_t& pos) {
  bool found = false;
  for (DbFile& file : dbfiles_) {
    if (file.name != filename) continue;
    // Past the largest number a Pos cannot be read back: no record gets it.
    if (file.maxpos == INT32_MAX) return false;
    pos = ++file.maxpos;
    found = true;
  }
  return found;
}

bool TdbdynGrid::takefreeslot(const std::string& filename, std::size_t length, int64_t& offset,
                              std::size_t& slotlength) {
  // Reused entries stay in the list as empty texts; skipping the leading run
  // of them keeps the walk short. Entries are only appended behind
  // lastfreeslot_, emptied here, or dropped all at once by clear(), after
  // which entry 0 is the first to be filled again: so while entry 0 is empty,
  // everything below freeslotscan_ still is.
  if (freeslotscan_ > lastfreeslot_ + 1 || (freeslotscan_ > 0 && !freeslots_[0].empty())) freeslotscan_ = 0;
  const auto empty = [&](int32_t i) { return platform::trimview(freeslots_[static_cast<std::size_t>(i)]).empty(); };
  while (freeslotscan_ <= lastfreeslot_ && empty(freeslotscan_)) ++freeslotscan_;
  for (int32_t i = freeslotscan_; i <= lastfreeslot_; ++i) {
    std::string& entry = freeslots_[static_cast<std::size_t>(i)];
    if (empty(i)) continue;
    // Most slots are too short: their length is looked at first. A slot longer
    // than the line buffer (left by an over-long line) cannot be filled from it.
    int32_t slotsize = 0;
    if (!platform::strtoint(subfieldview(entry, 6, std::string_view::npos), slotsize) || slotsize < 0 ||
        static_cast<std::size_t>(slotsize) < length || static_cast<std::size_t>(slotsize) > longestline)
      continue;
    int32_t slotoffset = 0;
    if (subfieldview(entry, 2, std::string_view::npos) != filename ||
        !platform::strtoint(subfieldview(entry, 5, std::string_view::npos), slotoffset))
      continue;
    entry.clear();
    offset = slotoffset;
    slotlength = static_cast<std::size_t>(slotsize);
    return true;
  }
  return false;
}

bool TdbdynGrid::writeintoslot(platform::File& file, int64_t offset, std::size_t length) {
  if (writeat(file, offset, linebuffer_.get(), length, writeerror_) && makelive(file, offset)) return true;
  // Part of the record may have arrived: it must not load as a live record.
  std::string ignored;
  deletemark(file, offset, ignored);
  return false;
}

bool TdbdynGrid::appendrecord(OpenFile& entry, std::size_t length, int64_t& offset, bool live) {
  platform::File& file = *entry.file;
  // The end that this table's last append left is the file's end: no other
  // process writes the file while the table holds it, and that end holds no
  // torn line. Any other end is looked up and checked.
  int64_t end = entry.ownend;
  entry.ownend = -1;
  if (end < 0) {
    if (!file.size(end)) return ioerror(writeerror_);
    if (!cuttornline(file, end)) return false;
  }
  // CR LF and the record go out in one write, assembled in the read buffer,
  // which is idle outside loading and has room for both.
  char* out = readbuffer_.get();
  std::memcpy(out, crlf.data(), crlf.size());
  std::memcpy(out + crlf.size(), linebuffer_.get(), length);
  const int64_t start = end + static_cast<int64_t>(crlf.size());
  if (!writeat(file, end, out, crlf.size() + length, writeerror_) || (live && !makelive(file, start)) ||
      !raiserecordcount(file)) {
    // Cut the file back: a failed append leaves it exactly as before.
    file.truncate(end);
    return false;
  }
  offset = start;
  entry.ownend = offset + static_cast<int64_t>(length);
  return true;
}

// One write of many bytes can be cut short when the process dies in it, so a
// record goes to disk flagged deleted and turns live by this single byte: an
// interrupted write leaves a free slot, never half a record read as live.
bool TdbdynGrid::makelive(platform::File& file, int64_t offset) { return writeflag(file, offset, flaglive, writeerror_); }

// An append cut short by the process dying can leave CR LF and the first
// bytes of a record at the end of the file. The reader takes a line as a
// record only from 16 bytes on; a shorter one it joins to the line appended
// next, which would then fail on every load: such a line is cut off before
// appending. Its length is counted as the reader counts it: the file's last
// byte, LFs and NULs left out, a final 0xA1 added when missing.
bool TdbdynGrid::cuttornline(platform::File& file, int64_t& end) {
  // CR LF, a line long enough to be parsed alone, and the file's last byte.
  char tail[crlf.size() + shortestline + 1];
  const int64_t start = std::max<int64_t>(0, end - static_cast<int64_t>(sizeof tail));
  const auto count = static_cast<std::size_t>(end - start);
  if (!readat(file, start, tail, count, writeerror_)) return false;
  const std::string_view bytes(tail, count);
  const std::size_t lineend = bytes.rfind('\r');
  if (lineend == std::string_view::npos) return true;  // the last line is long, or the header
  std::string line;
  for (const char c : bytes.substr(lineend + 1, count - lineend - 2))
    if (c != '\n' && c != '\0') line += c;
  if (line.empty() || line.back() != colsep) line += colsep;
  if (parsedalone(line)) return true;
  const int64_t cut = start + static_cast<int64_t>(lineend);
  if (!file.truncate(cut)) return ioerror(writeerror_);
  end = cut;
  return true;
}

bool TdbdynGrid::raiserecordcount(platform::File& file) {
  char digits[countwidth];
  int32_t count = 0;
  if (!readat(file, countoffset, digits, countwidth, writeerror_)) return false;
  if (!platform::strtoint(std::string_view(digits, countwidth), count)) return false;
  char header[countend];
  putcount(header, int64_t{count} + 1);
  return writeat(file, 0, header, countend, writeerror_);
}
