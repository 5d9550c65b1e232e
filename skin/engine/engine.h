#pragma once
// Inside the skin engine DLL: the theme in force and the per-window skinning.
// Everything runs on the threads that own the windows; the C++ library is not
// used, so the DLL carries no C++ runtime.
#include <windows.h>

#include "format/skin_format.h"

namespace vorda::skin {

// GDI objects made from one skin. A theme is never destroyed: class
// backgrounds and brushes handed to controls may still point at it.
struct Theme {
    SkinData data;
    std::uint32_t checksum;
    std::uint32_t size;
    COLORREF c[kColorRoleCount];
    HBRUSH windowBrush;
    HBRUSH editBrush;
    HFONT font;  // null: the program's fonts stay
    Theme* older;
};

// The theme in force; null before the first skin.
const Theme* currentTheme();
// A brush of this or an earlier theme.
bool isThemeBrush(HBRUSH brush);
// A font of this or an earlier theme.
bool isThemeFont(HFONT font);

COLORREF mix(COLORREF a, COLORREF b, int percent);

}  // namespace vorda::skin
