// Row changes and their write-back. addrow, updaterow and delrow change the
// row in memory and write it back before they return: a record is written
// into a free slot or appended, a deleted record is flagged in place. The file
// is never rewritten as a whole; each change is a few small writes at known
// offsets. Every step of the write-back answers with an Outcome; updatefile
// shows the text of a failed one.
//
// Which failures are covered, and how. A table that stages its changes (the
// catalogue's) writes no file here: the writes go to a stage per file
// (writehandle decides), and the owner commits a whole command's stages
// through the undo journal (journal.h). A power cut, a kill or a failed write
// or sync at any moment then leaves each command wholly done or wholly not
// done, and a failed command is reloaded away from memory. Where it stops: a
// disk that loses or reorders synced bytes, and files changed behind the
// program's back. A table without a stage writes through: that mode is for
// tools and tests, never for the user's data. Each record is written so that
// a kill between two writes leaves the old or the new record live (a pending
// Flag, single-byte turns). Its limits: it is not safe against a power cut,
// and a rewrite in the record's own slot that is torn inside the record
// leaves old and new bytes in one live record.
#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>
#include <span>
#include <string_view>

#include "platform/codepage.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tablestore/recordformat.h"

using namespace recordformat;  // the format's offsets, widths and bytes

namespace {

std::size_t recordlength(std::span<const std::string_view> values) {
  std::size_t length = valuesoffset;
  for (const std::string_view value : values) length += value.size() + 1;
  return length;
}

std::string number(int64_t value) { return std::to_string(value); }

}  // namespace

// --- row changes ---

bool TdbdynGrid::addrow(std::vector<std::string>& values) {
  if (!changeable("addrow", values)) return false;
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
  return storevalues(row, values, "addrow") && writeback(row, "addrow");
}

bool TdbdynGrid::updaterow(int32_t row, std::vector<std::string>& values) {
  if (!changeable("updaterow", values)) return false;
  // A row outside the table counts as a row without a record.
  const bool inside = row >= 0 && row < getrowcount();
  const char state = inside ? rows_[static_cast<std::size_t>(row)].state : 0;
  if (state == 0) {
    showerror("tdbdyngrid: updaterow: row (" + number(row) + std::string(") interne DBfields ungültig!"_cp));
    return false;
  }
  // A new row has no record yet; its write-back creates one.
  if (state != 'C') rows_[static_cast<std::size_t>(row)].state = 'U';
  return storevalues(row, values, "updaterow") && writeback(row, "updaterow");
}

bool TdbdynGrid::delrow(int32_t row) {
  if (!deletable(row)) return false;
  rows_[static_cast<std::size_t>(row)].state = 'D';
  if (!writeback(row, "delrow")) return false;
  dbfileupdate_ = false;
  clearcells(row);
  dbfileupdate_ = true;
  return true;
}

bool TdbdynGrid::changeable(const std::string& operation, const std::vector<std::string>& values) const {
  if (Mode_ < 1) {
    platform::showwarning("tdbdyngrid: " + operation + std::string(": nicht möglich in Mode "_cp) + number(Mode_));
    return false;
  }
  if (values.size() != static_cast<std::size_t>(getcolcount())) {
    platform::showwarning("tdbdyngrid: " + operation + std::string(": Übergebene Spaltenanzahl stimmt nicht!"_cp));
    return false;
  }
  return true;
}

bool TdbdynGrid::deletable(int32_t row) const {
  if (Mode_ < 1) {
    platform::showwarning(std::string("tdbdyngrid: delete: nicht möglich in Mode "_cp) + number(Mode_));
    return false;
  }
  if (row < 0 || row >= getrowcount()) {
    platform::showwarning(std::string("tdbdyngrid: delete: delrow außerhalb Bereich"_cp));
    return false;
  }
  const char state = rows_[static_cast<std::size_t>(row)].state;
  if (state == 0) {
    showerror("tdbdyngrid: delrow: row (" + number(row) + std::string(") interne DBfields ungültig!"_cp));
    return false;
  }
  if (state == 'C') {
    showerror("tdbdyngrid: delrow: row (" + number(row) + ") interne DBfields nicht setzbar! (ist dbcreate)");
    return false;
  }
  return true;
}

bool TdbdynGrid::writeback(int32_t row, const std::string& operation) {
  if (updatefile(row)) return true;
  showerror("tdbdyngrid: " + operation + ": row (" + number(row) + ") Fehler beim Updaten der Datei!");
  return false;
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
  if (!writable(row)) return false;
  const DbFile* dbfile = targetfile(row);
  if (!dbfile || !cellsheld(row)) return false;
  platform::File* file = nullptr;
  bool readonly = false;
  if (!openfileorwarn(dbfile->path, file, readonly)) return false;
  // Another process holds the file: the change stays in memory.
  if (readonly) return true;
  const Outcome outcome = carryout(row, dbfile->name, views_);
  if (!outcome) showerror("tdbdyngrid: updatefile: " + outcome.failure);
  return outcome.done;
}

bool TdbdynGrid::writable(int32_t row) {
  if (Mode_ < 1) {
    platform::showwarning(std::string("tdbdyngrid: updatefile: nicht möglich in Mode "_cp) + number(Mode_));
    return false;
  }
  if (!dbfileupdate_) {
    // "TdynGird" is misspelled and stays so: users quote our messages as they
    // have always read, and a corrected text would no longer match theirs.
    platform::showwarning(
        "TdynGird: updatefile: interne Warnung: filememupdate obwohl dbfileupdate inaktiv - fehler wurde "
        "automatisch korrigiert");
    dbfileupdate_ = true;
  }
  if (row < 0 || row >= getrowcount()) {
    showerror("tdbdyngrid: updatefile: row (" + number(row) + std::string(") außerhalb Bereich!"_cp));
    return false;
  }
  return true;
}

const TdbdynGrid::DbFile* TdbdynGrid::targetfile(int32_t row) const {
  const Rowfields& fields = rows_[static_cast<std::size_t>(row)];
  if (fields.state == 0) {
    platform::showwarning("tdbdyngrid: updatefile: dbdaten in " + number(row) + std::string(" ungültig! (datei)"_cp));
    return nullptr;
  }
  if (fields.state == 'C' && (dbfiles_.empty() || dbfiles_.back().name.empty())) {
    platform::showwarning("tdbdyngrid: updatefile: create - Dateiname unbekannt!");
    return nullptr;
  }
  // A new row goes to the file loaded last, any other to its own.
  const DbFile& dbfile = fields.state == 'C' ? dbfiles_.back() : dbfiles_[fields.file];
  // The table holds its file open already, so what can have changed is the
  // path: the file deleted, or a folder in its place. One stat tells both; a
  // file with a stage had it when the command's first change began the stage.
  const bool staged = std::any_of(openfiles_.begin(), openfiles_.end(), [&](const OpenFile& entry) {
    return entry.record.stage() && entry.path == dbfile.path;
  });
  if (!staged && !platform::File::present(dbfile.path)) {
    platform::showwarning("tdbdyngrid: updatefile: " + dbfile.path + " existiert nicht!");
    return nullptr;
  }
  return &dbfile;
}

bool TdbdynGrid::cellsheld(int32_t row) {
  // The cells are read in place: a row change costs no copy of them.
  views_.resize(static_cast<std::size_t>(getcolcount()));
  rowviews(row, views_);
  for (const std::string_view value : views_) {
    if (value == "\x01") {
      platform::showwarning("interner dbfehler: insrow daten beinhaltet nicht gepuffertes feld!");
      return false;
    }
  }
  return true;
}

TdbdynGrid::Outcome TdbdynGrid::carryout(int32_t row, const std::string& filename, Values values) {
  switch (rows_[static_cast<std::size_t>(row)].state) {
    case 'C': return create(row, filename, values).named("Fehler in _ins!");
    case 'D': return erase(row).named("Fehler in _del!");
    case 'N': return Outcome::ok();
    case 'U': return rewrite(row, filename, values);
    default: return Outcome::failed("dbdaten in " + number(row) + std::string(" ungültig! ("_cp) + DBfields(row) + ")");
  }
}

// A new row: its record gets the next Pos of its file.
TdbdynGrid::Outcome TdbdynGrid::create(int32_t row, const std::string& filename, Values values) {
  Outcome fits = recordfits(values);
  if (!fits) return fits;
  const std::optional<int32_t> pos = issuepos(filename);
  if (!pos) return Outcome::failed();
  Outcome written = _ins(filename, *pos, values);
  if (written) setlive(row, filename, *pos, written.slot);
  return written;
}

// A deleted row: its record flagged deleted, its slot free for a later
// record, the row without a record.
TdbdynGrid::Outcome TdbdynGrid::erase(int32_t row) {
  Outcome freed = _del(row);
  if (!freed) return freed;
  Rowfields& fields = rows_[static_cast<std::size_t>(row)];
  addfreeslot(freeslotentry(dbfiles_[fields.file].name, freed.slot));
  fields.state = 0;
  setpostext(row, {});
  return freed;
}

// A changed row keeps its Pos. Where its new record goes is decided before
// anything is written: the first free slot that fits, its own old slot taking
// part as the last one (the old record counts as freed), or the end of the
// file. Written through, a kill between two writes then leaves the old or the
// new record live, and a failure leaves the old one live with the row still
// "U" (a write torn inside the old slot is the limit told at the top).
TdbdynGrid::Outcome TdbdynGrid::rewrite(int32_t row, const std::string& filename, Values values) {
  const Rowfields fields = rows_[static_cast<std::size_t>(row)];
  const std::string oldpos = posdigits(row);
  Outcome fits = recordfits(values);
  if (!fits) return fits;
  tablestore::RecordFile* file = writehandle(filename);
  const Outcome old = file ? readoldrecord(*file, fields) : Outcome::failed();
  if (!old) return old.named("Fehler in _del!");
  const std::size_t length = buildrecord(fields.pos, values, flagpending);
  Outcome written = placechange(*file, filename, old.slot, oldpos, length).named("Fehler in _ins!");
  if (!written) return written;
  // The old slot is free now, unless the new record went back into it: then
  // its entry is taken at once, as if _del had freed it and _ins reused it.
  const Slot freed = rowslot(row);
  addfreeslot(written.slot.offset == freed.offset ? std::string() : freeslotentry(filename, freed));
  setlive(row, filename, fields.pos, written.slot);
  return written;
}

// Reads the row's record at its offset into the read buffer: its whole slot
// when a record can fill it (the answer's slot length then tells it, else it
// is 0), or just its start mark and Pos. Fails when the Pos there is not the
// row's: a stale offset must not destroy another record. Offsets, like the
// freeslots entries, stay within 32 bits.
TdbdynGrid::Outcome TdbdynGrid::readoldrecord(tablestore::RecordFile& file, const Rowfields& fields) {
  if (fields.offset > INT32_MAX) return Outcome::failed();
  const bool fillable =
      fields.length >= static_cast<int64_t>(posend) && fields.length <= static_cast<int64_t>(longestline);
  const Slot old{fields.offset, fillable ? static_cast<std::size_t>(fields.length) : 0};
  char* const bytes = readbuffer_.get();
  const Outcome read = file.readat(old.offset, bytes, fillable ? old.length : posend);
  if (!read) return read;
  int32_t stored = 0;
  if (!platform::strtoint(std::string_view(bytes + posoffset, poswidth), stored) || stored != fields.pos)
    return Outcome::failed();
  return Outcome::ok(old);
}

// Writes the changed row's record, built in the line buffer, where it goes:
// the first free slot that fits, else its own old slot, else the file's end.
TdbdynGrid::Outcome TdbdynGrid::placechange(tablestore::RecordFile& file, const std::string& filename, Slot old,
                                            std::string_view oldpos, std::size_t length) {
  if (const std::optional<Slot> slot = takefreeslot(filename, length))
    return movetoslot(file, old.offset, oldpos, *slot, length);
  if (old.length >= length) return overwriteinplace(file, old, length);
  return movetoend(file, old.offset, oldpos, length);
}

// The new record goes over the old one in one write. Its head is the old
// head (same Pos, live), so no delete mark is needed; should the write fail,
// the old bytes, kept in the read buffer, are put back.
TdbdynGrid::Outcome TdbdynGrid::overwriteinplace(tablestore::RecordFile& file, Slot old, std::size_t length) {
  char* const record = linebuffer_.get();
  record[flagoffset] = flaglive;
  std::memset(record + length, fillbyte, old.length - length);
  const Outcome written = file.writeat(old.offset, {record, old.length});
  if (written) return Outcome::ok(old);
  file.writeat(old.offset, {readbuffer_.get(), old.length});
  return written;
}

// Into a free slot: the new record, not yet live, then the old one flagged
// deleted, then the new one turned live.
TdbdynGrid::Outcome TdbdynGrid::movetoslot(tablestore::RecordFile& file, int64_t oldoffset, std::string_view oldpos,
                                           Slot slot, std::size_t length) {
  std::memset(linebuffer_.get() + length, fillbyte, slot.length - length);
  const Outcome written = file.writeat(slot.offset, {linebuffer_.get(), slot.length});
  if (written) return swaplive(file, oldoffset, oldpos, slot);
  file.deletemark(slot.offset);
  return written;
}

// Appended: the new record, not yet live, with the record count raised, then
// the old one flagged deleted, then the new one turned live.
TdbdynGrid::Outcome TdbdynGrid::movetoend(tablestore::RecordFile& file, int64_t oldoffset, std::string_view oldpos,
                                          std::size_t length) {
  const Outcome appended = file.appendrecord({linebuffer_.get(), length}, false);
  return appended ? swaplive(file, oldoffset, oldpos, appended.slot) : appended;
}

// The old record is flagged deleted, then the new one in slot turned live.
// Should either fail, the old record is made live again and the new one
// deleted; if even that fails, the next load still finds exactly one of them
// live.
TdbdynGrid::Outcome TdbdynGrid::swaplive(tablestore::RecordFile& file, int64_t oldoffset, std::string_view oldpos,
                                         Slot slot) {
  Outcome swapped = file.deletemark(oldoffset);
  if (swapped) swapped = file.makelive(slot.offset);
  if (swapped) return Outcome::ok(slot);
  if (file.writehead(oldoffset, oldpos, flaglive)) file.deletemark(slot.offset);
  return swapped;
}

TdbdynGrid::Outcome TdbdynGrid::_ins(const std::string& filename, int32_t pos, Values values) {
  tablestore::RecordFile* file = writehandle(filename);
  if (!file) return Outcome::failed();
  const std::size_t length = buildrecord(pos, values, flagdeleted);
  if (const std::optional<Slot> slot = takefreeslot(filename, length)) {
    std::memset(linebuffer_.get() + length, fillbyte, slot->length - length);
    return writeintoslot(*file, *slot);
  }
  return file->appendrecord({linebuffer_.get(), length}, true);
}

TdbdynGrid::Outcome TdbdynGrid::_del(int32_t row) {
  const Rowfields& fields = rows_[static_cast<std::size_t>(row)];
  tablestore::RecordFile* file = writehandle(dbfiles_[fields.file].name);
  if (!file) return Outcome::failed();
  const Outcome old = readoldrecord(*file, fields);
  if (!old) return old;
  const Outcome marked = file->deletemark(old.slot.offset);
  if (marked) return Outcome::ok(rowslot(row));
  // A mark that failed half-way must not leave the record live under another Pos.
  file->writehead(old.slot.offset, posdigits(row), flaglive);
  return marked;
}

tablestore::RecordFile* TdbdynGrid::writehandle(const std::string& filename) {
  platform::File* file = nullptr;
  bool readonly = false;
  const DbFile* dbfile = finddbfile(filename);
  if (dbfile == nullptr || !openfile(dbfile->path, file, readonly) || readonly) return nullptr;
  OpenFile* found = nullptr;
  for (OpenFile& entry : openfiles_)
    if (entry.record.file() == file) found = &entry;
  // The one place that decides whether a change goes to the file or waits.
  if (found && stagechanges_ && !found->record.stage() && !found->record.beginstage()) return nullptr;
  return found ? &found->record : nullptr;
}

TdbdynGrid::Outcome TdbdynGrid::recordfits(Values values) {
  const std::size_t length = recordlength(values);
  if (length <= longestline) return Outcome::ok();
  return Outcome::failed("Datensatz zu lang (" + number(static_cast<int64_t>(length)) +
                         std::string(" Bytes, höchstens "_cp) + number(longestline) + " Bytes)!");
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

std::optional<int32_t> TdbdynGrid::issuepos(const std::string& filename) {
  std::optional<int32_t> pos;
  for (DbFile& file : dbfiles_) {
    if (file.name != filename) continue;
    // Past the largest number a Pos cannot be read back: no record gets it.
    if (file.maxpos == INT32_MAX) return std::nullopt;
    pos = ++file.maxpos;
  }
  return pos;
}

std::optional<TdbdynGrid::Slot> TdbdynGrid::takefreeslot(const std::string& filename, std::size_t length) {
  // Reused entries stay in the list as empty texts; skipping the leading run
  // of them keeps the walk short. Entries are only appended behind
  // lastfreeslot_, emptied here, or dropped all at once by clear(), after
  // which entry 0 is the first to be filled again: so while entry 0 is empty,
  // everything below freeslotscan_ still is.
  if (freeslotscan_ > lastfreeslot_ + 1 || (freeslotscan_ > 0 && !freeslots_[0].empty())) freeslotscan_ = 0;
  const auto empty = [&](int32_t i) { return platform::trimview(freeslots_[static_cast<std::size_t>(i)]).empty(); };
  while (freeslotscan_ <= lastfreeslot_ && empty(freeslotscan_)) ++freeslotscan_;
  for (int32_t i = freeslotscan_; i <= lastfreeslot_; ++i) {
    if (empty(i)) continue;
    std::string& entry = freeslots_[static_cast<std::size_t>(i)];
    const std::optional<Slot> slot = fittingslot(entry, filename, length);
    if (!slot) continue;
    entry.clear();
    return slot;
  }
  return std::nullopt;
}

// The slot of a freeslots entry, when it is one of filename that a record of
// length bytes fits.
std::optional<TdbdynGrid::Slot> TdbdynGrid::fittingslot(std::string_view entry, const std::string& filename,
                                                        std::size_t length) {
  // Most slots are too short: their length is looked at first. A slot longer
  // than the line buffer (left by an over-long line) cannot be filled from it.
  int32_t slotsize = 0;
  if (!platform::strtoint(subfieldview(entry, fieldlength, std::string_view::npos), slotsize) || slotsize < 0 ||
      static_cast<std::size_t>(slotsize) < length || static_cast<std::size_t>(slotsize) > longestline)
    return std::nullopt;
  int32_t slotoffset = 0;
  if (subfieldview(entry, fieldfile, std::string_view::npos) != filename ||
      !platform::strtoint(subfieldview(entry, fieldoffset, std::string_view::npos), slotoffset))
    return std::nullopt;
  return Slot{slotoffset, static_cast<std::size_t>(slotsize)};
}

TdbdynGrid::Outcome TdbdynGrid::writeintoslot(tablestore::RecordFile& file, Slot slot) {
  Outcome written = file.writeat(slot.offset, {linebuffer_.get(), slot.length});
  if (written) written = file.makelive(slot.offset);
  if (written) return Outcome::ok(slot);
  // Part of the record may have arrived: it must not load as a live record.
  file.deletemark(slot.offset);
  return written;
}
