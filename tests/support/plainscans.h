// The search and the editor filling done exactly as the table scans describe
// them, one scan of the link and ingredient tables per recipe or ingredient:
// the yardstick for the faster versions in tests and benchmarks.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/anzeigetexte.h"
#include "catalogue/recipeview.h"
#include "catalogue/search.h"
#include "catalogue/tables.h"
#include "catalogue/zutatenedit_model.h"
#include "platform/collation.h"
#include "platform/text.h"
#include "tests/support/recording_progress.h"

namespace testsupport {

using catalogue::Alkoholwahl;
using catalogue::ResultRow;
using catalogue::SearchSettings;
using catalogue::Suchbereich;

// The search exactly as the scans describe it: laderezept for every recipe.
inline catalogue::SearchResult plainsearch(catalogue::Rezeptetabelle rezepte, catalogue::Rezeptezutatentabelle links,
                                           catalogue::Zutatentabelle zutaten, const SearchSettings& settings,
                                           RecordingProgress& progress, const catalogue::Ersatzliste& ersatz = {}) {
  const std::string term = platform::lower(platform::trim(settings.suchbegriff));
  catalogue::SearchResult result;
  const int32_t n = rezepte->getrowcount();
  for (int32_t i = 1; i <= n; ++i) {
    progress.zeigefortschritt(catalogue::fortschrittprozent(i, n));
    const std::string id = rezepte->getcell(0, i - 1);
    const std::string name = TdbdynGrid::getsubfield(rezepte->getcell(1, i - 1), 1);
    const std::string rating = TdbdynGrid::getsubfield(rezepte->getcell(1, i - 1), 2);
    if (n > 1 && catalogue::geloescht(rezepte, i - 1, catalogue::leserezept(rezepte, i - 1))) continue;
    bool termok = term.empty() || platform::lower(platform::trim(name)).find(term) != std::string::npos;
    bool alkok = settings.alkohol == Alkoholwahl::egal;
    bool verfok = !settings.nurverfuegbar;
    bool all = true;
    bool alk = false;
    catalogue::rrezept list;
    if (catalogue::laderezept(links, zutaten, id, list, ersatz)) {
      for (const catalogue::rrezepteintrag& entry : list) {
        if (!entry.verfuegbar) all = false;
        if (entry.alkoholisch) alk = true;
        if (settings.bereich == Suchbereich::rezeptzusaetzlich &&
            platform::lower(platform::trim(entry.zutatname)).find(term) != std::string::npos)
          termok = true;
      }
      verfok = settings.nurverfuegbar ? all : true;
      if (settings.alkohol == Alkoholwahl::ja) alkok = alk;
      if (settings.alkohol == Alkoholwahl::nein) alkok = !alk;
    }
    if (termok && alkok && verfok)
      result.rows.push_back(
          {name, catalogue::wertungtostern(rating), catalogue::janein(alk), catalogue::janein(all), id});
  }
  std::stable_sort(result.rows.begin(), result.rows.end(), [](const ResultRow& a, const ResultRow& b) {
    return platform::comparenames(a.caption, b.caption) < 0;
  });
  result.hitcount = std::to_string(result.rows.size()) + " Suchergebnisse";
  progress.close();
  return result;
}

// The editor's rows exactly as described: one scan of the links per ingredient.
inline std::vector<catalogue::Gridzeile> plainrows(catalogue::Zutatentabelle zutaten,
                                                   catalogue::Rezeptezutatentabelle links,
                                                   RecordingProgress& progress) {
  std::vector<catalogue::Gridzeile> rows;
  const int32_t n = zutaten->getrowcount();
  for (int32_t f = 1; f <= n; ++f) {
    progress.zeigefortschritt(catalogue::fortschrittprozent(f, n));
    const std::string key = zutaten->getcell(0, f - 1);
    const std::string record = zutaten->getcell(1, f - 1);
    int32_t count = 0;
    for (int32_t r = 0; r < links->getrowcount(); ++r)
      if (platform::trim(links->getcell(1, r)) == platform::trim(key)) ++count;
    catalogue::Gridzeile row;
    row[0] = TdbdynGrid::getsubfield(record, 1);
    row[1] = std::to_string(count);
    row[2] = catalogue::flaggesetzt(TdbdynGrid::getsubfield(record, 3)) ? "Ja" : "Nein";
    row[3] = catalogue::flaggesetzt(TdbdynGrid::getsubfield(record, 2)) ? "Ja" : "Nein";
    row[5] = std::to_string(f - 1);
    row[6] = key;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace testsupport
