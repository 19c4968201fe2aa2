// The program items each product gets in its Program Manager group, with
// their captions in the eight language slots.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace groups {

// The most items an item list holds.
constexpr std::size_t kMaxItems = 10;
constexpr int kLanguageSlots = 8;

// One row of an item list: the file (relative to the install directory)
// and its caption in each language slot, as written in the sources
// (UTF-8; see ItemCaption for the bytes sent).
struct ItemRow {
  const char* fileName;
  const char* captions[kLanguageSlots];
};

struct ItemList {
  const char* product;  // compared whole, without regard to case
  const ItemRow* rows;
  std::size_t count;
};

// The product's item list, chosen by the product name (whole, without
// regard to case) and, for "Halvorn" and "Pellidor", by the edition: the
// full edition when the SE flag is clear (the Y flag, which the
// description never sets without SE, then does not matter), else the SE
// edition, with the Y flag the SE and Y edition. Null for any other
// product: that product gets no items.
const ItemList* SelectItemList(const std::string& productName, bool seEdition, bool yEdition);

// A program item as it is sent: file name and caption in Windows-1252.
struct ProgramItem {
  std::string fileName;
  std::string caption;
};

// The items of `list` with their captions in language slot `language`
// (0 to 7; any other slot gives the English captions of slot 0).
std::vector<ProgramItem> ItemsOf(const ItemList& list, int language);

}  // namespace groups
