// The substitutes as a text file, one relation a line: "Limette =>
// Limettensaft", the substitute first, then the ingredient it stands in for.
// The program ships such a list beside its sample, the export writes one
// beside its recipes, and the import reads one that lies beside its file.
#pragma once

#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/outcome.h"

namespace catalogue {

inline constexpr const char* ersatzpfeil = "=>";

// The catalogue's relations as lines of that form, CR LF, in table order;
// relations naming an ingredient without a row are left out.
std::string ersatztext(const Catalogue& catalogue);

// The list that goes with a recipes file: its name without the extension,
// then ".ersatz.txt", in the same folder.
std::string ersatzdateizu(const std::string& rezeptdatei);

// What reading a list added: new relations, and lines skipped because they
// name an ingredient the catalogue does not have (or are no relation).
struct Ersatzeinlesung {
  int neu = 0;
  int uebersprungen = 0;
};

// Adds the file's relations to c_ersatz in one commit. Names are compared
// trimmed with a-z case ignored, as the import compares them; no ingredient
// is made. Empty lines and lines starting with "#" are passed over, as are
// relations already there or of an ingredient to itself.
Outcome ersatzeinlesen(Catalogue& catalogue, const std::string& path, Ersatzeinlesung& ergebnis);

// Reads the list with its boxes: a warning when it cannot be read, and one
// information box counting the lines skipped, if any.
void ersatzladen(Catalogue& catalogue, const std::string& path);

}  // namespace catalogue
