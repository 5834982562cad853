// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>
#include <QPointer>
#include <QWebEnginePage>

Q_DECLARE_LOGGING_CATEGORY(lcBrowser)

class WebEngineBrowser;

// A page that opens the windows it asks for through the browser, on the same profile, and
// turns its "tel:" links into dial requests instead of leaving the page.
class BrowserPage : public QWebEnginePage
{
    Q_OBJECT

public:
    BrowserPage(QWebEngineProfile *profile, WebEngineBrowser *browser);

protected:
    QWebEnginePage *createWindow(WebWindowType type) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    QPointer<WebEngineBrowser> m_browser;
};
