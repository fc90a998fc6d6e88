#include "catalogue/anzeigetexte.h"

#include <algorithm>

#include "platform/text.h"

namespace catalogue {

namespace {

// A list cell shows no more; a hand-edited rating of two billion would
// otherwise ask for gigabytes of asterisks.
constexpr int32_t maxsterne = 100;

}  // namespace

int fortschrittprozent(int64_t i, int64_t n) {
  const int64_t quotient = i * 100 / n;
  const int64_t twiceremainder = 2 * (i * 100 % n);
  const bool up = twiceremainder > n || (twiceremainder == n && quotient % 2 == 1);
  return static_cast<int>(up ? quotient + 1 : quotient);
}

std::string wertungtostern(std::string_view rating) {
  int32_t stars = 0;
  if (!platform::strtoint(rating, stars) || stars <= 0) return "";
  std::string text(static_cast<std::size_t>(std::min(stars, maxsterne)) * 2 - 1, ' ');
  for (std::size_t i = 0; i < text.size(); i += 2) text[i] = '*';
  return text;
}

std::string janein(bool flag) { return flag ? "Ja  " : "Nein"; }

std::string flagtojanein(bool flag) { return flag ? "Ja" : "Nein"; }

std::string janeintoflag(const std::string& shown) {
  return platform::upper(platform::trim(shown)) == "JA" ? "1" : "0";
}

}  // namespace catalogue
