#include "catalogue/mengen.h"

#include <cmath>
#include <optional>
#include <vector>

#include "platform/codepage.h"
#include "platform/text.h"

namespace catalogue {

namespace {

// A US fluid ounce in cl.
constexpr double unzeincl = 2.957;
// Larger quantities are no amount anyone pours; they are shown as stored.
constexpr double groesstemenge = 1e7;

struct Einheitmass {
  Masseinheit einheit;
  std::string_view name;
  double incl;     // one of it in cl
  double schritt;  // what it is rounded to
};

constexpr Einheitmass einheitmasse[] = {
    {Masseinheit::cl, "cl", 1.0, 0.1},
    {Masseinheit::ml, "ml", 0.1, 1.0},
    {Masseinheit::oz, "oz", unzeincl, 0.25},
};
// Units outside the three: to one decimal.
constexpr double andererschritt = 0.1;

const Einheitmass* umrechenbar(std::string_view einheit) {
  for (const Einheitmass& mass : einheitmasse)
    if (platform::lower(einheit) == mass.name) return &mass;
  return nullptr;
}

const Einheitmass& mass(Masseinheit einheit) { return einheitmasse[static_cast<int>(einheit)]; }

// "5", "2,5" or "2.5"; nothing for any other text.
std::optional<double> zahl(std::string_view text) {
  std::size_t komma = text.find_first_of(",.");
  if (text.empty() || komma == 0 || komma + 1 == text.size()) return std::nullopt;
  double wert = 0;
  double stelle = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == komma) continue;
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const int ziffer = text[i] - '0';
    if (komma == std::string_view::npos || i < komma)
      wert = wert * 10 + ziffer;
    else
      wert += ziffer * (stelle /= 10);
  }
  if (wert > groesstemenge) return std::nullopt;
  return wert;
}

// A number or a fraction "1/2" with a denominator other than 0.
std::optional<double> anteil(std::string_view text) {
  const std::size_t strich = text.find('/');
  if (strich == std::string_view::npos) return zahl(text);
  const std::optional<double> zaehler = zahl(text.substr(0, strich));
  const std::optional<double> nenner = zahl(text.substr(strich + 1));
  if (!zaehler || !nenner || *nenner == 0) return std::nullopt;
  return *zaehler / *nenner;
}

// The one or two ends of a quantity; empty when it is neither a number, a
// fraction nor a range of two of them.
std::vector<double> enden(std::string_view menge) {
  const std::size_t strich = menge.find('-');
  std::vector<std::string_view> teile{menge.substr(0, strich)};
  if (strich != std::string_view::npos) teile.push_back(menge.substr(strich + 1));
  std::vector<double> werte;
  for (const std::string_view teil : teile) {
    const std::optional<double> wert = anteil(teil);
    if (!wert) return {};
    werte.push_back(*wert);
  }
  return werte;
}

// The amount rounded to the step, never to 0 when it was more; decimal comma,
// no trailing zeros.
std::string geschrieben(double wert, double schritt) {
  double gerundet = std::round(wert / schritt) * schritt;
  if (gerundet == 0 && wert > 0) gerundet = schritt;
  const long long hundertstel = std::llround(gerundet * 100);
  std::string text = std::to_string(hundertstel / 100);
  const long long rest = hundertstel % 100;
  if (rest == 0) return text;
  text += ',' + std::to_string(rest / 10);
  if (rest % 10 != 0) text += std::to_string(rest % 10);
  return text;
}

}  // namespace

std::string einheitwahl(Masseinheit einheit) {
  return einheit == Masseinheit::oz ? "oz (US)" : std::string(mass(einheit).name);
}

Menge portioniert(std::string_view menge, std::string_view einheit, const Portionen& portionen) {
  const Einheitmass* von = umrechenbar(einheit);
  const Einheitmass* nach = von ? &mass(portionen.einheit) : nullptr;
  if (menge.empty() || (portionen.glaeser == 1 && von == nach)) return {std::string(menge), std::string(einheit)};
  const std::vector<double> werte = enden(menge);
  if (werte.empty()) {
    const std::string mal = portionen.glaeser == 1 ? "" : std::string(" ×"_cp) + std::to_string(portionen.glaeser);
    return {std::string(menge) + mal, std::string(einheit)};
  }
  std::string text;
  for (const double wert : werte) {
    if (!text.empty()) text += '-';
    const double skaliert = wert * portionen.glaeser;
    text +=
        nach ? geschrieben(skaliert * von->incl / nach->incl, nach->schritt) : geschrieben(skaliert, andererschritt);
  }
  return {text, nach ? std::string(nach->name) : std::string(einheit)};
}

}  // namespace catalogue
