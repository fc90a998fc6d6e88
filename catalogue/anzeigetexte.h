// The small texts the search, the recipe view, the tips and the editors show
// for numbers and flags, kept in one place so that they read alike everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace catalogue {

// The progress percentage for step i of n: i * 100 / n rounded half to even.
int fortschrittprozent(int64_t i, int64_t n);

// "* * *" for "3"; "" for 0, less, or text that is no number.
std::string wertungtostern(std::string_view rating);

// The result list's and info box's flag texts: "Ja  " or "Nein".
std::string janein(bool flag);

// A flag as the ingredient grid shows it: "Ja" or "Nein".
std::string flagtojanein(bool flag);

// "1" when the shown text, trimmed, is "Ja" ignoring the case of a-z; "0" otherwise.
std::string janeintoflag(const std::string& shown);

}  // namespace catalogue
