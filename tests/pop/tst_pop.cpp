// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "platform/WireText.h"
#include "pop/CallerPop.h"
#include "pop/SearchUrl.h"
#include "settings/Settings.h"

#include <QtTest>

// A caller's text from the wire bytes to the search URL, and what a pop does with it.
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

    void fillTemplate_data()
    {
        for (const char *column : {"tmpl", "number", "name", "utf8", "cp1252"})
            QTest::addColumn<QString>(column);
        const auto row = [](const char *tag, const QString &tmpl, const QString &number,
                            const QString &name, const QString &utf8, const QString &cp1252 = {}) {
            QTest::newRow(tag) << tmpl << number << name << utf8
                               << (cp1252.isNull() ? utf8 : cp1252);
        };
        row("both", "http://crm/s?phone=*&name=+", "5551234567", "O'NEIL & SONS",
            "http://crm/s?phone=5551234567&name=O%27NEIL+%26+SONS");
        row("outside ASCII, the code page and the BMP", "+", "", "é€Ж😀",
            "%C3%A9%E2%82%AC%D0%96%F0%9F%98%80", "%E9%80%3F%3F");
        row("plus from the name is not replaced again", "x?n=+&m=+", "1", "A B", "x?n=A+B&m=A+B");
        row("past 16-bit lengths", "*", QString(70000, u' '), "", QString(70000, u'+'));
    }

    void fillTemplate()
    {
        QFETCH(QString, tmpl);
        QFETCH(QString, number);
        QFETCH(QString, name);
        QTEST(FillTemplate(tmpl, number, name, CodePage::Utf8), "utf8");
        QTEST(FillTemplate(tmpl, number, name, CodePage::Windows1252), "cp1252");
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
