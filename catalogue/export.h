// Getting the recipes out again: the export as an import file, and the
// backup of the database's files.
#pragma once

#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"

namespace catalogue {

// Every recipe in table order, in the import's format: the name, "Zutaten:",
// one line per ingredient, "Zubereitung: " and the preparation when there is
// one, a blank line; CR LF, the tables' own bytes. Importing it into an empty
// catalogue gives the same recipes, lines, preparations and ingredient names.
std::string exporttext(const Catalogue& catalogue);

// "Rezepte exportieren…": asks for a file and writes the export there, and
// the substitutes, when there are any, beside it (ersatzdateizu). The files
// appear whole or not at all.
void Rezepteexportieren1Click(const Catalogue& catalogue, ExportPort& dialogs);

// "Datenbank sichern…": asks for a folder and copies the table files and the
// status file into it, as one state: they are read first, then written
// beside their names and only then renamed into place.
void Datenbanksichern1Click(const Catalogue& catalogue, ExportPort& dialogs);

}  // namespace catalogue
