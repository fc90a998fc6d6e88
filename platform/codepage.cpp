#include "platform/codepage.h"

namespace platform {

namespace {

void appendutf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string cp1252toutf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    char32_t cp = b;
    if (b >= 0x80 && b < 0xA0 && cp1252high[b - 0x80] != 0) cp = cp1252high[b - 0x80];
    appendutf8(out, cp);
  }
  return out;
}

std::string utf8tocp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const int b = cp1252byte(utf8decode(text, i));
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

bool ismultibyteutf8(std::string_view text) {
  bool multibyte = false;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    if (utf8decode(text, i) == static_cast<char32_t>(-1)) return false;
    if (i - start > 1) multibyte = true;
  }
  return multibyte;
}

}  // namespace platform
