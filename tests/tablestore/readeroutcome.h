// What loading arbitrary bytes may show: shared by the corpus test and the
// fuzz target of the reader.
#pragma once

#include <string>

#include "platform/codepage.h"

namespace readeroutcome {

inline bool startswith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

inline bool endswith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

inline std::string countwarningstart(const std::string& path) {
  return "Warnung beim Laden von " + path + ": Datenanzahl stimmt nicht! (ist/sol) \n\r";
}

// True for the reader's own failures as db_addloadfromfile shows them.
inline bool isreaderfailure(const std::string& text, const std::string& table) {
  const std::string prefix = "tdbdyngrid: db_addloadfromfile: ";
  if (!startswith(text, prefix) || !endswith(text, "\n\rQuelle:" + table)) return false;
  const std::string reason = text.substr(prefix.size());
  return startswith(reason, "Lesefehler(Start) bei pos ") || startswith(reason, "Lesefehler(Pos) bei ") ||
         startswith(reason, "Lesefehler(Flag) bei ") ||
         startswith(reason, std::string("Dies ist keine für diesen Betriebsmodus gültige Datei! ("_cp));
}

// True for every warning that loading table from path may show for some bytes:
// the reader's failures and db_init's line after them, the record count
// warning, and the column and row count messages of an odd CC.
inline bool isexpected(const std::string& text, const std::string& table, const std::string& path) {
  const std::string source = "\n\rQuelle:" + table;
  return isreaderfailure(text, table) || text == "Init Fehler (laden): " + table + "!" ||
         startswith(text, countwarningstart(path)) ||
         text == "tdbdyngrid: setcolcount: Wert unterschreitet 0!" + source ||
         text == "tdbdyngrid: setrowcount: Keine Rows vorhanden da Colcount 0!" + source;
}

// True when after holds input's bytes but where loading settled the records
// of an unfinished change: such a record (Flag "2") turned live (its Flag
// "0"), or its head became the delete mark.
inline bool onlysettled(const std::string& input, const std::string& after) {
  if (input.size() != after.size()) return false;
  const std::string mark =
      "\xBF"
      "0000000000"
      "\xBF"
      "1";
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (input[i] == after[i]) continue;
    bool settled = false;
    for (std::size_t start = i >= 12 ? i - 12 : 0; start <= i && !settled; ++start) {
      if (start + 13 > input.size() || input[start] != '\xBF' || input[start + 12] != '2') continue;
      settled = after.compare(start, 13, mark) == 0 || (i == start + 12 && after[i] == '0');
    }
    if (!settled) return false;
  }
  return true;
}

}  // namespace readeroutcome
