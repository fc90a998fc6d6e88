// The reader against a plain byte-by-byte reading of the format: random table
// files with odd line ends, NUL fill, short lines, deleted records and broken
// prefixes must give the same rows, DBfields, free slots, Pos and messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <set>
#include <tuple>

#include "platform/text.h"
#include "tablefiles.h"
#include "tablestore/dbdyngrid_unit.h"
#include "tests/support/fake_messages.h"
#include "tests/support/tableprobe.h"

using testsupport::probe;

using namespace tablefiles;

namespace {

const std::string name = "c_ref";

// What loading one file into a fresh table must give.
struct Expected {
  bool loaded = true;
  std::vector<std::string> warnings;
  int32_t columns = 1;
  std::vector<std::vector<std::string>> rows{{""}};  // one placeholder row
  std::vector<std::string> dbfields{""};
  std::vector<std::string> freeslots;
  int32_t maxpos = 0;
};

std::string subfield(const std::string& text, std::size_t n) {
  std::size_t begin = 0;
  for (std::size_t i = 1; i < n; ++i) {
    begin = text.find(B[0], begin);
    if (begin == std::string::npos) return "";
    ++begin;
  }
  return platform::trim(text.substr(begin, text.find(B[0], begin) - begin));
}

std::vector<std::string> split(const std::string& line) {  // line ends with 0xA1
  std::vector<std::string> fields;
  for (std::size_t begin = 0, sep; (sep = line.find(A[0], begin)) != std::string::npos; begin = sep + 1)
    fields.push_back(line.substr(begin, sep - begin));
  return fields;
}

class ReferenceReader {
 public:
  ReferenceReader(const std::string& bytes, const std::string& path) : bytes_(bytes), path_(path) {}

  Expected read() {
    try {
      walk();
      settle();
      countcheck();
    } catch (const std::string& error) {
      e_.loaded = false;
      e_.warnings.push_back("tdbdyngrid: db_addloadfromfile: " + error + "\n\rQuelle:" + name);
      e_.warnings.push_back("Init Fehler (laden): " + name + "!");
    }
    return e_;
  }

 private:
  void walk() {
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
      const char b = bytes_[i];
      if (b == '\r' || i + 1 == bytes_.size()) {
        endline();
        continue;
      }
      if (b == '\n') continue;
      if (start_ < 0) start_ = static_cast<int64_t>(i);
      ++count_;
      if (b != '\0' && line_.size() < 102400) line_ += b;
    }
  }

  void endline() {
    if (line_.empty() || line_.back() != A[0]) line_ += A;
    if (line_.size() < 16 && !(line_.size() > 1 && line_[1] == '#')) return;
    if (number_ == 0)
      header();
    else
      record();
    ++number_;
    line_.clear();
    start_ = -1;
    count_ = 0;
  }

  void header() {
    std::vector<std::string> f = split(line_);
    f.resize(std::max<std::size_t>(f.size(), 4));
    for (std::string& field : f) field = platform::upper(platform::trim(field));
    const std::string invalid = "Dies ist keine f\xFCr diesen Betriebsmodus g\xFCltige Datei! ";
    if (f[0] != "#DB" || f[1].size() < 10 || f[2].size() != 1 || f[3].empty()) throw invalid + "(HEADER)";
    if (f[2] != "A") throw invalid + "(REV)";
    if (!platform::strtoint(f[1], dc_)) throw invalid + "(DC)";
    int32_t columns = 0;
    if (!platform::strtoint(f[3], columns)) throw invalid + "(CC)";  // the files made below have 1 to 3
    e_.columns = columns;
    for (auto& row : e_.rows) row.resize(static_cast<std::size_t>(columns));
  }

  void record() {
    const std::string k = std::to_string(number_);
    if (line_[0] != B[0]) throw "Lesefehler(Start) bei pos " + k;
    const std::vector<std::string> f = split(line_.substr(1));
    const std::string pos = subfield(f[0], 1);
    const std::string flag = subfield(f[0], 2);
    int32_t posvalue = 0;
    int32_t flagvalue = 0;
    if (pos.size() != 10 || !platform::strtoint(pos, posvalue)) throw "Lesefehler(Pos) bei " + k + " (" + pos + ")";
    e_.maxpos = std::max(e_.maxpos, posvalue);
    if (flag.size() != 1 || !platform::strtoint(flag, flagvalue)) throw "Lesefehler(Flag) bei " + k + " (" + flag + ")";
    ++counted_;
    const std::string place = std::to_string(start_) + B + std::to_string(count_) + B;
    if (flagvalue == 2) {
      pending_.push_back({pos, place, f});
      return;
    }
    if (flagvalue != 0) {
      e_.freeslots.push_back("N" + B + name + B + "x" + B + "x" + B + place);
      return;
    }
    addrow(pos, flag, place, f);
  }

  void addrow(const std::string& pos, const std::string& flag, const std::string& place,
              const std::vector<std::string>& f) {
    ++row_;
    if (row_ >= e_.rows.size()) {
      e_.rows.resize(row_ + 1, std::vector<std::string>(static_cast<std::size_t>(e_.columns)));
      e_.dbfields.resize(row_ + 1);
    }
    e_.dbfields[row_] = "N" + B + name + B + pos + B + flag + B + place;
    for (std::size_t j = 1; j < f.size() && j <= e_.rows[row_].size(); ++j) e_.rows[row_][j - 1] = f[j];
  }

  // A record not yet live becomes the row when no live record has its Pos,
  // else a free slot; both after the whole file was read.
  void settle() {
    std::set<int32_t> live;
    const auto number = [](const std::string& text) {
      int32_t value = -1;
      platform::strtoint(text, value);
      return value;
    };
    for (const std::string& fields : e_.dbfields) live.insert(number(subfield(fields, 3)));
    for (const auto& [pos, place, f] : pending_) {
      if (live.insert(number(pos)).second)
        addrow(pos, "0", place, f);
      else
        e_.freeslots.push_back("N" + B + name + B + "x" + B + "x" + B + place);
    }
  }

  void countcheck() {
    if (counted_ == dc_) return;
    const bool inplace =
        bytes_.size() >= 15 && platform::upper(bytes_.substr(0, 3)) == "#DB" && bytes_[3] == A[0] && bytes_[14] == A[0];
    e_.warnings.push_back("Warnung beim Laden von " + path_ + ": Datenanzahl stimmt nicht! (ist/sol) \n\r" +
                          std::to_string(counted_) + " / " + std::to_string(dc_) + "\n\r" +
                          (inplace ? "Fehler wurde korrigiert!" : "Fehler konnte nicht korrigiert werden!"));
  }

  const std::string& bytes_;
  const std::string& path_;
  Expected e_;
  std::string line_;
  int64_t start_ = -1;
  int64_t count_ = 0;
  int32_t number_ = 0;
  std::size_t row_ = static_cast<std::size_t>(-1);  // the placeholder row is filled first
  int32_t dc_ = 0;
  int32_t counted_ = 0;
  std::vector<std::tuple<std::string, std::string, std::vector<std::string>>> pending_;
};

// Random table files, mostly well-formed, with every oddity the format allows.
class FileMaker {
 public:
  // A clean maker writes no broken record prefixes and no line ends that spoil the next record.
  explicit FileMaker(uint32_t seed, bool clean = false) : random_(seed), clean_(clean) {}

  std::string make(std::size_t bigvalue = 0, int records = -1) {
    const int columns = pick(1, 3);
    if (records < 0) records = pick(bigvalue > 0 ? 1 : 0, 12);
    std::string body;
    for (int r = 0; r < records; ++r) body += lineend() + recordline(columns, r == 0 ? bigvalue : 0);
    if (!body.empty() && chance(10)) body.pop_back();  // the file ends inside a value
    std::string dc = platform::zeropadded(chance(70) ? records : pick(0, 20), 10);
    if (chance(5)) dc = " " + dc.substr(1);
    std::string head = std::string(chance(10) ? "#db" : "#DB") + A + dc + A +
                       (chance(3)    ? "B"
                        : chance(10) ? "a"
                                     : "A") +
                       A + std::to_string(columns) + A;
    return (chance(3) ? "\n" : "") + head + body;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool chance(int percent) { return pick(1, 100) <= percent; }
  bool odd(int percent) { return !clean_ && chance(percent); }

  std::string lineend() {
    static const char* ends[] = {"\r\n", "\r\n", "\r\n", "\r", "\n\r", "\r\n\n", "\r\n\r\n", "\r\0\n"};
    if (chance(80)) return "\r\n";
    const int i = clean_ ? std::array{0, 3, 5, 7}[static_cast<std::size_t>(pick(0, 3))] : pick(0, 7);
    return std::string(ends[i], i == 7 ? 3 : std::char_traits<char>::length(ends[i]));
  }

  std::string text(int length) {
    static const std::string letters = std::string("ab \xBF\xE4") + '\0' + '\n';
    std::string out;
    for (int i = 0; i < length; ++i) out += letters[static_cast<std::size_t>(pick(0, chance(80) ? 4 : 6))];
    return out;
  }

  std::string recordline(int columns, std::size_t bigvalue) {
    std::string pos = platform::zeropadded(pick(0, 30), 10);
    if (odd(3)) pos = pos.substr(1);
    if (odd(2)) pos[4] = 'z';
    std::string flag = chance(25) ? "1" : chance(5) ? "2" : "0";
    if (odd(2)) flag = "01";
    std::string out = (odd(2) ? "x" : B) + pos + B + flag + A;
    const int values = columns + (chance(10) ? pick(-1, 1) : 0);
    for (int v = 0; v < values; ++v) out += text(pick(0, chance(5) ? 100 : 4)) + A;  // some as long as a preparation
    if (bigvalue > 0) out.insert(14, std::string(bigvalue, 'w'));
    if (chance(15)) out += std::string(static_cast<std::size_t>(pick(1, 5)), '\0');  // fill of a reused slot
    return out;
  }

  std::mt19937 random_;
  const bool clean_;
};

void compare(const std::string& bytes, const std::string& what) {
  ScratchFolder folder;
  const std::string path = folder.file(name + ".db");
  writebytes(path, bytes);
  const Expected e = ReferenceReader(bytes, path).read();
  testsupport::FakeMessages messages;
  TdbdynGrid table(name);
  ASSERT_EQ(table.db_init(folder.path(), {name}), e.loaded) << what;
  ASSERT_EQ(messages.warnings(), e.warnings) << what;
  ASSERT_EQ(table.getcolcount(), e.columns) << what;
  ASSERT_EQ(table.getrowcount(), static_cast<int32_t>(e.rows.size())) << what;
  for (int32_t row = 0; row < table.getrowcount(); ++row) {
    std::vector<std::string> cells;
    table.getrow(row, cells);
    ASSERT_EQ(cells, e.rows[static_cast<std::size_t>(row)]) << what << " row " << row;
    ASSERT_EQ(probe(table).DBfields(row), e.dbfields[static_cast<std::size_t>(row)]) << what << " row " << row;
  }
  ASSERT_EQ(probe(table).lastfreeslot() + 1, static_cast<int32_t>(e.freeslots.size())) << what;
  for (std::size_t i = 0; i < e.freeslots.size(); ++i) ASSERT_EQ(probe(table).freeslots()[i], e.freeslots[i]) << what;
  ASSERT_EQ(probe(table).dbfiles().at(0).maxpos, e.maxpos) << what;
  table.db_close();
}

TEST(ReaderReference, RandomFilesReadAsTheFormatSays) {
  for (uint32_t seed = 1; seed <= 2000; ++seed) {
    FileMaker maker(seed);
    compare(maker.make(), "seed " + std::to_string(seed));
    if (HasFatalFailure()) return;
  }
}

TEST(ReaderReference, LinesAroundTheLineBufferAndTheChunkBorder) {
  // Values that bring a record near and past the 102,400 bytes a line keeps,
  // and files whose lines cross the 1,048,577-byte chunk border.
  for (std::size_t big : {102400u - 17u, 102400u - 16u, 102400u - 15u, 200000u}) {
    FileMaker maker(static_cast<uint32_t>(big), true);
    compare(maker.make(big), "value of " + std::to_string(big));
    if (HasFatalFailure()) return;
  }
  FileMaker maker(7919, true);
  std::string bytes;
  while (bytes.size() <= 1048577 + 100) bytes = maker.make(0, 60000);
  for (int delta : {-1, 0, 1, 2, 57}) {
    compare(bytes.substr(0, static_cast<std::size_t>(1048577 + delta)), "chunk file cut at +" + std::to_string(delta));
    if (HasFatalFailure()) return;
  }
}

}  // namespace
