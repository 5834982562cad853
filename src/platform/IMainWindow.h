#pragma once

#include <QString>

// What the logic needs of the main window: its visibility, its state, its geometry in twips
// and the captions that other parts set.
class IMainWindow
{
public:
    virtual ~IMainWindow() = default;

    virtual void RestoreNormal() = 0;
    // Makes the window visible and gives it the input focus.
    virtual void ShowAndActivate() = 0;
    virtual void Hide() = 0;

    // Outer edges and size, in twips.
    virtual void SetLeftTwips(int twips) = 0;
    virtual void SetTopTwips(int twips) = 0;
    virtual void SetWidthTwips(int twips) = 0;
    virtual void SetHeightTwips(int twips) = 0;

    virtual void SetCaption(const QString &caption) = 0;
    virtual void SetToggleCaption(const QString &caption) = 0;
    virtual void SetNetFailVisible(bool visible) = 0;
    virtual void SetDialerEnabled(bool enabled) = 0;
};
