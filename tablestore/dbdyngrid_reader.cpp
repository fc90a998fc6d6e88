// The reader of table files: walks a file once, front to back, in chunks of
// the table's read buffer, assembles lines in its line buffer and rebuilds
// rows, DBfields and freeslots from them. Errors stop it as a Readerror.
#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "platform/codepage.h"
#include "platform/mapping.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tablestore/recordformat.h"

using namespace recordformat;  // the format's offsets, widths and bytes

namespace {

// More columns than this in a header would make every row cost megabytes;
// such a file is refused like any other bad column count.
constexpr int32_t maxcolumns = 1000;

bool decimaldigit(char c) { return c >= '0' && c <= '9'; }

// Cuts the next field, up to the next 0xA1, off the front of rest.
std::string_view nextfield(std::string_view& rest) {
  const std::size_t sep = rest.find(TdbdynGrid::colsep);
  const std::string_view field = rest.substr(0, sep);
  rest.remove_prefix(sep == std::string_view::npos ? rest.size() : sep + 1);
  return field;
}

// The header error; reason names the field.
std::string invalidfile(const char* reason) {
  return std::string("Dies ist keine für diesen Betriebsmodus gültige Datei! "_cp) + reason;
}

}  // namespace

class TdbdynGrid::Reader {
 public:
  Reader(TdbdynGrid& table, int32_t index, OpenFile& entry, const std::string& path, bool readonly)
      : table_(table),
        index_(index),
        entry_(entry.record),
        file_(*entry.record.file()),
        path_(path),
        readonly_(readonly),
        line_(table.linebuffer_.get()) {
    const int32_t rows = table.getrowcount();
    const bool lastisplaceholder = rows > 0 && table.rows_[static_cast<std::size_t>(rows - 1)].state == 0;
    rowindex_ = lastisplaceholder ? rows - 2 : rows - 1;
    firstrow_ = rowindex_ + 1;
  }

  void read() {
    int64_t size = 0;
    if (!file_.size(size)) failio();
    size_ = size;
    char* const buffer = table_.readbuffer_.get();
    for (int64_t offset = 0; offset < size;) {
      const auto requested = static_cast<std::size_t>(std::min<int64_t>(size - offset, readbuffersize));
      std::size_t got = 0;
      if (!file_.read(offset, buffer, requested, got)) failio();
      if (got < requested) fail("Lesefehler " + std::to_string(requested) + "/" + std::to_string(got));
      const bool lastchunk = offset + static_cast<int64_t>(requested) == size;
      // The file's last byte ends the line, whatever it is.
      walk(buffer, requested - (lastchunk ? 1 : 0), offset);
      if (lastchunk) endline();
      offset += static_cast<int64_t>(requested);
    }
    settlepending();
    checkrecordcount();
  }

 private:
  [[noreturn]] static void fail(std::string text) { throw Readerror{std::move(text)}; }
  // The error of the last failed file operation, as the load shows it.
  [[noreturn]] static void failio() { fail(platform::errortext(platform::lasterror())); }

  // Room for as many rows as the file can hold records of 14 + CC bytes and
  // a line end, and for all its bytes as cells, so that neither rows nor
  // cells need to move while they grow. Only what is filled takes memory.
  void reserverows() {
    const int64_t records = size_ / static_cast<int64_t>(crlf.size() + valuesoffset + table_.getcolcount());
    table_.rows_.reserve(static_cast<std::size_t>(table_.getrowcount() + records));
    table_.cells_.reserve(static_cast<std::size_t>(table_.getrowcount() + records), static_cast<std::size_t>(size_));
  }

  // A file that this table alone may write is mapped: a live record's cells
  // then stay where they are in it, instead of being copied.
  void mapfile() {
    std::unique_ptr<platform::Mapping> mapping = platform::Mapping::map(file_, static_cast<std::size_t>(size_));
    if (!mapping) return;
    mapped_ = mapping->data();
    table_.cells_.keep(std::move(mapping));
  }

  // Feeds count bytes of the chunk that starts at file offset chunkoffset.
  void walk(const char* bytes, std::size_t count, int64_t chunkoffset) {
    const char* p = bytes;
    const char* const end = bytes + count;
    while (p < end) {
      const auto* cr = static_cast<const char*>(std::memchr(p, lineend, static_cast<std::size_t>(end - p)));
      const char* const stop = cr ? cr : end;
      if (!cr || !parsedinplace(p, cr, chunkoffset + (p - bytes))) {
        append(p, stop, chunkoffset + (p - bytes));
        if (!cr) break;
        endline();
      }
      p = cr + 1;
    }
  }

  // Most lines are live records as the write-back writes them, lying whole
  // in the chunk: no line pending before them, a plain head, nothing inside
  // to leave out, a value for each column and their final 0xA1 in place.
  // Such a line is taken where it is, with the row endline would give it;
  // false leaves the line [p, cr) to append and endline.
  bool parsedinplace(const char* p, const char* cr, int64_t offset) {
    if (length_ != 0 || start_ >= 0 || linenumber_ == 0) return false;
    for (; p < cr && *p == skipped; ++p) ++offset;
    const std::string_view line(p, static_cast<std::size_t>(cr - p));
    int32_t pos = 0;
    if (line.size() < shortestline || line.size() > longestline || !plainlive(line, pos)) return false;
    const std::string_view values = line.substr(valuesoffset);
    if (values.back() != colsep || separators(values) != table_.getcolcount()) return false;
    ++linenumber_;
    int32_t& maxpos = table_.dbfiles_[static_cast<std::size_t>(index_)].maxpos;
    maxpos = std::max(maxpos, pos);
    ++counted_;
    nextrow(pos, {}, values, offset, static_cast<int64_t>(line.size()), offset + static_cast<int64_t>(valuesoffset));
    return true;
  }

  // True for the plain head of a live record whose Pos fits an int32_t, read into pos.
  static bool plainlive(std::string_view line, int32_t& pos) {
    if (line[0] != subsep || line[posend] != subsep || line[flagoffset] != flaglive || line[flagsep] != colsep)
      return false;
    int64_t number = 0;
    for (const char c : line.substr(posoffset, poswidth)) {
      if (!decimaldigit(c)) return false;
      number = number * 10 + (c - '0');
    }
    pos = static_cast<int32_t>(number);
    return number <= INT32_MAX;
  }

  // The 0xA1 among the values, which stand at the end of a line of at least
  // eight bytes; -1 when an LF or a NUL is among them. Short values are
  // looked at eight bytes at a time, long ones (preparations) searched.
  static int64_t separators(std::string_view values) {
    if (values.size() > 64) {
      if (values.find(skipped) != std::string_view::npos || values.find(fillbyte) != std::string_view::npos) return -1;
      return std::count(values.begin(), values.end(), colsep);
    }
    int64_t count = 0;
    uint64_t odd = 0;
    for (std::size_t done = 0; done < values.size(); done += 8) {
      const std::size_t n = std::min<std::size_t>(8, values.size() - done);
      // The last bytes are read as the end of the eight that end the values.
      uint64_t word = 0;
      std::memcpy(&word, values.data() + done + n - 8, 8);
      const uint64_t mine = n == 8 ? ~uint64_t{0} : ~uint64_t{0} << (8 * (8 - n));
      // The marks are the bytes' high bits: moved to their low bits, a product sums them in the top byte.
      count += static_cast<int64_t>(((bytesequal(word, colsep) & mine) >> 7) * 0x0101010101010101 >> 56);
      odd |= (bytesequal(word, skipped) | bytesequal(word, fillbyte)) & mine;
    }
    return odd != 0 ? -1 : count;
  }

  // The high bit of each byte of word (in memory order, little-endian) that is b.
  static uint64_t bytesequal(uint64_t word, char b) {
    constexpr uint64_t low7 = 0x7F7F7F7F7F7F7F7F;
    const uint64_t x = word ^ (uint64_t{0x0101010101010101} * static_cast<unsigned char>(b));
    return ~(((x & low7) + low7) | x | low7);
  }

  // Adds the bytes [p, stop) of a line: LF skipped, NUL counted but dropped.
  // The bytes between them are copied as runs.
  void append(const char* p, const char* stop, int64_t offset) {
    for (; p < stop && *p == skipped; ++p) ++offset;  // the LF of a record's CR LF
    const char* nextlf = find(p, stop, skipped);
    const char* nextnul = find(p, stop, fillbyte);
    while (p < stop) {
      const char* const special = std::min(nextlf, nextnul);
      if (p < special) {
        appendrun(p, special, offset);
        offset += special - p;
        p = special;
      } else if (*p == skipped) {
        nextlf = find(++p, stop, skipped);
        ++offset;
      } else {
        counted(offset, 1);
        nextnul = find(++p, stop, fillbyte);
        ++offset;
      }
    }
  }

  static const char* find(const char* p, const char* stop, char c) {
    const void* found = std::memchr(p, c, static_cast<std::size_t>(stop - p));
    return found ? static_cast<const char*>(found) : stop;
  }

  // n bytes of the line, the first at file offset offset, are counted.
  void counted(int64_t offset, int64_t n) {
    if (start_ < 0) start_ = offset;
    count_ += n;
    end_ = offset + n;
  }

  // Bytes that are kept, up to the line's limit.
  void appendrun(const char* p, const char* stop, int64_t offset) {
    counted(offset, stop - p);
    const auto n = std::min<std::ptrdiff_t>(stop - p, static_cast<std::ptrdiff_t>(longestline) - length_);
    std::memcpy(line_ + length_, p, static_cast<std::size_t>(n));
    length_ += static_cast<int32_t>(n);
  }

  void endline() {
    // The line as the file holds it, in one piece: nothing left out, nothing cut off.
    asinfile_ = start_ >= 0 && end_ - start_ == length_;
    if (length_ == 0 || line_[length_ - 1] != colsep) {
      line_[length_++] = colsep;
      asinfile_ = false;
    }
    const std::string_view line(line_, static_cast<std::size_t>(length_));
    if (!parsedalone(line)) return;  // a short line joins the next one
    parseline(line);
    length_ = 0;
    start_ = -1;
    count_ = 0;
  }

  void parseline(std::string_view line) {
    const int32_t number = linenumber_++;
    if (number == 0)
      parseheader(line);
    else
      parserecord(line, number);
  }

  void parseheader(std::string_view line) {
    std::string fields[headerfields];
    for (std::string& field : fields) field = platform::upper(platform::trimview(nextfield(line)));
    const std::string& count = fields[countfield];
    const std::string& rev = fields[revisionfield];
    const std::string& columntext = fields[columnsfield];
    if (fields[magicfield] != magic || count.size() < countwidth || rev.size() != 1 || columntext.empty())
      fail(invalidfile("(HEADER)"));
    if (rev[0] != revision) fail(invalidfile("(REV)"));
    if (!platform::strtoint(count, dc_)) fail(invalidfile("(DC)"));
    int32_t columns = 0;
    if (!platform::strtoint(columntext, columns) || columns > maxcolumns) fail(invalidfile("(CC)"));
    table_.setcolcount(columns);  // drops mappings: after it
    if (!readonly_) mapfile();
    reserverows();
  }

  void parserecord(std::string_view line, int32_t number) {
    if (line[0] != subsep) fail("Lesefehler(Start) bei pos " + std::to_string(number));
    std::string_view pos;
    std::string_view flag;
    std::string_view values;
    const bool plain = readhead(line, pos, flag, values);
    int32_t posvalue = 0;
    if (pos.size() != poswidth || !(plain ? digitsvalue(pos, posvalue) : platform::strtoint(pos, posvalue)))
      fail("Lesefehler(Pos) bei " + std::to_string(number) + " (" + std::string(pos) + ")");
    int32_t& maxpos = table_.dbfiles_[static_cast<std::size_t>(index_)].maxpos;
    maxpos = std::max(maxpos, posvalue);
    int32_t flagvalue = 0;
    if (flag.size() != 1 || !(plain ? digitsvalue(flag, flagvalue) : platform::strtoint(flag, flagvalue)))
      fail("Lesefehler(Flag) bei " + std::to_string(number) + " (" + std::string(flag) + ")");
    ++counted_;
    if (flagvalue == flaglive - '0') {
      // Cells that are the values themselves, as the file holds them, can stay there.
      const std::string_view cells = rowcells(values);
      const bool inplace = asinfile_ && cells.data() == values.data();
      addrow(posvalue, pos, cells, start_, count_, inplace ? start_ + (values.data() - line.data()) : -1);
    } else if (flagvalue == flagpending - '0')
      pending_.push_back({posvalue, std::string(pos), start_, count_, std::string(values)});
    else
      table_.addfreeslot(freeslot(start_, count_));
  }

  // Pos and Flag of a record as the subfield walk reads them from the bytes
  // between its start mark and its first 0xA1; values starts behind that 0xA1.
  // True when they are the plain head's digits.
  static bool readhead(std::string_view line, std::string_view& pos, std::string_view& flag, std::string_view& values) {
    if (plainhead(line, pos, flag, values)) return true;
    values = line.substr(posoffset);
    const std::string_view prefix = nextfield(values);
    pos = subfieldview(prefix, possubfield, std::string_view::npos);
    flag = subfieldview(prefix, flagsubfield, std::string_view::npos);
    return false;
  }

  // The number that decimal digits only give, as strtoint reads them: false
  // above the largest int32_t.
  static bool digitsvalue(std::string_view digits, int32_t& value) {
    int64_t number = 0;
    for (const char c : digits) number = number * 10 + (c - '0');
    if (number > INT32_MAX) return false;
    value = static_cast<int32_t>(number);
    return true;
  }

  // The record's head as the write-back writes it: start mark, ten digits of
  // Pos, 0xBF, the one digit of the Flag, 0xA1. Read as they stand, they are
  // what the subfield walk finds; values then starts behind them.
  static bool plainhead(std::string_view line, std::string_view& pos, std::string_view& flag,
                        std::string_view& values) {
    if (line.size() < valuesoffset || line[posend] != subsep || !decimaldigit(line[flagoffset]) ||
        line[flagsep] != colsep || !std::all_of(line.begin() + posoffset, line.begin() + posend, decimaldigit))
      return false;
    pos = line.substr(posoffset, poswidth);
    flag = line.substr(flagoffset, 1);
    values = line.substr(valuesoffset);
    return true;
  }

  // A live record: the next row gets its DBfields and its cells. posdigits
  // is the Pos as the file holds it; cellsat, where the file holds the cells
  // as they are, or -1.
  void addrow(int32_t pos, std::string_view posdigits, std::string_view cells, int64_t start, int64_t count,
              int64_t cellsat) {
    const bool digits = std::all_of(posdigits.begin(), posdigits.end(), decimaldigit);
    nextrow(pos, digits ? std::string_view() : posdigits, cells, start, count, cellsat);
  }

  // addrow for a Pos that the file holds as postext, or as its ten digits when that is empty.
  void nextrow(int32_t pos, std::string_view postext, std::string_view cells, int64_t start, int64_t count,
               int64_t cellsat) {
    ++rowindex_;
    if (rowindex_ >= table_.rowcount_ || table_.cells_.columns() == 0) {
      // A row the table has room for is just counted; changed() follows below.
      if (rowindex_ < table_.rowcapacity_ && table_.cells_.columns() > 0)
        table_.rowcount_ = rowindex_ + 1;
      else
        table_.setrowcount(rowindex_ + 1);
    }
    if (mapped_ != nullptr && cellsat >= 0) {
      table_.cells_.setmapped(rowindex_, mapped_ + cellsat);
      table_.changed();
    } else {
      table_.setcells(rowindex_, cells);
    }
    Rowfields& fields = table_.rows_[static_cast<std::size_t>(rowindex_)];
    fields.state = 'N';
    fields.file = static_cast<uint16_t>(index_);
    fields.pos = pos;
    fields.offset = start;
    fields.length = count;
    if (!postext.empty() || fields.postext) table_.setpostext(rowindex_, postext);
  }

  // The values of a record as the row's cells: the first CC of them, each
  // followed by 0xA1, missing ones empty. Mostly the values are just that.
  std::string_view rowcells(std::string_view values) {
    const auto columns = static_cast<std::size_t>(table_.getcolcount());
    std::size_t end = 0;  // behind the columns-th separator
    for (std::size_t col = 0; col < columns && end != std::string_view::npos; ++col) {
      const std::size_t sep = values.find(colsep, end);
      end = sep == std::string_view::npos ? sep : sep + 1;
    }
    if (end == values.size()) return values;
    cells_.clear();
    for (std::size_t col = 0; col < columns; ++col) {
      cells_ += nextfield(values);
      cells_ += colsep;
    }
    return cells_;
  }

  // The freeslots entry of a record line that starts at start and counts count bytes.
  std::string freeslot(int64_t start, int64_t count) const {
    return freeslotentry(table_.dbfiles_[static_cast<std::size_t>(index_)].name,
                         {start, static_cast<std::size_t>(count)});
  }

  // A record that a change wrote but had not yet turned live when the
  // program stopped. When its Pos has no live record in the file, the old
  // record was already flagged deleted: this is the row's only copy, and it
  // becomes live. Otherwise the change never finished; the record is flagged
  // deleted, so that it cannot come back once the row is deleted later.
  struct Pending {
    int32_t pos;
    std::string posdigits;
    int64_t start;
    int64_t count;
    std::string values;
  };

  void settlepending() {
    if (pending_.empty()) return;
    std::unordered_set<int32_t> live;
    for (int32_t row = firstrow_; row <= rowindex_; ++row) live.insert(table_.rows_[static_cast<std::size_t>(row)].pos);
    for (const Pending& record : pending_) {
      const bool fixable = !readonly_ && writtenbyus(record);
      if (live.insert(record.pos).second) {
        if (fixable) check(entry_.makelive(record.start));
        addrow(record.pos, record.posdigits, rowcells(record.values), record.start, record.count, -1);
      } else {
        if (fixable) check(entry_.deletemark(record.start));
        table_.addfreeslot(freeslot(record.start, record.count));
      }
    }
  }

  // True when the record starts with the head the write-back gives it, so
  // that its Flag stands where a fix writes; a line assembled around blanks,
  // NULs or line feeds is settled in memory only.
  bool writtenbyus(const Pending& record) {
    char expected[headlength];
    char found[headlength];
    puthead(expected, record.posdigits, flagpending);
    std::size_t got = 0;
    if (!file_.read(record.start, found, headlength, got)) failio();
    return got == headlength && std::memcmp(found, expected, headlength) == 0;
  }

  // A fix that cannot be written stops the load with its error.
  static void check(const Outcome& written) {
    if (!written) fail(written.failure);
  }

  // A DC that disagrees with the records read is corrected in place. A file
  // opened read-only keeps it: another copy may be writing the file just now,
  // and that copy corrects the count itself.
  void checkrecordcount() {
    if (counted_ == dc_) return;
    char fix[countend];
    putcount(fix, counted_);
    std::size_t written = 0;
    if (!readonly_ && headerinplace()) {
      if (!file_.write(0, fix, countend, written) && written == 0) failio();
    }
    const char* const outcome =
        written == countend ? "Fehler wurde korrigiert!" : "Fehler konnte nicht korrigiert werden!";
    // "sol" with one l, and the blank before the line break, as the warning
    // has always read: users know it by these words, so they stay.
    platform::showwarning("Warnung beim Laden von " + path_ + ": Datenanzahl stimmt nicht! (ist/sol) " + messagebreak +
                          std::to_string(counted_) + " / " + std::to_string(dc_) + messagebreak + outcome);
  }

  // True when the file starts with the magic, 0xA1, the ten bytes of DC and
  // 0xA1, so that the correction replaces exactly magic and DC. A header that
  // was accepted with extra blanks or line breaks is left as it is.
  bool headerinplace() {
    char head[countend + 1];
    std::size_t got = 0;
    if (!file_.read(0, head, sizeof head, got)) failio();
    return got == sizeof head && platform::upper(std::string_view(head, magic.size())) == magic &&
           head[magic.size()] == colsep && head[countend] == colsep;
  }

  TdbdynGrid& table_;
  const int32_t index_;
  tablestore::RecordFile& entry_;  // the file as the write-back's fixes see it
  platform::File& file_;
  const std::string& path_;
  const bool readonly_;
  char* const line_;
  int32_t length_ = 0;            // bytes kept in line_
  int64_t start_ = -1;            // file offset of the line's first byte; -1 before it
  int64_t count_ = 0;             // bytes of the line, NULs included, LFs not
  int64_t end_ = -1;              // file offset behind the line's last byte
  bool asinfile_ = false;         // the line read last is a piece of the file as it stands
  const char* mapped_ = nullptr;  // the file's bytes, when mapped
  std::string cells_;             // rowcells' buffer
  int32_t linenumber_ = 0;
  int64_t size_ = 0;
  int32_t rowindex_ = -1;
  int32_t firstrow_ = 0;  // the row that takes this file's first live record
  int32_t dc_ = 0;
  int64_t counted_ = 0;
  std::vector<Pending> pending_;
};

void TdbdynGrid::readfile(int32_t index, OpenFile& file, const std::string& path, bool readonly) {
  Reader(*this, index, file, path, readonly).read();
}
