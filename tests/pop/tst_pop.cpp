// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeBrowser.h"
#include "fakes/FakeMainWindow.h"
#include "pop/CallerPop.h"
#include "settings/Settings.h"

#include <QtTest>

// What a pop does with a caller's number and name.
class tst_Pop : public QObject
{
    Q_OBJECT

private slots:
    // Restore, show, clear, search: the number's digits 0-9 only, the name's blanks trimmed
    // (its tab kept); without such a digit nothing shows, without a name it still does.
    void pop()
    {
        Settings g;
        g.URL = QStringLiteral("http://h/s?p=*&n=+");
        FakeBrowser browser;
        FakeMainWindow window;
        CallerPop pop(g, browser, window, CodePage::Utf8);
        Call call = Call::of(QString::fromUtf8("<unknown> \xd9\xa1"), "  \tJOHN SMITH  ");
        pop.callRecognised(call);
        call.number = QString::fromUtf8("(555) 123-4567\r\n\xd9\xa1\xd9\xa2");
        pop.callRecognised(call);
        QCOMPARE(window.log + browser.log,
                 (QStringList{"normal", "show", "pane about:clear",
                              "pane http://h/s?p=5551234567&n=%09JOHN+SMITH"}));
        call.name.clear();
        pop.callRecognised(call);
        QCOMPARE(browser.log.last(), "pane http://h/s?p=5551234567&n=");
    }
};

QTEST_APPLESS_MAIN(tst_Pop)
#include "tst_pop.moc"
