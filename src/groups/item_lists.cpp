// The item lists of every product. Captions are written here in UTF-8 and
// converted to Windows-1252 when a list is read, as the message catalog
// does with its texts; they are sent as they stand, without the catalog's
// text expansion.
//
// Slot order: English, German, French, Swedish, British English, Spanish,
// Italian, Portuguese. The British slot is written out: it is not always
// the English text ("Tape Setup" against "SCSI Tape Setup").
#include "groups/item_lists.h"

#include <iterator>

#include "install/install_text.h"
#include "setup/catalog.h"
#include "text/text.h"

namespace groups {
namespace {

// A caption that is the same in every slot.
#define SAME(text) {text, text, text, text, text, text, text, text}

constexpr ItemRow kTapeSetup = {"TSETUP.EXE",
                                {"Tape Setup", "Band Setup", "Installation Bande", "Bandinstallation",
                                 "Tape Setup", "Preparación de cinta", "Installazione nastro",
                                 "Configuração da Fita"}};
constexpr ItemRow kScheduler = {"SCD.EXE",
                                {"Scheduler", "Planer", "Planning", "Schemaläggare", "Scheduler",
                                 "Programador", "Scheduler", "Planejador Scheduler"}};
constexpr ItemRow kUninstaller = {"UNINSTAL.EXE",
                                  {"UnInstaller", "Deinstallierer", "Désinstallation", "Avinstallation",
                                   "UnInstaller", "Desinstalar", "Rimozione", "Desinstalação"}};
constexpr ItemRow kReadMe = {"README.TXT",
                             {"Read Me", "Read Me", "Lisezmoi", "Viktigt", "Read Me", "Léame", "Leggimi",
                              "Leia-me"}};
constexpr ItemRow kHalvornUpgrade = {
    "UPGRADE.EXE",
    {"Halvorn+ Upgrade Offer", "Halvorn+ Upgrade-Angebot", "Offre de mise à niveau Halvorn+",
     "Erbjudande om upgradering för Halvorn+", "Halvorn+ Upgrade Offer",
     "Oferta de versión avanzada Halvorn+", "Offerta di aggiornamento Halvorn+",
     "Halvorn+ Upgrade Offer"}};
constexpr ItemRow kPellidorUpgrade = {
    "UPGRADE.EXE",
    {"Pellidor+ Upgrade Offer", "Pellidor+ Upgrade-Angebot", "Offre de mise à niveau Pellidor+",
     "Erbjudande om upgradering för Pellidor+", "Pellidor+ Upgrade Offer",
     "Oferta de versión avanzada Pellidor+", "Offerta di aggiornamento Pellidor+",
     "Pellidor+ Upgrade Offer"}};
// The SCSI products' tape setup: its own English caption, and the British
// and Portuguese slots keep "Tape Setup".
#define SCSI_TAPE_SETUP                                                                          \
  {"SCSI Tape Setup", "Band Setup", "Installation Bande", "Bandinstallation",                   \
   "Tape Setup",      "Preparación de cinta", "Installazione nastro", "Tape Setup"}
constexpr ItemRow kQuivvel = {"QUIVVEL.EXE", SAME("Quivvel")};
constexpr ItemRow kReelwise = {"REELWISE.EXE", SAME("Reelwise")};

constexpr ItemRow kHalvornFull[] = {{"HALVORN.EXE", SAME("Halvorn+")}, kQuivvel, kReelwise, kTapeSetup,
                                    kScheduler, kUninstaller, kReadMe};
constexpr ItemRow kHalvornSe[] = {{"HALVORN.EXE", SAME("Halvorn SE")}, kReelwise, kTapeSetup,
                                  kHalvornUpgrade, kUninstaller, kReadMe};
constexpr ItemRow kHalvornSeY[] = {{"HALVORN.EXE", SAME("Halvorn SE")}, kQuivvel, kReelwise, kTapeSetup,
                                   kHalvornUpgrade, kUninstaller, kReadMe};
constexpr ItemRow kOstrilk[] = {{"OSTRILK.EXE", SAME("Ostrilk")}, kReelwise, kTapeSetup, kScheduler,
                                kUninstaller, kReadMe};
constexpr ItemRow kPellidorFull[] = {{"PELLIDOR.EXE", SAME("Pellidor+")}, kQuivvel, kScheduler,
                                     kUninstaller, kReadMe};
constexpr ItemRow kPellidorSe[] = {{"PELLIDOR.EXE", SAME("Pellidor SE")}, kPellidorUpgrade, kUninstaller,
                                   kReadMe};
constexpr ItemRow kPellidorSeY[] = {{"PELLIDOR.EXE", SAME("Pellidor SE")}, kQuivvel, kPellidorUpgrade,
                                    kUninstaller, kReadMe};
constexpr ItemRow kTrevanix[] = {
    {"TREVANIX.EXE", SAME("Trevanix")},
    {"TINSPECT.EXE", SAME("Tape Inspector")},
    {"ZEMATBL.EXE", SAME("Conversion Table Editor")},
    {"STSETUP.EXE", SCSI_TAPE_SETUP},
    kUninstaller,
    kReadMe};
constexpr ItemRow kQuivvelList[] = {kQuivvel, kUninstaller, kReadMe};
// The partner product: its own name in the English slot, the name of the
// product it is built on in the others.
constexpr ItemRow kRqTape[] = {
    {"RQTAPE.EXE",
     {"RQ-TAPE", "Trevanix", "Trevanix", "Trevanix", "Trevanix", "Trevanix", "Trevanix", "Trevanix"}},
    {"RQINSP.EXE", SAME("Tape Inspector")},
    {"RQTBL.EXE", SAME("Conversion Table Editor")},
    {"RQSETUP.EXE", SCSI_TAPE_SETUP},
    kUninstaller,
    kReadMe};

#undef SAME
#undef SCSI_TAPE_SETUP

template <std::size_t N>
constexpr ItemList List(const char* product, const ItemRow (&rows)[N]) {
  static_assert(N <= kMaxItems);
  return ItemList{product, rows, N};
}

constexpr ItemList kHalvornFullList = List("Halvorn", kHalvornFull);
constexpr ItemList kHalvornSeList = List("Halvorn", kHalvornSe);
constexpr ItemList kHalvornSeYList = List("Halvorn", kHalvornSeY);
constexpr ItemList kPellidorFullList = List("Pellidor", kPellidorFull);
constexpr ItemList kPellidorSeList = List("Pellidor", kPellidorSe);
constexpr ItemList kPellidorSeYList = List("Pellidor", kPellidorSeY);
// The products whose list does not depend on the edition.
constexpr ItemList kOneEditionLists[] = {List("Ostrilk", kOstrilk), List("Trevanix", kTrevanix),
                                         List("Quivvel", kQuivvelList), List("RQ-TAPE", kRqTape)};

const ItemList& ByEdition(const ItemList& full, const ItemList& se, const ItemList& seY, bool seEdition,
                          bool yEdition) {
  if (!seEdition) return full;
  return yEdition ? seY : se;
}

}  // namespace

const ItemList* SelectItemList(const std::string& productName, bool seEdition, bool yEdition) {
  if (text::EqualsIgnoreCase(productName, "Halvorn"))
    return &ByEdition(kHalvornFullList, kHalvornSeList, kHalvornSeYList, seEdition, yEdition);
  if (text::EqualsIgnoreCase(productName, "Pellidor"))
    return &ByEdition(kPellidorFullList, kPellidorSeList, kPellidorSeYList, seEdition, yEdition);
  for (const ItemList& list : kOneEditionLists) {
    if (text::EqualsIgnoreCase(productName, list.product)) return &list;
  }
  return nullptr;
}

std::vector<ProgramItem> ItemsOf(const ItemList& list, int language) {
  int slot = language >= 0 && language < kLanguageSlots ? language : 0;
  std::vector<ProgramItem> items;
  for (std::size_t i = 0; i < list.count; ++i) {
    items.push_back(ProgramItem{list.rows[i].fileName, text::Utf8ToCp1252(list.rows[i].captions[slot])});
  }
  return items;
}

}  // namespace groups
