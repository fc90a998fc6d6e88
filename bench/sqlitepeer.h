// The same catalogue in SQLite, doing the work Mixolino does the way an
// SQLite program would: three tables with an index on the link table, the
// import as one bulk insert in one transaction, the search as one query, a
// rating change as one UPDATE. It is the benchmarks' reference, nothing more.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "catalogue/search.h"

namespace bench {

class SqlitePeer {
 public:
  // Opens the database file, creating it when missing. Every transaction is
  // on the disk when it returns (synchronous=FULL), as every Mixolino command
  // is: a rating is one transaction of its own, an import one as a whole.
  explicit SqlitePeer(const std::string& path);
  ~SqlitePeer();
  SqlitePeer(const SqlitePeer&) = delete;
  SqlitePeer& operator=(const SqlitePeer&) = delete;

  // The three tables and the index, as Mixolino's first start creates its files.
  void createschema();

  // Reads an import file's text by the import's rules and inserts its rows in
  // one transaction; the number of recipes.
  int import(const std::string& bytes);

  // The first query after opening: reads every row of the three tables.
  long long readall();

  // The rows "Cocktails suchen" lists for these settings, in the same order:
  // by name with Mixolino's name comparison, equal names by id.
  std::vector<catalogue::ResultRow> search(const catalogue::SearchSettings& settings);

  // "Wertung ändern" of one recipe: reads its rating, writes the new one.
  void rate(int id, int rating);

 private:
  sqlite3_stmt* prepare(const char* sql);
  void exec(const char* sql);
  void check(int code) const;

  sqlite3* db_ = nullptr;
};

}  // namespace bench
