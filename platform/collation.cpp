#include "platform/collation.h"

#include <unicode/coll.h>
#include <unicode/tblcoll.h>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/uiter.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <string>

namespace platform {

namespace {

// German order as the word sort gives it: the hyphen and the apostrophe are
// ignorable, and identical strength breaks the remaining ties (Mai-Tai/MaiTai).
class NameCollator {
 public:
  NameCollator() {
    UErrorCode status = U_ZERO_ERROR;
    converter_ = ucnv_open("windows-1252", &status);
    if (U_FAILURE(status)) converter_ = nullptr;

    status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> german(icu::Collator::createInstance(icu::Locale("de", "DE"), status));
    const auto* rulebased = dynamic_cast<const icu::RuleBasedCollator*>(german.get());
    if (U_FAILURE(status) || rulebased == nullptr) return;
    icu::UnicodeString rules = rulebased->getRules();
    rules += icu::UnicodeString(u"&[last tertiary ignorable]=\\-=''");
    status = U_ZERO_ERROR;
    auto tailored = std::make_unique<icu::RuleBasedCollator>(rules, status);
    if (U_FAILURE(status)) return;
    tailored->setStrength(icu::Collator::IDENTICAL);
    keycollator_.reset(tailored->clone());
    if (keycollator_ != nullptr) keycollator_->setStrength(icu::Collator::TERTIARY);
    collator_ = std::move(tailored);
    if (usable()) learnprimaries();
  }
  ~NameCollator() {
    if (converter_ != nullptr) ucnv_close(converter_);
  }
  NameCollator(const NameCollator&) = delete;
  NameCollator& operator=(const NameCollator&) = delete;

  bool usable() const { return collator_ != nullptr && keycollator_ != nullptr && converter_ != nullptr; }

  int compare(std::string_view a, std::string_view b) {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = collator_->compare(unicode(a), unicode(b), status);
    return U_FAILURE(status) ? bytewise(a, b) : static_cast<int>(result);
  }

  std::string sortkey(std::string_view text) {
    const icu::UnicodeString u = unicode(text);
    std::string key(64, '\0');
    auto* bytes = reinterpret_cast<uint8_t*>(key.data());
    int32_t length = keycollator_->getSortKey(u, bytes, static_cast<int32_t>(key.size()));
    if (length > static_cast<int32_t>(key.size())) {
      key.resize(static_cast<std::size_t>(length));
      length = keycollator_->getSortKey(u, reinterpret_cast<uint8_t*>(key.data()), length);
    }
    key.resize(static_cast<std::size_t>(length));
    return key;
  }

  std::array<unsigned char, sortkeyprefixbytes> sortkeyprefix(std::string_view text) {
    std::array<unsigned char, sortkeyprefixbytes> prefix{};
    if (asciiprefix(text, prefix)) return prefix;
    const icu::UnicodeString u = unicode(text);
    UCharIterator iterator;
    uiter_setString(&iterator, u.getBuffer(), u.length());
    uint32_t state[2] = {0, 0};
    UErrorCode status = U_ZERO_ERROR;
    ucol_nextSortKeyPart(keycollator_->toUCollator(), &iterator, state, prefix.data(),
                         static_cast<int32_t>(prefix.size()), &status);
    std::fill(std::find(prefix.begin(), prefix.end(), levelseparator), prefix.end(), 0);
    return prefix;
  }

  static int bytewise(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }

 private:
  icu::UnicodeString unicode(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    return icu::UnicodeString(text.data(), static_cast<int32_t>(text.size()), converter_, status);
  }

  // The key's first level: its bytes up to the first level separator.
  static constexpr unsigned char levelseparator = 1;
  static std::string firstlevel(const std::string& key) { return key.substr(0, key.find(char{levelseparator})); }

  // The first level of a text of bytes 1 to 127 is the first levels of its
  // bytes one after the other (no byte there forms a unit with the next one):
  // learnt from the collation for each byte and checked for all pairs, so
  // that such a text needs none of the collation's work per character.
  void learnprimaries() {
    std::array<std::string, 128> levels;
    for (std::size_t c = 1; c < levels.size(); ++c) {
      levels[c] = firstlevel(sortkey(std::string(1, char(c))));
      if (levels[c].size() > Weights{}.bytes.size()) return;
    }
    // Every pair of such bytes side by side, in one text.
    std::string pairs;
    std::string expected;
    for (std::size_t a = 1; a < levels.size(); ++a)
      for (std::size_t b = 1; b < levels.size(); ++b) {
        pairs += {char(a), char(b)};
        expected += levels[a] + levels[b];
      }
    if (firstlevel(sortkey(pairs)) != expected) return;
    for (std::size_t c = 1; c < levels.size(); ++c) {
      primaries_[c].length = levels[c].size();
      std::copy(levels[c].begin(), levels[c].end(), primaries_[c].bytes.begin());
    }
    asciiprimaries_ = true;
  }

  // The first bytes of the text's first level, when it holds bytes 1 to 127 only.
  bool asciiprefix(std::string_view text, std::array<unsigned char, sortkeyprefixbytes>& prefix) const {
    if (!asciiprimaries_) return false;
    std::array<unsigned char, sortkeyprefixbytes + Weights{}.bytes.size()> bytes{};  // room for whole weights
    std::size_t n = 0;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte == 0 || byte >= primaries_.size()) return false;
      if (n >= prefix.size()) continue;  // the rest of the text is only checked
      // All of the weights' bytes are copied; those behind its length are zero.
      std::copy_n(primaries_[byte].bytes.begin(), primaries_[byte].bytes.size(), bytes.begin() + n);
      n += primaries_[byte].length;
    }
    std::copy_n(bytes.begin(), prefix.size(), prefix.begin());
    return true;
  }

  // A byte's first-level weights: at most three bytes, zero behind them.
  struct Weights {
    std::size_t length = 0;
    std::array<unsigned char, 3> bytes{};
  };
  std::array<Weights, 128> primaries_;
  bool asciiprimaries_ = false;
  UConverter* converter_ = nullptr;
  std::unique_ptr<icu::RuleBasedCollator> collator_;
  // The same order without its last level: keys about half as long, equal
  // for names that differ only in hyphens and apostrophes.
  std::unique_ptr<icu::RuleBasedCollator> keycollator_;
};

// Building the collator takes milliseconds, so it is built once.
NameCollator& namecollator() {
  static NameCollator collator;
  return collator;
}

}  // namespace

int comparenames(std::string_view a, std::string_view b) {
  NameCollator& collator = namecollator();
  return collator.usable() ? collator.compare(a, b) : NameCollator::bytewise(a, b);
}

std::string namesortkey(std::string_view text) {
  NameCollator& collator = namecollator();
  return collator.usable() ? collator.sortkey(text) : std::string(text);
}

std::array<unsigned char, sortkeyprefixbytes> namesortkeyprefix(std::string_view text) {
  NameCollator& collator = namecollator();
  if (collator.usable()) return collator.sortkeyprefix(text);
  std::array<unsigned char, sortkeyprefixbytes> prefix{};
  std::copy_n(text.begin(), std::min(text.size(), prefix.size()), prefix.begin());
  return prefix;
}

}  // namespace platform
