// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>

// Converts the program's twips (1/1440 inch) to pixels and back at one logical DPI: 15 twips
// per pixel at 96 dpi. Every form and every stored geometry goes through this one scale.
class TwipsScale
{
public:
    explicit constexpr TwipsScale(double logicalDpi)
        : m_twipsPerPixel(logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0)
    {}

    constexpr double twipsPerPixel() const { return m_twipsPerPixel; }
    int toPixels(double twips) const
    {
        return static_cast<int>(std::lround(twips / m_twipsPerPixel));
    }
    int toTwips(double pixels) const
    {
        return static_cast<int>(std::lround(pixels * m_twipsPerPixel));
    }

private:
    double m_twipsPerPixel;
};
