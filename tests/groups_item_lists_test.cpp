// The item lists: which list each product and edition gets, and every
// caption in all eight language slots, as Windows-1252 bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "groups/item_lists.h"

namespace groups {
namespace {

TEST(GroupItemListTest, ProductNameIsMatchedWholeWithoutRegardToCase) {
  struct Case {
    const char* product;
    bool se, y;
    const char* firstFile;  // null: no list
    std::size_t count;
  } cases[] = {
      {"Halvorn", false, false, "HALVORN.EXE", 7},
      {"Halvorn", true, false, "HALVORN.EXE", 6},
      {"Halvorn", true, true, "HALVORN.EXE", 7},
      {"Ostrilk", true, true, "OSTRILK.EXE", 6},
      {"Pellidor", false, false, "PELLIDOR.EXE", 5},
      {"PELLIDOR", true, false, "PELLIDOR.EXE", 4},
      {"pellidor", true, true, "PELLIDOR.EXE", 5},
      {"Trevanix", false, false, "TREVANIX.EXE", 6},
      {"Quivvel", true, false, "QUIVVEL.EXE", 3},
      {"rq-tape", false, false, "RQTAPE.EXE", 6},
      {"Pellidor Pro", false, false, nullptr, 0},
      {"Halvorn+", false, false, nullptr, 0},
      {"RQTAPE", false, false, nullptr, 0},
      {"", false, false, nullptr, 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const ItemList* list = SelectItemList(cases[i].product, cases[i].se, cases[i].y);
    if (cases[i].firstFile == nullptr) {
      EXPECT_EQ(list, nullptr) << "row " << i;
      continue;
    }
    ASSERT_NE(list, nullptr) << "row " << i;
    EXPECT_STREQ(list->rows[0].fileName, cases[i].firstFile) << "row " << i;
    EXPECT_EQ(list->count, cases[i].count) << "row " << i;
  }
}

// One item of one list in every slot, written as the Windows-1252 bytes
// that are sent.
struct SlotCase {
  const char* product;
  bool se, y;
  std::size_t index;
  const char* fileName;
  const char* captions[kLanguageSlots];
};

const SlotCase kSlotCases[] = {
    {"Halvorn", false, false, 0, "HALVORN.EXE", {"Halvorn+", "Halvorn+", "Halvorn+", "Halvorn+", "Halvorn+",
                                                 "Halvorn+", "Halvorn+", "Halvorn+"}},
    {"Halvorn", true, false, 2, "TSETUP.EXE",
     {"Tape Setup", "Band Setup", "Installation Bande", "Bandinstallation", "Tape Setup",
      "Preparaci\xF3n de cinta", "Installazione nastro", "Configura\xE7\xE3o da Fita"}},
    {"Halvorn", true, false, 3, "UPGRADE.EXE",
     {"Halvorn+ Upgrade Offer", "Halvorn+ Upgrade-Angebot", "Offre de mise \xE0 niveau Halvorn+",
      "Erbjudande om upgradering f\xF6r Halvorn+", "Halvorn+ Upgrade Offer",
      "Oferta de versi\xF3n avanzada Halvorn+", "Offerta di aggiornamento Halvorn+",
      "Halvorn+ Upgrade Offer"}},
    {"Halvorn", true, false, 4, "UNINSTAL.EXE",
     {"UnInstaller", "Deinstallierer", "D\xE9sinstallation", "Avinstallation", "UnInstaller", "Desinstalar",
      "Rimozione", "Desinstala\xE7\xE3o"}},
    {"Halvorn", true, false, 5, "README.TXT",
     {"Read Me", "Read Me", "Lisezmoi", "Viktigt", "Read Me", "L\xE9" "ame", "Leggimi", "Leia-me"}},
    {"Ostrilk", false, false, 3, "SCD.EXE",
     {"Scheduler", "Planer", "Planning", "Schemal\xE4ggare", "Scheduler", "Programador", "Scheduler",
      "Planejador Scheduler"}},
    {"Pellidor", true, true, 2, "UPGRADE.EXE",
     {"Pellidor+ Upgrade Offer", "Pellidor+ Upgrade-Angebot", "Offre de mise \xE0 niveau Pellidor+",
      "Erbjudande om upgradering f\xF6r Pellidor+", "Pellidor+ Upgrade Offer",
      "Oferta de versi\xF3n avanzada Pellidor+", "Offerta di aggiornamento Pellidor+",
      "Pellidor+ Upgrade Offer"}},
    {"Trevanix", false, false, 3, "STSETUP.EXE",
     {"SCSI Tape Setup", "Band Setup", "Installation Bande", "Bandinstallation", "Tape Setup",
      "Preparaci\xF3n de cinta", "Installazione nastro", "Tape Setup"}},
    {"Trevanix", false, false, 2, "ZEMATBL.EXE",
     {"Conversion Table Editor", "Conversion Table Editor", "Conversion Table Editor",
      "Conversion Table Editor", "Conversion Table Editor", "Conversion Table Editor",
      "Conversion Table Editor", "Conversion Table Editor"}},
    {"RQ-TAPE", false, false, 0, "RQTAPE.EXE",
     {"RQ-TAPE", "Trevanix", "Trevanix", "Trevanix", "Trevanix", "Trevanix", "Trevanix", "Trevanix"}},
    {"RQ-TAPE", false, false, 3, "RQSETUP.EXE",
     {"SCSI Tape Setup", "Band Setup", "Installation Bande", "Bandinstallation", "Tape Setup",
      "Preparaci\xF3n de cinta", "Installazione nastro", "Tape Setup"}},
    {"Quivvel", false, false, 0, "QUIVVEL.EXE",
     {"Quivvel", "Quivvel", "Quivvel", "Quivvel", "Quivvel", "Quivvel", "Quivvel", "Quivvel"}},
};

TEST(GroupItemListTest, CaptionsInAllEightSlotsAreTheWindows1252Bytes) {
  for (std::size_t i = 0; i < std::size(kSlotCases); ++i) {
    const SlotCase& c = kSlotCases[i];
    const ItemList* list = SelectItemList(c.product, c.se, c.y);
    ASSERT_NE(list, nullptr) << "row " << i;
    for (int slot = 0; slot < kLanguageSlots; ++slot) {
      std::vector<ProgramItem> items = ItemsOf(*list, slot);
      ASSERT_LT(c.index, items.size()) << "row " << i;
      EXPECT_EQ(items[c.index].fileName, c.fileName) << "row " << i << " slot " << slot;
      EXPECT_EQ(items[c.index].caption, c.captions[slot]) << "row " << i << " slot " << slot;
    }
  }
}

TEST(GroupItemListTest, ASlotOutsideTheCatalogGivesTheEnglishCaptions) {
  const ItemList* list = SelectItemList("Halvorn", false, false);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ItemsOf(*list, 9)[3].caption, "Tape Setup");
  EXPECT_EQ(ItemsOf(*list, -1)[3].caption, "Tape Setup");
}

}  // namespace
}  // namespace groups
