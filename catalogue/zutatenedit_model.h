// The ingredient editor without its window: the grid's texts, the rows a
// filter shows, the selected cell, sorting by a header press, toggling flags,
// renaming, picking merges and saving. The window shows the grid, passes on what the user does and
// asks aufloesmodus() for the pointing-hand cursor.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/ersatz.h"
#include "catalogue/ports.h"

namespace catalogue {

// Every grid row has ten cells, named by ZutateneditModel::Spalte: the four
// shown columns, then the ingredient's row in c_zutaten and its key as
// stored, which are never shown. Cells 4 and 7..9 stay empty.
inline constexpr int zutatengridcols = 10;
using Gridzeile = std::array<std::string, zutatengridcols>;

// The data rows for the grid, one per row of c_zutaten in table order, with
// one progress step per ingredient (the caller closes the progress dialog).
std::vector<Gridzeile> zutatenzeilen(Zutatentabelle c_zutaten, Rezeptezutatentabelle c_rezeptezutaten,
                                     ProgressPort& progress);

// A confirmed merge: the recipe lines of ingredient key quelle move to ziel
// and quelle is deleted; -1 in either makes the pair void.
struct Aufloespaar {
  int32_t quelle = -1;
  int32_t ziel = -1;
  bool operator==(const Aufloespaar&) const = default;
};

class ZutateneditModel {
 public:
  // The grid's columns: name, usage count and the two flags ("Ja"/"Nein")
  // are shown; the table row and the key travel with their row unseen.
  enum Spalte { name = 0, verwendet = 1, alkoholisch = 2, verfuegbar = 3, tabellenzeile = 5, schluessel = 6 };
  static constexpr int showncolumns = 4;

  explicit ZutateneditModel(Catalogue& catalogue);

  // The filling part of anzeigen: caption, editor state, grid rows and the
  // selected cell (row 0, column 1); closes the progress dialog at the end.
  void fuellen(ProgressPort& progress);

  const std::string& caption() const { return caption_; }  // "Zutaten (" + n + ")"
  // The headers stand apart from the rows: rows count from 0, one per
  // ingredient the filter shows, and -1 means no row.
  static const std::string& header(int32_t col);  // "" for a column not shown
  int32_t rowcount() const;
  const std::string& cell(int32_t col, int32_t row) const;  // "" outside the grid

  // Shows only the rows whose name contains the text, trimmed, ignoring the
  // case of a-z as the search does; the empty text shows all. Sorting,
  // flags, renaming and picking act on the rows shown; the save writes every
  // row. The first row shown becomes the selected one.
  void filtern(const std::string& text);
  // Whether a save would write anything: a name, flag or substitute differs
  // from what the window was filled with, or a merge is confirmed.
  bool geaendert() const;

  // The substitutes of the ingredient in a shown row, by the names the grid
  // shows. They change here and are written by the save, in the commit of
  // the rows.
  std::vector<std::string> ersatznamen(int32_t row) const;
  // The line under the grid: "Ersatz für " + the selected name + ": " and
  // its substitutes, or "keiner"; "" without a selected row.
  std::string ersatzzeile() const;
  // Adds the ingredient of that name (trimmed, a-z case ignored; the first
  // in table order of equal names) as a substitute of the row's ingredient.
  // No ingredient is made: an unknown name, the ingredient itself or one
  // already there is refused with a warning, and false.
  bool ersatzhinzufuegen(int32_t row, const std::string& name);
  void ersatzentfernen(int32_t row, std::size_t index);
  // The names of all ingredients, for the completion.
  std::vector<std::string> zutatnamen() const;
  // The key of the ingredient in a shown row; -1 when there is none.
  int32_t schluesselvon(int32_t row) const;

  // The grid's selected cell, which the window sets as the user selects.
  void select(int32_t row, int32_t col);
  int32_t selectedrow() const { return selectedrow_; }
  int32_t selectedcol() const { return selectedcol_; }

  // A press within the header row at x; r0..r2 are the right edges of the
  // header cells of columns 0..2. A press on an edge runs both sorts.
  void zutatengridMouseDown(int x, int r0, int r1, int r2);
  void zutatengridDblClick();
  void Zutatumbenennen1Click();
  void zutataufloesenClick();
  void Action_abbrechenExecute();
  // Saving, steps 1 and 2, then re-arms the start-up timer; the window then
  // closes itself. Each step is one commit: the first failed write ends the
  // writing and drops what its step wrote; the counts say what was
  // committed. False, with nothing written, when the catalogue is
  // read-only: the window stays open.
  bool b_okClick();

  bool aufloesmodus() const { return aufloesmodus_; }  // show the pointing hand
  int32_t aufloeszeile() const;                        // the shown row of the merge source; -1 when none is shown
  const std::vector<Aufloespaar>& aufloesliste() const { return aufloesliste_; }

 private:
  bool isdatarow(int32_t row) const;
  Gridzeile& zeile(int32_t row);  // a shown data row
  void zeigen();
  void endpick();
  void toggleselectedflag();
  void pickmergetarget();
  void sortbytext(int col);
  void sortbycount();
  Outcome saverows(int32_t& changed);
  std::string nameofkey(int32_t key) const;
  Outcome savemerges(int32_t& changes);
  // Commits a step's rows when it succeeded; drops them when it failed.
  bool commitstep(const Outcome& step);

  Catalogue& catalogue_;
  std::string caption_;
  std::vector<Gridzeile> grid_;      // every row, in the order of the last sort
  std::vector<Gridzeile> gefuellt_;  // every row as filled, in table order
  std::string filter_;               // lower case
  std::vector<int32_t> gezeigt_;     // the rows of grid_ the filter shows, in grid order
  int32_t selectedrow_ = 0;
  int32_t selectedcol_ = 1;
  bool aufloesmodus_ = false;
  int32_t aufloesquelle_ = -1;  // the merge source's row in grid_
  std::vector<Aufloespaar> aufloesliste_;
  Ersatzliste ersatz_;          // the substitutes as edited
  Ersatzliste ersatzgefuellt_;  // as filled
};

}  // namespace catalogue
