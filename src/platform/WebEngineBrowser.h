// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/IBrowser.h"

#include <QHash>
#include <QPointer>
#include <QWebEngineView>

class NamedBrowserWindow;
class QMessageBox;
class QWebEnginePage;
class QWebEngineProfile;

// The browser on Qt WebEngine: the main window's pane and named top-level windows, all on
// one persistent profile so that users stay signed in to their web application. A call
// shown in a named window brings that window to the front; a page's "tel:" link asks for a
// dial instead of leaving the page, and other programs open a page's address only when the
// user agrees.
class WebEngineBrowser : public IBrowser
{
    Q_OBJECT

public:
    explicit WebEngineBrowser(QObject *parent = nullptr);
    ~WebEngineBrowser() override;

    // The pane, to be placed in the main window (which then owns it).
    QWebEngineView *pane() const { return m_pane; }
    // The open window of that name, if any.
    NamedBrowserWindow *namedWindow(const QString &target) const;

    void navigate(const QString &url) override;
    void navigateNamed(const QString &target, const QString &url) override;

    // A window opened for a page's own request (a link with a target, window.open).
    QWebEnginePage *openPageWindow();
    // A page's address for another program: a box over `window` names it and asks; only a
    // Yes hands it to the desktop. Nothing while such a box is open.
    void offerToOpenElsewhere(const QUrl &url, QWidget *window);

private:
    // Of a page's address for another program, the box shows so many characters.
    static constexpr qsizetype kShownAddressChars = 300;

    // Loads the page, or explains in the view why there is none.
    void show(QWebEngineView *view, const QString &text);
    QWebEnginePage *newPage();
    NamedBrowserWindow *openWindow(const QString &name);

    QWebEngineProfile *m_profile;
    QPointer<QWebEngineView> m_pane;
    QHash<QString, QPointer<NamedBrowserWindow>> m_named;
    QList<QPointer<NamedBrowserWindow>> m_unnamed;
    // The box that asks whether another program may open a page's address, while it is open.
    QPointer<QMessageBox> m_offer;
};
