#include "platform/WireText.h"

#include <QtTest>

// Bytes from the wire as text: UTF-8 where they are, Windows-1252 where not, no byte lost.
class tst_WireText : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void everyByteSurvives();
};

void tst_WireText::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii with line ends") << QByteArray("@CALLJOHN~555\r\n") << "@CALLJOHN~555\r\n";
    QTest::newRow("utf-8") << QByteArray("Ren\xc3\xa9") << QString::fromUtf8("Ren\xc3\xa9");
    QTest::newRow("latin byte is 1252")
        << QByteArray("Ren\xe9") << QString::fromUtf8("Ren\xc3\xa9");
    QTest::newRow("1252 euro") << QByteArray("\x80") << QString(QChar(0x20AC));
    QTest::newRow("cut utf-8 falls back") << QByteArray("A\xc3") << QString::fromUtf8("A\xc3\x83");
    QTest::newRow("byte-order mark kept")
        << QByteArray("\xef\xbb\xbf\x41") << (QString(QChar(0xFEFF)) + u'A');
}

void tst_WireText::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(WireText::Decode(bytes), text);
}

// Windows-1252 text keeps one character per byte; a character it lacks has no byte.
void tst_WireText::everyByteSurvives()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = WireText::Decode(all);
    QCOMPARE(text.size(), 256);
    for (int b = 0; b < 256; ++b)
        QCOMPARE(WireText::Windows1252Byte(text.at(b).unicode()), b);
    QCOMPARE(WireText::Windows1252Byte(u'\u0416'), -1);
}

QTEST_APPLESS_MAIN(tst_WireText)
#include "tst_wiretext.moc"
