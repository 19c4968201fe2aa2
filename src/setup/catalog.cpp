// The message catalog: a writable Windows-1252 copy of the built-in texts.
#include "setup/catalog.h"

#include <cstdint>

#include "setup/catalog_texts.h"
#include "text/text.h"

namespace setup {

struct Catalog::Storage {
  // texts[(id * kLanguageCount + language) * kMaxMembers + member]; each
  // string is sized once here and never resized, so the pointers handed out
  // stay valid and writable for the catalog's life.
  std::string texts[MSG_COUNT * kLanguageCount * catalog_texts::kMaxMembers];
  // Handed out for every text that does not exist; reset before each use
  // so that a caller writing into it cannot change what the next one sees.
  char empty[1] = {'\0'};
};

namespace {
constexpr int SlotIndex(int id, int language, int member) {
  return (id * kLanguageCount + language) * catalog_texts::kMaxMembers + member;
}
}  // namespace

Catalog::Catalog() : storage_(std::make_unique<Storage>()) {
  for (int id = 0; id < MSG_COUNT; ++id) {
    const int members = Members(static_cast<MsgId>(id));
    for (int lang = 0; lang < kLanguageCount; ++lang) {
      for (int m = 0; m < members; ++m) {
        const char* source = catalog_texts::SourceText(static_cast<MsgId>(id), lang, m);
        storage_->texts[SlotIndex(id, lang, m)] = text::Utf8ToCp1252(source != nullptr ? source : "");
      }
    }
  }
}

Catalog::~Catalog() = default;

int Catalog::Members(MsgId id) {
  if (id < 0 || id >= MSG_COUNT) return 0;
  return catalog_texts::Source(id).members;
}

const char* Catalog::Name(MsgId id) {
  if (id < 0 || id >= MSG_COUNT) return "";
  return catalog_texts::Source(id).name;
}

char* Catalog::Text(MsgId id, int language, int member) {
  if (id < 0 || id >= MSG_COUNT || language < 0 || language >= kLanguageCount ||
      member < 0 || member >= Members(id)) {
    storage_->empty[0] = '\0';
    return storage_->empty;
  }
  return storage_->texts[SlotIndex(id, language, member)].data();
}

}  // namespace setup
