// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WebEngineBrowser.h"

#include "Version.h"
#include "platform/NamedBrowserWindow.h"

#include <QLoggingCategory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

Q_LOGGING_CATEGORY(lcBrowser, "ringscout.browser", QtWarningMsg)

namespace {

// A page that opens the windows it asks for through the browser, on the same profile.
class RingscoutPage : public QWebEnginePage
{
public:
    RingscoutPage(QWebEngineProfile *profile, WebEngineBrowser *browser)
        : QWebEnginePage(profile), m_browser(browser)
    {
        connect(this, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            if (!ok)
                qCInfo(lcBrowser) << "page failed to load:" << url().toString();
        });
    }

protected:
    QWebEnginePage *createWindow(WebWindowType) override
    {
        return m_browser ? m_browser->OpenPageWindow() : nullptr;
    }

    // A "tel:" link would otherwise go to whatever the desktop opens for it.
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        const std::optional<QString> number = WebEngineBrowser::DialNumber(url);
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

private:
    QPointer<WebEngineBrowser> m_browser;
};

} // namespace

WebEngineBrowser::WebEngineBrowser(QObject *parent)
    : IBrowser(parent), m_profile(new QWebEngineProfile(QString::fromUtf8(Version::Title), this)),
      m_pane(new QWebEngineView)
{
    m_pane->setObjectName(QStringLiteral("browser"));
    QWebEnginePage *page = newPage();
    page->setParent(m_pane);
    m_pane->setPage(page);
}

WebEngineBrowser::~WebEngineBrowser()
{
    // Pages must go before their profile. Windows the user closed are already gone.
    for (const auto &window : std::as_const(m_named))
        delete window.data();
    for (const auto &window : std::as_const(m_unnamed))
        delete window.data();
    delete m_pane.data();
}

std::optional<QUrl> WebEngineBrowser::ToUrl(const QString &text)
{
    if (text.isEmpty() || text.compare(QLatin1String("about:clear"), Qt::CaseInsensitive) == 0)
        return QUrl(QStringLiteral("about:blank"));
    // As an address bar takes it: "crm.local/search?phone=555" is http://crm.local/...
    const QUrl url = QUrl::fromUserInput(text);
    const QString scheme = url.scheme().toLower();
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    // A script URL would run in whatever page the window shows; a pop only ever shows pages.
    // A local file only when the text says so ("::x::" would otherwise be a file name).
    if (!url.isValid() || scheme.isEmpty() || scheme == QLatin1String("javascript") ||
        (web && url.host().isEmpty()) ||
        (scheme == QLatin1String("file") && !text.startsWith(QLatin1String("file:")))) {
        qCInfo(lcBrowser) << "not a usable URL:" << text;
        return std::nullopt;
    }
    return url;
}

std::optional<QString> WebEngineBrowser::DialNumber(const QUrl &url)
{
    if (url.scheme().compare(QLatin1String("tel"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    // "tel:+1-555-0100;ext=22": the number ends where its parameters start.
    QByteArray encoded = url.toEncoded(QUrl::RemoveScheme);
    if (const qsizetype parameters = encoded.indexOf(';'); parameters >= 0)
        encoded.truncate(parameters);
    QString number = QUrl::fromPercentEncoding(encoded);
    // The number follows "ATDT " on the modem's command line: a "%0D" in it would end the
    // dial and start a command of the page's choosing.
    number.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return number.trimmed();
}

void WebEngineBrowser::show(QWebEngineView *view, const QString &text)
{
    if (const std::optional<QUrl> url = ToUrl(text)) {
        view->load(*url);
        return;
    }
    // Better than an empty page: the user sees what to put right.
    view->setHtml(QStringLiteral("<html><head><title>Not a web address</title></head><body>"
                                 "<p>The search URL or start page in the settings is not a web "
                                 "address: <b>%1</b></p><p>%2 needs an address such as "
                                 "http://crm.example/search?phone=*&amp;name=+</p></body></html>")
                      .arg(text.toHtmlEscaped(), QString::fromUtf8(Version::Title)));
}

void WebEngineBrowser::Navigate(const QString &url)
{
    if (m_pane)
        show(m_pane, url);
}

NamedBrowserWindow *WebEngineBrowser::NamedWindow(const QString &target) const
{
    return m_named.value(target).data();
}

void WebEngineBrowser::NavigateNamed(const QString &target, const QString &url)
{
    NamedBrowserWindow *window = NamedWindow(target);
    if (!window) {
        window = openWindow(target);
        m_named.insert(target, window);
    }
    show(window->View(), url);
    // A pop hidden behind other windows, or on the task bar, is a lost pop.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

QWebEnginePage *WebEngineBrowser::OpenPageWindow()
{
    m_unnamed.removeAll(nullptr);
    NamedBrowserWindow *window = openWindow(QString());
    m_unnamed.append(window);
    return window->View()->page();
}

QWebEnginePage *WebEngineBrowser::newPage()
{
    return new RingscoutPage(m_profile, this);
}

NamedBrowserWindow *WebEngineBrowser::openWindow(const QString &name)
{
    auto *window = new NamedBrowserWindow(name, newPage());
    window->show();
    return window;
}
