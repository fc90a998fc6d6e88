// Import files of made-up recipes, with what each recipe holds, for tests
// and benchmarks of the import.
#pragma once

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace testsupport {

struct GeneratedLine {
  std::string quantity;  // "0" and "-" for a line of a name alone
  std::string unit;
  std::string name;
};

struct GeneratedRecipe {
  std::string name;
  std::vector<GeneratedLine> lines;
  std::string zubereitung;  // about 150 characters
};

struct GeneratedFile {
  std::string text;  // Windows-1252, CR LF line ends
  std::vector<GeneratedRecipe> recipes;
};

// A made-up word of two to four syllables, capitalised; some hold "ra".
inline std::string madeupword(std::mt19937& random) {
  static const char* const syllables[] = {"ra", "mu", "gin", "to", "li", "me", "sa", "ko", "ri", "ta", "an", "el"};
  std::string word;
  for (int i = std::uniform_int_distribution<int>(2, 4)(random); i > 0; --i)
    word += syllables[std::uniform_int_distribution<int>(0, 11)(random)];
  word[0] = static_cast<char>(word[0] - 'a' + 'A');
  return word;
}

// count recipes of three to seven ingredient lines (five on average), drawn
// from the given number of distinct ingredient names: all equally likely, or
// with skew > 0 the n-th most used one with a weight of 1 / n^skew, as in
// real collections where ice, citrus juice and syrup stand in most recipes.
inline GeneratedFile generaterecipes(int count, int ingredients, unsigned seed, double skew = 0) {
  static const char* const quantities[] = {"1", "2", "4", "1/2", "6", "0,5"};
  static const char* const units[] = {"cl", "BL", "TL", "St\xFC\x63k", "Spritzer", "Scheibe"};  // \x63: "c"
  static const char* const stems[] = {"Rum", "Kr\xE4uterlik\xF6r", "Zitronensaft", "Sirup", "Gin", "\xC4pfelsaft"};
  std::mt19937 random(seed);
  const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  std::vector<double> weights;
  for (int n = 1; n <= ingredients; ++n) weights.push_back(std::pow(n, -skew));
  std::discrete_distribution<int> ingredient(weights.begin(), weights.end());
  GeneratedFile file;
  file.recipes.reserve(static_cast<std::size_t>(count));
  for (int r = 1; r <= count; ++r) {
    GeneratedRecipe recipe{madeupword(random) + " " + madeupword(random) + " " + std::to_string(r), {}, {}};
    file.text += recipe.name + "\r\nZutaten:\r\n";
    const int lines = 3 + pick(5);
    for (int l = 0; l < lines; ++l) {
      const int n = skew > 0 ? ingredient(random) : pick(ingredients);
      GeneratedLine line{quantities[pick(6)], units[pick(6)], std::string(stems[n % 6]) + " " + std::to_string(n)};
      if (pick(8) == 0) {
        line = {"0", "-", std::string(stems[n % 6]).substr(0, 3) + std::to_string(n)};  // one word
        file.text += line.name + "\r\n";
      } else {
        file.text += line.quantity + " " + line.unit + " " + line.name + "\r\n";
      }
      recipe.lines.push_back(line);
    }
    recipe.zubereitung =
        "Alle Zutaten mit Eisw\xFCrfeln im Shaker kr\xE4"
        "ftig sch\xFCtteln, in ein vorgek\xFChltes Glas "
        "abseihen, mit " +
        recipe.lines[0].name + " garnieren und gleich servieren (Nr. " + std::to_string(r) + ").";
    file.text += "Zubereitung: " + recipe.zubereitung + "\r\n\r\n";
    file.recipes.push_back(std::move(recipe));
  }
  return file;
}

}  // namespace testsupport
