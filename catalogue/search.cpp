#include "catalogue/search.h"

#include <algorithm>

#include "catalogue/anzeigetexte.h"
#include "catalogue/tables.h"
#include "platform/text.h"

namespace catalogue {

namespace {

// Whether the name, lower-cased, contains the term; lower-cased in a buffer
// kept for the whole search.
bool nameenthaelt(std::string_view name, const std::string& term, std::string& buffer) {
  buffer.resize(name.size());
  std::transform(name.begin(), name.end(), buffer.begin(), platform::lowerchar);
  return buffer.find(term) != std::string::npos;
}

// The filters for one recipe row. A recipe without lines passes the
// alcohol and availability filters only when they let everything pass, and
// its term rests on its name alone; treffer tells, per ingredient slot,
// whether the ingredient's name holds the term (empty when the scope is the
// name alone).
bool gelistet(const Rezeptfakten& fakten, int32_t row, std::string_view name, const std::string& term,
              const std::vector<char>& treffer, const SearchSettings& settings, std::string& buffer) {
  const bool zeilen = fakten.hatzeilen(row);
  bool alkpassed = settings.alkohol == Alkoholwahl::egal;
  if (zeilen && settings.alkohol != Alkoholwahl::egal)
    alkpassed = fakten.alkoholisch(row) == (settings.alkohol == Alkoholwahl::ja);
  const bool verfpassed = !settings.nurverfuegbar || (zeilen && fakten.alleverfuegbar(row));
  if (!alkpassed || !verfpassed) return false;
  if (term.empty() || nameenthaelt(name, term, buffer)) return true;
  if (treffer.empty()) return false;
  for (const int32_t slot : fakten.zeilen(row))
    if (slot >= 0 && treffer[static_cast<std::size_t>(slot)] != 0) return true;
  return false;
}

// Per ingredient slot, whether its name holds the term, for the scope that
// searches the ingredients too; empty for the name alone.
std::vector<char> zutattreffer(const Rezeptfakten& fakten, const std::string& term, const SearchSettings& settings) {
  std::vector<char> treffer;
  if (settings.bereich != Suchbereich::rezeptzusaetzlich || term.empty()) return treffer;
  for (std::size_t slot = 0; slot < fakten.zutatenzahl(); ++slot)
    treffer.push_back(fakten.zutat(static_cast<int32_t>(slot)).suchname.find(term) != std::string::npos ? 1 : 0);
  return treffer;
}

}  // namespace

bool geloescht(Rezeptetabelle c_rezepte, int32_t row, const Rezeptzeile& rezept) {
  return rezept.id().empty() && rezept.zellen[rezeptspalte::werte].empty() && !c_rezepte->recordnumber(row);
}

Suchtreffer suche(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
                  Ersatztabelle c_ersatz, Namensordnung& namensordnung, Rezeptfakten& fakten,
                  const SearchSettings& settings, ProgressPort& progress) {
  const std::string term = platform::lower(platform::trim(settings.suchbegriff));
  fakten.fuer(c_rezepte, c_rezeptezutaten, c_zutaten, c_ersatz);
  const std::vector<char> treffer = zutattreffer(fakten, term, settings);
  const int32_t n = c_rezepte->getrowcount();
  // The hits' texts are copied in table order, as the rows lie in memory;
  // nummern ties each listed row to its hit.
  Suchtreffer out;
  std::vector<int32_t> nummern(static_cast<std::size_t>(n), -1);
  std::string buffer;
  for (int32_t row = 0; row < n; ++row) {
    progress.zeigefortschritt(fortschrittprozent(row + 1, n));
    if (n > 1 && fakten.geloescht(row)) continue;
    const Rezeptzeile rezept = leserezept(c_rezepte, row);
    if (!gelistet(fakten, row, rezept.name(), term, treffer, settings, buffer)) continue;
    nummern[static_cast<std::size_t>(row)] = static_cast<int32_t>(out.liste.dazu(
        rezept.name(), rezept.wertung(), rezept.id(), fakten.alkoholisch(row), fakten.alleverfuegbar(row)));
  }
  // The hits in the order of their names.
  std::vector<int32_t> folge;
  for (const int32_t row : namensordnung.fuer(c_rezepte))
    if (nummern[static_cast<std::size_t>(row)] >= 0) folge.push_back(nummern[static_cast<std::size_t>(row)]);
  out.liste.folge(std::move(folge));
  out.hitcount = std::to_string(out.liste.size()) + " Suchergebnisse";
  progress.close();
  return out;
}

Suchtreffer suche(const Catalogue& catalogue, const SearchSettings& settings, ProgressPort& progress) {
  return suche(catalogue.rezepte(), catalogue.rezeptezutaten(), catalogue.zutaten(), catalogue.ersatz(),
               catalogue.namensordnung(), catalogue.rezeptfakten(), settings, progress);
}

SearchResult b_suchenClick(Rezeptetabelle c_rezepte, Rezeptezutatentabelle c_rezeptezutaten, Zutatentabelle c_zutaten,
                           Ersatztabelle c_ersatz, Namensordnung& namensordnung, Rezeptfakten& fakten,
                           const SearchSettings& settings, ProgressPort& progress) {
  Suchtreffer treffer =
      suche(c_rezepte, c_rezeptezutaten, c_zutaten, c_ersatz, namensordnung, fakten, settings, progress);
  SearchResult result{{}, std::move(treffer.hitcount)};
  for (std::size_t i = 0; i < treffer.liste.size(); ++i) result.rows.push_back(treffer.liste.zeile(i));
  return result;
}

SearchResult b_suchenClick(const Catalogue& catalogue, const SearchSettings& settings, ProgressPort& progress) {
  return b_suchenClick(catalogue.rezepte(), catalogue.rezeptezutaten(), catalogue.zutaten(), catalogue.ersatz(),
                       catalogue.namensordnung(), catalogue.rezeptfakten(), settings, progress);
}

}  // namespace catalogue
