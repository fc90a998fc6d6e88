// Windows-1252 is the program's only text encoding inside: table files,
// messages and every std::string hold its bytes. Sources are UTF-8, so
// German literals are converted at compile time with the _cp suffix:
//     std::string text = std::string("Übergebene Spaltenanzahl"_cp);
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Unicode code points of the bytes 0x80..0x9F; 0 where the code page has a gap.
inline constexpr char32_t cp1252high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The byte for a code point, or -1 when Windows-1252 has none. The five
// bytes in the gaps stand for the control code points of the same number,
// so that every byte survives a trip through Unicode.
constexpr int cp1252byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  if (cp < 0xA0 && cp1252high[cp - 0x80] == 0) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (cp1252high[i] != 0 && cp1252high[i] == cp) return 0x80 + i;
  return -1;
}

// Decodes one UTF-8 sequence at text[i]; advances i. Returns -1 (as char32_t
// all ones) for a malformed sequence and advances past its first byte.
constexpr char32_t utf8decode(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
  if (length == 0 || i + length > text.size()) {
    ++i;
    return static_cast<char32_t>(-1);
  }
  char32_t cp = length == 1 ? lead : static_cast<char32_t>(lead & (0x7F >> length));
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) >> 6) != 2) {
      ++i;
      return static_cast<char32_t>(-1);
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  constexpr char32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < smallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return static_cast<char32_t>(-1);
  }
  i += length;
  return cp;
}

template <std::size_t N>
struct Utf8Literal {
  char bytes[N]{};
  consteval Utf8Literal(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
  }
};

template <std::size_t N>
struct Cp1252Literal {
  char bytes[N]{};
  std::size_t size = 0;
};

template <std::size_t N>
consteval Cp1252Literal<N> tocp1252literal(const Utf8Literal<N>& in) {
  Cp1252Literal<N> out;
  const std::string_view text(in.bytes, N - 1);
  for (std::size_t i = 0; i < text.size();) {
    const int b = cp1252byte(utf8decode(text, i));
    if (b < 0) throw "text literal has a character without a Windows-1252 code";
    out.bytes[out.size++] = static_cast<char>(b);
  }
  return out;
}

template <Utf8Literal S>
inline constexpr auto cp1252literalv = tocp1252literal(S);

// Windows-1252 bytes as UTF-8 (a byte in a gap of the code page becomes the
// control code point of its number, as the window system converts it).
std::string cp1252toutf8(std::string_view text);

// UTF-8 as Windows-1252; characters without a code, and malformed bytes, become "?".
std::string utf8tocp1252(std::string_view text);

// True when text is well-formed UTF-8 and holds at least one multi-byte sequence.
bool ismultibyteutf8(std::string_view text);

}  // namespace platform

// Not constexpr: clang 14 crashes when it tries a local variable's
// initializer as a constant expression through it. The bytes are converted
// at compile time all the same, by the consteval conversion above.
template <platform::Utf8Literal S>
std::string_view operator""_cp() {
  return {platform::cp1252literalv<S>.bytes, platform::cp1252literalv<S>.size};
}
