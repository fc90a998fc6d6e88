// The rows of the result list as a search leaves them, held compactly: the
// texts of every hit in one buffer and a small entry per hit, so that a
// search that lists a million recipes makes no string per row. A row
// becomes the texts of ListView_erg (ResultRow) only when it is asked for,
// as the list paints it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace catalogue {

// One row of ListView_erg: caption and sub-items 0..3.
struct ResultRow {
  std::string caption;     // recipe name
  std::string wertung;     // stars
  std::string alk;         // "Ja  " or "Nein"
  std::string verfuegbar;  // "Ja  " or "Nein"
  std::string id;          // hidden: column 0 of c_rezepte as stored
  bool operator==(const ResultRow&) const = default;
};

class Trefferliste {
 public:
  // A hit as its recipe row reads: name, rating text (subfield 2), id as
  // stored; its number, for folge.
  std::size_t dazu(std::string_view name, std::string_view wertung, std::string_view id, bool alkoholisch,
                   bool alleverfuegbar);
  // The rows of the list: the hits by their numbers, in the list's order.
  void folge(std::vector<int32_t> nummern) { folge_ = std::move(nummern); }

  std::size_t size() const { return folge_.size(); }
  ResultRow zeile(std::size_t row) const;
  std::string id(std::size_t row) const;
  // A row's new texts, as the recipe window's save leaves the recipe.
  void setzen(std::size_t row, ResultRow values);
  void entfernen(std::size_t row);
  // A row added before the given one, as the recipe window adds a recipe.
  void einfuegen(std::size_t row, ResultRow values);

 private:
  struct Eintrag {
    std::size_t beginn = 0;  // name, rating and id follow each other in texte_
    uint32_t name = 0, wertung = 0, id = 0;
    bool alkoholisch = false, alleverfuegbar = false;
  };
  std::string_view text(std::size_t beginn, uint32_t laenge) const {
    return std::string_view(texte_).substr(beginn, laenge);
  }

  std::string texte_;
  std::vector<Eintrag> eintraege_;
  std::vector<int32_t> folge_;
  std::unordered_map<int32_t, ResultRow> gesetzt_;  // hit number -> texts set since the search
};

}  // namespace catalogue
