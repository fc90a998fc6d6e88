// The recipe window without its widgets: a recipe as the user edits it, the
// rules that keep it readable by the import, saving it and deleting it. What
// it saves, the export writes and the import reads back as the same recipe,
// as all three follow the recipe format (rezeptformat.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/rezeptformat.h"
#include "catalogue/trefferliste.h"

namespace catalogue {

// A recipe as the window shows it; id "" for a new one. Its lines are as the
// grid holds them (Menge, Einheit, Zutat), the placeholders of quantity and
// unit as empty cells.
struct Rezeptentwurf {
  std::string id;
  std::string name;
  std::vector<Zutatenzeile> zeilen;
  std::string zubereitung;
  bool operator==(const Rezeptentwurf&) const = default;
};

class RezepteditModel {
 public:
  explicit RezepteditModel(Catalogue& catalogue);

  // An empty recipe, or the stored one with the id; false when no recipe has
  // that id any more.
  void neu();
  bool oeffnen(const std::string& id);

  Rezeptentwurf& entwurf() { return entwurf_; }
  const Rezeptentwurf& entwurf() const { return entwurf_; }
  // Whether the recipe differs from what was opened.
  bool geaendert() const { return entwurf_ != geoeffnet_; }

  // The grid's lines: a new empty line below row (at the end for -1), and
  // removing or moving one; rows outside the list are ignored. Each answers
  // the row that holds the line afterwards.
  int32_t neuezeile(int32_t row);
  int32_t zeileloeschen(int32_t row);
  int32_t zeilehoch(int32_t row);
  int32_t zeilerunter(int32_t row);

  // What the Zutat and Einheit cells offer: the known ingredient names and
  // the units the catalogue uses, each once, sorted ignoring the case of a-z
  // as the import matches names. Worked out again only when their table has
  // changed since.
  const std::vector<std::string>& zutatennamen();
  const std::vector<std::string>& einheiten();

  // Checks, cleans and writes the recipe as one command. Refused or failed
  // after its one warning, nothing written; done: the recipe is what was
  // opened from now on.
  Outcome speichern();

 private:
  Catalogue& catalogue_;
  Rezeptentwurf entwurf_;
  Rezeptentwurf geoeffnet_;
  struct Auswahl {
    uint64_t stand = 0;  // the change stamp of the table it was made from
    std::vector<std::string> texte;
  };
  Auswahl zutatennamen_;
  Auswahl einheiten_;
};

// The recipe as it will be stored: every value cleaned as the import cleans
// it, lines that are wholly empty dropped, an empty quantity or unit as its
// placeholder, the preparation's line breaks as "¶".
// The first value the import would not read back as stored is refused with
// a message that names its field and line.
Outcome bereinigen(Rezeptentwurf& entwurf);

// "Rezept löschen…": asks, then removes the recipe's row, its lines and its
// preparation as one command. False when nothing was deleted.
bool rezeptloeschen(Catalogue& catalogue, const std::string& id);

// The result list's row of the recipe as a search would show it; nothing
// when no recipe has the id.
std::optional<ResultRow> ergebniszeile(const Catalogue& catalogue, const std::string& id);

}  // namespace catalogue
