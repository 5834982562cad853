// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/UrlPolicy.h"

#include <QtTest>

// What the browser makes of the text of a search URL or start page; "" for text it refuses.
class tst_UrlPolicy : public QObject
{
    Q_OBJECT

private slots:
    void toUrl_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("url");
        QTest::newRow("empty") << ""
                               << "about:blank";
        QTest::newRow("about:clear, any case") << "About:Clear"
                                               << "about:blank";
        QTest::newRow("no scheme: as an address bar") << "crm.local/s?phone=555&name=A+B"
                                                      << "http://crm.local/s?phone=555&name=A+B";
        QTest::newRow("kept as given") << "https://crm/s?n=%C3%A9+X"
                                       << "https://crm/s?n=%C3%A9+X";
        QTest::newRow("script") << "JavaScript:alert(document.cookie)"
                                << "";
        QTest::newRow("web without a host") << "https://"
                                            << "";
        QTest::newRow("no URL") << "::not a url::"
                                << "";
        QTest::newRow("a path is not a file") << "/home/user/.ssh/id_rsa"
                                              << "";
        QTest::newRow("a file said so") << "file:///tmp/pop.html"
                                        << "file:///tmp/pop.html";
    }
    void toUrl()
    {
        QFETCH(QString, text);
        QTEST(UrlPolicy::toUrl(text).value_or(QUrl()).toString(QUrl::FullyEncoded), "url");
    }
};

QTEST_APPLESS_MAIN(tst_UrlPolicy)
#include "tst_urlpolicy.moc"
