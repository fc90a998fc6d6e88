#include "catalogue/import.h"

#include <algorithm>
#include <memory>

#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "platform/text.h"

namespace catalogue {

namespace {

enum class State { expectname, expectmarker, ingredients };

// The staged bytes at which an import commits before its next recipe: memory
// stays bounded and syncs few, and a power cut leaves a prefix of the file's
// recipes, each whole.
constexpr std::size_t batchbytes = std::size_t{8} << 20;

constexpr char subsep = TdbdynGrid::subsep;

// A value as its subfield will read back: cut to 255 bytes and trimmed. A
// value without 0xBF is its own first subfield.
std::string_view wieeingelesen(std::string_view value) { return TdbdynGrid::getsubfieldview(value, 1); }

// Whether the line, upper-cased, is upper; without a copy of it.
bool upperequals(std::string_view line, std::string_view upper) {
  return std::equal(line.begin(), line.end(), upper.begin(), upper.end(),
                    [](char a, char b) { return platform::upperchar(a) == b; });
}
std::string_view::iterator upperfind(std::string_view line, std::string_view upper) {
  return std::search(line.begin(), line.end(), upper.begin(), upper.end(),
                     [](char a, char b) { return platform::upperchar(a) == b; });
}

// The text after the word "Zubereitung" and an optional colon, as stored;
// empty when the line holds the word only inside a longer one (a syrup
// named "Zubereitungssirup" ends the list, but is no preparation).
std::string preparationtext(std::string_view line) {
  constexpr std::string_view word = "ZUBEREITUNG";
  std::string_view rest = line.substr(static_cast<std::size_t>(upperfind(line, word) - line.begin()) + word.size());
  if (!rest.empty() && platform::upperchar(rest.front()) >= 'A' && platform::upperchar(rest.front()) <= 'Z') return {};
  rest = platform::trimview(rest);
  if (rest.starts_with(':')) rest.remove_prefix(1);
  return storedvalue(rest);
}

struct IngredientLine {
  std::string quantity;
  std::string unit;
  std::string name;
};

// Quantity, blank, unit, blank, name; a line without a blank is a name alone.
// Nothing when a part is empty as stored.
std::optional<IngredientLine> splitingredient(const std::string& line) {
  const std::string_view text(line);
  const std::size_t first = text.find(' ');
  IngredientLine parts{"0", "-", storedvalue(text)};
  if (first != std::string::npos) {
    const std::size_t second = text.find(' ', first + 1);
    parts.quantity = storedvalue(text.substr(0, first));
    parts.unit = second == std::string::npos ? "" : storedvalue(text.substr(first + 1, second - first - 1));
    parts.name = second == std::string::npos ? "" : storedvalue(text.substr(second + 1));
  }
  if (parts.quantity.empty() || parts.unit.empty() || parts.name.empty()) return std::nullopt;
  return parts;
}

// Reads the whole file, which must be a regular one. The buffer is sized
// once, so that the file's bytes are held once and not in a buffer grown by
// doubling.
Outcome readwholefile(const std::string& path, std::string& bytes) {
  std::unique_ptr<platform::File> file = platform::File::open(path, platform::File::Access::readonly_regularfile);
  if (!file) return Outcome::ioerror();
  constexpr std::size_t chunk = 1 << 20;
  int64_t size = 0;
  if (!file->size(size)) return Outcome::ioerror();
  bytes.reserve(static_cast<std::size_t>(size) + chunk);
  std::size_t got = 0;
  do {
    const std::size_t used = bytes.size();
    bytes.resize(used + chunk);
    if (!file->read(static_cast<int64_t>(used), bytes.data() + used, chunk, got)) return Outcome::ioerror();
    bytes.resize(used + got);
  } while (got > 0);
  file->close();  // an error while closing a file only read is of no concern
  return Outcome::ok();
}

// The parser of recipe blocks and the rows it writes.
class Importer {
 public:
  explicit Importer(Catalogue& catalogue)
      : catalogue_(catalogue), recipeid_(largestid(catalogue.c_rezepte())), ingredients_(catalogue.c_zutaten()) {}

  // Handles one trimmed line; a failure ends the import.
  Outcome handle(const std::string& line) {
    if (line.empty()) {
      state_ = State::expectname;
      return Outcome::ok();
    }
    switch (state_) {
      case State::expectname: return startrecipe(line);
      case State::expectmarker:
        if (!upperequals(line, "ZUTATEN:")) return Outcome::failed("Zeile ist nicht \"zutaten:\"");
        state_ = State::ingredients;
        return Outcome::ok();
      case State::ingredients:
        if (uppercontains(line, "ZUBEREITUNG")) {
          state_ = State::expectname;
          return keeppreparation(line);
        }
        return addingredientline(line);
    }
    return Outcome::ok();
  }

  int recipecount() const { return recipecount_; }

 private:
  Outcome startrecipe(const std::string& line) {
    if (catalogue_.stagedbytes() >= batchbytes)
      if (Outcome committed = catalogue_.flush(); !committed) return committed;
    ++recipeid_;
    ++recipecount_;
    std::vector<std::string> row(rezeptspalte::anzahl);
    row[rezeptspalte::id] = std::to_string(recipeid_);
    row[rezeptspalte::werte] = rezeptwerte(storedvalue(line), "0");
    if (!catalogue_.c_rezepte().addrow(row)) return writefailed("c_rezepte db_addrow fehlgeschlagen");
    state_ = State::expectmarker;
    return Outcome::ok();
  }

  // A recipe's preparation is one row of c_zubereitungen; none when empty.
  Outcome keeppreparation(const std::string& line) {
    std::string text = preparationtext(line);
    if (text.empty()) return Outcome::ok();
    std::vector<std::string> row = {std::to_string(recipeid_), std::move(text)};
    static_assert(zubereitungspalte::rezeptid == 0 && zubereitungspalte::text == 1 && zubereitungspalte::anzahl == 2);
    if (!catalogue_.c_zubereitungen().addrow(row))
      return Outcome::failed("c_zubereitungen db_addrow fehlgeschlagen");
    return Outcome::ok();
  }

  Outcome addingredientline(const std::string& line) {
    const std::optional<IngredientLine> parts = splitingredient(line);
    if (!parts) return Outcome::failed("Format Fehler (1)!");  // in two words, as it has always read
    int64_t ingredientid = 0;
    // The name as the table reads it back (cut to 255 bytes, trimmed), so
    // that a long name finds the row it was stored in.
    key_.assign(wieeingelesen(parts->name));
    std::transform(key_.begin(), key_.end(), key_.begin(), platform::upperchar);
    if (const std::optional<int32_t> known = ingredients_.find(key_)) {
      ingredientid = *known;
    } else {
      ingredientid = ingredients_.nextid();
      TdbdynGrid& c_zutaten = catalogue_.c_zutaten();
      std::vector<std::string> row(zutatspalte::anzahl);
      row[zutatspalte::id] = std::to_string(ingredientid);
      row[zutatspalte::werte] = zutatwerte(parts->name, "0", "0");
      if (!c_zutaten.addrow(row)) return writefailed("c_zutaten db_addrow fehlgeschlagen");
      ingredients_.added(c_zutaten, c_zutaten.getrowcount() - 1);
    }
    link_[rezeptzutatspalte::rezeptid] = std::to_string(recipeid_);
    link_[rezeptzutatspalte::zutatid] = std::to_string(ingredientid);
    link_[rezeptzutatspalte::werte] = rezeptzutatwerte(parts->quantity, parts->unit);
    if (!catalogue_.c_rezeptezutaten().addrow(link_))
      return writefailed("c_rezeptezutaten db_addrow fehlgeschlagen");
    return Outcome::ok();
  }

  // A write that fails drops what the batch wrote so far.
  Outcome writefailed(const char* reason) {
    catalogue_.discard();
    return Outcome::failed(reason);
  }

  Catalogue& catalogue_;
  State state_ = State::expectname;
  int64_t recipeid_;
  int recipecount_ = 0;
  IngredientLookup ingredients_;
  std::string key_;                          // the name looked up, upper-cased
  std::vector<std::string> link_ = std::vector<std::string>(rezeptzutatspalte::anzahl);  // reused line by line
};

// The box breaks its lines with LF, then CR: the other way round than usual,
// as the import's error has always been written. It keeps that order byte for
// byte; only the message box shows each pair as one line break.
constexpr const char* zeilenumbruch = "\n\r";

std::string errorbox(const std::string& line, const std::string& error) {
  return std::string("Fehler beim Importieren der Datei bei Zeile ") + zeilenumbruch + line + zeilenumbruch + error;
}

}  // namespace

// A 0xBF inside a value would split it into several subfields, so it becomes
// a blank like the bytes the table blanks itself; trimmed again, so that a
// name is looked up as it will read.
std::string storedvalue(std::string_view text) {
  std::string value(platform::trimview(text));
  TdbdynGrid::cleaninplace(value);
  std::replace(value.begin(), value.end(), subsep, ' ');
  const std::string_view kept = platform::trimview(value);
  if (kept.size() < value.size()) value = std::string(kept);  // a blanked byte stood at an edge
  return value;
}

bool uppercontains(std::string_view line, std::string_view upper) { return upperfind(line, upper) != line.end(); }

ImportLines::ImportLines(std::string_view bytes) : rest_(bytes.substr(0, bytes.find('\x1A'))) {
  if (rest_.starts_with("\xEF\xBB\xBF")) {
    rest_.remove_prefix(3);
    utf8_ = true;
  } else {
    utf8_ = platform::is_multibyte_utf8(rest_);
  }
}

bool ImportLines::next(std::string& line) {
  if (done_) return false;
  // A plain walk: find_first_of would test each byte against the set by a call.
  std::size_t end = 0;
  while (end < rest_.size() && rest_[end] != '\r' && rest_[end] != '\n') ++end;
  if (utf8_)
    line = platform::utf8_to_cp1252(rest_.substr(0, end));
  else
    line.assign(rest_.substr(0, end));
  std::size_t next = end;
  if (next < rest_.size()) next += rest_.substr(next).starts_with("\r\n") ? 2 : 1;
  rest_.remove_prefix(next);
  done_ = rest_.empty();
  return true;
}

int64_t largestid(const TdbdynGrid& c_rezepte) {
  int64_t largest = 0;
  for (int32_t row = 0; row < c_rezepte.getrowcount(); ++row) {
    int32_t id = 0;
    if (platform::strtoint(leserezeptid(c_rezepte, row), id)) largest = std::max<int64_t>(largest, id);
  }
  return largest;
}

IngredientLookup::IngredientLookup(const TdbdynGrid& c_zutaten) {
  for (int32_t row = 0; row < c_zutaten.getrowcount(); ++row) added(c_zutaten, row);
}

std::optional<int32_t> IngredientLookup::find(const std::string& uppername) const {
  const auto it = ids_.find(uppername);
  if (it == ids_.end()) return std::nullopt;
  return it->second;
}

void IngredientLookup::added(const TdbdynGrid& c_zutaten, int32_t row) {
  const Zutatzeile zutat = lesezutat(c_zutaten, row);
  int32_t id = 0;
  if (!platform::strtoint(zutat.id(), id)) return;
  largest_ = std::max<int64_t>(largest_, id);
  ids_.emplace(platform::upper(platform::trimview(zutat.name())), id);  // the first row of a name wins
}

void Importieren1Click(Catalogue& catalogue, ImportFilePort& files) {
  if (!catalogue.maywrite().orwarn()) return;
  const std::optional<std::string> path = files.chooseimportfile();
  if (!path) return;
  Importer importer(catalogue);
  std::string bytes;
  std::string line;
  Outcome outcome = readwholefile(*path, bytes);
  if (outcome) {
    ImportLines lines(bytes);
    std::string raw;
    while (outcome && lines.next(raw)) {
      line.assign(platform::trimview(raw));
      outcome = importer.handle(line);
    }
  }
  // What was written stays on a format error too, and is committed as well; a
  // failed write or commit has dropped its batch already.
  if (Outcome flushed = catalogue.flush(); !flushed && outcome) outcome = flushed;
  if (!outcome) {
    platform::showwarning(errorbox(line, outcome.failure));
    return;
  }
  platform::showinformation(std::string("Import wurde ausgeführt, "_cp) + std::to_string(importer.recipecount()) +
                            std::string(" Einträge verarbeitet!"_cp));
}

}  // namespace catalogue
