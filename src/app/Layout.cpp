#include "app/Layout.h"

#include <cmath>

namespace {
int wholeTwipsNotNegative(double twips)
{
    const double rounded = std::nearbyint(twips);
    return rounded < 0 ? 0 : static_cast<int>(rounded);
}
} // namespace

MainLayout ComputeMainLayout(double widthTwips, double heightTwips)
{
    MainLayout layout;
    layout.browserWidth = wholeTwipsNotNegative(widthTwips - 80);
    layout.browserHeight = wholeTwipsNotNegative(heightTwips - 480);
    int left = widthTwips >= kRowFromRight ? wholeTwipsNotNegative(widthTwips - kRowFromRight) : 0;
    for (std::size_t i = 0; i < kButtonWidths.size(); ++i) {
        layout.buttonLeft[i] = left;
        left += kButtonWidths[i] + kButtonGap;
    }
    return layout;
}
