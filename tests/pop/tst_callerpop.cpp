#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "pop/CallerPop.h"
#include "settings/Globals.h"

#include <QtTest>

class tst_CallerPop : public QObject
{
    Q_OBJECT

private slots:
    void pop_data();
    void pop();
    void longTextsDoNotFail();
};

// "log" lists what happened to the main window and the browser, in order.
void tst_CallerPop::pop_data()
{
    QTest::addColumn<bool>("newwin");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("log");
    const QString url = QStringLiteral("http://h/s?phone=5551234567&name=JOHN+SMITH");
    QTest::newRow("pane: restore, show, clear, search")
        << false << "(555) 123-4567" << "  JOHN SMITH  "
        << QStringList{"normal", "show", "pane about:clear", "pane " + url};
    QTest::newRow("named window leaves the main window alone")
        << true << " 555.123.4567 " << "JOHN SMITH"
        << QStringList{"CallerID about:clear", "CallerID " + url};
    QTest::newRow("no digits shows nothing") << false << "<unknown>" << "JOHN" << QStringList{};
    QTest::newRow("empty number shows nothing") << true << "" << "JOHN" << QStringList{};
    QTest::newRow("empty name still pops")
        << false << "5551234567" << ""
        << QStringList{"normal", "show", "pane about:clear",
                       "pane http://h/s?phone=5551234567&name="};
    QTest::newRow("tabs are not trimmed from the name")
        << false << "12" << "\tA"
        << QStringList{"normal", "show", "pane about:clear", "pane http://h/s?phone=12&name=%09A"};
}

void tst_CallerPop::pop()
{
    QFETCH(bool, newwin);
    QFETCH(QString, number);
    QFETCH(QString, name);
    QFETCH(QStringList, log);

    Settings g;
    g.URL = QStringLiteral("http://h/s?phone=*&name=+");
    g.newwin = newwin;
    g.Target = QStringLiteral("CallerID");
    FakeBrowser browser;
    FakeMainWindow window;
    window.minimised = true;
    CallerPop pop(g, browser, window, CodePage::Utf8);
    pop.ShowCaller(number, name);

    QCOMPARE(window.log + browser.log, log);
    // Only a pop in the pane brings the main window back from the task bar.
    QCOMPARE(window.minimised, newwin || log.isEmpty());
}

void tst_CallerPop::longTextsDoNotFail()
{
    Settings g;
    g.URL = QStringLiteral("http://h/?p=*&n=+");
    FakeBrowser browser;
    FakeMainWindow window;
    CallerPop pop(g, browser, window, CodePage::Windows1252);
    QString number(40000, QLatin1Char('9'));
    QString name(40000, QLatin1Char('&'));
    pop.ShowCaller(number, name);
    QCOMPARE(browser.log.size(), 2);
    QCOMPARE(browser.log.last().size(), qsizetype(QStringLiteral("pane http://h/?p=&n=").size() + 40000 + 40000 * 3));
}

QTEST_APPLESS_MAIN(tst_CallerPop)
#include "tst_callerpop.moc"
