// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Layout.h"

#include <cmath>

namespace {
int wholeTwipsNotNegative(double twips)
{
    const double rounded = std::nearbyint(twips);
    return rounded < 0 ? 0 : static_cast<int>(rounded);
}
} // namespace

MainLayout computeMainLayout(double widthTwips, double heightTwips)
{
    MainLayout layout;
    layout.browserWidth = wholeTwipsNotNegative(widthTwips - 80);
    layout.browserHeight = wholeTwipsNotNegative(heightTwips - 480);
    int left = widthTwips >= kRowFromRight ? wholeTwipsNotNegative(widthTwips - kRowFromRight) : 0;
    std::size_t button = 0;
    for (const ControlSpec &row : kMainControls) {
        if (row.kind != ControlKind::Button)
            continue;
        layout.buttonLeft[button++] = left;
        left += row.width + kButtonGap;
    }
    return layout;
}
