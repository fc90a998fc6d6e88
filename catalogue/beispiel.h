// The sample recipes that come with the program, offered on a start that
// has just made an empty database.
#pragma once

#include <string>

#include "catalogue/catalogue.h"

namespace catalogue {

// The files of the sample in datafolder (ending with "/"): the recipes, the
// names of their alcoholic ingredients, one a line, and the substitutes.
inline constexpr const char* beispielrezepte = "rezepte.txt";
inline constexpr const char* beispielalkoholisch = "alkoholisch.txt";
inline constexpr const char* beispielersatz = "ersatz.txt";

// Asks whether to load the sample; on "Ja" imports it as the import does
// (with its boxes), marks the listed ingredients as alcoholic and adds the
// substitutes. True when it was loaded, false when it was not asked for.
bool beispielanbieten(Catalogue& catalogue, const std::string& datafolder);

// Marks every ingredient named in the list file (Windows-1252, compared with
// ASCII case folded, as the import compares names) as alcoholic.
Outcome alkoholischmarkieren(Catalogue& catalogue, const std::string& listfile);

}  // namespace catalogue
