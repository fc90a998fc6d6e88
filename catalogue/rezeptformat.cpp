#include "catalogue/rezeptformat.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"

namespace catalogue {

namespace {

bool upperequal(char a, char b) { return platform::upperchar(a) == platform::upperchar(b); }

std::string_view::iterator upperfind(std::string_view text, std::string_view upper) {
  return std::search(text.begin(), text.end(), upper.begin(), upper.end(), upperequal);
}

constexpr std::string_view zubereitungswort = "ZUBEREITUNG";

}  // namespace

// A 0xBF inside a value would split it into several subfields, so it becomes
// a blank like the bytes the table blanks itself; trimmed again, so that a
// name is looked up as it will read.
std::string storedvalue(std::string_view text) {
  std::string value(platform::trimview(text));
  TdbdynGrid::cleaninplace(value);
  std::replace(value.begin(), value.end(), TdbdynGrid::subsep, ' ');
  const std::string_view kept = platform::trimview(value);
  if (kept.size() < value.size()) value = std::string(kept);  // a blanked byte stood at an edge
  return value;
}

bool istzutatenmarke(std::string_view line) {
  return std::equal(line.begin(), line.end(), zutatenmarke.begin(), zutatenmarke.end(), upperequal);
}

bool endetzutaten(std::string_view line) { return upperfind(line, zubereitungswort) != line.end(); }

std::string zubereitunglesen(std::string_view line) {
  const auto wort = static_cast<std::size_t>(upperfind(line, zubereitungswort) - line.begin());
  std::string_view rest = line.substr(std::min(wort + zubereitungswort.size(), line.size()));
  if (!rest.empty() && platform::upperchar(rest.front()) >= 'A' && platform::upperchar(rest.front()) <= 'Z') return {};
  rest = platform::trimview(rest);
  if (rest.starts_with(':')) rest.remove_prefix(1);
  return storedvalue(rest);
}

std::string zubereitungszeile(std::string_view zubereitung) { return "Zubereitung: " + std::string(zubereitung); }

std::string ohneplatzhalter(std::string_view wert) {
  return wert == keinemenge || wert == keineeinheit ? std::string() : std::string(wert);
}

std::optional<Zutatenzeile> zutatenzeilelesen(std::string_view line) {
  const std::size_t first = line.find(' ');
  Zutatenzeile parts{std::string(keinemenge), std::string(keineeinheit), storedvalue(line)};
  if (first != std::string_view::npos) {
    const std::size_t second = line.find(' ', first + 1);
    parts.menge = storedvalue(line.substr(0, first));
    parts.einheit = second == std::string_view::npos ? "" : storedvalue(line.substr(first + 1, second - first - 1));
    parts.zutat = second == std::string_view::npos ? "" : storedvalue(line.substr(second + 1));
  }
  if (parts.menge.empty() || parts.einheit.empty() || parts.zutat.empty()) return std::nullopt;
  return parts;
}

void zutatenzeileschreiben(std::string& text, std::string_view menge, std::string_view einheit, std::string_view name) {
  if (menge.empty()) menge = keinemenge;
  if (einheit.empty()) einheit = keineeinheit;
  if (menge == keinemenge && einheit == keineeinheit && name.find(' ') == std::string_view::npos) {
    text += name;
    return;
  }
  ((((text += menge) += ' ') += einheit) += ' ') += name;
}

std::string umbruechespeichern(std::string_view text) {
  std::string out;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t ende = std::min(text.find('\n', start), text.size());
    std::string zeile(text.substr(start, ende - start));
    std::replace(zeile.begin(), zeile.end(), zeilenumbruch, ' ');
    while (!zeile.empty() && static_cast<unsigned char>(zeile.back()) <= ' ') zeile.pop_back();
    if (!out.empty() || !zeile.empty()) (out += zeilenumbruch) += zeile;
    start = ende + 1;
  }
  while (!out.empty() && out.back() == zeilenumbruch) out.pop_back();
  return out.empty() ? out : out.substr(1);
}

std::string umbruechezeigen(std::string_view stored) {
  std::string out(stored);
  std::replace(out.begin(), out.end(), zeilenumbruch, '\n');
  return out;
}

std::vector<std::string_view> zubereitungszeilen(std::string_view stored) {
  std::vector<std::string_view> zeilen;
  for (std::size_t start = 0; !stored.empty() && start <= stored.size();) {
    const std::size_t ende = std::min(stored.find(zeilenumbruch, start), stored.size());
    zeilen.push_back(stored.substr(start, ende - start));
    start = ende + 1;
  }
  return zeilen;
}

void namensschluessel(std::string_view name, std::string& key) {
  key.assign(TdbdynGrid::getsubfieldview(name, 1));
  std::transform(key.begin(), key.end(), key.begin(), platform::upperchar);
}

std::string namensschluessel(std::string_view name) {
  std::string key;
  namensschluessel(name, key);
  return key;
}

IngredientLookup::IngredientLookup(Zutatentabelle c_zutaten) {
  for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row) added(c_zutaten, row);
}

std::optional<int32_t> IngredientLookup::find(const std::string& key) const {
  const auto it = ids_.find(key);
  if (it == ids_.end()) return std::nullopt;
  return it->second;
}

void IngredientLookup::added(Zutatentabelle c_zutaten, int32_t row) {
  const Zutatzeile zutat = lesezutat(c_zutaten, row);
  int32_t id = 0;
  if (!platform::strtoint(zutat.id(), id)) return;
  largest_ = std::max<int64_t>(largest_, id);
  namensschluessel(zutat.name(), key_);
  ids_.emplace(key_, id);  // the first row of a name wins
}

int32_t findrezept(Rezeptetabelle c_rezepte, int32_t id) {
  for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row)
    if (idnummer(leserezeptid(c_rezepte, row), zeilenersatz) == id) return row;
  return -1;
}

int64_t largestid(Rezeptetabelle c_rezepte) {
  int64_t largest = 0;
  for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row) {
    int32_t id = 0;
    if (platform::strtoint(leserezeptid(c_rezepte, row), id)) largest = std::max<int64_t>(largest, id);
  }
  return largest;
}

std::vector<std::string> umbrechen(const std::vector<std::string>& woerter, std::size_t width) {
  width = std::max<std::size_t>(width, 1);
  std::vector<std::string> lines;
  std::string line;
  const auto add = [&](std::string_view wort) {
    if (!line.empty() && line.size() + 1 + wort.size() > width) lines.push_back(std::exchange(line, {}));
    if (!line.empty()) line += ' ';
    line += wort;
  };
  for (std::string_view wort : woerter) {
    for (; wort.size() > width; wort.remove_prefix(width)) add(wort.substr(0, width));
    add(wort);
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

std::vector<std::string> umbrechen(std::string_view text, std::size_t width) {
  std::vector<std::string> woerter;
  for (text = platform::trimview(text); !text.empty(); text = platform::trimview(text)) {
    const std::size_t blank = std::min(text.find(' '), text.size());
    woerter.emplace_back(text.substr(0, blank));
    text.remove_prefix(blank);
  }
  return umbrechen(woerter, width);
}

}  // namespace catalogue
