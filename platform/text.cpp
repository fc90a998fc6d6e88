#include "platform/text.h"

#include <optional>

namespace platform {

namespace {

int digitvalue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  return v < base ? v : -1;
}

// Up to ten plain decimal digits, as ids, counts and Pos mostly are: their
// number, read the short way; nothing for any other text.
std::optional<int64_t> plaindecimal(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  int64_t number = 0;
  for (const char c : text) {
    const auto digit = static_cast<unsigned>(c - '0');
    if (digit > 9) return std::nullopt;
    number = number * 10 + digit;
  }
  return number;
}

}  // namespace

std::string trim(std::string_view text) { return std::string(trimview(text)); }

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = upperchar(c);
  return out;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lowerchar(c);
  return out;
}

bool strtoint(std::string_view text, int32_t& value) {
  if (const std::optional<int64_t> number = plaindecimal(text)) {
    if (*number > 2147483647ll) return false;
    value = static_cast<int32_t>(*number);
    return true;
  }
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return false;
  // Hexadecimal digits give the bit pattern, as a 32-bit number, so $FFFFFFFF is -1.
  const int64_t limit = base == 16 ? 0xFFFFFFFFll : (negative ? 2147483648ll : 2147483647ll);
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int d = digitvalue(text[i], base);
    if (d < 0) return false;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return false;
  }
  if (base == 16) magnitude = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

std::string zeropadded(int64_t value, int width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

}  // namespace platform
