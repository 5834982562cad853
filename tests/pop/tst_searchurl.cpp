#include "pop/SearchUrl.h"

#include <QtTest>

// The search URL filled in for a caller, in UTF-8 and in Windows-1252.
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
        row("every byte but letters and digits escaped, two hex digits", "+", "", "A+B*C-._~\n\t",
            "A%2BB%2AC%2D%2E%5F%7E%0A%09");
        row("outside ASCII, the code page and the BMP", "+", "", "é€Ж😀",
            "%C3%A9%E2%82%AC%D0%96%F0%9F%98%80", "%E9%80%3F%3F");
        row("plus from the name is not replaced again", "x?n=+&m=+", "1", "A B", "x?n=A+B&m=A+B");
        row("plus from the number is not the name", "a=*&b=+", "1 2", "X", "a=1+2&b=X");
        row("empty name empties every plus", "*-*?a=+&b=+", "12", "", "12-12?a=&b=");
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

    void digitsOnly()
    {
        QCOMPARE(DigitsOnly(QString::fromUtf8("(555) 123-4567\r\n\xd9\xa1\xd9\xa2")), "5551234567");
        QCOMPARE(DigitsOnly(QString(100000, u'7') + "-x").size(), 100000);
        QCOMPARE(TrimSpaces("  " + QString(70000, u' ') + "\tA "), "\tA");
    }
};

QTEST_APPLESS_MAIN(tst_SearchUrl)
#include "tst_searchurl.moc"
