// Row changes per second, each written through to its table file.
// Run by hand on a Release build:
//   table_write_bench                 the whole table
//   table_write_bench add 1000        one workload with that many changes,
//                                     e.g. under strace -c -f
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tablestore/dbdyngrid_unit.h"

namespace {

const char* const tablename = "c_rezepte";

class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mixolino-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path_ = pattern + "/";
  }
  ~Folder() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A row like a recipe's: its id, and a name with the rating "0" in a packed cell.
std::vector<std::string> row(int id, int width) {
  std::string packed = TdbdynGrid::newsubfields(5);
  TdbdynGrid::setsubfield(packed, 1, std::string(static_cast<std::size_t>(width), static_cast<char>('a' + id % 26)));
  TdbdynGrid::setsubfield(packed, 2, "0");
  return {std::to_string(id), packed};
}

// A new file, loaded, then filled with rows rows.
void prepare(TdbdynGrid& table, const Folder& folder, int rows) {
  if (!table.db_createfile(folder.path() + tablename + ".db", 2) || !table.db_init(folder.path(), {tablename}))
    std::abort();
  for (int i = 0; i < rows; ++i) {
    std::vector<std::string> values = row(i, 40);
    if (!table.addrow(values)) std::abort();
  }
}

void add(TdbdynGrid& table, int changes, std::mt19937&) {
  for (int i = 0; i < changes; ++i) {
    std::vector<std::string> values = row(i, 40);
    if (!table.addrow(values)) std::abort();
  }
}

void updatesamelength(TdbdynGrid& table, int changes, std::mt19937& random) {
  std::uniform_int_distribution<int32_t> pick(0, table.getrowcount() - 1);
  for (int i = 0; i < changes; ++i) {
    const int32_t r = pick(random);
    std::vector<std::string> values = row(i, 40);
    values[0] = table.getcell(0, r);
    if (!table.updaterow(r, values)) std::abort();
  }
}

// A rating as the rating command writes it: subfield 2 of the packed column,
// the row read and written back whole.
void rate(TdbdynGrid& table, int changes, std::mt19937& random) {
  std::uniform_int_distribution<int32_t> pick(0, table.getrowcount() - 1);
  for (int i = 0; i < changes; ++i) {
    const int32_t r = pick(random);
    std::vector<std::string> values;
    table.getrow(r, values);
    TdbdynGrid::setsubfield(values[1], 2, std::to_string(1 + i % 5));
    if (!table.updaterow(r, values)) std::abort();
  }
}

// Changes that make a record longer, so that it moves to a free slot or the end.
void updategrowing(TdbdynGrid& table, int changes, std::mt19937& random) {
  std::uniform_int_distribution<int32_t> pick(0, table.getrowcount() - 1);
  std::uniform_int_distribution<int> width(10, 70);
  for (int i = 0; i < changes; ++i) {
    const int32_t r = pick(random);
    std::vector<std::string> values = row(i, width(random));
    values[0] = table.getcell(0, r);
    if (!table.updaterow(r, values)) std::abort();
  }
}

void remove(TdbdynGrid& table, int changes, std::mt19937&) {
  for (int32_t r = 0; r < changes; ++r)
    if (!table.delrow(r)) std::abort();
}

// Adds, changes of varying length and deletes, as an editing user makes them.
void mixed(TdbdynGrid& table, int changes, std::mt19937& random) {
  std::uniform_int_distribution<int> percent(1, 100);
  std::uniform_int_distribution<int> width(10, 70);
  for (int i = 0; i < changes; ++i) {
    const int dice = percent(random);
    const int32_t r = std::uniform_int_distribution<int32_t>(0, table.getrowcount() - 1)(random);
    const bool live = table.recordnumber(r).has_value();
    std::vector<std::string> values = row(i, width(random));
    if (dice <= 50 || !live) {
      if (!table.addrow(values)) std::abort();
    } else if (dice <= 80) {
      if (!table.updaterow(r, values)) std::abort();
    } else if (!table.delrow(r)) {
      std::abort();
    }
  }
}

struct Workload {
  const char* key;
  const char* label;
  int startrows;
  std::function<void(TdbdynGrid&, int, std::mt19937&)> run;
};

const Workload workloads[] = {
    {"add", "addrow into an empty file", 0, add},
    {"update", "updaterow, same length (own slot)", 1000, updatesamelength},
    {"update-moving", "updaterow, 10 to 70 bytes (moves)", 1000, updategrowing},
    {"rating", "rating: subfield 2 of the packed column", 1000, rate},
    {"delete", "delrow of every row", 100000, remove},
    {"mixed", "mixed: 50% add, 30% update, 20% delete", 1000, mixed},
    {"update-small", "updaterow on a file of 1,000 rows", 1000, updatesamelength},
    {"update-large", "updaterow on a file of 100,000 rows", 100000, updatesamelength},
};

double seconds(const Workload& workload, int changes) {
  Folder folder;
  TdbdynGrid table(tablename);
  prepare(table, folder, workload.startrows);
  std::mt19937 random(7);
  const auto start = std::chrono::steady_clock::now();
  workload.run(table, changes, random);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  table.db_close();
  return took.count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) {
    for (const Workload& workload : workloads)
      if (workload.key == std::string(argv[1])) {
        std::printf("%s: %.3f s\n", workload.label, seconds(workload, std::atoi(argv[2])));
        return 0;
      }
    std::fprintf(stderr, "unknown workload %s\n", argv[1]);
    return 1;
  }
  std::printf("%-42s %9s %9s %12s\n", "workload", "changes", "seconds", "changes/s");
  for (const Workload& workload : workloads) {
    const int changes =
        workload.key == std::string("update-small") || workload.key == std::string("update-large") ? 20000 : 100000;
    const double took = seconds(workload, changes);
    std::printf("%-42s %9d %9.3f %12.0f\n", workload.label, changes, took, changes / took);
  }
  return 0;
}
