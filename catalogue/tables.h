// The catalogue's three tables, named once: their columns, the subfields of
// their packed cells, how ids and flags read, and the row readers and packed
// cell builders every command uses. Only this header knows which number a
// column or subfield has.
//
// The last column of each table is a packed cell: five subfields, each
// followed by TdbdynGrid::subsep, counted from 1 and read trimmed and cut to
// 255 bytes (getsubfield). The subfields not named here stay empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tablestore/dbdyngrid_unit.h"

namespace catalogue {

// c_zutaten: one row per ingredient.
namespace zutatspalte {
inline constexpr int32_t id = 0;
inline constexpr int32_t werte = 1;  // packed, zutatfeld
inline constexpr int32_t anzahl = 2;
}  // namespace zutatspalte
namespace zutatfeld {
inline constexpr int32_t name = 1;
inline constexpr int32_t verfuegbar = 2;   // flag
inline constexpr int32_t alkoholisch = 3;  // flag
}  // namespace zutatfeld

// c_rezeptezutaten: one row per ingredient line of a recipe.
namespace rezeptzutatspalte {
inline constexpr int32_t rezeptid = 0;
inline constexpr int32_t zutatid = 1;
inline constexpr int32_t werte = 2;  // packed, rezeptzutatfeld
inline constexpr int32_t anzahl = 3;
}  // namespace rezeptzutatspalte
namespace rezeptzutatfeld {
inline constexpr int32_t menge = 1;    // "0" when the line had none
inline constexpr int32_t einheit = 2;  // "-" when the line had none
}  // namespace rezeptzutatfeld

// c_rezepte: one row per recipe.
namespace rezeptspalte {
inline constexpr int32_t id = 0;
inline constexpr int32_t werte = 1;  // packed, rezeptfeld
inline constexpr int32_t anzahl = 2;
}  // namespace rezeptspalte
namespace rezeptfeld {
inline constexpr int32_t name = 1;
inline constexpr int32_t wertung = 2;
}  // namespace rezeptfeld

// An id read as a number, or ersatz when the text is no number. Each side of
// an id comparison has its own ersatz, so two such texts never match.
int32_t idnummer(std::string_view text, int32_t ersatz);
// The two sides of the comparisons that assemble a recipe.
inline constexpr int32_t zeilenersatz = -1;  // the id of an ingredient or recipe row
inline constexpr int32_t linkersatz = -2;    // an id in a c_rezeptezutaten row

// True when a flag subfield, trimmed, is exactly "1".
bool flaggesetzt(std::string_view subfield);

// One row of each table, its cells read in one pass: views into the table
// that hold until its next change. A subfield is read when asked for.
struct Zutatzeile {
  std::string_view id;
  std::string_view werte;
  std::string_view name() const { return TdbdynGrid::getsubfieldview(werte, zutatfeld::name); }
  bool verfuegbar() const { return flaggesetzt(TdbdynGrid::getsubfieldview(werte, zutatfeld::verfuegbar)); }
  bool alkoholisch() const { return flaggesetzt(TdbdynGrid::getsubfieldview(werte, zutatfeld::alkoholisch)); }
};
Zutatzeile lesezutat(const TdbdynGrid& c_zutaten, int32_t row);

struct Rezeptzutatzeile {
  std::string_view rezeptid;
  std::string_view zutatid;
  std::string_view werte;
  std::string_view menge() const { return TdbdynGrid::getsubfieldview(werte, rezeptzutatfeld::menge); }
  std::string_view einheit() const { return TdbdynGrid::getsubfieldview(werte, rezeptzutatfeld::einheit); }
};
Rezeptzutatzeile leserezeptzutat(const TdbdynGrid& c_rezeptezutaten, int32_t row);

struct Rezeptzeile {
  std::string_view id;
  std::string_view werte;
  std::string_view name() const { return TdbdynGrid::getsubfieldview(werte, rezeptfeld::name); }
  std::string_view wertung() const { return TdbdynGrid::getsubfieldview(werte, rezeptfeld::wertung); }
};
Rezeptzeile leserezept(const TdbdynGrid& c_rezepte, int32_t row);

// The packed cells the import writes, of values that hold no subsep; the
// same text as newsubfields(5) and setsubfield make, built in one piece.
std::string zutatwerte(std::string_view name, std::string_view verfuegbar, std::string_view alkoholisch);
std::string rezeptzutatwerte(std::string_view menge, std::string_view einheit);
std::string rezeptwerte(std::string_view name, std::string_view wertung);

}  // namespace catalogue
