// The recipe import: a plain text file of recipe blocks becomes rows of
// c_rezepte, c_rezeptezutaten and c_zutaten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"
#include "tablestore/dbdyngrid_unit.h"

namespace catalogue {

// "Daten Importieren": lets the user pick a file and imports it; ends with
// the success box or the import's error box. Rows written stay on an error.
void Importieren1Click(Catalogue& catalogue, ImportFilePort& files);

// The lines of an import file's bytes, one at a time, so that a file of many
// short lines costs no more than its bytes: CR, CR LF and LF end a line, 0x1A
// ends the file, and an empty file is one blank line. UTF-8 text (with a byte
// order mark, or valid and holding multi-byte characters; decided for the
// whole file) comes out in Windows-1252. No UTF-8 sequence holds a line end,
// so each line converts on its own as it would within the whole text.
class ImportLines {
 public:
  explicit ImportLines(std::string_view bytes);  // bytes must outlive the walk
  // The next line; false after the last one.
  bool next(std::string& line);

 private:
  std::string_view rest_;
  bool utf8_ = false;
  bool done_ = false;
};

// A value as the import stores it and the table reads it back: trimmed, the
// bytes the table blanks and the subfield separator as blanks, trimmed again.
std::string storedvalue(std::string_view text);
// Whether the text, its a-z upper-cased, contains upper (as the import finds
// "ZUBEREITUNG"); without a copy of it.
bool uppercontains(std::string_view text, std::string_view upper);

// The largest recipe id that reads as a number, at least 0.
int64_t largestid(const TdbdynGrid& c_rezepte);

// What a scan of c_zutaten by name would find, built once per import so that
// each ingredient line costs a hash lookup instead of a pass over the table.
class IngredientLookup {
 public:
  explicit IngredientLookup(const TdbdynGrid& c_zutaten);
  // The id of the first row (in table order, rows whose id is no number passed
  // over) whose name, trimmed and upper-cased, equals uppername.
  std::optional<int32_t> find(const std::string& uppername) const;
  // One more than the largest id that reads as a number, at least 1.
  int64_t nextid() const { return largest_ + 1; }
  // Takes in the row just appended to the end of c_zutaten.
  void added(const TdbdynGrid& c_zutaten, int32_t row);

 private:
  std::unordered_map<std::string, int32_t> ids_;
  int64_t largest_ = 0;
};

}  // namespace catalogue
