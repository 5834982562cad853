#pragma once

#include <array>

// Where the main window's controls go for a window of a given outer size, all in twips.
struct MainLayout
{
    int browserLeft = 10;
    int browserTop = 480;
    int browserWidth = 0;
    int browserHeight = 0;
    // Left edges of cmdQuit, cmdDialer, cmdHide, cmdToggle, cmdSettings; all at top 120.
    std::array<int, 5> buttonLeft{};
};

inline constexpr std::array<int, 5> kButtonWidths{1095, 855, 1215, 1575, 1215};
inline constexpr int kButtonTop = 120;
inline constexpr int kButtonHeight = 255;
inline constexpr int kButtonGap = 105;
// The row's start is this far left of the window's outer right edge, so that the row ends
// 150 twips inside it.
inline constexpr int kRowFromRight = 6525;

// The browser fills the window below the buttons and never gets a negative size; the row of
// buttons keeps to the right edge and stops at the left edge of narrow windows.
MainLayout ComputeMainLayout(double widthTwips, double heightTwips);
