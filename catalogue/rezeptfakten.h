// What the search and the shopping tips know of every recipe, kept from one
// command to the next: each recipe's lines as ingredient slots, the
// ingredients' names and flags, the substitutes, and per recipe whether it is
// alcoholic, whether all its lines are available and how many ingredients it
// misses.
// The tables' change stamps tell what is stale: every load, reset and row
// change of a table bumps its stamp, so whatever command changed it (the
// editors, a merge, the import, a reset, a discard) is seen without being
// named here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "catalogue/ersatz.h"
#include "catalogue/idslots.h"
#include "catalogue/tables.h"

namespace catalogue {

class Rezeptfakten {
 public:
  // Brings the facts up to the tables' state; nothing is done for the tables
  // that have not changed. The lines are read again only when c_rezepte or
  // c_rezeptezutaten changed or an ingredient id moved to another slot; a
  // change of flags, names or substitutes costs one pass over the kept lines.
  void fuer(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
            Ersatztabelle c_ersatz);
  // The first and longest part of fuer, which needs no substitutes: the
  // ingredients and the lines brought up to the tables' state. The next fuer
  // does the rest. It reads the three tables and changes nothing else, so
  // the start-up runs it while the other tables load.
  void zeilenfuer(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten);

  // One ingredient, the later of two rows with one id.
  struct Zutat {
    std::string name;
    std::string suchname;  // trimmed, ASCII lower case
    bool verfuegbar = false;
    bool alkoholisch = false;
  };
  std::size_t zutatenzahl() const { return zutaten_.size(); }
  const Zutat& zutat(int32_t slot) const { return zutaten_[static_cast<std::size_t>(slot)]; }
  // Whether a line of the ingredient in the slot counts as available: it or
  // one of its substitutes is; a line whose ingredient has no row (slot -1)
  // never is.
  bool verfuegbar(int32_t slot) const { return slot >= 0 && verfuegbar_[static_cast<std::size_t>(slot)] != 0; }
  bool keineverfuegbar() const;
  // The substitutes by ingredient slot.
  const Ersatzslots& ersatz() const { return ersatz_; }

  // The lines of the recipe in a row of c_rezepte, in link table order, as
  // ingredient slots (-1 for an ingredient without row); empty without lines.
  std::span<const int32_t> zeilen(int32_t row) const;
  bool hatzeilen(int32_t row) const { return gruppe_[static_cast<std::size_t>(row)] >= 0; }
  // Without lines: not alcoholic and all available, as the search starts.
  bool alkoholisch(int32_t row) const { return bit(row, alkbit); }
  bool alleverfuegbar(int32_t row) const { return !bit(row, fehltbit); }
  // A line whose ingredient has no row: no purchase completes the recipe.
  bool unkaeuflich(int32_t row) const { return bit(row, unkaeuflichbit); }
  // A deleted recipe: a row of empty cells without a record.
  bool geloescht(int32_t row) const { return bit(row, geloeschtbit); }
  // How many distinct ingredients with a row the recipe misses, at most grenze.
  static constexpr int32_t grenze = 6;
  int32_t fehlend(int32_t row) const;

 private:
  static constexpr uint8_t alkbit = 1, fehltbit = 2, unkaeuflichbit = 4, geloeschtbit = 8;
  bool bit(int32_t row, uint8_t b) const { return (merkmale_[static_cast<std::size_t>(row)] & b) != 0; }

  // Reads the ingredients; false when an id now has another slot.
  bool ladezutaten(Zutatentabelle c_zutaten);
  void ladezeilen(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten);
  // Which slots count as available: the one place that says so.
  void verfuegbarkeit();
  // The per-recipe facts from the kept lines and the ingredients.
  void rechnen();
  int32_t fehlendin(std::span<const int32_t> zeilen) const;

  static constexpr uint64_t nie = UINT64_MAX;  // a stamp no table has
  uint64_t rezeptestand_ = nie, linkstand_ = nie, zutatenstand_ = nie, ersatzstand_ = nie;
  // What zeilenfuer changed and fuer has still to follow up.
  bool verfuegbarkeitoffen_ = false, rechnenoffen_ = false;
  Idslots zutatslots_{0};
  std::vector<int32_t> slotids_;  // the id of each slot, in slot order
  std::vector<Zutat> zutaten_;
  Ersatzliste ersatzliste_;  // c_ersatz by ids, read when it changes
  Ersatzslots ersatz_{{}, zutatslots_, 0};
  std::vector<char> verfuegbar_;
  std::vector<int32_t> gruppe_;    // row of c_rezepte -> its group of lines, -1 none
  std::vector<int32_t> beginn_;    // group -> its first line in zeilen_; one more at the end
  std::vector<int32_t> zeilen_;    // the lines' ingredient slots, grouped by recipe id
  std::vector<uint8_t> merkmale_;  // row of c_rezepte -> its bits
  std::vector<uint8_t> fehlend_;   // group -> fehlendin
};

}  // namespace catalogue
