// What the recipe window asks before it saves, so that nothing changes
// without a word: characters the tables cannot hold, a name another recipe
// has already, and ingredients the catalogue does not know yet.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/rezeptedit_model.h"

namespace catalogue {

// The characters of the recipe that the tables cannot hold, each once in the
// order found: "¡" and "¿", which separate columns and subfields, anywhere,
// and "¶" in the preparation. They are stored as blanks.
std::string nichtspeicherbar(const Rezeptentwurf& entwurf);

// Whether a recipe other than the one with the id (none for "") has the
// name, compared as the import compares names: trimmed, a-z ignoring case.
bool namevergeben(const Catalogue& catalogue, std::string_view name, const std::string& id);

// Up to three of the known names that look like name: the same letters in
// another case, one containing the other, or at most two letters apart;
// the closest first.
std::vector<std::string> aehnlichenamen(std::string_view name, const std::vector<std::string>& bekannte);

// The line of the first ingredient name the save would add to the catalogue,
// for each such name once, in the order of the lines.
struct Neuezutat {
  int32_t zeile;
  std::string name;
};
std::vector<Neuezutat> neuezutaten(const Catalogue& catalogue, const std::vector<Zutatenzeile>& zeilen);

// The questions before a save, asked in that order, each needing "Ja":
// the characters that would be lost, then (unless the recipe is refused
// with the save's own warning) a name already taken, and each new
// ingredient with its similar known names. zeile is the line whose new
// ingredient was refused, -1 for none.
struct Vorpruefung {
  bool speichern;
  int32_t zeile;
};
Vorpruefung vorpruefen(const Catalogue& catalogue, const Rezeptentwurf& entwurf,
                       const std::vector<std::string>& zutatennamen);

}  // namespace catalogue
