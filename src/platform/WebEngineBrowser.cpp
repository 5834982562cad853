// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WebEngineBrowser.h"

#include "Version.h"
#include "base/LogText.h"
#include "base/UrlPolicy.h"
#include "platform/BrowserPage.h"
#include "platform/NamedBrowserWindow.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QWebEngineProfile>
#include <QWebEngineView>

Q_LOGGING_CATEGORY(lcBrowser, "ringscout.browser", QtWarningMsg)

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

void WebEngineBrowser::show(QWebEngineView *view, const QString &text)
{
    if (auto *page = qobject_cast<BrowserPage *>(view->page()))
        page->expectLoad();
    if (const std::optional<QUrl> url = UrlPolicy::toUrl(text)) {
        view->load(*url);
        return;
    }
    qCInfo(lcBrowser) << "not a usable URL:" << LogText(text);
    // Better than an empty page: the user sees what to put right.
    view->setHtml(QStringLiteral("<html><head><title>Not a web address</title></head><body>"
                                 "<p>The search URL or start page in the settings is not a web "
                                 "address: <b>%1</b></p><p>%2 needs an address such as "
                                 "http://crm.example/search?phone=*&amp;name=+</p></body></html>")
                      .arg(text.toHtmlEscaped(), QString::fromUtf8(Version::Title)));
}

void WebEngineBrowser::navigate(const QString &url)
{
    if (m_pane)
        show(m_pane, url);
}

NamedBrowserWindow *WebEngineBrowser::namedWindow(const QString &target) const
{
    return m_named.value(target).data();
}

void WebEngineBrowser::navigateNamed(const QString &target, const QString &url)
{
    NamedBrowserWindow *window = namedWindow(target);
    if (!window) {
        window = openWindow(target);
        m_named.insert(target, window);
    }
    show(window->view(), url);
    // A pop hidden behind other windows, or on the task bar, is a lost pop.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

QWebEnginePage *WebEngineBrowser::openPageWindow()
{
    m_unnamed.removeAll(nullptr);
    NamedBrowserWindow *window = openWindow(QString());
    m_unnamed.append(window);
    return window->view()->page();
}

QWebEnginePage *WebEngineBrowser::newPage()
{
    return new BrowserPage(m_profile, this);
}

NamedBrowserWindow *WebEngineBrowser::openWindow(const QString &name)
{
    auto *window = new NamedBrowserWindow(name, newPage());
    window->show();
    return window;
}

void WebEngineBrowser::offerToOpenElsewhere(const QUrl &url, QWidget *window)
{
    // A double click, or a page that asks again and again, gets one box.
    if (m_offer)
        return;
    // Encoded and cut: a page's address cannot hide or reorder part of itself, nor fill the box.
    QString address = QString::fromLatin1(url.toEncoded());
    if (address.size() > kShownAddressChars)
        address = address.left(kShownAddressChars) + QStringLiteral("...");
    auto *box = new QMessageBox(
        QMessageBox::Question, QString::fromUtf8(Version::Title),
        QStringLiteral("The page asks to open an address that %1 does not show itself. Another "
                       "program on this computer will open it:\n\n%2\n\nOpen it?")
            .arg(QString::fromUtf8(Version::Title), address),
        QMessageBox::Yes | QMessageBox::No, window);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box->button(QMessageBox::Yes), &QPushButton::clicked, this, [url] {
        if (!QDesktopServices::openUrl(url))
            qCInfo(lcBrowser) << "no program opened" << LogText(url.toString());
    });
    m_offer = box;
    box->open();
}
