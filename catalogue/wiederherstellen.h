// "Datenbank wiederherstellen…": a backup's tables in place of the
// catalogue's, as one command.
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/ports.h"

namespace catalogue {

// Asks for a backup folder and checks it: every table file and the status
// file there, each table loading without a warning, no unfinished command's
// journal. Then asks once, "Nein" the default, and replaces the tables
// through the journal, so that a power cut leaves the old tables or the
// backup's, never a mix. True when the catalogue holds the backup's tables.
bool Datenbankwiederherstellen1Click(Catalogue& catalogue, ExportPort& dialogs);

}  // namespace catalogue
