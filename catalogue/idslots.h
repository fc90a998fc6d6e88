// Numbers the ids met in one table with consecutive slots, for lookups that a
// command builds from a whole table. Ids are mostly small positive numbers
// below twice the row count, so an array indexed by the id serves them; the
// few others go to a hash map.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace catalogue {

class Idslots {
 public:
  explicit Idslots(int32_t rows) : array_(static_cast<std::size_t>(rows) * 2 + 16, -1) {}

  // The id's slot and whether it was new; a new id gets the next slot.
  std::pair<int32_t, bool> insert(int32_t id) {
    int32_t& slot = inarray(id) ? array_[static_cast<std::size_t>(id)] : others_.try_emplace(id, -1).first->second;
    const bool neu = slot < 0;
    if (neu) slot = count_++;
    return {slot, neu};
  }

  // The id's slot, or -1 when the id was never entered.
  int32_t find(int32_t id) const {
    if (inarray(id)) return array_[static_cast<std::size_t>(id)];
    const auto found = others_.find(id);
    return found == others_.end() ? -1 : found->second;
  }

 private:
  bool inarray(int32_t id) const { return id >= 0 && static_cast<std::size_t>(id) < array_.size(); }

  std::vector<int32_t> array_;
  std::unordered_map<int32_t, int32_t> others_;
  int32_t count_ = 0;
};

}  // namespace catalogue
