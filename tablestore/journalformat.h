// The layout of the undo journal db/journal, named once for its writer and
// its reader. All numbers are unsigned, little-endian, of the widths below.
//
//   magic
//   per file:   name length, name (the table file's name in the folder),
//               old size, extent count,
//               per extent: offset, length, the file's bytes there before
//   trailer:    the length of all bytes before it, their zlib crc32
//
// A journal whose trailer does not match its bytes was torn by a power cut
// before it was synced: the table files were not touched yet.
#pragma once

namespace journalformat {

inline constexpr char magic[] = "MXJRNL01";
inline constexpr unsigned long magicwidth = sizeof magic - 1;
inline constexpr unsigned long namelengthwidth = 4;
inline constexpr unsigned long sizewidth = 8;  // old size, offset, trailer's length
inline constexpr unsigned long countwidth = 4;
inline constexpr unsigned long lengthwidth = 4;
inline constexpr unsigned long crcwidth = 4;
inline constexpr unsigned long trailerwidth = sizewidth + crcwidth;
// The file beside the table files. Tables are files ending in ".db", so no
// table can take this name.
inline constexpr char filename[] = "journal";

}  // namespace journalformat
