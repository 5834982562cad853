// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BrowserPage.h"

#include "base/LogText.h"
#include "base/TelLink.h"
#include "base/UrlPolicy.h"
#include "platform/WebEngineBrowser.h"

#include <QCoreApplication>
#include <QWebEngineView>

#include <utility>

Q_LOGGING_CATEGORY(lcPage, "ringscout.page", QtWarningMsg)

BrowserPage::BrowserPage(QWebEngineProfile *profile, WebEngineBrowser *browser)
    : QWebEnginePage(profile), m_browser(browser)
{
    connect(this, &QWebEnginePage::loadStarted, this, [this] { m_ownLoad = false; });
    connect(this, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (!ok)
            qCInfo(lcBrowser) << "page failed to load:" << LogText(url().toString());
    });
}

QWebEnginePage *BrowserPage::createWindow(WebWindowType)
{
    return m_browser ? m_browser->openPageWindow() : nullptr;
}

// A "tel:" link, or one for another program, would otherwise go to whatever the desktop opens
// for it, unasked.
bool BrowserPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    const UrlPolicy::Navigation navigation = UrlPolicy::navigation(url);
    if (navigation == UrlPolicy::Navigation::Show)
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    if (!m_browser || navigation == UrlPolicy::Navigation::Refuse)
        return false;
    // Acted on once the engine's call has returned: the answer may be a modal box.
    WebEngineBrowser *browser = m_browser;
    if (navigation == UrlPolicy::Navigation::AskFirst) {
        QMetaObject::invokeMethod(
            browser,
            [browser, url, view = QPointer<QWidget>(QWebEngineView::forPage(this))] {
                browser->offerToOpenElsewhere(url, view ? view->window() : nullptr);
            },
            Qt::QueuedConnection);
    } else if (const QString number = TelLink::dialNumber(url).value_or(QString());
               !number.isEmpty()) {
        QMetaObject::invokeMethod(
            browser, [browser, number] { emit browser->dialRequested(number); },
            Qt::QueuedConnection);
    }
    return false;
}

// The engine asks a page's "leave this page?" (beforeunload) through here, in its own words.
bool BrowserPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &text)
{
    const bool yes = QWebEnginePage::javaScriptConfirm(securityOrigin, text);
    static const QString leave = QCoreApplication::translate(
        "QWebEnginePage",
        "Are you sure you want to leave this page? Changes that you made may not be saved.");
    if (!yes && text == leave && std::exchange(m_ownLoad, false) && m_browser) {
        qCInfo(lcBrowser) << "the page would not let" << LogText(requestedUrl().toString()) << "go";
        emit m_browser->leaveRefused();
    }
    return yes;
}

// The engine would print them raw, where a page could write lines that look like ours and
// escape sequences that drive the terminal.
void BrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                           const QString &message, int lineNumber,
                                           const QString &sourceID)
{
    const char *kind = level == ErrorMessageLevel     ? "error"
                       : level == WarningMessageLevel ? "warning"
                                                      : "info";
    qCDebug(lcPage).nospace() << kind << ' ' << LogText(message) << " at " << LogText(sourceID)
                              << ':' << lineNumber;
}
