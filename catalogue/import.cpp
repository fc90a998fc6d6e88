#include "catalogue/import.h"

#include <algorithm>
#include <memory>

#include "catalogue/ersatzdatei.h"
#include "catalogue/rezeptformat.h"
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

constexpr char ctrlz = '\x1A';  // ends an import file
constexpr std::string_view byteordermark = "\xEF\xBB\xBF";
constexpr std::size_t shownlength = 255;  // of a line too long to be read

// The text without a UTF-8 sequence that the end of a chunk cut off.
std::string_view wholecharacters(std::string_view text) {
  for (std::size_t back = 1; back <= 4 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? text.substr(0, text.size() - back) : text;
  }
  return text;
}

// The parser of recipe blocks and the rows it writes.
class Importer {
 public:
  explicit Importer(Catalogue& catalogue)
      : catalogue_(catalogue), recipeid_(largestid(catalogue.rezepte())), ingredients_(catalogue.zutaten()) {}

  // Handles one trimmed line; a failure ends the import.
  Outcome handle(const std::string& line) {
    if (line.empty()) {
      state_ = State::expectname;
      return Outcome::ok();
    }
    switch (state_) {
      case State::expectname: return startrecipe(line);
      case State::expectmarker:
        if (!istzutatenmarke(line)) return Outcome::failed("Zeile ist nicht \"zutaten:\"");
        state_ = State::ingredients;
        return Outcome::ok();
      case State::ingredients:
        if (endetzutaten(line)) {
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
    std::string text = zubereitunglesen(line);
    if (text.empty()) return Outcome::ok();
    std::vector<std::string> row = {std::to_string(recipeid_), std::move(text)};
    static_assert(zubereitungspalte::rezeptid == 0 && zubereitungspalte::text == 1 && zubereitungspalte::anzahl == 2);
    if (!catalogue_.c_zubereitungen().addrow(row)) return Outcome::failed("c_zubereitungen db_addrow fehlgeschlagen");
    return Outcome::ok();
  }

  Outcome addingredientline(const std::string& line) {
    const std::optional<Zutatenzeile> parts = zutatenzeilelesen(line);
    if (!parts) return Outcome::failed("Format Fehler (1)!");  // in two words, as it has always read
    int64_t ingredientid = 0;
    namensschluessel(parts->zutat, key_);
    if (const std::optional<int32_t> known = ingredients_.find(key_)) {
      ingredientid = *known;
    } else {
      ingredientid = ingredients_.nextid();
      Zutatenschreiber& c_zutaten = catalogue_.c_zutaten();
      std::vector<std::string> row(zutatspalte::anzahl);
      row[zutatspalte::id] = std::to_string(ingredientid);
      row[zutatspalte::werte] = zutatwerte(parts->zutat, "0", "0");
      if (!c_zutaten.addrow(row)) return writefailed("c_zutaten db_addrow fehlgeschlagen");
      ingredients_.added(c_zutaten, c_zutaten.getrowcount() - 1);
    }
    link_[rezeptzutatspalte::rezeptid] = std::to_string(recipeid_);
    link_[rezeptzutatspalte::zutatid] = std::to_string(ingredientid);
    link_[rezeptzutatspalte::werte] = rezeptzutatwerte(parts->menge, parts->einheit);
    if (!catalogue_.c_rezeptezutaten().addrow(link_)) return writefailed("c_rezeptezutaten db_addrow fehlgeschlagen");
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
  std::string key_;  // the name looked up (namensschluessel)
  std::vector<std::string> link_ = std::vector<std::string>(rezeptzutatspalte::anzahl);  // reused line by line
};

// Hands the file's lines, trimmed, to the importer until one fails; line is
// the last one handed, or the one that could not be read. Only a regular file
// is read, and only a bounded part of it at a time.
Outcome importlines(const std::string& path, Importer& importer, std::string& line) {
  const std::unique_ptr<platform::File> file = platform::File::open(path, platform::File::Access::readonlyregularfile);
  if (!file) return Outcome::ioerror();
  ImportLines lines(*file);
  std::string raw;
  while (lines.next(raw)) {
    line.assign(platform::trimview(raw));
    if (Outcome handled = importer.handle(line); !handled) return handled;
  }
  if (!lines.outcome()) line.assign(platform::trimview(raw));
  return lines.outcome();
}

// The box breaks its lines with LF, then CR: the other way round than usual,
// as the import's error has always been written. It keeps that order byte for
// byte; only the message box shows each pair as one line break.
constexpr const char* zeilenumbruch = "\n\r";

std::string errorbox(const std::string& line, const std::string& error) {
  return std::string("Fehler beim Importieren der Datei bei Zeile ") + zeilenumbruch + line + zeilenumbruch + error;
}

}  // namespace

ImportLines::ImportLines(std::string_view bytes) : rest_(bytes.substr(0, bytes.find(ctrlz))), ended_(true) {}

ImportLines::ImportLines(platform::File& file) : file_(&file) {}

bool ImportLines::next(std::string& line) {
  line.clear();
  if (!outcome_) return false;
  if (rest_.empty() && !ended_ && !readchunk()) return false;
  if (!started_ && rest_.starts_with(byteordermark)) {
    rest_.remove_prefix(byteordermark.size());
    decided_ = utf8_ = true;
  }
  if (started_ && rest_.empty()) return false;
  started_ = true;
  const std::optional<std::size_t> length = linelength();
  if (!length) {
    if (scanned_ > longestline) line.assign(rest_.substr(0, shownlength));
    return false;
  }
  const std::string_view text = rest_.substr(0, *length);
  if (!decided_) decidecoding(text);
  if (utf8_)
    line = platform::utf8tocp1252(text);
  else
    line.assign(text);
  std::size_t next = *length;
  if (next < rest_.size()) next += rest_.substr(next).starts_with("\r\n") ? 2 : 1;
  rest_.remove_prefix(next);
  scanned_ = 0;
  return true;
}

std::optional<std::size_t> ImportLines::linelength() {
  for (;;) {
    // A plain walk: find_first_of would test each byte against the set by a call.
    std::size_t end = scanned_;
    while (end < rest_.size() && rest_[end] != '\r' && rest_[end] != '\n') ++end;
    scanned_ = end;
    if (end > longestline) {
      outcome_ = Outcome::failed(std::string("Zeile ist länger als 1048576 Bytes!"_cp));
      return std::nullopt;
    }
    // A CR at the end of what was read may yet be followed by its LF.
    const bool lastbyte = end + 1 >= rest_.size();
    if (ended_ || (end < rest_.size() && (rest_[end] == '\n' || !lastbyte))) return end;
    if (!readchunk()) return std::nullopt;
  }
}

// rest_ is always the tail of buffer_: what lies before it is dropped.
bool ImportLines::readchunk() {
  const std::size_t kept = rest_.size();
  buffer_.erase(0, buffer_.size() - kept);
  buffer_.resize(kept + chunk);
  std::size_t got = 0;
  const bool read = file_->read(offset_, buffer_.data() + kept, chunk, got);
  buffer_.resize(kept + got);
  if (const std::size_t stop = buffer_.find(ctrlz, kept); stop != std::string::npos) {
    buffer_.resize(stop);
    ended_ = true;
  }
  rest_ = buffer_;
  if (!read) {
    outcome_ = Outcome::ioerror();
    return false;
  }
  offset_ += static_cast<int64_t>(got);
  ended_ = ended_ || got < chunk;  // a read stops short only at the end of the file
  return true;
}

// Decided at the first line with a byte above 0x7F, on the text read so far
// from there: lines before it are ASCII, the same in either reading.
void ImportLines::decidecoding(std::string_view line) {
  if (std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return;
  decided_ = true;
  utf8_ = platform::ismultibyteutf8(ended_ ? rest_ : wholecharacters(rest_));
}

void Importieren1Click(Catalogue& catalogue, ImportFilePort& files) {
  if (!catalogue.maywrite().orwarn()) return;
  const std::optional<std::string> path = files.chooseimportfile();
  if (!path) return;
  Importer importer(catalogue);
  std::string line;
  Outcome outcome = Outcome::ok();
  {
    // The lock for the whole run of writes; the file was chosen before.
    const Catalogue::Writing writing(catalogue);
    outcome = importlines(*path, importer, line);
    // What was written stays on a format error too, and is committed as well;
    // a failed write or commit has dropped its batch already.
    const Outcome flushed = catalogue.flush();
    if (!flushed && outcome) outcome = flushed;
    // A row whose write failed (a preparation, which the import leaves out)
    // goes from memory too: the tables show what the disk holds.
    if (flushed && !outcome) catalogue.discard();
  }
  if (!outcome) {
    platform::showwarning(errorbox(line, outcome.failure));
    return;
  }
  platform::showinformation(std::string("Import wurde ausgeführt, "_cp) + std::to_string(importer.recipecount()) +
                            std::string(" Einträge verarbeitet!"_cp));
  // The substitutes an export wrote beside its recipes come with them.
  if (const std::string ersatz = ersatzdateizu(*path); platform::fileexists(ersatz)) ersatzladen(catalogue, ersatz);
}

}  // namespace catalogue
