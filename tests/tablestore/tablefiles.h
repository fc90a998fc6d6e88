// Helpers of the table store tests: a scratch folder per test, and file bytes.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tablefiles {

inline const std::string A = "\xA1";  // column separator
inline const std::string B = "\xBF";  // subfield separator

// A fresh folder under the temp folder, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mixolino-XXXXXX").string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder with a final "/", as db_init stores it.
  std::string path() const { return path_ + "/"; }
  std::string file(const std::string& name) const { return path() + name; }

 private:
  std::string path_;
};

inline std::string readbytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writebytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The bytes of a fixture under tests/data/tables.
inline std::string fixture(const std::string& name) {
  return readbytes(std::string(MIXOLINO_TEST_DATA) + "/tables/" + name + ".db");
}

// Copies a fixture into folder as <table>.db; returns that path.
inline std::string placefixture(const ScratchFolder& folder, const std::string& name, const std::string& table) {
  const std::string path = folder.file(table + ".db");
  writebytes(path, fixture(name));
  return path;
}

// A header of the table file format.
inline std::string header(const std::string& dc, const std::string& cc) {
  return "#DB" + A + dc + A + "A" + A + cc + A;
}

// A record line: start mark, Pos, Flag, then each value closed by 0xA1.
inline std::string record(const std::string& pos, const std::string& flag, std::initializer_list<std::string> values) {
  std::string out = B + pos + B + flag + A;
  for (const std::string& value : values) out += value + A;
  return out;
}

// The internal subfield list of a row or free slot.
inline std::string fields(std::initializer_list<std::string> subfields) {
  std::string out;
  for (const std::string& subfield : subfields) out += subfield + B;
  return out;
}

}  // namespace tablefiles
