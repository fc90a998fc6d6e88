#include "platform/text.h"

#include <algorithm>

namespace platform {

namespace {

int digit_value(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return v < base ? v : -1;
}

}  // namespace

std::string trim(std::string_view text) { return std::string(trimview(text)); }

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool strtoint(std::string_view text, int32_t& value) {
  // Up to ten plain decimal digits, as ids, counts and Pos mostly are, take
  // the short way.
  if (!text.empty() && text.size() <= 10) {
    int64_t number = 0;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
      const auto digit = static_cast<unsigned>(text[i] - '0');
      if (digit > 9) break;
      number = number * 10 + digit;
    }
    if (i == text.size()) {
      if (number > 2147483647ll) return false;
      value = static_cast<int32_t>(number);
      return true;
    }
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
    const int d = digit_value(text[i], base);
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
