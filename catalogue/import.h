// The recipe import: a plain text file of recipe blocks becomes rows of
// c_rezepte, c_rezeptezutaten and c_zutaten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/outcome.h"
#include "catalogue/ports.h"
#include "platform/file.h"
#include "tablestore/dbdyngrid_unit.h"

namespace catalogue {

// "Daten Importieren": lets the user pick a file and imports it; ends with
// the success box or the import's error box. Rows written stay on an error.
// After a success, the substitutes of a list beside the file
// (ersatzdateizu) are added.
void Importieren1Click(Catalogue& catalogue, ImportFilePort& files);

// The lines of an import file, one at a time, read in chunks so that a file
// costs no more memory than a chunk and its longest line, whatever its size:
// CR, CR LF and LF end a line, 0x1A ends the file, and an empty file is one
// blank line. UTF-8 text comes out in Windows-1252: a file is UTF-8 when it
// starts with a byte order mark, or when the text from its first line that
// holds a byte above 0x7F to the end of that line's chunk is valid UTF-8 with
// multi-byte characters. No UTF-8 sequence holds a line end, so each line
// converts on its own as it would within the whole text.
class ImportLines {
 public:
  static constexpr std::size_t chunk = 1 << 20;
  static constexpr std::size_t longestline = 1 << 20;  // far beyond a record a table file can hold

  explicit ImportLines(std::string_view bytes);  // the whole text; it must outlive the walk
  explicit ImportLines(platform::File& file);    // read from its start; it must outlive the walk
  // The next line; false after the last one, and on a failure: then line is
  // the start of the line at fault ("" after a read error).
  bool next(std::string& line);
  // Failed after a read error or a line longer than longestline.
  const Outcome& outcome() const { return outcome_; }

 private:
  // The length of the line at the front, reading on until its end is known.
  std::optional<std::size_t> linelength();
  // Appends the next chunk to what is left; false after a read error.
  bool readchunk();
  void decidecoding(std::string_view line);

  platform::File* file_ = nullptr;
  int64_t offset_ = 0;       // of the next chunk in the file
  std::string buffer_;       // the chunks read and not yet walked past
  std::string_view rest_;    // the bytes not yet walked past
  std::size_t scanned_ = 0;  // bytes at the front of rest_ known to hold no line end
  bool ended_ = false;       // nothing more to read
  bool decided_ = false;     // UTF-8 or not
  bool utf8_ = false;
  bool started_ = false;  // a line was given
  Outcome outcome_ = Outcome::ok();
};

}  // namespace catalogue
