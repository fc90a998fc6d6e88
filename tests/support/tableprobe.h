// The inner state of a table, for the tests and tools that check it: what
// each row keeps of its record, the free slots, the attached and the open
// files, the mode. The program itself never reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tablestore/dbdyngrid_unit.h"

namespace testsupport {

class TableProbe {
 public:
  explicit TableProbe(const TdbdynGrid& table) : table_(table) {}

  int32_t Mode() const { return table_.Mode_; }
  bool dbfileupdate() const { return table_.dbfileupdate_; }
  int32_t rowcapacity() const { return table_.rowcapacity_; }
  const std::string& dbpath() const { return table_.dbpath_; }
  const std::vector<TdbdynGrid::DbFile>& dbfiles() const { return table_.dbfiles_; }
  std::string DBfields(int32_t row) const { return table_.DBfields(row); }
  const std::vector<std::string>& freeslots() const { return table_.freeslots_; }
  int32_t lastfreeslot() const { return table_.lastfreeslot_; }
  const std::vector<TdbdynGrid::OpenFile>& openfiles() const { return table_.openfiles_; }

 private:
  const TdbdynGrid& table_;
};

inline TableProbe probe(const TdbdynGrid& table) { return TableProbe(table); }

}  // namespace testsupport
