#pragma once

#include <QString>

// The browser: the main window's pane and top-level browser windows found by name.
class IBrowser
{
public:
    virtual ~IBrowser() = default;

    // Navigates the main window's pane. Never fails: a URL the engine refuses shows an
    // empty or error page.
    virtual void Navigate(const QString &url) = 0;
    // Navigates the top-level browser window called `target`, opening one when no window
    // of that name is open.
    virtual void NavigateNamed(const QString &target, const QString &url) = 0;
};
