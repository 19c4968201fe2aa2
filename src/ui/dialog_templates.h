// The dialog templates of the program, described once for both machines.
//
// src/ui/dialogs.def holds every template as macros; resources.rc expands
// them into resource statements for windres, dialog_templates.cpp into the
// table below, which the simulated machine uses to build its dialogs. The
// template and control ids by name are in dialog_ids.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

// kSortedListBox is a list box that keeps its entries sorted (LBS_SORT),
// comparing them without regard to case.
enum class ControlKind {
  kStatic,
  kEdit,
  kButton,
  kDefButton,
  kRadio,
  kGroupBox,
  kListBox,
  kSortedListBox,
  kFrame,
  kReadOnlyText,  // multi-line read-only edit with a border and a vertical scroll bar
  kHiddenButton,  // a push button created hidden
  kHiddenStatic,  // a static text created hidden
  kIcon,          // a static the program draws an icon into (Ui::OwnControlPaint)
  kHiddenIcon,    // the same, created hidden
  kCheckBox,
  kDirList,       // the directory list of the classic file dialog (owner-drawn, sorted)
  kFileList,      // its file list
  kDriveList,     // its drive list (owner-drawn drop-down list)
  kTypeList,      // its file type list (drop-down list)
};

struct ControlTemplate {
  int id;                // -1 for controls the program never addresses
  ControlKind kind;
  std::string text;      // initial text (a placeholder; the program replaces it)
  int x, y, cx, cy;      // dialog units
  bool visible = true;   // WS_VISIBLE
  bool enabled = true;   // WS_DISABLED in the template's style argument makes it false
  bool groupStart = false;  // WS_GROUP in the template's style argument
};

struct DialogTemplate {
  int id;
  std::string caption;   // initial caption
  int x, y, cx, cy;      // dialog units
  std::string fontName;
  int fontSize;
  bool visible;          // WS_VISIBLE: shown when created
  std::vector<ControlTemplate> controls;
};

// The template with that number, or null.
const DialogTemplate* FindDialogTemplate(int id);

// Bitmap resource numbers.
constexpr int kLogoBitmap = 131;     // 230 x 110 monochrome
constexpr int kOemLogoBitmap = 159;  // 148 x 33 colour

// Icon resource numbers (32 x 32) of the uninstall progress dialog.
constexpr int kBarrelIcon = 144;         // animation frame: the barrel
constexpr int kBurningBarrelIcon = 145;  // animation frame: the barrel in flames
constexpr int kCheckMarkIcon = 146;      // a step is done
constexpr int kFifthMarkerIcon = 140;    // the marker of the fifth step, never shown
// The program's own icon (32 x 32), as the shell shows SETUP.EXE.
constexpr int kProgramIcon = 1;

}  // namespace ui
