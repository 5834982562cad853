// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "forms/ControlTable.h"

#include <array>

// The Phone Dialer's controls in twips, on one row.
inline constexpr std::array<ControlSpec, 4> kDialerControls{{
    {"Label1", ControlKind::Label, "&Number:", 0, 120, 855, 255, 3, nullptr, Plain, "txtNumber"},
    {"txtNumber", ControlKind::TextBox, "", 1080, 120, 3975, 285, 0},
    {"OKButton", ControlKind::Button, "&OK", 5160, 120, 495, 255, 1},
    {"cmdCancel", ControlKind::Button, "&Cancel", 5760, 120, 735, 255, 2},
}};

// The dialog's client area.
inline constexpr int kDialerClientWidth = 6585;
inline constexpr int kDialerClientHeight = 510;
