// SPDX-License-Identifier: GPL-3.0-or-later
#include "forms/ScreenFit.h"

#include <algorithm>
#include <limits>

namespace {

qint64 distanceSquared(const QRect &area, const QPoint &point)
{
    const qint64 dx = point.x() < area.left()    ? area.left() - point.x()
                      : point.x() > area.right() ? point.x() - area.right()
                                                 : 0;
    const qint64 dy = point.y() < area.top()      ? area.top() - point.y()
                      : point.y() > area.bottom() ? point.y() - area.bottom()
                                                  : 0;
    return dx * dx + dy * dy;
}

} // namespace

QRect fitToScreen(const QRect &requested, const QList<QRect> &availableAreas, int titleBarHeight)
{
    if (availableAreas.isEmpty())
        return requested;
    const QPoint corner = requested.topLeft();
    QRect area = availableAreas.first();
    qint64 best = std::numeric_limits<qint64>::max();
    for (const QRect &candidate : availableAreas) {
        const qint64 distance = distanceSquared(candidate, corner);
        if (distance < best) {
            best = distance;
            area = candidate;
        }
    }
    const int width = std::clamp(requested.width(), 1, std::max(1, area.width()));
    const int height = std::clamp(requested.height(), 1, std::max(1, area.height()));
    const int titleBar = std::clamp(titleBarHeight, 1, height);
    // x + width and y + titleBar may not pass the area's far edges (left + width).
    const int x = std::clamp(corner.x(), area.left(),
                             std::max(area.left(), area.left() + area.width() - width));
    const int y = std::clamp(corner.y(), area.top(),
                             std::max(area.top(), area.top() + area.height() - titleBar));
    return {x, y, width, height};
}

QSize fitScrolled(const QSize &content, const QSize &frame, const QSize &available, int scrollBar)
{
    const int maxWidth = std::max(1, available.width() - frame.width());
    const int maxHeight = std::max(1, available.height() - frame.height());
    // A scroll bar one way takes room from the content the other way.
    const bool across = content.width() > maxWidth;
    const bool down = content.height() > maxHeight;
    return {std::min(maxWidth, content.width() + (down ? scrollBar : 0)),
            std::min(maxHeight, content.height() + (across ? scrollBar : 0))};
}
