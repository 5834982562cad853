// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BrowserPage.h"

#include "base/TelLink.h"
#include "platform/WebEngineBrowser.h"

BrowserPage::BrowserPage(QWebEngineProfile *profile, WebEngineBrowser *browser)
    : QWebEnginePage(profile), m_browser(browser)
{
    connect(this, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (!ok)
            qCInfo(lcBrowser) << "page failed to load:" << url().toString();
    });
}

QWebEnginePage *BrowserPage::createWindow(WebWindowType)
{
    return m_browser ? m_browser->openPageWindow() : nullptr;
}

// A "tel:" link would otherwise go to whatever the desktop opens for it.
bool BrowserPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    const std::optional<QString> number = TelLink::dialNumber(url);
    if (!number)
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    // Announced once the engine's call has returned: the answer may be a modal box.
    if (m_browser && !number->isEmpty()) {
        WebEngineBrowser *browser = m_browser;
        QMetaObject::invokeMethod(
            browser, [browser, dial = *number] { emit browser->dialRequested(dial); },
            Qt::QueuedConnection);
    }
    return false;
}
