#include "catalogue/tables.h"

#include <algorithm>
#include <climits>
#include <initializer_list>

#include "platform/text.h"

namespace catalogue {

namespace {

constexpr std::size_t felderjezelle = 5;

// A packed cell with the given values in its first subfields, in order.
std::string packed(std::initializer_list<std::string_view> values) {
  std::size_t size = felderjezelle;
  for (const std::string_view value : values) size += value.size();
  std::string cell;
  cell.reserve(size);
  for (const std::string_view value : values) (cell += value) += TdbdynGrid::subsep;
  return cell.append(felderjezelle - values.size(), TdbdynGrid::subsep);
}

}  // namespace

int32_t idnummer(std::string_view text, int32_t ersatz) {
  int32_t value = 0;
  return platform::strtoint(text, value) ? value : ersatz;
}

int32_t satznummer(const TdbdynGrid& table, int32_t row) { return table.recordnumber(row).value_or(INT32_MAX); }

void insatzfolge(const TdbdynGrid& table, std::vector<int32_t>& rows) {
  std::vector<std::pair<int32_t, int32_t>> keyed;
  for (const int32_t row : rows) keyed.emplace_back(satznummer(table, row), row);
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].second;
}

// The values stand in the order of their subfields, which the asserts hold to it.
std::string zutatwerte(std::string_view name, std::string_view verfuegbar, std::string_view alkoholisch) {
  static_assert(zutatfeld::name == 1 && zutatfeld::verfuegbar == 2 && zutatfeld::alkoholisch == 3);
  return packed({name, verfuegbar, alkoholisch});
}

std::string rezeptzutatwerte(std::string_view menge, std::string_view einheit) {
  static_assert(rezeptzutatfeld::menge == 1 && rezeptzutatfeld::einheit == 2);
  return packed({menge, einheit});
}

std::string rezeptwerte(std::string_view name, std::string_view wertung) {
  static_assert(rezeptfeld::name == 1 && rezeptfeld::wertung == 2);
  return packed({name, wertung});
}

}  // namespace catalogue
