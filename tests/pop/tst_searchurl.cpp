// SPDX-License-Identifier: GPL-3.0-or-later
#include "pop/SearchUrl.h"

#include <QtTest>

// The search URL: the template with "*" and "+" filled in, encoded in either code page.
class tst_SearchUrl : public QObject
{
    Q_OBJECT

private slots:
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
        QTEST(::fillTemplate(tmpl, number, name, CodePage::Utf8), "utf8");
        QTEST(::fillTemplate(tmpl, number, name, CodePage::Windows1252), "cp1252");
    }
};

QTEST_APPLESS_MAIN(tst_SearchUrl)
#include "tst_searchurl.moc"
