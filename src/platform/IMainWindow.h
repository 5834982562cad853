// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the logic needs of the main window: its visibility, its state, its geometry in twips
// and the captions that other parts set. No call throws.
class IMainWindow
{
public:
    virtual ~IMainWindow() = default;

    virtual void restoreNormal() = 0;
    // Makes the window visible and gives it the input focus.
    virtual void showAndActivate() = 0;
    virtual void hideWindow() = 0;

    // Outer left and top edge, width and height, in twips; a 0 leaves that one as it is, so
    // a stored position with no size moves the window without resizing it. The window keeps
    // to the screen: a geometry that would not fit is brought onto it.
    virtual void setGeometryTwips(int left, int top, int width, int height) = 0;

    virtual void setCaption(const QString &caption) = 0;
    // Whether monitoring is on, for the monitoring button's caption.
    virtual void showMonitoring(bool on) = 0;
    virtual void setNetFailVisible(bool visible) = 0;
    virtual void setDialerEnabled(bool enabled) = 0;
};
