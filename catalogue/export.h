// Getting the recipes out again: the export as an import file, and the
// backup of the database's files.
#pragma once

#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"

namespace catalogue {

// Every recipe in table order, in the recipe format (rezeptformat.h): the
// name, "Zutaten:", one line per ingredient, "Zubereitung: " and the
// preparation when there is one, a blank line; CR LF, the tables' own bytes.
// Importing it into an empty catalogue gives the same recipes, lines,
// preparations and ingredient names.
std::string exporttext(const Catalogue& catalogue);

// "Rezepte exportieren…": asks for a file and writes the export there, and
// the substitutes, when there are any, beside it (ersatzdateizu). The files
// appear whole or not at all.
void Rezepteexportieren1Click(const Catalogue& catalogue, ExportPort& dialogs);

// "Datenbank sichern…": asks for a folder and copies the table files and the
// status file into it, as one state: read under the database's lock, written
// into a new folder beside it, and only then swapped into its place. Refused
// for the database's own folder, for a folder that holds other files, and
// while an unfinished command's journal waits.
void Datenbanksichern1Click(const Catalogue& catalogue, ExportPort& dialogs);

}  // namespace catalogue
