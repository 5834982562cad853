// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/UrlPolicy.h"

#include <QtTest>

// What the browser makes of the text of a search URL or start page.
class tst_UrlPolicy : public QObject
{
    Q_OBJECT

private slots:
    // The text, and the URL shown for it; "" for text the browser refuses.
    void toUrl()
    {
        for (const auto &[text, url] : QList<std::pair<QString, QString>>{
                 {"", "about:blank"},
                 {"About:Clear", "about:blank"},
                 // As an address bar takes it, the name's "+" kept.
                 {"crm.local/s?phone=555&name=A+B", "http://crm.local/s?phone=555&name=A+B"},
                 {"JavaScript:alert(document.cookie)", ""},
                 {"https://", ""},
                 {"::not a url::", ""},
                 {"/home/user/.ssh/id_rsa", ""}, // a file only when the text says so
                 {"file:///tmp/pop.html", "file:///tmp/pop.html"}})
            QCOMPARE(text + " -> " + UrlPolicy::toUrl(text).value_or(QUrl()).toString(),
                     text + " -> " + url);
    }
};

QTEST_APPLESS_MAIN(tst_UrlPolicy)
#include "tst_urlpolicy.moc"
