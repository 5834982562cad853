#include "platform/WebEngineBrowser.h"

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

private:
    QPointer<WebEngineBrowser> m_browser;
};

} // namespace

WebEngineBrowser::WebEngineBrowser(QObject *parent)
    : QObject(parent), m_profile(new QWebEngineProfile(QStringLiteral("Ringscout"), this)),
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

QUrl WebEngineBrowser::ToUrl(const QString &url)
{
    QUrl blank(QStringLiteral("about:blank"));
    if (url.compare(QLatin1String("about:clear"), Qt::CaseInsensitive) == 0)
        return blank;
    QUrl parsed(url, QUrl::TolerantMode);
    // A script URL would run in whatever page the window shows; a pop only ever shows pages.
    if (!parsed.isValid() || parsed.scheme().isEmpty() ||
        parsed.scheme().compare(QLatin1String("javascript"), Qt::CaseInsensitive) == 0) {
        qCInfo(lcBrowser) << "not a usable URL:" << url;
        return blank;
    }
    return parsed;
}

void WebEngineBrowser::Navigate(const QString &url)
{
    if (m_pane)
        m_pane->load(ToUrl(url));
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
    window->View()->load(ToUrl(url));
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
