#pragma once

#include <QString>

// The browser: the main window's pane and top-level browser windows found by name. No call
// throws: text that is no usable URL shows a page that says so.
class IBrowser
{
public:
    virtual ~IBrowser() = default;

    // Navigates the main window's pane. A URL the engine refuses shows an error page.
    virtual void Navigate(const QString &url) = 0;
    // Navigates the top-level browser window called `target`, opening one when no window
    // of that name is open, and brings it to the front.
    virtual void NavigateNamed(const QString &target, const QString &url) = 0;
};
