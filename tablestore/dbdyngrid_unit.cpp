#include "tablestore/dbdyngrid_unit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <exception>

#include "platform/codepage.h"
#include "platform/messages.h"
#include "platform/text.h"
#include "tablestore/recordformat.h"

using recordformat::messagebreak;

namespace {

constexpr int32_t rowstep = 1000;         // columns and DBfields grow in steps of this many rows
constexpr std::size_t subfieldcap = 255;  // getsubfield never gives more bytes

uint64_t laststamp = 0;  // the last change stamp given to any table

// getcell's messages for a column or a row outside the table.
std::string columnoutside(int64_t col) {
  return "tdbdyngrid: getcell: col (" + std::to_string(col) + std::string(") außerhalb Bereich!"_cp);
}
std::string rowoutside(int32_t row) {
  return "tdbdyngrid: getcell: row (" + std::to_string(row) + std::string(") außerhalb Bereich!"_cp);
}

// The smallest multiple of rowstep that is >= n (at most the largest int32).
int32_t capacityfor(int32_t n) {
  const int64_t capacity = (int64_t{n} + rowstep - 1) / rowstep * rowstep;
  return static_cast<int32_t>(std::min<int64_t>(capacity, INT32_MAX));
}

// Two paths name the same file when they agree after trimming, the case of
// ASCII letters aside; compared without copies, as every row change looks
// its file up.
bool samepath(std::string_view a, std::string_view b) {
  if (a == b) return true;  // the common case: the path as the table built it
  a = platform::trimview(a);
  b = platform::trimview(b);
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return platform::lowerchar(x) == platform::lowerchar(y); });
}

// "Fehler beim <action> von: <path>!" and the reason of the last failed file operation.
std::string fileerror(const std::string& action, const std::string& path) {
  const int code = platform::lasterror();
  const std::string reason =
      code == platform::errinuse ? "Datei wird von einem anderen Prozess belegt! " : platform::errortext(code);
  return "Fehler beim " + action + " von: " + path + "!" + messagebreak + reason + "(err=" + std::to_string(code) + ")";
}

// The load's warning for a file opened read-only: another process holds it,
// or (reason) it cannot be written at all.
std::string readonlywarning(const std::string& path, int reason) {
  const std::string cause =
      reason == platform::errinuse
          ? "Achtung: ein anderer Prozess blockiert den Schreibzugriff auf " + path + "!"
          : "Achtung: " + path + " kann nicht beschrieben werden (" + platform::errortext(reason) + ")!";
  return cause + messagebreak +
         std::string("Die Datei wurde im Lesemodus geöffnet (Rückschreiben von Daten ist nicht möglich)!"_cp);
}

}  // namespace

TdbdynGrid::TdbdynGrid(std::string name)
    : name_(std::move(name)), readbuffer_(new char[readbuffersize]), linebuffer_(new char[linebuffersize]) {
  clear();
}

TdbdynGrid::~TdbdynGrid() = default;

void TdbdynGrid::showerror(const std::string& text) const {
  platform::showwarning(text + messagebreak + "Quelle:" + name_);
}

// --- cells, rows, columns ---

int32_t TdbdynGrid::getcolcount() const { return cells_.columns(); }

int32_t TdbdynGrid::getrowcount() const { return getcolcount() == 0 ? 0 : rowcount_; }

void TdbdynGrid::setcolcount(int32_t n) {
  if (n < 0) {
    showerror("tdbdyngrid: setcolcount: Wert unterschreitet 0!");
    return;
  }
  cells_.setcolumns(n);
  changed();
  if (n == 0) return;
  rows_.resize(static_cast<std::size_t>(rowcapacity_));
  cells_.resize(static_cast<std::size_t>(rowcapacity_));
}

void TdbdynGrid::setrowcount(int32_t n) {
  if (n < 0) {
    showerror("tdbdyngrid: setrowcount: Wert unterschreitet 0!");
    return;
  }
  rowcount_ = n;
  changed();
  const int32_t capacity = capacityfor(n);
  if (capacity == rowcapacity_) return;
  rowcapacity_ = capacity;
  rows_.resize(static_cast<std::size_t>(capacity));
  cells_.resize(static_cast<std::size_t>(capacity));
  if (getcolcount() == 0) showerror("tdbdyngrid: setrowcount: Keine Rows vorhanden da Colcount 0!");
}

std::string TdbdynGrid::getcell(int32_t col, int32_t row) const { return std::string(cellview(col, row)); }

std::string_view TdbdynGrid::cellview(int32_t col, int32_t row) const {
  if (col < 0 || col >= getcolcount()) {
    showerror(columnoutside(col));
    return {};
  }
  if (row < 0 || row > rowcount_ - 1) {
    showerror(rowoutside(row));
    return {};
  }
  return cellat(col, row);
}

void TdbdynGrid::rowviews(int32_t row, std::span<std::string_view> cells) const {
  std::fill(cells.begin(), cells.end(), std::string_view());
  // Columns a hand-edited file lacks read as getcell reads them.
  for (auto col = static_cast<int64_t>(getcolcount()); col < static_cast<int64_t>(cells.size()); ++col)
    showerror(columnoutside(col));
  if (row < 0 || row > rowcount_ - 1) {
    showerror(rowoutside(row));
    return;
  }
  cells_.views(row, cells);
}

std::string_view TdbdynGrid::cellat(int32_t col, int32_t row) const { return cells_.cell(col, row); }

void TdbdynGrid::setcells(int32_t row, std::string_view cells) {
  cells_.set(row, cells);
  changed();
}

void TdbdynGrid::clearcells(int32_t row) {
  cells_.erase(row);
  changed();
}

void TdbdynGrid::changed() { changestamp_ = ++laststamp; }

std::string TdbdynGrid::DBfields(int32_t row) const {
  const Rowfields& fields = rows_[static_cast<std::size_t>(row)];
  if (fields.state == 0) return "";
  std::string text(1, fields.state);
  text += subsep;
  if (fields.state == 'C') return text + "x\xBFx\xBFx\xBFx\xBFx\xBF";  // no record yet
  text += dbfiles_[fields.file].name;
  text += subsep;
  text += posdigits(row);
  text += subsep;
  text += recordformat::flaglive;
  text += subsep;
  for (const int64_t number : {fields.offset, fields.length}) {
    text += std::to_string(number);
    text += subsep;
  }
  return text;
}

std::optional<int32_t> TdbdynGrid::recordnumber(int32_t row) const {
  const Rowfields& fields = rows_[static_cast<std::size_t>(row)];
  if (fields.state == 0 || fields.state == 'C') return std::nullopt;
  return fields.pos;
}

platform::File* TdbdynGrid::openfilehandle(const std::string& filename) const {
  for (const OpenFile& entry : openfiles_)
    if (entry.isopen && entry.path.ends_with("/" + filename)) return entry.record.file();
  return nullptr;
}

std::string TdbdynGrid::posdigits(int32_t row) const {
  const Rowfields& fields = rows_[static_cast<std::size_t>(row)];
  return fields.postext ? postexts_.at(row) : platform::zeropadded(fields.pos, recordformat::poswidth);
}

const TdbdynGrid::DbFile* TdbdynGrid::finddbfile(const std::string& filename) const {
  const auto file = std::find_if(dbfiles_.begin(), dbfiles_.end(), [&](const DbFile& f) { return f.name == filename; });
  return file == dbfiles_.end() ? nullptr : &*file;
}

TdbdynGrid::Slot TdbdynGrid::rowslot(int32_t row) const {
  const Rowfields& fields = rows_[static_cast<std::size_t>(row)];
  return {fields.offset, static_cast<std::size_t>(fields.length)};
}

void TdbdynGrid::setlive(int32_t row, const std::string& filename, int32_t pos, Slot slot) {
  Rowfields& fields = rows_[static_cast<std::size_t>(row)];
  if (const DbFile* file = finddbfile(filename)) fields.file = static_cast<uint16_t>(file - dbfiles_.data());
  fields.state = 'N';
  fields.pos = pos;
  fields.offset = slot.offset;
  fields.length = static_cast<int64_t>(slot.length);
  setpostext(row, {});
}

void TdbdynGrid::setpostext(int32_t row, std::string_view text) {
  Rowfields& fields = rows_[static_cast<std::size_t>(row)];
  if (fields.postext) postexts_.erase(row);
  fields.postext = !text.empty();
  if (fields.postext) postexts_.emplace(row, text);
}

// --- subfield lists ---

std::string_view TdbdynGrid::subfieldview(std::string_view text, int32_t n, std::size_t limit) {
  if (text.empty() || n < 1) return {};
  // The walk reads text as if one more separator followed it.
  std::size_t begin = 0;
  for (int32_t counter = 1; counter < n; ++counter) {
    const std::size_t sep = text.find(subsep, begin);
    if (sep == std::string_view::npos) return {};
    begin = sep + 1;
  }
  std::size_t end = text.find(subsep, begin);
  if (end == std::string_view::npos) end = text.size();
  return platform::trimview(text.substr(begin, std::min(end - begin, limit)));
}

std::string TdbdynGrid::getsubfield(const std::string& text, int32_t n) {
  return std::string(subfieldview(text, n, subfieldcap));
}

std::string_view TdbdynGrid::getsubfieldview(std::string_view text, int32_t n) {
  return subfieldview(text, n, subfieldcap);
}

// Replaces the subfield's bytes in place: the same text as splitting the list
// and joining it again, as every subfield stays closed by its separator.
bool TdbdynGrid::setsubfield(std::string& text, int32_t n, const std::string& value) {
  if (text.empty()) return false;
  if (text.back() != subsep) text.push_back(subsep);
  if (n < 1) return true;
  const auto count = static_cast<int32_t>(std::count(text.begin(), text.end(), subsep));
  if (count < n) text.append(static_cast<std::size_t>(n - count), subsep);
  std::size_t begin = 0;
  for (int32_t i = 1; i < n; ++i) begin = text.find(subsep, begin) + 1;
  text.replace(begin, text.find(subsep, begin) - begin, value);
  return true;
}

std::string TdbdynGrid::newsubfields(int32_t n) {
  return n <= 0 ? std::string() : std::string(static_cast<std::size_t>(n), subsep);
}

std::string TdbdynGrid::cleantext(const std::string& value) {
  std::string out = value;
  cleaninplace(out);
  return out;
}

void TdbdynGrid::cleaninplace(std::string& value) {
  // Looked up in a table: every value stored passes here, byte by byte.
  static constexpr auto blanked = [] {
    std::array<bool, 256> table{};
    for (const char c : {colsep, '\0', '\x01', '\n', '\r'}) table[static_cast<unsigned char>(c)] = true;
    return table;
  }();
  for (char& c : value)
    if (blanked[static_cast<unsigned char>(c)]) c = ' ';
}

void TdbdynGrid::addfreeslot(std::string entry) {
  ++lastfreeslot_;
  if (static_cast<std::size_t>(lastfreeslot_) >= freeslots_.size()) freeslots_.resize(freeslots_.size() + rowstep);
  freeslots_[static_cast<std::size_t>(lastfreeslot_)] = std::move(entry);
}

std::string TdbdynGrid::freeslotentry(std::string_view filename, Slot slot) {
  char offset[24];
  char length[24];
  const std::string_view parts[] = {"N",
                                    filename,
                                    "x",
                                    "x",
                                    {offset, std::to_chars(offset, offset + sizeof offset, slot.offset).ptr},
                                    {length, std::to_chars(length, length + sizeof length, slot.length).ptr}};
  std::string entry;
  for (const std::string_view part : parts) {
    entry += part;
    entry += subsep;
  }
  return entry;
}

void TdbdynGrid::clear() {
  cells_.clear();
  changed();
  rowcapacity_ = 0;
  rowcount_ = 0;
  Mode_ = 0;
  dbfileupdate_ = false;
  dbpath_.clear();
  dbfiles_.clear();
  rows_ = {};
  postexts_ = {};
  freeslots_ = {};
  lastfreeslot_ = -1;
}

void TdbdynGrid::reset() {
  const int32_t columns = getcolcount();
  clear();
  setcolcount(columns);
  if (columns > 0) setrowcount(1);
}

bool TdbdynGrid::db_close() {
  reset();
  closefiles();
  return true;
}

// --- creating, attaching and loading files ---

bool TdbdynGrid::db_createfile(const std::string& path, int32_t columns) {
  if (platform::fileexists(path) &&
      !platform::askquestion("db_createfile: " + path + std::string(" existiert bereits, überschreiben?!"_cp),
                             platform::Vorgabe::nein))
    return false;
  const std::string header = recordformat::newheader(columns);
  std::unique_ptr<platform::File> file = platform::File::create(path);
  std::size_t written = 0;
  if (!file || !file->write(0, header.data(), header.size(), written) || !file->sync() || !file->close()) {
    platform::showwarning(fileerror("Erstellen", path));
    return false;
  }
  return true;
}

bool TdbdynGrid::db_init(const std::string& folder, const std::vector<std::string>& names) {
  // Cells still in mapped files are dropped unread: the files may have changed.
  cells_.clear();
  setcolcount(1);
  reset();
  db_close();
  return load(folder, names);
}

bool TdbdynGrid::load(const std::string& folder, const std::vector<std::string>& names) {
  if (!attach(folder, names)) return false;
  try {
    return loadall();
  } catch (const std::exception& e) {
    platform::showwarning("Init Fehler (laden): Exception: " + std::string(e.what()));
    return false;
  }
}

bool TdbdynGrid::attach(const std::string& folder, const std::vector<std::string>& names) {
  std::string path = platform::trim(folder);
  if (!path.empty() && path.back() != '/') path.push_back('/');
  if (!platform::directoryexists(path)) {
    platform::showwarning("Init Fehler: " + path + " existiert nicht!");
    return false;
  }
  if (names.empty()) {
    platform::showwarning(std::string("Init Fehler (laden): es muss mindestens eine Datei übergeben werden!"_cp));
    return false;
  }
  dbpath_ = path;
  for (const std::string& name : names) {
    const std::string lower = platform::lower(name);
    dbfiles_.push_back({lower, 0, path + lower + ".db"});
  }
  Mode_ = 1;
  dbfileupdate_ = true;
  return true;
}

bool TdbdynGrid::loadall() {
  int32_t columns = 0;
  for (std::size_t i = 0; i < dbfiles_.size(); ++i) {
    // A row names its file by a 16-bit index; the fd limit ends a longer list long before.
    if (i >= maxfiles || !db_addloadfromfile(static_cast<int32_t>(i))) {
      platform::showwarning("Init Fehler (laden): " + dbfiles_[i].name + "!");
      return false;
    }
    if (i == 0) columns = getcolcount();
    if (getcolcount() != columns) {
      // "Datein" as the message has always read; not to be corrected.
      platform::showwarning(
          "Sie haben mehrere Dateien mit unterschiedlichem CC geladen, laden Sie die Datein einzeln!");
      return false;
    }
  }
  return true;
}

bool TdbdynGrid::db_addloadfromfile(int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= dbfiles_.size()) {
    showerror("tdbdyngrid: db_addloadfromfile: Index (" + std::to_string(index) +
              std::string(") außerhalb Bereich!"_cp));
    return false;
  }
  const std::string& path = dbfiles_[static_cast<std::size_t>(index)].path;
  if (!fileavailable(path)) {
    platform::showwarning(path + " existiert nicht!");
    return false;
  }
  platform::File* file = nullptr;
  bool readonly = false;
  if (!openfileorwarn(path, file, readonly)) return false;
  const int reason = findopenfile(path)->readonlyreason;
  if (readonly && (warnwheninuse_ || reason != platform::errinuse))
    platform::showwarning(readonlywarning(path, reason));
  try {
    readfile(index, *findopenfile(path), path, readonly);
  } catch (const Readerror& error) {
    showerror("tdbdyngrid: db_addloadfromfile: " + error.text);
    return false;
  }
  return true;
}

TdbdynGrid::OpenFile* TdbdynGrid::findopenfile(const std::string& path) {
  auto entry =
      std::find_if(openfiles_.rbegin(), openfiles_.rend(), [&](const OpenFile& f) { return samepath(f.path, path); });
  return entry == openfiles_.rend() ? nullptr : &*entry;
}

bool TdbdynGrid::openfile(const std::string& path, platform::File*& handle, bool& readonly) {
  OpenFile* found = findopenfile(path);
  if (!found) found = &openfiles_.emplace_back(OpenFile{{}, path, false, false, 0});
  if (!found->isopen && !reopen(*found, path)) return false;
  handle = found->record.file();
  readonly = found->readonly;
  return true;
}

bool TdbdynGrid::reopen(OpenFile& entry, const std::string& path) {
  entry.record = tablestore::RecordFile(platform::File::open(path, platform::File::Access::readwritedenywrite));
  entry.readonly = false;
  if (!entry.record.file()) {
    entry.readonlyreason = platform::lasterror();
    entry.record = tablestore::RecordFile(platform::File::open(path, platform::File::Access::readonlydenynone));
    entry.readonly = true;
  }
  if (!entry.record.file()) {
    entry.readonly = false;
    platform::showwarning(fileerror(std::string("Öffnen"_cp), path));
    return false;
  }
  entry.isopen = true;
  return true;
}

bool TdbdynGrid::openfileorwarn(const std::string& path, platform::File*& handle, bool& readonly) {
  if (openfile(path, handle, readonly)) return true;
  platform::showwarning(std::string("db_addload() abgebrochen da Datei nicht geöffnet werden konnte!"_cp));
  return false;
}

bool TdbdynGrid::closefiles() {
  for (OpenFile& entry : openfiles_) {
    if (entry.path.empty() || !entry.isopen) continue;
    if (!entry.record.close())
      platform::showwarning(std::string("tdbdyngrid: Fehler beim Schließen der Datei "_cp) + entry.path);
    entry.isopen = false;
  }
  return true;
}

void TdbdynGrid::staged(std::vector<tablestore::Stagedfile>& files) const {
  for (const OpenFile& entry : openfiles_)
    if (entry.isopen && entry.record.stage())
      files.push_back({entry.path.substr(entry.path.rfind('/') + 1), entry.record.file(), entry.record.stage()});
}

std::size_t TdbdynGrid::stagedbytes() const {
  std::size_t bytes = 0;
  for (const OpenFile& entry : openfiles_)
    if (entry.record.stage()) bytes += entry.record.stage()->stagedbytes();
  return bytes;
}

void TdbdynGrid::committed() {
  for (OpenFile& entry : openfiles_) entry.record.committed();
}

bool TdbdynGrid::reload() {
  if (dbfiles_.empty()) return true;
  const std::string folder = dbpath_;
  std::vector<std::string> names;
  for (const DbFile& file : dbfiles_) names.push_back(file.name);
  for (OpenFile& entry : openfiles_) entry.record.discard();
  cells_.clear();  // as in db_init
  setcolcount(1);
  reset();
  return load(folder, names);
}

int TdbdynGrid::readonlyreason() const {
  int reason = 0;
  for (const OpenFile& file : openfiles_) {
    if (!file.isopen || !file.readonly) continue;
    if (file.readonlyreason == platform::errinuse) return platform::errinuse;
    if (reason == 0) reason = file.readonlyreason == 0 ? platform::erraccessdenied : file.readonlyreason;
  }
  return reason;
}

bool TdbdynGrid::stillinuse() const {
  return std::any_of(openfiles_.begin(), openfiles_.end(), [](const OpenFile& file) {
    return file.isopen && file.readonlyreason == platform::errinuse &&
           !platform::File::open(file.path, platform::File::Access::readwritedenywrite);
  });
}

bool TdbdynGrid::fileavailable(const std::string& path) {
  // A folder opens for reading on this platform, but holds no table.
  if (!platform::fileexists(path)) return false;
  return platform::File::open(path, platform::File::Access::readonlydenynone) != nullptr;
}
