#include "catalogue/barkarte.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "catalogue/recipeview.h"
#include "catalogue/tables.h"
#include "platform/codepage.h"

namespace catalogue {

namespace {

// The wanted recipes by number, each with the places on the card it takes.
using Gesucht = std::unordered_map<int32_t, std::vector<std::size_t>>;

// Names from c_rezepte; the first row of an id counts, as in the info box.
void namen(Rezeptetabelle c_rezepte, const Gesucht& gesucht, std::vector<Kartenrezept>& karte,
           std::vector<bool>& gefunden) {
  for (int32_t row = 0; row < c_rezepte->getrowcount(); ++row) {
    const Rezeptzeile rezept = leserezept(c_rezepte, row);
    const auto it = gesucht.find(idnummer(rezept.id(), linkersatz));
    if (it == gesucht.end() || gefunden[it->second.front()]) continue;
    for (const std::size_t platz : it->second) {
      karte[platz].name = rezept.name();
      gefunden[platz] = true;
    }
  }
}

// The lines of every wanted recipe, in the order laderezept gives them.
std::unordered_map<int32_t, rrezept> zeilen(const Catalogue& catalogue, const Gesucht& gesucht) {
  const Rezeptezutatentabelle c_rezeptezutaten = catalogue.rezeptezutaten();
  std::unordered_map<int32_t, std::vector<int32_t>> links;
  for (int32_t row = 0; row < c_rezeptezutaten->getrowcount(); ++row) {
    const int32_t rezept = idnummer(leserezeptzutat(c_rezeptezutaten, row).rezeptid(), linkersatz);
    if (gesucht.contains(rezept)) links[rezept].push_back(row);
  }
  std::unordered_map<int32_t, rrezept> listen;
  std::unordered_map<int32_t, std::string> zutatnamen;
  for (auto& [rezept, rows] : links) {
    insatzfolge(c_rezeptezutaten.tabelle, rows);
    for (const int32_t row : rows) listen[rezept].push_back(linkeintrag(c_rezeptezutaten, row));
    for (const rrezepteintrag& entry : listen[rezept]) zutatnamen[idnummer(entry.zutatid, linkersatz)];
  }
  const Zutatentabelle c_zutaten = catalogue.zutaten();
  for (int32_t row = 0; row < c_zutaten->getrowcount(); ++row) {
    const Zutatzeile zutat = lesezutat(c_zutaten, row);
    const auto it = zutatnamen.find(idnummer(zutat.id(), zeilenersatz));
    if (it != zutatnamen.end()) it->second = zutat.name();  // a later row of the same id wins
  }
  for (auto& [rezept, list] : listen)
    for (rrezepteintrag& entry : list) entry.zutatname = zutatnamen[idnummer(entry.zutatid, linkersatz)];
  return listen;
}

// Preparations; the first row of an id counts, as in the info box.
void zubereitungen(Zubereitungentabelle c_zubereitungen, const Gesucht& gesucht, std::vector<Kartenrezept>& karte) {
  std::vector<bool> gesetzt(karte.size());
  for (int32_t row = 0; row < c_zubereitungen->getrowcount(); ++row) {
    const auto it = gesucht.find(idnummer(c_zubereitungen->cellview(zubereitungspalte::rezeptid, row), linkersatz));
    if (it == gesucht.end() || gesetzt[it->second.front()]) continue;
    for (const std::size_t platz : it->second) {
      karte[platz].zubereitung = c_zubereitungen->cellview(zubereitungspalte::text, row);
      gesetzt[platz] = true;
    }
  }
}

// Quantity, unit and name, each that is there followed by one blank.
std::string kartenzeile(const rrezepteintrag& entry) {
  std::string zeile;
  for (const std::string* teil : {&entry.menge, &entry.einheit, &entry.zutatname})
    if (!teil->empty()) zeile += (zeile.empty() ? "" : " ") + *teil;
  return zeile;
}

}  // namespace

std::vector<Kartenrezept> kartenrezepte(const Catalogue& catalogue, const std::vector<std::string>& ids,
                                        const Portionen& portionen) {
  Gesucht gesucht;
  for (std::size_t i = 0; i < ids.size(); ++i) gesucht[idnummer(ids[i], zeilenersatz)].push_back(i);
  std::vector<Kartenrezept> karte(ids.size());
  std::vector<bool> gefunden(ids.size());
  namen(catalogue.rezepte(), gesucht, karte, gefunden);
  zubereitungen(catalogue.zubereitungen(), gesucht, karte);
  for (auto& [rezept, list] : zeilen(catalogue, gesucht)) {
    portionieren(list, portionen);
    for (const std::size_t platz : gesucht[rezept])
      for (const rrezepteintrag& entry : list) karte[platz].zutaten.push_back(kartenzeile(entry));
  }
  std::vector<Kartenrezept> gedruckt;
  for (std::size_t i = 0; i < karte.size(); ++i)
    if (gefunden[i]) gedruckt.push_back(std::move(karte[i]));
  return gedruckt;
}

std::vector<std::string> kartenkopf(const std::string& datum, std::size_t anzahl, const Portionen& portionen) {
  const std::string rezepte = std::to_string(anzahl) + (anzahl == 1 ? " Rezept" : " Rezepte");
  const std::string glaeser =
      std::to_string(portionen.glaeser) + (portionen.glaeser == 1 ? " Glas" : std::string(" Gläser"_cp));
  return {"Barkarte", datum + std::string(" – "_cp) + rezepte,
          std::string("Mengen für "_cp) + glaeser + " in " + einheitwahl(portionen.einheit)};
}

std::string seitenfuss(int32_t seite, int32_t seiten) {
  return "Seite " + std::to_string(seite) + " von " + std::to_string(seiten);
}

std::vector<Kartenplatz> seitenumbruch(const std::vector<int32_t>& hoehen, const Seitenmasse& masse) {
  std::vector<Kartenplatz> plaetze;
  int32_t seite = 0;
  int32_t unten = masse.kopf;  // the lowest point used on the page
  for (const int32_t hoehe : hoehen) {
    const double mass = hoehe > masse.hoehe ? static_cast<double>(masse.hoehe) / hoehe : 1.0;
    const auto gemalt = static_cast<int32_t>(std::ceil(hoehe * mass));
    int32_t oben = unten == 0 ? 0 : unten + masse.abstand;
    if (unten > 0 && oben + gemalt > masse.hoehe) {
      ++seite;
      oben = 0;
    }
    plaetze.push_back({seite, oben, mass});
    unten = oben + gemalt;
  }
  return plaetze;
}

}  // namespace catalogue
