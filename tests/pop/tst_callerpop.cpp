#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "pop/CallerPop.h"
#include "settings/Globals.h"

#include <QtTest>

// What a pop does to the main window and the browser, in order.
class tst_CallerPop : public QObject
{
    Q_OBJECT

private slots:
    void pop_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("log");
        const auto pane = [](const QString &url) {
            return QStringList{"normal", "show", "pane about:clear", "pane http://h/s?p=" + url};
        };
        QTest::newRow("restore, show, clear, search; only blanks trimmed")
            << "(555) 123-4567"
            << "  \tJOHN SMITH  " << pane("5551234567&n=%09JOHN+SMITH");
        QTest::newRow("no digits 0-9 shows nothing") << "<unknown>"
                                                     << "JOHN" << QStringList{};
        QTest::newRow("empty name still pops") << "5551234567"
                                               << "" << pane("5551234567&n=");
        QTest::newRow("texts past 16-bit lengths")
            << QString(40000, u'9') << QString(40000, u'&')
            << pane(QString(40000, u'9') + "&n=" + QString(40000, u'&').replace("&", "%26"));
    }

    void pop()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        Settings g;
        g.URL = QStringLiteral("http://h/s?p=*&n=+");
        FakeBrowser browser;
        FakeMainWindow window;
        window.minimised = true;
        CallerPop(g, browser, window, CodePage::Windows1252).ShowCaller(number, name);
        QTEST(window.log + browser.log, "log");
    }
};

QTEST_APPLESS_MAIN(tst_CallerPop)
#include "tst_callerpop.moc"
