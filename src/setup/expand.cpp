// Text expansion: product display name, company names and the Windows
// version named in a text; and the cache that owns every expanded text.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "setup/catalog.h"
#include "setup/state.h"

namespace setup {

// ---------------------------------------------------------------- cache

bool ExpansionCache::Contains(const char* text) const {
  if (text == nullptr) return false;
  return std::find(recorded_.begin(), recorded_.end(), text) != recorded_.end();
}

// The first kSlots records are the cache's regular slots. A run that records
// more keeps recording beyond them rather than dropping or reusing a slot:
// every text handed out must stay valid, and be recognised, until the
// process ends.
void ExpansionCache::Record(const char* text) {
  if (text == nullptr) return;
  if (recorded_.capacity() < kSlots) recorded_.reserve(kSlots);
  recorded_.push_back(text);
}

char* ExpansionCache::Adopt(std::string text) {
  auto owned = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(owned.get(), text.c_str(), text.size() + 1);
  char* address = owned.get();
  owned_.push_back(std::move(owned));
  Record(address);
  return address;
}

// Forgets which texts were handed out. The texts themselves stay owned by
// the cache, so a pointer a caller still holds never dangles.
void ExpansionCache::Clear() { recorded_.clear(); }

// ---------------------------------------------------------------- expansion

namespace {

constexpr std::string_view kProductPlaceholder = "Halvorn+";
constexpr std::string_view kCompanyShortMarker = "!!co_shrt!!";
constexpr std::string_view kCompanyLongMarker = "!!co_long!!";
constexpr std::string_view kAllPlatforms = "95/98/NT";

// "Halvorn" gives "Halvorn+" ("Halvorn SE" for the SE edition), "Pellidor"
// gives "Pellidor+"; any other product name is shown as it is.
std::string DisplayName(const SetupState& state) {
  const std::string& prd = state.values.prd;
  const char* suffix = state.seEdition ? " SE" : "+";
  std::string name = prd;
  if (prd.find("Halvorn") != std::string::npos) name += suffix;
  if (prd.find("Pellidor") != std::string::npos) name += suffix;
  return name;
}

// Rewrites the "95" naming the platform, in the text itself: on Windows NT
// its first two occurrences become "NT", on Windows 98 the first becomes
// "98". A text that names all three platforms is left alone.
void RewritePlatform(const SetupState& state, char* text) {
  if (std::strstr(text, kAllPlatforms.data()) != nullptr) return;
  char* found = std::strstr(text, "95");
  if (found != nullptr) {
    if (state.windowsNt) {
      found[0] = 'N';
      found[1] = 'T';
    } else if (state.windows98) {
      found[1] = '8';
    }
  }
  if (state.windowsNt) {
    found = std::strstr(text, "95");
    if (found != nullptr) {
      found[0] = 'N';
      found[1] = 'T';
    }
  }
}

// Replaces every occurrence of `marker`, left to right; the search resumes
// right after each inserted value, so a value that itself contains the
// marker is not expanded again. A marker that begins right where an
// inserted value ends is replaced too.
bool ReplaceAll(std::string* text, std::string_view marker, const std::string& value) {
  std::size_t pos = text->find(marker);
  if (pos == std::string::npos) return false;
  while (pos != std::string::npos) {
    text->replace(pos, marker.size(), value);
    pos = text->find(marker, pos + value.size());
  }
  return true;
}

}  // namespace

char* ExpandText(SetupState& state, char* text) {
  if (text == nullptr) {
    // Nothing to expand: hand back an empty text that is always there.
    return state.catalog.Text(MSG_COUNT, 0);
  }

  // 1. A text handed out before comes back as it is.
  if (state.expansionCache.Contains(text)) return text;

  // 2. The product's display name.
  const std::string displayName = DisplayName(state);

  // 3. The platform named in the text, rewritten where it lies.
  RewritePlatform(state, text);

  // 4.-6. Product and company names, each into a new text when its marker
  // occurs. Working in a growing string keeps any number of markers and any
  // length of name within bounds.
  std::string expanded = text;
  bool replaced = false;
  replaced |= ReplaceAll(&expanded, kProductPlaceholder, displayName);
  replaced |= ReplaceAll(&expanded, kCompanyShortMarker, state.companyShort);
  replaced |= ReplaceAll(&expanded, kCompanyLongMarker, state.companyLong);

  // 7. Record and return: the new text, or the given one when nothing was
  // replaced.
  if (!replaced) {
    state.expansionCache.Record(text);
    return text;
  }
  return state.expansionCache.Adopt(std::move(expanded));
}

const char* Msg(SetupState& state, MsgId id, int member) {
  return ExpandText(state, state.catalog.Text(id, state.language, member));
}

std::string Truncate(const std::string& value, std::size_t capacity) {
  if (capacity == 0) return std::string();
  return value.substr(0, std::min(value.size(), capacity - 1));
}

}  // namespace setup
