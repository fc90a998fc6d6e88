// Byte-wise helpers for Windows-1252 text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Removes the bytes 0x00..0x20 at both ends.
std::string trim(std::string_view text);
// trim without a copy: a view into text. Inline, as the table store trims
// every subfield it reads and every free slot it looks at.
inline std::string_view trimview(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
  return text;
}

// Case folding of the 26 ASCII letters only; umlauts keep their case.
std::string upper(std::string_view text);
std::string lower(std::string_view text);
inline char upperchar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
inline char lowerchar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Reads a signed 32-bit number: leading blanks, an optional sign, then decimal
// digits or hexadecimal digits after "$", "x" or "0x"; nothing may follow.
// Empty text and overflow are no number.
bool strtoint(std::string_view text, int32_t& value);

// The number in decimal, left-padded with "0" to at least width digits.
std::string zeropadded(int64_t value, int width);

}  // namespace platform
