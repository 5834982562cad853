#include "pop/SearchUrl.h"

#include <QtTest>

class tst_SearchUrl : public QObject
{
    Q_OBJECT

private slots:
    void digitsOnly_data();
    void digitsOnly();
    void urlEncode_data();
    void urlEncode();
    void fillTemplate_data();
    void fillTemplate();
    void longTexts();
};

void tst_SearchUrl::digitsOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("digits");
    QTest::newRow("formatted") << "(555) 123-4567" << "5551234567";
    QTest::newRow("unknown") << "<unknown>" << "";
    QTest::newRow("letters") << "PRIVATE" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("line end kept off") << "5551234567\r\n" << "5551234567";
    QTest::newRow("arabic-indic digits are not 0-9") << QString::fromUtf8("\xd9\xa1\xd9\xa2") << "";
    QTest::newRow("tilde inside") << "12~34" << "1234";
}

void tst_SearchUrl::digitsOnly()
{
    QFETCH(QString, text);
    QFETCH(QString, digits);
    QCOMPARE(DigitsOnly(text), digits);
}

void tst_SearchUrl::urlEncode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("utf8");
    QTest::addColumn<QString>("cp1252");
    QTest::newRow("apostrophe and ampersand") << "O'NEIL & SONS" << "O%27NEIL+%26+SONS"
                                              << "O%27NEIL+%26+SONS";
    QTest::newRow("plus and asterisk") << "A+B*C" << "A%2BB%2AC" << "A%2BB%2AC";
    QTest::newRow("two hex digits below 16") << "a\nb\tc" << "a%0Ab%09c" << "a%0Ab%09c";
    QTest::newRow("unreserved still escaped") << "-._~" << "%2D%2E%5F%7E" << "%2D%2E%5F%7E";
    QTest::newRow("e acute") << QString::fromUtf8("\xc3\xa9") << "%C3%A9" << "%E9";
    QTest::newRow("euro") << QString(QChar(0x20AC)) << "%E2%82%AC" << "%80";
    QTest::newRow("outside the code page") << QString::fromUtf8("\xd0\x96") << "%D0%96" << "%3F";
    QTest::newRow("outside the BMP is one character")
        << QString::fromUtf8("\xf0\x9f\x98\x80") << "%F0%9F%98%80" << "%3F";
    QTest::newRow("digits unchanged") << "5551234567" << "5551234567" << "5551234567";
    QTest::newRow("empty") << "" << "" << "";
}

void tst_SearchUrl::urlEncode()
{
    QFETCH(QString, text);
    QFETCH(QString, utf8);
    QFETCH(QString, cp1252);
    QCOMPARE(UrlEncode(text, CodePage::Utf8), utf8);
    QCOMPARE(UrlEncode(text, CodePage::Windows1252), cp1252);
}

void tst_SearchUrl::fillTemplate_data()
{
    QTest::addColumn<QString>("tmpl");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("url");
    QTest::newRow("both") << "http://crm/search?phone=*&name=+" << "5551234567" << "JOHN SMITH"
                          << "http://crm/search?phone=5551234567&name=JOHN+SMITH";
    QTest::newRow("plus from the name is not replaced again")
        << "x?n=+&m=+" << "1" << "A B" << "x?n=A+B&m=A+B";
    QTest::newRow("empty name empties every plus") << "x?a=+&b=+&p=*" << "12" << ""
                                                   << "x?a=&b=&p=12";
    QTest::newRow("no placeholders") << "https://example.test/" << "12" << "X"
                                     << "https://example.test/";
    QTest::newRow("several numbers") << "*-*" << "12" << "" << "12-12";
    QTest::newRow("plus from the number is not the name") << "a=*&b=+"
                                                          << "1 2"
                                                          << "X"
                                                          << "a=1+2&b=X";
}

void tst_SearchUrl::fillTemplate()
{
    QFETCH(QString, tmpl);
    QFETCH(QString, number);
    QFETCH(QString, name);
    QFETCH(QString, url);
    QCOMPARE(FillTemplate(tmpl, number, name, CodePage::Utf8), url);
}

// Texts far beyond 16-bit lengths go through unharmed.
void tst_SearchUrl::longTexts()
{
    const QString number = QString(100000, QLatin1Char('7')) + QStringLiteral("-x");
    QCOMPARE(DigitsOnly(number).size(), 100000);
    const QString name(70000, QLatin1Char(' '));
    QCOMPARE(UrlEncode(name, CodePage::Windows1252), QString(70000, QLatin1Char('+')));
    QCOMPARE(TrimSpaces(QStringLiteral("  ") + name + QStringLiteral("A ")), QStringLiteral("A"));
}

QTEST_APPLESS_MAIN(tst_SearchUrl)
#include "tst_searchurl.moc"
