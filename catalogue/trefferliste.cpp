#include "catalogue/trefferliste.h"

#include "catalogue/anzeigetexte.h"

namespace catalogue {

std::size_t Trefferliste::dazu(std::string_view name, std::string_view wertung, std::string_view id, bool alkoholisch,
                               bool alleverfuegbar) {
  eintraege_.push_back({texte_.size(), static_cast<uint32_t>(name.size()), static_cast<uint32_t>(wertung.size()),
                        static_cast<uint32_t>(id.size()), alkoholisch, alleverfuegbar});
  ((texte_ += name) += wertung) += id;
  return eintraege_.size() - 1;
}

ResultRow Trefferliste::zeile(std::size_t row) const {
  const int32_t nummer = folge_[row];
  if (const auto found = gesetzt_.find(nummer); found != gesetzt_.end()) return found->second;
  const Eintrag& e = eintraege_[static_cast<std::size_t>(nummer)];
  return {std::string(text(e.beginn, e.name)), wertungtostern(text(e.beginn + e.name, e.wertung)),
          janein(e.alkoholisch), janein(e.alleverfuegbar), std::string(text(e.beginn + e.name + e.wertung, e.id))};
}

std::string Trefferliste::id(std::size_t row) const {
  const int32_t nummer = folge_[row];
  if (const auto found = gesetzt_.find(nummer); found != gesetzt_.end()) return found->second.id;
  const Eintrag& e = eintraege_[static_cast<std::size_t>(nummer)];
  return std::string(text(e.beginn + e.name + e.wertung, e.id));
}

void Trefferliste::setzen(std::size_t row, ResultRow values) { gesetzt_[folge_[row]] = std::move(values); }

void Trefferliste::entfernen(std::size_t row) {
  gesetzt_.erase(folge_[row]);
  folge_.erase(folge_.begin() + static_cast<std::ptrdiff_t>(row));
}

void Trefferliste::einfuegen(std::size_t row, ResultRow values) {
  const auto nummer = static_cast<int32_t>(eintraege_.size());
  eintraege_.emplace_back();  // its texts are the ones set
  gesetzt_[nummer] = std::move(values);
  folge_.insert(folge_.begin() + static_cast<std::ptrdiff_t>(row), nummer);
}

}  // namespace catalogue
