#include "catalogue/rezeptformat.h"

#include <gtest/gtest.h>

namespace {

using catalogue::Zutatenzeile;

// What the export writes, the import reads back: placeholders, a name alone,
// names with blanks, and a quantity and unit that look like the other's placeholder.
TEST(Rezeptformat, AnIngredientLineReadsBackAsItWasWritten) {
  for (const Zutatenzeile& zeile :
       {Zutatenzeile{"4", "cl", "Rum"}, Zutatenzeile{"0", "-", "Eis"}, Zutatenzeile{"0", "-", "Crushed Ice"},
        Zutatenzeile{"-", "0", "Minze"}, Zutatenzeile{"0", "cl", "Soda"},
        Zutatenzeile{"2", "-",
                     "Wei\xDF"
                     "er  Rum"}}) {
    std::string text;
    catalogue::zutatenzeileschreiben(text, zeile.menge, zeile.einheit, zeile.zutat);
    EXPECT_EQ(catalogue::zutatenzeilelesen(text), zeile) << text;
  }
  std::string text;
  catalogue::zutatenzeileschreiben(text, "", "", "Eis");
  EXPECT_EQ(text, "Eis");
  EXPECT_EQ(catalogue::zubereitunglesen(catalogue::zubereitungszeile(": kalt\xB6\xB6Umr\xFChren")),
            ": kalt\xB6\xB6Umr\xFChren");
  EXPECT_EQ(catalogue::zubereitungszeilen("kalt\xB6\xB6"
                                          "ab"),
            (std::vector<std::string_view>{"kalt", "", "ab"}));
}

// A word longer than a line is cut, so that no line runs past the width.
TEST(Rezeptformat, WrappingCutsOnlyWordsLongerThanALine) {
  const std::string words = "Minze mit Rohrzucker und Limettensaft im Glas sanft andruecken, Rum zugeben";
  const std::vector<std::string> wrapped = catalogue::umbrechen(words, 63);
  EXPECT_EQ(wrapped, (std::vector<std::string>{"Minze mit Rohrzucker und Limettensaft im Glas sanft andruecken,",
                                               "Rum zugeben"}));
  EXPECT_EQ(catalogue::umbrechen("  ab  cdefgh i ", 4), (std::vector<std::string>{"ab", "cdef", "gh i"}));
  // The tips' recipe names: whole where they fit, though they hold blanks.
  EXPECT_EQ(catalogue::umbrechen(std::vector<std::string>{"Rum Cola", "Zitronenlimo"}, 8),
            (std::vector<std::string>{"Rum Cola", "Zitronen", "limo"}));
}

}  // namespace
