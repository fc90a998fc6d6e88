// The catalogue's five tables, named once: their columns, the subfields of
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
#include <vector>

#include "platform/text.h"
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

// c_zubereitungen: the preparation of a recipe that has one; one row per such recipe.
namespace zubereitungspalte {
inline constexpr int32_t rezeptid = 0;
inline constexpr int32_t text = 1;
inline constexpr int32_t anzahl = 2;
}  // namespace zubereitungspalte

// c_ersatz: one row per substitute: the ingredient of a recipe line, and one
// that can stand in for it there. Only direct substitutes count.
namespace ersatzspalte {
inline constexpr int32_t zutatid = 0;
inline constexpr int32_t ersatzid = 1;
inline constexpr int32_t anzahl = 2;
}  // namespace ersatzspalte

// An id read as a number, or ersatz when the text is no number. Each side of
// an id comparison has its own ersatz, so two such texts never match.
int32_t idnummer(std::string_view text, int32_t ersatz);
// The two sides of the comparisons that assemble a recipe.
inline constexpr int32_t zeilenersatz = -1;  // the id of an ingredient or recipe row
inline constexpr int32_t linkersatz = -2;    // an id in a c_rezeptezutaten row

// The record number of a row: it grows with every row added and stays with a
// changed row, so the lines of a recipe, added in their order, read back in
// it wherever the file put their records (a record takes the first free slot
// that fits, and a table loads in file order). A row not yet written counts
// as the newest.
int32_t satznummer(const TdbdynGrid& table, int32_t row);
// Rows of one table in the order of their record numbers, rows of equal
// number in the order given.
void insatzfolge(const TdbdynGrid& table, std::vector<int32_t>& rows);

class Catalogue;

// One of the catalogue's tables, to be changed: the catalogue makes each as
// the table it is, and a function that writes rows takes it as this type, so
// that one table's writer passed where another's is wanted does not compile.
template <class Art>
class Schreibtabelle : public TdbdynGrid {
  friend class Catalogue;
  explicit Schreibtabelle(std::string name) : TdbdynGrid(std::move(name)) {}
};

// One table seen as the table it is. A function that reads rows takes its
// tables as these, so that two tables passed in the wrong order do not
// compile. A reference only: made for each call, it costs nothing.
template <class Art>
struct Tabelle {
  // The catalogue's table of this kind reads as it; any other does not.
  Tabelle(const Schreibtabelle<Art>& table) : tabelle(table) {}
  template <class Andere>
  Tabelle(const Schreibtabelle<Andere>&) = delete;
  // A table made apart from the catalogue, as tests and tools make them.
  explicit Tabelle(const TdbdynGrid& table) : tabelle(table) {}
  const TdbdynGrid* operator->() const { return &tabelle; }
  const TdbdynGrid& tabelle;
};
using Zutatentabelle = Tabelle<struct ZutatenArt>;
using Rezeptezutatentabelle = Tabelle<struct RezeptezutatenArt>;
using Rezeptetabelle = Tabelle<struct RezepteArt>;
using Zubereitungentabelle = Tabelle<struct ZubereitungenArt>;
using Ersatztabelle = Tabelle<struct ErsatzArt>;
using Zutatenschreiber = Schreibtabelle<struct ZutatenArt>;
using Rezeptezutatenschreiber = Schreibtabelle<struct RezeptezutatenArt>;
using Rezepteschreiber = Schreibtabelle<struct RezepteArt>;
using Zubereitungenschreiber = Schreibtabelle<struct ZubereitungenArt>;
using Ersatzschreiber = Schreibtabelle<struct ErsatzArt>;

// True when a flag subfield, trimmed, is exactly "1".
inline bool flaggesetzt(std::string_view subfield) { return platform::trimview(subfield) == "1"; }

// One row of each table, its cells read in one pass: views into the table
// that hold until its next change; a subfield is read when asked for. The
// search reads every row of the three tables with them, so they are inline
// and the table writes the views straight into the row's zellen: copied
// after the write, they would cost the search a tenth of its time.
struct Zutatzeile {
  std::string_view zellen[zutatspalte::anzahl];
  std::string_view id() const { return zellen[zutatspalte::id]; }
  std::string_view name() const { return feld(zutatfeld::name); }
  bool verfuegbar() const { return flaggesetzt(feld(zutatfeld::verfuegbar)); }
  bool alkoholisch() const { return flaggesetzt(feld(zutatfeld::alkoholisch)); }

 private:
  std::string_view feld(int32_t n) const { return TdbdynGrid::getsubfieldview(zellen[zutatspalte::werte], n); }
};
inline Zutatzeile lesezutat(Zutatentabelle c_zutaten, int32_t row) {
  Zutatzeile zeile;
  c_zutaten->rowviews(row, zeile.zellen);
  return zeile;
}

// A line's two ids. Its quantity and unit are read apart (lesemenge): only
// the recipe view needs them, every other reader of this, the biggest
// table, the ids alone.
struct Rezeptzutatzeile {
  std::string_view zellen[2];
  std::string_view rezeptid() const { return zellen[rezeptzutatspalte::rezeptid]; }
  std::string_view zutatid() const { return zellen[rezeptzutatspalte::zutatid]; }
};
inline Rezeptzutatzeile leserezeptzutat(Rezeptezutatentabelle c_rezeptezutaten, int32_t row) {
  static_assert(rezeptzutatspalte::rezeptid < 2 && rezeptzutatspalte::zutatid < 2);
  Rezeptzutatzeile zeile;
  c_rezeptezutaten->rowviews(row, zeile.zellen);
  return zeile;
}
struct Mengenangabe {
  std::string_view werte;
  std::string_view menge() const { return TdbdynGrid::getsubfieldview(werte, rezeptzutatfeld::menge); }
  std::string_view einheit() const { return TdbdynGrid::getsubfieldview(werte, rezeptzutatfeld::einheit); }
};
inline Mengenangabe lesemenge(Rezeptezutatentabelle c_rezeptezutaten, int32_t row) {
  return {c_rezeptezutaten->cellview(rezeptzutatspalte::werte, row)};
}

struct Rezeptzeile {
  std::string_view zellen[rezeptspalte::anzahl];
  std::string_view id() const { return zellen[rezeptspalte::id]; }
  std::string_view name() const { return feld(rezeptfeld::name); }
  std::string_view wertung() const { return feld(rezeptfeld::wertung); }

 private:
  std::string_view feld(int32_t n) const { return TdbdynGrid::getsubfieldview(zellen[rezeptspalte::werte], n); }
};
inline Rezeptzeile leserezept(Rezeptetabelle c_rezepte, int32_t row) {
  Rezeptzeile zeile;
  c_rezepte->rowviews(row, zeile.zellen);
  return zeile;
}
// A recipe's id alone, for the scans that look for one id: the cell ends
// where the row begins, so the rest of the row is not walked.
inline std::string_view leserezeptid(Rezeptetabelle c_rezepte, int32_t row) {
  return c_rezepte->cellview(rezeptspalte::id, row);
}

// The packed cells the import writes, of values that hold no subsep; the
// same text as newsubfields(5) and setsubfield make, built in one piece.
std::string zutatwerte(std::string_view name, std::string_view verfuegbar, std::string_view alkoholisch);
std::string rezeptzutatwerte(std::string_view menge, std::string_view einheit);
std::string rezeptwerte(std::string_view name, std::string_view wertung);

}  // namespace catalogue
