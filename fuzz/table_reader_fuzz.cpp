// Any bytes as a table file: the load either succeeds or stops with one of the
// reader's messages, and the file keeps its bytes except for the record count
// correction in bytes 0 to 13 and records of an unfinished change settled.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/codepage.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tests/support/fake_messages.h"
#include "tests/support/tableprobe.h"
#include "tests/tablestore/readeroutcome.h"

namespace {

const std::string table = "c_fuzz";

struct Folder {
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mixolino-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) abort();
    path = pattern + "/";
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

std::string readbytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every row's record lies inside the file and starts with its start mark
// (or with NUL fill that the line assembly dropped).
void checkrows(const TdbdynGrid& grid, const std::string& bytes) {
  for (int32_t row = 0; row < grid.getrowcount(); ++row) {
    const std::string& fields = testsupport::probe(grid).DBfields(row);
    if (fields.empty()) continue;
    const uint64_t offset = std::stoull(TdbdynGrid::getsubfield(fields, 5));
    const uint64_t length = std::stoull(TdbdynGrid::getsubfield(fields, 6));
    if (offset + length > bytes.size() || (bytes[offset] != '\xBF' && bytes[offset] != '\0')) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Folder folder;
  const std::string path = folder.path + table + ".db";
  const std::string input(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(input.data(), static_cast<std::streamsize>(input.size()));
  }

  testsupport::FakeMessages messages;
  // One table for every input, as the program reloads its tables.
  static TdbdynGrid grid(table);
  const bool loaded = grid.db_init(folder.path, {table});
  bool countwarning = false;
  for (const std::string& text : messages.warnings()) {
    if (!readeroutcome::isexpected(text, table, path)) {
      fprintf(stderr, "unexpected message: %s\n", platform::cp1252toutf8(text).c_str());
      abort();
    }
    countwarning = countwarning || readeroutcome::startswith(text, readeroutcome::countwarningstart(path));
  }
  if (!messages.questions().empty() || !messages.informations().empty()) abort();
  if (loaded)
    for (const std::string& text : messages.warnings())
      if (readeroutcome::isreaderfailure(text, table)) abort();
  checkrows(grid, input);
  grid.db_close();
  // A corrected count is right: the file loads again without the warning.
  if (countwarning && readeroutcome::endswith(messages.warnings().back(), "Fehler wurde korrigiert!")) {
    messages.clear();
    grid.db_init(folder.path, {table});
    grid.db_close();
    for (const std::string& text : messages.warnings())
      if (readeroutcome::startswith(text, readeroutcome::countwarningstart(path))) abort();
  }

  std::string after = readbytes(path);
  if (after.size() != input.size()) abort();
  if (countwarning && after.size() >= 14) after.replace(0, 14, input, 0, 14);
  if (!readeroutcome::onlysettled(input, after)) abort();
  return 0;
}
