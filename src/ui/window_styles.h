// The Win32 window and control style constants that the style arguments
// of dialogs.def use, with the values <windows.h> gives them, so that the
// template table (dialog_templates.cpp) can evaluate those arguments
// without <windows.h>. A style added to dialogs.def must be added here
// too; the table does not compile until it is.
#pragma once

#include <cstdint>

namespace ui::styles {

// Window styles (WS_*).
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_DISABLED = 0x08000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_SYSMENU = 0x00080000;
constexpr std::uint32_t WS_GROUP = 0x00020000;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
// Extended window styles (WS_EX_*).
constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;
// Dialog styles (DS_*).
constexpr std::uint32_t DS_MODALFRAME = 0x0080;
constexpr std::uint32_t DS_CENTER = 0x0800;
// Control styles: edit (ES_*), list box (LBS_*), static (SS_*).
constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr std::uint32_t LBS_NOTIFY = 0x0001;
constexpr std::uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr std::uint32_t SS_CENTER = 0x0001;
constexpr std::uint32_t SS_ETCHEDFRAME = 0x0012;
constexpr std::uint32_t SS_NOPREFIX = 0x0080;
constexpr std::uint32_t SS_SUNKEN = 0x1000;

}  // namespace ui::styles
