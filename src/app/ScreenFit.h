// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>

// Where a window asked for at `requested` (outer edges, in pixels) goes so that it can be
// seen: on the screen area that holds its top-left corner, or else the nearest one, at most
// as large as that area, and with its whole title bar on it. A window that already fits
// stays exactly where it was asked for.
QRect fitToScreen(const QRect &requested, const QList<QRect> &availableAreas, int titleBarHeight);
