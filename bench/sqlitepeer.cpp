#include "bench/sqlitepeer.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "catalogue/anzeigetexte.h"
#include "catalogue/import.h"
#include "platform/collation.h"
#include "platform/text.h"

namespace bench {

namespace {

// Frees a prepared statement at the end of its scope.
class Statement {
 public:
  explicit Statement(sqlite3_stmt* statement) : statement_(statement) {}
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* operator*() const { return statement_; }

 private:
  sqlite3_stmt* statement_;
};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "SQLite peer: %s\n", what);
  std::exit(1);
}

void bindtext(sqlite3_stmt* statement, int parameter, const std::string& text) {
  sqlite3_bind_text(statement, parameter, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string columntext(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  if (text == nullptr) return {};
  return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The result list's name order, for ORDER BY ... COLLATE mixolino.
int comparenames(void*, int alength, const void* a, int blength, const void* b) {
  return platform::comparenames(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(alength)),
                                std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(blength)));
}

struct IngredientLine {
  std::string quantity;
  std::string unit;
  std::string name;
};

// An ingredient line split as the import splits it; nothing on a format error.
std::optional<IngredientLine> splitline(const std::string& line) {
  const std::string_view text(line);
  const std::size_t first = text.find(' ');
  if (first == std::string::npos) return IngredientLine{"0", "-", line};
  const std::size_t second = text.find(' ', first + 1);
  if (second == std::string::npos) return std::nullopt;
  IngredientLine parts{platform::trim(text.substr(0, first)),
                       platform::trim(text.substr(first + 1, second - first - 1)),
                       platform::trim(text.substr(second + 1))};
  if (parts.quantity.empty() || parts.unit.empty() || parts.name.empty()) return std::nullopt;
  return parts;
}

// Line states of the import: a recipe's name, its "Zutaten:" line, its ingredient lines.
enum class State { name, marker, lines };

}  // namespace

namespace {
constexpr std::string_view zubereitung = "ZUBEREITUNG";
}  // namespace

SqlitePeer::SqlitePeer(const std::string& path) {
  if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) fail(sqlite3_errmsg(db_));
  check(sqlite3_create_collation_v2(db_, "mixolino", SQLITE_UTF8, nullptr, comparenames, nullptr));
  exec("PRAGMA synchronous=FULL");
}

SqlitePeer::~SqlitePeer() { sqlite3_close(db_); }

void SqlitePeer::createschema() {
  exec("CREATE TABLE rezepte(id INTEGER PRIMARY KEY, name TEXT, wertung TEXT)");
  exec("CREATE TABLE zutaten(id INTEGER PRIMARY KEY, name TEXT, verfuegbar INTEGER, alkoholisch INTEGER)");
  exec("CREATE TABLE rezeptezutaten(rezeptid INTEGER, zutatid INTEGER, menge TEXT, einheit TEXT)");
  exec("CREATE INDEX rezeptezutaten_rezept ON rezeptezutaten(rezeptid)");
  exec("CREATE TABLE zubereitungen(rezeptid INTEGER PRIMARY KEY, text TEXT)");
}

int SqlitePeer::import(const std::string& bytes) {
  Statement addrecipe(prepare("INSERT INTO rezepte(id, name, wertung) VALUES (?1, ?2, '0')"));
  Statement addingredient(prepare("INSERT INTO zutaten(id, name, verfuegbar, alkoholisch) VALUES (?1, ?2, 0, 0)"));
  Statement addlink(prepare("INSERT INTO rezeptezutaten(rezeptid, zutatid, menge, einheit) VALUES (?1, ?2, ?3, ?4)"));
  Statement addpreparation(prepare("INSERT INTO zubereitungen(rezeptid, text) VALUES (?1, ?2)"));
  sqlite3_int64 recipeid = 0;
  sqlite3_int64 nextingredient = 1;
  {
    Statement largest(
        prepare("SELECT (SELECT coalesce(max(id), 0) FROM rezepte), (SELECT coalesce(max(id), 0) FROM zutaten)"));
    check(sqlite3_step(*largest));
    recipeid = sqlite3_column_int64(*largest, 0);
    nextingredient = sqlite3_column_int64(*largest, 1) + 1;
  }
  // Names already stored are looked up in memory, like the import's own lookup.
  std::unordered_map<std::string, sqlite3_int64> ingredients;
  {
    Statement known(prepare("SELECT id, name FROM zutaten ORDER BY id"));
    while (sqlite3_step(*known) == SQLITE_ROW)
      ingredients.emplace(platform::upper(columntext(*known, 1)), sqlite3_column_int64(*known, 0));
  }

  const auto run = [this](const Statement& statement) {
    if (sqlite3_step(*statement) != SQLITE_DONE) fail(sqlite3_errmsg(db_));
    sqlite3_reset(*statement);
  };
  exec("BEGIN");
  State state = State::name;
  int recipes = 0;
  catalogue::ImportLines lines(bytes);
  for (std::string raw; lines.next(raw);) {
    const std::string line = platform::trim(raw);
    if (line.empty()) {
      state = State::name;
    } else if (state == State::name) {
      ++recipeid;
      ++recipes;
      sqlite3_bind_int64(*addrecipe, 1, recipeid);
      bindtext(*addrecipe, 2, line);
      run(addrecipe);
      state = State::marker;
    } else if (state == State::marker) {
      if (platform::upper(line) != "ZUTATEN:") fail("a recipe without its \"Zutaten:\" line");
      state = State::lines;
    } else if (const std::size_t word = platform::upper(line).find(zubereitung); word != std::string::npos) {
      state = State::name;
      std::string_view text = platform::trimview(std::string_view(line).substr(word + zubereitung.size()));
      if (text.starts_with(':')) text = platform::trimview(text.substr(1));
      if (text.empty()) continue;
      sqlite3_bind_int64(*addpreparation, 1, recipeid);
      bindtext(*addpreparation, 2, std::string(text));
      run(addpreparation);
    } else {
      const std::optional<IngredientLine> parts = splitline(line);
      if (!parts) fail("an ingredient line of the wrong format");
      const auto [found, added] = ingredients.try_emplace(platform::upper(parts->name), nextingredient);
      if (added) {
        sqlite3_bind_int64(*addingredient, 1, nextingredient++);
        bindtext(*addingredient, 2, parts->name);
        run(addingredient);
      }
      sqlite3_bind_int64(*addlink, 1, recipeid);
      sqlite3_bind_int64(*addlink, 2, found->second);
      bindtext(*addlink, 3, parts->quantity);
      bindtext(*addlink, 4, parts->unit);
      run(addlink);
    }
  }
  exec("COMMIT");
  return recipes;
}

long long SqlitePeer::readall() {
  Statement all(
      prepare("SELECT (SELECT count(*) FROM rezepte WHERE wertung IS NOT NULL)"
              " + (SELECT count(*) FROM zutaten WHERE alkoholisch IS NOT NULL)"
              " + (SELECT count(*) FROM rezeptezutaten WHERE einheit IS NOT NULL)"
              " + (SELECT count(*) FROM zubereitungen WHERE text IS NOT NULL)"));
  check(sqlite3_step(*all));
  return sqlite3_column_int64(*all, 0);
}

// One row per recipe with its lines joined through the index on the link
// table. A line whose ingredient is missing counts as neither available nor
// alcoholic; a recipe without lines is "available", not alcoholic, and
// passes only when neither filter is set.
std::vector<catalogue::ResultRow> SqlitePeer::search(const catalogue::SearchSettings& settings) {
  Statement query(
      prepare("SELECT r.id, r.name, r.wertung, max(coalesce(z.alkoholisch, 0)) AS alk,"
              "       CASE WHEN count(l.rezeptid) = 0 THEN 1 ELSE min(coalesce(z.verfuegbar, 0)) END AS verf"
              " FROM rezepte r"
              " LEFT JOIN rezeptezutaten l ON l.rezeptid = r.id"
              " LEFT JOIN zutaten z ON z.id = l.zutatid"
              " GROUP BY r.id"
              " HAVING (?1 = '' OR instr(lower(r.name), ?1) > 0"
              "         OR (?2 AND max(coalesce(instr(lower(z.name), ?1), 0)) > 0))"
              "    AND (?3 = 0 OR (count(l.rezeptid) > 0 AND alk = (?3 = 1)))"
              "    AND (?4 = 0 OR (count(l.rezeptid) > 0 AND verf = 1))"
              " ORDER BY r.name COLLATE mixolino, r.id"));
  bindtext(*query, 1, platform::lower(platform::trim(settings.suchbegriff)));
  sqlite3_bind_int(*query, 2, settings.bereich == catalogue::Suchbereich::rezeptzusaetzlich);
  sqlite3_bind_int(*query, 3,
                   settings.alkohol == catalogue::Alkoholwahl::ja     ? 1
                   : settings.alkohol == catalogue::Alkoholwahl::nein ? 2
                                                                      : 0);
  sqlite3_bind_int(*query, 4, settings.nurverfuegbar);
  std::vector<catalogue::ResultRow> rows;
  int code = SQLITE_ROW;
  while ((code = sqlite3_step(*query)) == SQLITE_ROW)
    rows.push_back({columntext(*query, 1), catalogue::wertungtostern(columntext(*query, 2)),
                    catalogue::janein(sqlite3_column_int(*query, 3) == 1),
                    catalogue::janein(sqlite3_column_int(*query, 4) == 1), columntext(*query, 0)});
  check(code);
  return rows;
}

std::size_t SqlitePeer::openrecipe(int id) {
  Statement name(prepare("SELECT name FROM rezepte WHERE id = ?1"));
  Statement lines(
      prepare("SELECT l.menge, l.einheit, z.name, z.verfuegbar, z.alkoholisch FROM rezeptezutaten l"
              " LEFT JOIN zutaten z ON z.id = l.zutatid WHERE l.rezeptid = ?1 ORDER BY l.rowid"));
  Statement preparation(prepare("SELECT text FROM zubereitungen WHERE rezeptid = ?1"));
  std::size_t bytes = 0;
  for (const Statement* query : {&name, &lines, &preparation}) {
    sqlite3_bind_int(**query, 1, id);
    while (sqlite3_step(**query) == SQLITE_ROW) bytes += columntext(**query, 0).size();
  }
  return bytes;
}

void SqlitePeer::rate(int id, int rating) {
  Statement current(prepare("SELECT wertung FROM rezepte WHERE id = ?1"));
  sqlite3_bind_int(*current, 1, id);
  if (sqlite3_step(*current) != SQLITE_ROW) return;  // gone: nothing changes
  Statement update(prepare("UPDATE rezepte SET wertung = ?2 WHERE id = ?1"));
  sqlite3_bind_int(*update, 1, id);
  bindtext(*update, 2, std::to_string(rating));
  if (sqlite3_step(*update) != SQLITE_DONE) fail(sqlite3_errmsg(db_));
}

sqlite3_stmt* SqlitePeer::prepare(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) fail(sqlite3_errmsg(db_));
  return statement;
}

void SqlitePeer::exec(const char* sql) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sqlite3_errmsg(db_));
}

void SqlitePeer::check(int code) const {
  if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE) fail(sqlite3_errmsg(db_));
}

}  // namespace bench
