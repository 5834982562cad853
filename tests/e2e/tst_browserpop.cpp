#include "app/frmMain.h"
#include "e2e/HttpRecorder.h"
#include "fakes/TestSupport.h"
#include "platform/NamedBrowserWindow.h"
#include "platform/WebEngineBrowser.h"
#include "pop/CallerPop.h"
#include "settings/Globals.h"

#include <QApplication>
#include <QWebEngineView>
#include <QtTest>

// ShowCaller with the real browser engine, against a web server on 127.0.0.1.
class tst_BrowserPop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void popInThePane_data();
    void popInThePane();
    void popInANamedWindow();
    void dialNumber_data();
    void dialNumber();
    void refusedUrlsDoNotEndTheProgram();
    void cleanupTestCase();

private:
    HttpRecorder m_server;
    std::unique_ptr<WebEngineBrowser> m_browser;
    std::unique_ptr<frmMain> m_window;
    Settings m_globals;
    TestSupport::WindowManager m_openbox;
};

void tst_BrowserPop::initTestCase()
{
    QVERIFY(m_openbox.Start());
    QVERIFY(m_server.Start());
    m_browser = std::make_unique<WebEngineBrowser>();
    m_window = std::make_unique<frmMain>(m_browser->Pane());
    m_window->show();
    m_globals.Target = QStringLiteral("CallerID");
}

void tst_BrowserPop::popInThePane_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("path");
    QTest::newRow("http") << "http://"
                          << "/search";
    QTest::newRow("no scheme, as typed in an address bar") << ""
                                                           << "/typed";
}

void tst_BrowserPop::popInThePane()
{
    QFETCH(QString, scheme);
    QFETCH(QString, path);
    m_globals.URL = scheme + m_server.Url(path + QStringLiteral("?phone=*&name=+")).mid(7);
    m_globals.newwin = false;
    m_window->showMinimized();
    QTRY_VERIFY(m_window->isMinimized());
    CallerPop pop(m_globals, *m_browser, *m_window, CodePage::Utf8);
    QString number = QStringLiteral("(555) 123-4567");
    QString name = QStringLiteral(" JOHN SMITH ");
    pop.ShowCaller(number, name);

    QTRY_VERIFY_WITH_TIMEOUT(
        m_server.PageRequests().contains(path + "?phone=5551234567&name=JOHN+SMITH"), 20000);
    QVERIFY(!m_window->isMinimized());
    QVERIFY(m_window->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(m_browser->Pane()->url().path(), path, 10000);
}

void tst_BrowserPop::popInANamedWindow()
{
    m_globals.newwin = true;
    m_window->showMinimized();
    QTRY_VERIFY(m_window->isMinimized());
    CallerPop pop(m_globals, *m_browser, *m_window, CodePage::Utf8);
    const qsizetype before = m_server.PageRequests().size();

    QString number = QStringLiteral("5551234567");
    QString name = QStringLiteral("JOHN SMITH");
    pop.ShowCaller(number, name);
    QTRY_COMPARE_WITH_TIMEOUT(m_server.PageRequests().size(), before + 1, 20000);
    QCOMPARE(m_server.PageRequests().last(),
             QStringLiteral("/typed?phone=5551234567&name=JOHN+SMITH"));
    QPointer<NamedBrowserWindow> first = m_browser->NamedWindow(QStringLiteral("CallerID"));
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), QStringLiteral("CallerID"));
    QVERIFY(m_window->isMinimized()); // the main window is not touched

    // A second call reuses the window of that name and brings it up from behind another.
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    number = QStringLiteral("5559876543");
    name = QStringLiteral("ANN");
    pop.ShowCaller(number, name);
    QTRY_COMPARE(QApplication::activeWindow(), first.data());
    QVERIFY(m_window->isMinimized());
    QTRY_COMPARE_WITH_TIMEOUT(m_server.PageRequests().size(), before + 2, 20000);
    QCOMPARE(m_server.PageRequests().last(), QStringLiteral("/typed?phone=5559876543&name=ANN"));
    QCOMPARE(m_browser->NamedWindow(QStringLiteral("CallerID")), first.data());

    // Once the user closes it, the next call opens a new one.
    first->close();
    QTRY_VERIFY(first.isNull());
    QVERIFY(!m_browser->NamedWindow(QStringLiteral("CallerID")));
    number = QStringLiteral("5551112222");
    pop.ShowCaller(number, name);
    QTRY_COMPARE_WITH_TIMEOUT(m_server.PageRequests().size(), before + 3, 20000);
    QVERIFY(m_browser->NamedWindow(QStringLiteral("CallerID")));
}

// What a page's link asks to dial; a click on one in the real program is in tst_program.
void tst_BrowserPop::dialNumber_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("number"); // null: a page like any other
    QTest::newRow("tel:") << "tel:+1-555-0100"
                          << "+1-555-0100";
    QTest::newRow("escapes, parameters") << "TEL:555%200100;ext=22"
                                         << "555 0100";
    QTest::newRow("a line end cannot reach the modem") << "tel:555%0D%0AATH0"
                                                       << "555ATH0";
    QTest::newRow("other links") << "http://crm/tel:555" << QString();
}

void tst_BrowserPop::dialNumber()
{
    QFETCH(QString, url);
    QFETCH(QString, number);
    const std::optional<QString> dial = WebEngineBrowser::DialNumber(QUrl(url));
    QCOMPARE(dial.has_value(), !number.isNull());
    QCOMPARE(dial.value_or(QString()), number);
}

void tst_BrowserPop::refusedUrlsDoNotEndTheProgram()
{
    const QStringList urls{QStringLiteral("https://"),
                           QStringLiteral("::not a url::"),
                           QStringLiteral("http://127.0.0.1:1/nothing-listens-here"),
                           QStringLiteral("javascript:alert(1)"),
                           QString(),
                           QStringLiteral("about:clear")};
    for (const QString &url : urls) {
        m_browser->Navigate(url);
        m_browser->NavigateNamed(QStringLiteral("Other"), url);
    }
    // Text that is no web address is explained in the pane instead of an empty page.
    m_browser->Navigate(QStringLiteral("https://"));
    QTRY_COMPARE(m_browser->Pane()->title(), QStringLiteral("Not a web address"));
    // The engine settles on error or empty pages; the program goes on serving pops.
    m_browser->Navigate(m_server.Url(QStringLiteral("/after")));
    QTRY_VERIFY_WITH_TIMEOUT(m_server.PageRequests().contains(QStringLiteral("/after")), 20000);
}

void tst_BrowserPop::cleanupTestCase()
{
    m_window.reset();
    m_browser.reset();
}

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    tst_BrowserPop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browserpop.moc"
