// The order of names in the result list: locale-aware (German), case-sensitive,
// lower case before upper case, umlauts beside their base letters, hyphens and
// apostrophes ignored unless everything else is equal. Texts are Windows-1252.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Negative, zero or positive as a comes before, equals or comes after b.
int comparenames(std::string_view a, std::string_view b);

// A byte string whose plain byte-wise order (std::string's operator<) is the
// order of comparenames, except that texts which differ only in what that
// order weighs last (hyphens, apostrophes) get equal keys: comparenames
// settles those. Worth it when one text takes part in many comparisons.
std::string namesortkey(std::string_view text);

// The first bytes of a key's first level (the letters as such, without
// accents and case), zero-filled: cheaper than a whole key, as the collation
// stops after them, and for a text of ASCII bytes worked out without the
// collation. Two texts whose prefixes differ compare as their prefixes do;
// texts with equal prefixes need their whole keys (namesortkey) to be
// ordered among themselves.
inline constexpr std::size_t sortkeyprefixbytes = 16;
std::array<unsigned char, sortkeyprefixbytes> namesortkeyprefix(std::string_view text);

}  // namespace platform
