// The built-in texts of the message catalog, as written in the sources
// (UTF-8). Catalog converts them to Windows-1252 when it is constructed.
#pragma once

#include "setup/catalog.h"

namespace setup::catalog_texts {

// The most texts any entry holds per language slot (the button labels).
constexpr int kMaxMembers = 7;

// The slot of British English: it repeats the English texts.
constexpr int kBritishSlot = 4;

struct SourceEntry {
  MsgId id;
  const char* name;
  int members;
  // texts[language][member], UTF-8. Members at and beyond `members` are
  // null. In the British slot a null text means "the English text"; an empty
  // text ("") is an empty slot, shown as an empty text.
  const char* texts[kLanguageCount][kMaxMembers];
};

// The entry of `id` (0 <= id < MSG_COUNT).
const SourceEntry& Source(MsgId id);

// The text as stored for (id, language, member): the British slot resolved
// to the English text where it repeats it. Null when the member does not
// exist.
const char* SourceText(MsgId id, int language, int member);

}  // namespace setup::catalog_texts
