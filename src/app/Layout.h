// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainControls.h"

#include <array>

inline constexpr int kButtonGap = 105;
// The row's start is this far left of the window's outer right edge, so that the row ends
// 150 twips inside it.
inline constexpr int kRowFromRight = 6525;

// Where the main window's controls go for a window of a given outer size, all in twips.
struct MainLayout
{
    int browserLeft = 10;
    int browserTop = 480;
    int browserWidth = 0;
    int browserHeight = 0;
    // Left edges of the buttons in the order of kMainControls.
    std::array<int, 5> buttonLeft{};
};

// The browser fills the window below the buttons and never gets a negative size; the row of
// buttons keeps to the right edge and stops at the left edge of narrow windows.
MainLayout computeMainLayout(double widthTwips, double heightTwips);
