// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/ControlTable.h"

#include <array>

// The main window's controls in twips. The buttons' left edges are placeholders: the layout
// moves them along the top edge with the window's width.
inline constexpr std::array<ControlSpec, 7> kMainControls{{
    {"lblNetFail", ControlKind::External, nullptr, 0, 0, 495, 375},
    {"cmdQuit", ControlKind::Button, "&Quit", 0, 120, 1095, 255, 0},
    {"cmdDialer", ControlKind::Button, "&Dial", 0, 120, 855, 255, 5},
    {"cmdHide", ControlKind::Button, "&Hide", 0, 120, 1215, 255, 1},
    {"cmdToggle", ControlKind::Button, "", 0, 120, 1575, 255, 2},
    {"cmdSettings", ControlKind::Button, "&Settings", 0, 120, 1215, 255, 3},
    {"browser", ControlKind::External, nullptr, 10, 480, 0, 0, 4},
}};

// The window's designed client area.
inline constexpr int kMainClientWidth = 8745;
inline constexpr int kMainClientHeight = 7350;
