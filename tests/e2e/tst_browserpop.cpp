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

// The real browser engine in this process, against a web server on 127.0.0.1: what the
// program's own pops in the pane cannot show.
class tst_BrowserPop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_openbox.Start());
        QVERIFY(m_server.Start());
        m_browser = std::make_unique<WebEngineBrowser>();
        m_window = std::make_unique<frmMain>(m_browser->Pane());
        m_window->show();
    }
    void popInANamedWindow();
    void dialNumber_data();
    void dialNumber();
    void refusedUrlsDoNotEndTheProgram();
    void cleanupTestCase() { m_window.reset(), m_browser.reset(); }

private:
    HttpRecorder m_server;
    std::unique_ptr<WebEngineBrowser> m_browser;
    std::unique_ptr<frmMain> m_window;
    TestSupport::WindowManager m_openbox;
};

// A pop with a target goes to the window of that name, brought up from behind another, and
// leaves the minimised main window alone; once the user closes it, the next call opens one.
void tst_BrowserPop::popInANamedWindow()
{
    Settings g;
    g.Target = QStringLiteral("CallerID");
    g.URL = m_server.Url(QStringLiteral("/named?phone=*&name=+"));
    g.newwin = true;
    m_window->showMinimized();
    QTRY_VERIFY(m_window->isMinimized());
    CallerPop pop(g, *m_browser, *m_window, CodePage::Utf8);
    const auto call = [&](QString number, QString name) {
        pop.ShowCaller(number, name);
        const QString page = "/named?phone=" + number + "&name=" + name;
        return QTest::qWaitFor([&] { return m_server.Requests().endsWith(page); }, 20000);
    };
    QVERIFY(call("5551234567", "JOHN"));
    QPointer<NamedBrowserWindow> first = m_browser->NamedWindow(g.Target);
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), g.Target);

    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    QVERIFY(call("5559876543", "ANN"));
    QTRY_COMPARE(QApplication::activeWindow(), first.data());
    QCOMPARE(m_browser->NamedWindow(g.Target), first.data());
    QVERIFY(m_window->isMinimized());

    first->close();
    QTRY_VERIFY(first.isNull() && !m_browser->NamedWindow(g.Target));
    QVERIFY(call("5551112222", "ANN"));
    QVERIFY(m_browser->NamedWindow(g.Target));
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
    for (const QString url : {"https://", "::not a url::", "http://127.0.0.1:1/nothing-here",
                              "javascript:alert(1)", "", "about:clear"}) {
        m_browser->Navigate(url);
        m_browser->NavigateNamed(QStringLiteral("Other"), url);
    }
    // Text that is no web address is explained in the pane instead of an empty page.
    m_browser->Navigate(QStringLiteral("https://"));
    QTRY_COMPARE(m_browser->Pane()->title(), QStringLiteral("Not a web address"));
    // The engine settles on error or empty pages; the program goes on serving pops.
    m_browser->Navigate(m_server.Url(QStringLiteral("/after")));
    QTRY_VERIFY_WITH_TIMEOUT(m_server.Requests().contains(QStringLiteral("/after")), 20000);
}

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    tst_BrowserPop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browserpop.moc"
