// The recipe format, named once for everyone who writes or reads a recipe:
// the import reads it, the export writes it, the recipe window saves and
// shows it, and the info box, the tips and the card show it. What the
// window saves, the export writes and the import reads back agree because
// they all go through this unit, not because copies are kept in step.
//
// An import file is a sequence of blocks, each: the recipe's name; the
// marker "Zutaten:"; one line per ingredient, "quantity unit name";
// "Zubereitung: " and the preparation when there is one; a blank line. A
// preparation line or a blank line ends the ingredients. The tables hold each
// part of a line as the import stores it (storedvalue), a missing quantity
// or unit as its placeholder, and the preparation's line breaks as "¶".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/tables.h"

namespace catalogue {

// A value as the import stores it and the table reads it back: trimmed, the
// bytes the table blanks and the subfield separator as blanks, trimmed again.
std::string storedvalue(std::string_view text);

// The line after a name line, read ignoring the case of a-z.
inline constexpr std::string_view zutatenmarke = "Zutaten:";
bool istzutatenmarke(std::string_view line);
// A line that holds the word "Zubereitung" in any case ends the ingredient
// list: no name, quantity or unit may hold it.
bool endetzutaten(std::string_view line);
// The preparation of a line that ends the list: the text after the word and
// an optional colon, as stored; "" when the word stands only inside a longer
// one ("Zubereitungssirup"). And the line the export writes for a preparation.
std::string zubereitunglesen(std::string_view line);
std::string zubereitungszeile(std::string_view zubereitung);

// Stored for an ingredient line without a quantity or without a unit.
inline constexpr std::string_view keinemenge = "0";
inline constexpr std::string_view keineeinheit = "-";
// A stored quantity or unit as shown: either placeholder as "".
std::string ohneplatzhalter(std::string_view wert);

// One ingredient line: quantity, unit and the ingredient's name.
struct Zutatenzeile {
  std::string menge;
  std::string einheit;
  std::string zutat;
  bool operator==(const Zutatenzeile&) const = default;
};

// An ingredient line of an import file, its parts as stored: quantity,
// blank, unit, blank, name (further blanks belong to the name); a line
// without a blank is a name alone, with both placeholders. Nothing when a
// part is empty.
std::optional<Zutatenzeile> zutatenzeilelesen(std::string_view line);
// The line, without its end, that zutatenzeilelesen reads back as these
// parts: the name alone where quantity and unit are the placeholders and the
// name is one word, else all three, an empty quantity or unit written as its
// placeholder. Quantity and unit hold no blank.
void zutatenzeileschreiben(std::string& text, std::string_view menge, std::string_view einheit, std::string_view name);

// A preparation's line break, in the tables and in the import file, as
// neither holds a line break of its own.
inline constexpr char zeilenumbruch = '\xB6';  // "¶" in Windows-1252
// A preparation as typed (lines broken by LF) as the tables hold it: each
// line without its trailing blanks, joined by "¶", without empty lines at
// either end; a "¶" typed becomes a blank. And back again.
std::string umbruechespeichern(std::string_view text);
std::string umbruechezeigen(std::string_view stored);
// The lines of a stored preparation, empty ones kept; none for "".
std::vector<std::string_view> zubereitungszeilen(std::string_view stored);

// The key under which ingredient names match: the name as its subfield
// reads back (cut to 255 bytes, trimmed), a-z upper-cased, so that "Rum" and
// "RUM " are one ingredient and "Äpfel" and "äpfel" two. Into key, whose
// memory is reused, as the import keys every line.
void namensschluessel(std::string_view name, std::string& key);
std::string namensschluessel(std::string_view name);

// What a scan of c_zutaten by name would find, built once so that each name
// costs a hash lookup instead of a pass over the table.
class IngredientLookup {
 public:
  explicit IngredientLookup(Zutatentabelle c_zutaten);
  // The id of the first row (in table order, rows whose id is no number
  // passed over) whose name has the key (namensschluessel).
  std::optional<int32_t> find(const std::string& key) const;
  // One more than the largest id that reads as a number, at least 1.
  int64_t nextid() const { return largest_ + 1; }
  // Takes in the row just appended to the end of c_zutaten.
  void added(Zutatentabelle c_zutaten, int32_t row);

 private:
  std::unordered_map<std::string, int32_t> ids_;
  int64_t largest_ = 0;
  std::string key_;  // reused row by row
};

// The first row of c_rezepte whose id has the number, or -1.
int32_t findrezept(Rezeptetabelle c_rezepte, int32_t id);
// The largest recipe id that reads as a number, at least 0.
int64_t largestid(Rezeptetabelle c_rezepte);

// The words, a blank between two, on lines of at most width characters; a
// word longer than a line is cut into pieces of a line each, so that no
// line runs past the width.
std::vector<std::string> umbrechen(const std::vector<std::string>& woerter, std::size_t width);
// The text's words, split at blanks, wrapped so.
std::vector<std::string> umbrechen(std::string_view text, std::size_t width);

}  // namespace catalogue
