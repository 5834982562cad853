// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// The browser: the main window's pane and top-level browser windows found by name. No call
// throws: text that is no usable URL shows a page that says so.
class IBrowser : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Navigates the main window's pane. A URL the engine refuses shows an error page.
    virtual void navigate(const QString &url) = 0;
    // Navigates the top-level browser window called `target`, opening one when no window
    // of that name is open, and brings it to the front.
    virtual void navigateNamed(const QString &target, const QString &url) = 0;

signals:
    // A page asked to call a number ("tel:+1-555-0100" gives "+1-555-0100"); the page
    // itself stays where it is.
    void dialRequested(const QString &number);
    // A page asked whether to leave it for the page we had asked for ("Are you sure you want
    // to leave this page?"), and the user said no: that page was never shown.
    void leaveRefused();
};
