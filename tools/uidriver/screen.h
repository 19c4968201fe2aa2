// Screen captures and message box icons for the UI driver.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace uidriver {

// Saves the screen area `r` (screen coordinates, clipped to the screen) as a
// 24-bit BMP file. False when nothing could be captured or written.
bool SaveScreenArea(const RECT& r, const std::string& path);
bool SaveWindowShot(HWND window, const std::string& path);
bool SaveScreenShot(const std::string& path);

// The icon a message box shows, as its MB_ICON* flag (0 for none), found by
// comparing the pixels of the box's icon control with the system icons.
std::uint32_t MessageBoxIcon(HWND box, std::string* diagnostic);

}  // namespace uidriver
