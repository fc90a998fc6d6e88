// The table file's format, named once for the reader and the write-back,
// and the line break of the table store's messages.
// A file is the header line, then for each record CR LF and the record line;
// no line end follows the header of a new file nor the last record. Columns
// are separated by colsep (0xA1), the fields of a record's head by subsep
// (0xBF), which also starts every record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace recordformat {

inline constexpr char colsep = '\xA1';  // separates columns in a table file
inline constexpr char subsep = '\xBF';  // separates subfields; starts a record

// The reader's chunk and line buffers. Their odd sizes are deliberate and
// stay as they are: the chunk size shows in the load's "Lesefehler" message,
// and a line keeps its first 102,400 bytes (one byte more for its final
// 0xA1), which decides what an over-long line loads as and how long a record
// the write-back may write. Rounding them changes both.
inline constexpr int32_t readbuffersize = 1048577;
inline constexpr int32_t linebuffersize = 102401;

// --- the header line: "#DB", 0xA1, DC, 0xA1, REV, 0xA1, CC, 0xA1 ---
inline constexpr std::string_view magic = "#DB";
inline constexpr std::size_t countoffset = magic.size() + 1;  // DC, behind the magic and its 0xA1
inline constexpr std::size_t countwidth = 10;                 // DC: the record lines, live and deleted
// The 0xA1 behind DC. An append and the load's correction rewrite the bytes
// before it: the magic, its 0xA1 and DC.
inline constexpr std::size_t countend = countoffset + countwidth;
inline constexpr char revision = 'A';  // REV
// The header's fields as the reader splits it at each 0xA1.
enum Headerfield : std::size_t { magicfield, countfield, revisionfield, columnsfield, headerfields };

// --- a record line: start mark, Pos, 0xBF, Flag, 0xA1, each value followed by 0xA1 ---
inline constexpr std::size_t posoffset = 1;  // behind the start mark
inline constexpr std::size_t poswidth = 10;
inline constexpr std::size_t posend = posoffset + poswidth;  // the 0xBF behind Pos
inline constexpr std::size_t flagoffset = posend + 1;
// Start mark, Pos, 0xBF and Flag: the bytes a delete mark overwrites.
inline constexpr std::size_t headlength = flagoffset + 1;
inline constexpr std::size_t flagsep = headlength;  // the 0xA1 behind the Flag
// Where the values begin; a record without values is this long.
inline constexpr std::size_t valuesoffset = flagsep + 1;
// Read as a subfield list, the bytes between the start mark and the first
// 0xA1 hold these subfields.
inline constexpr int32_t possubfield = 1;
inline constexpr int32_t flagsubfield = 2;
// The Pos of a deleted record, and the DC of a new file.
inline constexpr std::string_view zerodigits = "0000000000";

// The Flag. Any digit but flaglive reads as a free slot; the loader takes
// flagpending, the new record of a changed row that was not yet turned live,
// for the row's record when the row has no live one.
inline constexpr char flaglive = '0';
inline constexpr char flagdeleted = '1';
inline constexpr char flagpending = '2';

// Fills a record up to the length of the larger free slot it was written into.
// The reader counts it in the record's slot but drops it from the values.
inline constexpr char fillbyte = '\0';
// The reader ends a line at a CR and skips every LF; the write-back puts CR
// LF in front of every record.
inline constexpr char lineend = '\r';
inline constexpr char skipped = '\n';
inline constexpr std::string_view crlf = "\r\n";

// The longest line the reader keeps (it drops further bytes), so the longest
// record the write-back may write.
inline constexpr std::size_t longestline = linebuffersize - 1;
// The reader passes an assembled line (its final 0xA1 restored) to the parser
// only from this length on, or when its second byte is "#"; a shorter line is
// joined to the next one. The write-back's cut of a torn line decides with
// parsedalone as well, so that the two agree byte for byte.
inline constexpr std::size_t shortestline = 16;
inline bool parsedalone(std::string_view line) {
  return line.size() >= shortestline || (line.size() > 1 && line[1] == '#');
}

// The table store's line break in messages: LF, then CR. The order is the
// other way round than usual, and it has always been so in every message the
// users see and compare; it stays as it is.
inline constexpr const char* messagebreak = "\n\r";

// value in decimal, zero-padded to width digits, at out. No allocation: every
// record written and every record count raised needs one.
inline void putdigits(char* out, int64_t value, std::size_t width) {
  for (std::size_t i = width; i-- > 0; value /= 10) out[i] = static_cast<char>('0' + value % 10);
}

// The headlength bytes of a record's head at out; posdigits holds poswidth bytes.
inline void puthead(char* out, std::string_view posdigits, char flag) {
  out[0] = subsep;
  std::memcpy(out + posoffset, posdigits.data(), poswidth);
  out[posend] = subsep;
  out[flagoffset] = flag;
}

// The countend bytes of the magic, its 0xA1 and count as DC at out.
inline void putcount(char* out, int64_t count) {
  std::memcpy(out, magic.data(), magic.size());
  out[magic.size()] = colsep;
  putdigits(out + countoffset, count, countwidth);
}

// The whole file of a new table with columns columns: its header alone.
inline std::string newheader(int32_t columns) {
  const std::string sep(1, colsep);
  return std::string(magic) + sep + std::string(zerodigits) + sep + revision + sep + std::to_string(columns) + sep;
}

}  // namespace recordformat
