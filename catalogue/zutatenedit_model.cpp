#include "catalogue/zutatenedit_model.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <unordered_map>

#include "catalogue/anzeigetexte.h"
#include "catalogue/rezeptformat.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "platform/text.h"

namespace catalogue {

namespace {

using enum ZutateneditModel::Spalte;

// Whether the save carries the pair out; void and self pairs it skips.
bool wirdausgefuehrt(const Aufloespaar& paar) { return paar.quelle >= 0 && paar.ziel >= 0 && paar.quelle != paar.ziel; }

// A grid cell or table key read as a number, -1 when it is none.
int32_t zahl(std::string_view text) { return idnummer(text, -1); }

// Text order of the sort: a-z as A-Z, then unsigned bytes; a prefix first.
bool textvor(const std::string& a, const std::string& b) { return platform::upper(a) < platform::upper(b); }

// Numeric order of the sort: larger counts first, text that is no number as 0.
bool zahlvor(const std::string& a, const std::string& b) { return idnummer(a, 0) > idnummer(b, 0); }

// The recursive quicksort with a Hoare partition over grid rows lo..hi; rows
// with equal keys end wherever it puts them. That order is what the user sees
// after a click on a header, and it must stay: std::sort or std::stable_sort
// would put equal names, counts and flags in another order.
void quicksort(std::vector<Gridzeile>& grid, int col, int32_t lo, int32_t hi,
               const std::function<bool(const std::string&, const std::string&)>& vor) {
  const std::string pivot = grid[static_cast<std::size_t>((lo + hi) / 2)][col];
  int32_t i = lo;
  int32_t j = hi;
  do {
    while (vor(grid[static_cast<std::size_t>(i)][col], pivot)) ++i;
    while (vor(pivot, grid[static_cast<std::size_t>(j)][col])) --j;
    if (i <= j) {
      std::swap(grid[static_cast<std::size_t>(i)], grid[static_cast<std::size_t>(j)]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (lo < j) quicksort(grid, col, lo, j, vor);
  if (i < hi) quicksort(grid, col, i, hi, vor);
}

// How many link rows use each key, counted by the trimmed key text. Keys are
// mostly plain decimals ("17"), counted in an array indexed by their number;
// every other text is counted in a hash map. Two plain decimals are the same
// text exactly when they are the same number, so this is a text comparison.
class Verwendungen {
 public:
  explicit Verwendungen(Rezeptezutatentabelle c_rezeptezutaten)
      : array_(static_cast<std::size_t>(c_rezeptezutaten->getrowcount()) * 2 + 16, 0) {
    for (int32_t row = 0; row < c_rezeptezutaten->getrowcount(); ++row) {
      const std::string key = platform::trim(leserezeptzutat(c_rezeptezutaten, row).zutatid());
      std::size_t number = 0;
      if (plaindecimal(key, number))
        ++array_[number];
      else
        ++others_[key];
    }
  }

  int32_t anzahl(std::string_view key) const {
    const std::string trimmed = platform::trim(key);
    std::size_t number = 0;
    if (plaindecimal(trimmed, number)) return array_[number];
    const auto found = others_.find(trimmed);
    return found == others_.end() ? 0 : found->second;
  }

 private:
  // Digits only, no leading zero, and small enough for the array.
  bool plaindecimal(const std::string& text, std::size_t& number) const {
    if (text.empty() || text.size() > 9 || (text[0] == '0' && text.size() > 1)) return false;
    number = 0;
    for (const char c : text) {
      if (c < '0' || c > '9') return false;
      number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    return number < array_.size();
  }

  std::vector<int32_t> array_;
  std::unordered_map<std::string, int32_t> others_;
};

}  // namespace

std::vector<Gridzeile> zutatenzeilen(Zutatentabelle c_zutaten, Rezeptezutatentabelle c_rezeptezutaten,
                                     ProgressPort& progress) {
  const Verwendungen counts(c_rezeptezutaten);
  const int32_t n = c_zutaten->getrowcount();
  std::vector<Gridzeile> rows;
  rows.reserve(static_cast<std::size_t>(n));
  for (int32_t f = 1; f <= n; ++f) {
    progress.zeigefortschritt(fortschrittprozent(f, n));
    const Zutatzeile zutat = lesezutat(c_zutaten, f - 1);
    Gridzeile row;
    row[name] = zutat.name();
    row[verwendet] = std::to_string(counts.anzahl(zutat.id()));
    row[alkoholisch] = flagtojanein(zutat.alkoholisch());
    row[verfuegbar] = flagtojanein(zutat.verfuegbar());
    row[tabellenzeile] = std::to_string(f - 1);
    row[schluessel] = zutat.id();
    rows.push_back(std::move(row));
  }
  return rows;
}

ZutateneditModel::ZutateneditModel(Catalogue& catalogue) : catalogue_(catalogue) {}

void ZutateneditModel::fuellen(ProgressPort& progress) {
  caption_ = "Zutaten (" + std::to_string(catalogue_.c_zutaten().getrowcount()) + ")";
  endpick();
  aufloesliste_.clear();
  select(0, verwendet);
  grid_ = zutatenzeilen(catalogue_.zutaten(), catalogue_.rezeptezutaten(), progress);
  gefuellt_ = grid_;
  ersatz_ = ersatzgefuellt_ = leseersatz(catalogue_.ersatz());
  filter_.clear();
  zeigen();
  progress.close();
}

void ZutateneditModel::filtern(const std::string& text) {
  filter_ = platform::lower(platform::trim(text));
  zeigen();
  select(rowcount() > 0 ? 0 : -1, selectedcol_);
}

void ZutateneditModel::zeigen() {
  gezeigt_.clear();
  for (int32_t row = 0; row < static_cast<int32_t>(grid_.size()); ++row)
    if (platform::lower(grid_[static_cast<std::size_t>(row)][name]).find(filter_) != std::string::npos)
      gezeigt_.push_back(row);
}

bool ZutateneditModel::geaendert() const {
  if (std::any_of(aufloesliste_.begin(), aufloesliste_.end(), wirdausgefuehrt) || ersatz_ != ersatzgefuellt_)
    return true;
  return std::any_of(grid_.begin(), grid_.end(), [this](const Gridzeile& row) {
    const Gridzeile& vorher = gefuellt_[static_cast<std::size_t>(zahl(row[tabellenzeile]))];
    return platform::trim(row[name]) != vorher[name] || row[alkoholisch] != vorher[alkoholisch] ||
           row[verfuegbar] != vorher[verfuegbar];
  });
}

const std::string& ZutateneditModel::header(int32_t col) {
  static const std::array<std::string, showncolumns> headers = {"Zutatname", "verwendet", "alkoholisch?",
                                                                std::string("verfügbar?"_cp)};
  static const std::string none;
  return col >= 0 && col < showncolumns ? headers[static_cast<std::size_t>(col)] : none;
}

int32_t ZutateneditModel::rowcount() const { return static_cast<int32_t>(gezeigt_.size()); }

const std::string& ZutateneditModel::cell(int32_t col, int32_t row) const {
  static const std::string none;
  if (col < 0 || col >= zutatengridcols || row < 0 || row >= rowcount()) return none;
  return grid_[static_cast<std::size_t>(gezeigt_[static_cast<std::size_t>(row)])][static_cast<std::size_t>(col)];
}

Gridzeile& ZutateneditModel::zeile(int32_t row) {
  return grid_[static_cast<std::size_t>(gezeigt_[static_cast<std::size_t>(row)])];
}

int32_t ZutateneditModel::aufloeszeile() const {
  const auto found = std::find(gezeigt_.begin(), gezeigt_.end(), aufloesquelle_);
  return aufloesquelle_ < 0 || found == gezeigt_.end() ? -1 : static_cast<int32_t>(found - gezeigt_.begin());
}

void ZutateneditModel::select(int32_t row, int32_t col) {
  selectedrow_ = row;
  selectedcol_ = col;
}

bool ZutateneditModel::isdatarow(int32_t row) const { return row >= 0 && row < rowcount(); }

void ZutateneditModel::endpick() {
  aufloesmodus_ = false;
  aufloesquelle_ = -1;
}

void ZutateneditModel::zutatengridMouseDown(int x, int r0, int r1, int r2) {
  if (rowcount() == 0) return;
  if (x < r0) sortbytext(name);
  if (r0 <= x && x <= r1) sortbycount();
  if (r1 <= x && x <= r2) sortbytext(alkoholisch);
  if (x >= r2) sortbytext(verfuegbar);
}

// Every row is sorted, so that the order stays when the filter changes.
void ZutateneditModel::sortbytext(int col) {
  quicksort(grid_, col, 0, static_cast<int32_t>(grid_.size()) - 1, textvor);
  zeigen();
}

void ZutateneditModel::sortbycount() {
  quicksort(grid_, verwendet, 0, static_cast<int32_t>(grid_.size()) - 1, zahlvor);
  zeigen();
}

void ZutateneditModel::zutatengridDblClick() {
  if (aufloesmodus_) {
    if (!isdatarow(selectedrow_)) return;
    pickmergetarget();
    endpick();
  }
  toggleselectedflag();
}

void ZutateneditModel::toggleselectedflag() {
  if (!isdatarow(selectedrow_) || (selectedcol_ != alkoholisch && selectedcol_ != verfuegbar)) return;
  std::string& flag = zeile(selectedrow_)[static_cast<std::size_t>(selectedcol_)];
  flag = flag == "Ja" ? "Nein" : "Ja";
}

void ZutateneditModel::pickmergetarget() {
  static const Gridzeile keine;
  const Gridzeile& quelle = aufloesquelle_ < 0 ? keine : grid_[static_cast<std::size_t>(aufloesquelle_)];
  Aufloespaar paar{zahl(quelle[schluessel]), zahl(cell(schluessel, selectedrow_))};
  // Lines moved onto an ingredient that an earlier pair deletes would point
  // at nothing after the save.
  const bool zielwirdaufgeloest =
      paar.ziel >= 0 && std::any_of(aufloesliste_.begin(), aufloesliste_.end(), [&](const Aufloespaar& frueher) {
        return frueher.quelle == paar.ziel && wirdausgefuehrt(frueher);
      });
  if (zielwirdaufgeloest) {
    platform::showwarning(
        std::string("Die gewählte Zutat wird bereits aufgelöst, auf sie können keine Einträge geschoben werden!"_cp));
    return;
  }
  if (!platform::askquestion("Wollen Sie " + quelle[name] + std::string(" auflösen und die Rezeptreferenzen auf "_cp) +
                                 cell(name, selectedrow_) + " schieben?",
                             platform::Vorgabe::nein))
    return;
  if (paar.quelle == paar.ziel) {
    paar = {-1, -1};
    platform::showwarning(std::string("Sie können Einträge nicht auf sich selbst schieben!"_cp));
  }
  aufloesliste_.push_back(paar);
}

void ZutateneditModel::Zutatumbenennen1Click() {
  if (!isdatarow(selectedrow_)) return;
  std::string& cellname = zeile(selectedrow_)[name];
  std::string value = cellname;
  if (!platform::messages().inputbox("umbenennen", "Bitte Namen eingeben:", value)) return;
  // The subfield separator would split the packed record: it becomes a blank.
  std::replace(value.begin(), value.end(), TdbdynGrid::subsep, ' ');
  cellname = value;
}

void ZutateneditModel::zutataufloesenClick() {
  // "entspicht", and no comma before "die": the hint has always read so, and
  // is kept as it is.
  platform::showinformation(std::string(
      "Bitte machen Sie jetzt einen Doppelklick auf die Zutat die der vorher gewählten Zutat entspicht!"_cp));
  aufloesmodus_ = true;
  aufloesquelle_ = isdatarow(selectedrow_) ? gezeigt_[static_cast<std::size_t>(selectedrow_)] : -1;
}

void ZutateneditModel::Action_abbrechenExecute() { endpick(); }

bool ZutateneditModel::b_okClick() {
  if (!catalogue_.maywrite().orwarn()) return false;
  int32_t changed = 0;
  // Each step is one commit, whole on the disk before its count is reported.
  const bool saved = commitstep(saverows(changed));
  if (saved && changed > 0)
    platform::showinformation(std::to_string(changed) + std::string(" Zutateneinträge geändert!"_cp));
  int32_t moved = 0;
  if (saved && !aufloesliste_.empty() && commitstep(savemerges(moved)) && moved > 0)
    platform::showinformation(std::to_string(moved) +
                              std::string(" Rezeptreferenzen geändert, gewählte Zutat(en) wurden ggf. aufgelöst!"_cp));
  catalogue_.application().armstarttimer();
  return true;
}

bool ZutateneditModel::commitstep(const Outcome& step) {
  if (step) return static_cast<bool>(catalogue_.flush());
  catalogue_.discard();
  return false;
}

// The rows: every row, shown or not, whose name or flags differ from its table
// row is written, up to the first write that fails; changed counts those
// written.
Outcome ZutateneditModel::saverows(int32_t& changed) {
  Zutatenschreiber& c_zutaten = catalogue_.c_zutaten();
  for (const Gridzeile& row : grid_) {
    const int32_t pos = zahl(platform::trim(row[tabellenzeile]));
    const std::string newname = platform::trim(row[name]);
    const std::string alk = janeintoflag(row[alkoholisch]);
    const std::string avail = janeintoflag(row[verfuegbar]);
    std::vector<std::string> values;
    if (pos < 0 || pos >= c_zutaten.getrowcount() || !c_zutaten.getrow(pos, values) ||
        values.size() < zutatspalte::anzahl)
      continue;
    // The flags are compared as stored text: one stored as anything but "0"
    // or "1" is written anew as what it reads as.
    std::string& record = values[zutatspalte::werte];
    if (TdbdynGrid::getsubfieldview(record, zutatfeld::name) == newname &&
        TdbdynGrid::getsubfieldview(record, zutatfeld::verfuegbar) == avail &&
        TdbdynGrid::getsubfieldview(record, zutatfeld::alkoholisch) == alk)
      continue;
    if (!TdbdynGrid::setsubfield(record, zutatfeld::name, newname) ||
        !TdbdynGrid::setsubfield(record, zutatfeld::verfuegbar, avail) ||
        !TdbdynGrid::setsubfield(record, zutatfeld::alkoholisch, alk))
      continue;
    // A full disk would fail every row again, each with its messages.
    if (!c_zutaten.updaterow(pos, values)) return Outcome::failed();
    ++changed;
  }
  // The substitutes go with the rows, in their commit.
  if (ersatz_ == ersatzgefuellt_) return Outcome::ok();
  return ersatzschreiben(catalogue_.c_ersatz(), ersatz_);
}

namespace {

// The rows of a table by the number in one column, each list ascending. Built
// once per save, so every pair finds its rows without scanning the table.
class Zeilenindex {
 public:
  Zeilenindex(const TdbdynGrid& table, int32_t col) {
    for (int32_t row = 0; row < table.getrowcount(); ++row) rows_[zahl(table.cellview(col, row))].push_back(row);
  }

  std::vector<int32_t> entnehmen(int32_t key) {
    const auto found = rows_.find(key);
    if (found == rows_.end()) return {};
    std::vector<int32_t> rows = std::move(found->second);
    rows_.erase(found);
    return rows;
  }

  // Files rows again under the keys they now hold; each list stays ascending.
  void hinzufuegen(const std::unordered_map<int32_t, std::vector<int32_t>>& ascending) {
    for (const auto& [key, added] : ascending) {
      std::vector<int32_t>& rows = rows_[key];
      const auto middle = static_cast<std::ptrdiff_t>(rows.size());
      rows.insert(rows.end(), added.begin(), added.end());
      std::inplace_merge(rows.begin(), rows.begin() + middle, rows.end());
    }
  }

 private:
  std::unordered_map<int32_t, std::vector<int32_t>> rows_;
};

// Re-points the recipe lines of one pair, up to the first line that cannot be
// written. Every line is filed again under the key it now holds in memory.
Outcome umhaengen(Rezeptezutatenschreiber& c_rezeptezutaten, Zeilenindex& index, const Aufloespaar& paar,
                  int32_t& changes) {
  bool success = true;
  std::unordered_map<int32_t, std::vector<int32_t>> nachher;
  for (const int32_t r : index.entnehmen(paar.quelle)) {
    std::vector<std::string> values;
    if (success && c_rezeptezutaten.getrow(r, values) && values.size() > rezeptzutatspalte::zutatid &&
        zahl(values[rezeptzutatspalte::zutatid]) == paar.quelle) {
      values[rezeptzutatspalte::zutatid] = std::to_string(paar.ziel);
      if (c_rezeptezutaten.updaterow(r, values))
        ++changes;
      else
        success = false;
    }
    nachher[zahl(leserezeptzutat(c_rezeptezutaten, r).zutatid())].push_back(r);
  }
  index.hinzufuegen(nachher);
  if (success) return Outcome::ok();
  // "Es konnte" with a plural subject, as the warning has always read; not to
  // be corrected.
  return Outcome::failed(
      std::string("Es konnte nicht alle Referenzen aufgelöst werden, daher bleibt der Eintrag bestehen!"_cp));
}

// Deletes the rows of the key, up to the first delete that fails.
Outcome loeschezutat(Zutatenschreiber& c_zutaten, Zeilenindex& index, int32_t key) {
  bool success = true;
  std::unordered_map<int32_t, std::vector<int32_t>> nachher;
  for (const int32_t r : index.entnehmen(key)) {
    if (success && zahl(lesezutat(c_zutaten, r).id()) == key && !c_zutaten.delrow(r)) success = false;
    nachher[zahl(lesezutat(c_zutaten, r).id())].push_back(r);
  }
  index.hinzufuegen(nachher);
  return success ? Outcome::ok() : Outcome::failed("Fehler beim db_delrow!");
}

}  // namespace

// The merges: the merges in list order, up to the first failed write; changes
// counts the re-pointed lines.
Outcome ZutateneditModel::savemerges(int32_t& changes) {
  Rezeptezutatenschreiber& c_rezeptezutaten = catalogue_.c_rezeptezutaten();
  Zutatenschreiber& c_zutaten = catalogue_.c_zutaten();
  Zeilenindex lines(c_rezeptezutaten, rezeptzutatspalte::zutatid);
  Zeilenindex zutaten(c_zutaten, zutatspalte::id);
  // The merged ingredients' substitutes go over to their targets.
  const Ersatzliste ersatz = leseersatz(catalogue_.ersatz());
  Ersatzliste zusammengefuehrt = ersatz;
  for (const Aufloespaar& paar : aufloesliste_) {
    if (!wirdausgefuehrt(paar)) continue;
    if (!umhaengen(c_rezeptezutaten, lines, paar, changes).orwarn() ||
        !loeschezutat(c_zutaten, zutaten, paar.quelle).orwarn())
      return Outcome::failed();
    zusammengefuehrt = zusammenfuehren(zusammengefuehrt, paar.quelle, paar.ziel);
  }
  if (zusammengefuehrt == ersatz) return Outcome::ok();
  return ersatzschreiben(catalogue_.c_ersatz(), zusammengefuehrt);
}

int32_t ZutateneditModel::schluesselvon(int32_t row) const { return isdatarow(row) ? zahl(cell(schluessel, row)) : -1; }

std::string ZutateneditModel::nameofkey(int32_t key) const {
  for (const Gridzeile& row : grid_)
    if (zahl(row[schluessel]) == key) return platform::trim(row[name]);
  return {};
}

std::vector<std::string> ZutateneditModel::ersatznamen(int32_t row) const {
  std::vector<std::string> namen;
  for (const int32_t key : ersatzfuer(ersatz_, schluesselvon(row))) namen.push_back(nameofkey(key));
  return namen;
}

std::string ZutateneditModel::ersatzzeile() const {
  if (!isdatarow(selectedrow_)) return {};
  std::string namen;
  for (const std::string& ersatz : ersatznamen(selectedrow_)) namen += (namen.empty() ? "" : ", ") + ersatz;
  return std::string("Ersatz für "_cp) + platform::trim(cell(name, selectedrow_)) + ": " +
         (namen.empty() ? std::string("keiner") : namen);
}

bool ZutateneditModel::ersatzhinzufuegen(int32_t row, const std::string& ersatzname) {
  const std::string gesucht = namensschluessel(ersatzname);
  int32_t ersatz = -1;
  int32_t tabellenrang = INT32_MAX;
  for (const Gridzeile& zeile : grid_) {
    if (namensschluessel(zeile[name]) != gesucht || zahl(zeile[tabellenzeile]) >= tabellenrang) continue;
    tabellenrang = zahl(zeile[tabellenzeile]);
    ersatz = zahl(zeile[schluessel]);
  }
  const Ersatzpaar paar{schluesselvon(row), ersatz};
  if (ersatz < 0 || paar.zutat < 0) {
    platform::showwarning(std::string("Die Zutat „"_cp) + platform::trim(ersatzname) +
                          std::string("“ gibt es nicht!"_cp));
    return false;
  }
  switch (pruefeersatz(ersatz_, paar)) {
    case Ersatzpruefung::selbst:
      platform::showwarning(std::string("Eine Zutat kann nicht für sich selbst stehen!"_cp));
      return false;
    case Ersatzpruefung::schonda:
      platform::showwarning(nameofkey(ersatz) + std::string(" steht schon für "_cp) + nameofkey(paar.zutat) + "!");
      return false;
    case Ersatzpruefung::ok: break;
  }
  ersatz_.push_back(paar);
  return true;
}

void ZutateneditModel::ersatzentfernen(int32_t row, std::size_t index) {
  const std::vector<int32_t> keys = ersatzfuer(ersatz_, schluesselvon(row));
  if (index >= keys.size()) return;
  std::erase(ersatz_, Ersatzpaar{schluesselvon(row), keys[index]});
}

std::vector<std::string> ZutateneditModel::zutatnamen() const {
  std::vector<std::string> namen;
  for (const Gridzeile& zeile : grid_) namen.push_back(platform::trim(zeile[name]));
  return namen;
}

}  // namespace catalogue
