// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "platform/WireText.h"
#include "pop/CallerPop.h"
#include "settings/Globals.h"

#include <QtTest>

// A caller's text from the wire bytes, and what a pop does with it.
class tst_Pop : public QObject
{
    Q_OBJECT

private slots:
    // UTF-8 where the bytes are, Windows-1252 where not, no byte lost.
    void wireText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("utf-8") << QByteArray("Ren\xc3\xa9\r\n")
                               << QString::fromUtf8("Ren\xc3\xa9\r\n");
        QTest::newRow("not utf-8: 1252")
            << QByteArray("Ren\xe9\x80") << QString::fromUtf8("Ren\xc3\xa9\xe2\x82\xac");
        QTest::newRow("byte-order mark kept")
            << QByteArray("\xef\xbb\xbf\x41") << (QString(QChar(0xFEFF)) + u'A');
    }

    void wireText()
    {
        QFETCH(QByteArray, bytes);
        QTEST(WireText::Decode(bytes), "text");
    }

    // Restore, show, clear, search: the number's digits 0-9 only, the name's blanks trimmed
    // (its tab kept); without such a digit nothing shows, without a name it still does.
    void pop()
    {
        Settings g;
        g.URL = QStringLiteral("http://h/s?p=*&n=+");
        FakeBrowser browser;
        FakeMainWindow window;
        CallerPop pop(g, browser, window, CodePage::Utf8);
        QString number = QString::fromUtf8("<unknown> \xd9\xa1"), name = "  \tJOHN SMITH  ";
        pop.ShowCaller(number, name);
        number = QString::fromUtf8("(555) 123-4567\r\n\xd9\xa1\xd9\xa2");
        pop.ShowCaller(number, name);
        QCOMPARE(window.log + browser.log,
                 (QStringList{"normal", "show", "pane about:clear",
                              "pane http://h/s?p=5551234567&n=%09JOHN+SMITH"}));
        name.clear();
        pop.ShowCaller(number, name);
        QCOMPARE(browser.log.last(), "pane http://h/s?p=5551234567&n=");
    }
};

QTEST_APPLESS_MAIN(tst_Pop)
#include "tst_pop.moc"
