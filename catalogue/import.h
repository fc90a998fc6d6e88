// The recipe import: a plain text file of recipe blocks becomes rows of
// c_rezepte, c_rezeptezutaten and c_zutaten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"
#include "tablestore/dbdyngrid_unit.h"

namespace catalogue {

// "Daten Importieren": lets the user pick a file and imports it; ends with
// the success box or the import's error box. Rows written stay on an error.
void Importieren1Click(Catalogue& catalogue, ImportFilePort& files);

// The lines of an import file's bytes: CR, CR LF and LF end a line, 0x1A ends
// the file, and an empty file is one blank line. UTF-8 text (with a byte order
// mark, or valid and holding multi-byte characters) is converted to Windows-1252.
std::vector<std::string> importlines(std::string bytes);

// The largest id in column 0 that reads as a number, at least 0.
int64_t largestid(const TdbdynGrid& table);

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
