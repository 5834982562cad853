// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// Where a window asked for at `requested` (outer edges, in pixels) goes so that it can be
// seen: on the screen area that holds its top-left corner, or else the nearest one, at most
// as large as that area, and with its whole title bar on it. A window that already fits
// stays exactly where it was asked for.
QRect fitToScreen(const QRect &requested, const QList<QRect> &availableAreas, int titleBarHeight);

// The client size of a window of fixed `content` that shows it in a scrolling area where it
// must: the content's own size when that and the window's `frame` (its extra width and height)
// fit into `available`, else as much as fits, with room for the scroll bars (`scrollBar` pixels
// thick) it then needs.
QSize fitScrolled(const QSize &content, const QSize &frame, const QSize &available, int scrollBar);
