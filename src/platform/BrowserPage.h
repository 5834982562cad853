// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>
#include <QPointer>
#include <QWebEnginePage>

Q_DECLARE_LOGGING_CATEGORY(lcBrowser)
// The pages' own console messages; off unless asked for.
Q_DECLARE_LOGGING_CATEGORY(lcPage)

class WebEngineBrowser;

// A page that opens the windows it asks for through the browser, on the same profile, turns
// its "tel:" and "callto:" links into dial requests instead of leaving the page, asks before
// another program opens any other address but a web page's, and logs its console quoted.
class BrowserPage : public QWebEnginePage
{
    Q_OBJECT

public:
    BrowserPage(QWebEngineProfile *profile, WebEngineBrowser *browser);

    // The program loads a page here (a pop, the start-up page), until the load starts.
    void expectLoad() { m_ownLoad = true; }

protected:
    QWebEnginePage *createWindow(WebWindowType type) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &text) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    QPointer<WebEngineBrowser> m_browser;
    bool m_ownLoad = false;
};
