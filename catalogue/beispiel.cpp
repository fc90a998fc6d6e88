#include "catalogue/beispiel.h"

#include <optional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "catalogue/ersatzdatei.h"
#include "catalogue/import.h"
#include "catalogue/rezeptformat.h"
#include "catalogue/tables.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "platform/text.h"

namespace catalogue {

namespace {

// The import's file dialog, answered with the sample's file.
class Beispieldatei : public ImportFilePort {
 public:
  explicit Beispieldatei(std::string path) : path_(std::move(path)) {}
  std::optional<std::string> chooseimportfile() override { return path_; }

 private:
  std::string path_;
};

std::unordered_set<std::string> namensliste(const std::string& bytes) {
  std::unordered_set<std::string> names;
  ImportLines lines(bytes);
  for (std::string line; lines.next(line);)
    if (!platform::trimview(line).empty()) names.insert(namensschluessel(line));
  return names;
}

}  // namespace

Outcome alkoholischmarkieren(Catalogue& catalogue, const std::string& listfile) {
  std::string bytes;
  if (!platform::readwhole(listfile, bytes)) return Outcome::ioerror();
  const std::unordered_set<std::string> names = namensliste(bytes);
  Zutatenschreiber& c_zutaten = catalogue.c_zutaten();
  std::vector<std::string> row;
  for (int32_t r = 0; r < c_zutaten.getrowcount(); ++r) {
    const Zutatzeile zutat = lesezutat(c_zutaten, r);
    if (zutat.alkoholisch() || !names.contains(namensschluessel(zutat.name()))) continue;
    if (!c_zutaten.getrow(r, row) || !TdbdynGrid::setsubfield(row[zutatspalte::werte], zutatfeld::alkoholisch, "1") ||
        !c_zutaten.updaterow(r, row))
      return Outcome::failed();
  }
  return catalogue.flush();
}

bool beispielanbieten(Catalogue& catalogue, const std::string& datafolder) {
  if (!catalogue.maywrite().orwarn()) return false;
  if (!platform::askquestion("Die Datenbank ist leer. Sollen die mitgelieferten Beispielrezepte geladen werden?"))
    return false;
  Beispieldatei datei(datafolder + beispielrezepte);
  Importieren1Click(catalogue, datei);
  const std::string listfile = datafolder + beispielalkoholisch;
  if (const Outcome marked = alkoholischmarkieren(catalogue, listfile); !marked && !marked.failure.empty())
    platform::showwarning("Fehler beim Lesen von " + listfile + "!\n\r" + marked.failure);
  ersatzladen(catalogue, datafolder + beispielersatz);
  return true;
}

}  // namespace catalogue
