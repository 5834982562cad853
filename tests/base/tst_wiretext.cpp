// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/WireText.h"

#include <QtTest>

// Wire bytes become text with no byte lost (read after read: tst_modembuffer, fuzz_modemread).
class tst_WireText : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("byte-order mark kept; a stray byte leaves the utf-8 alone")
            << QByteArray("\xef\xbb\xbfREN\xc3\x89 \xff")
            << QChar(0xFEFF) + QString::fromUtf8("REN\xc3\x89 \xc3\xbf");
        // Four bytes, overlong, a surrogate, a sequence cut short, a lone lead byte.
        QTest::newRow("only the bytes outside a valid sequence are 1252")
            << QByteArray("\xf0\x9f\x98\x80\xc0\xaf\xed\xa0\x80\xe2\x82"
                          "A\xc3")
            << QString::fromUtf8("\xf0\x9f\x98\x80\xc3\x80\xc2\xaf\xc3\xad\xc2\xa0\xe2\x82\xac"
                                 "\xc3\xa2\xe2\x80\x9a"
                                 "A\xc3\x83");
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QTEST(WireText::decode(bytes), "text");
    }
};

QTEST_APPLESS_MAIN(tst_WireText)
#include "tst_wiretext.moc"
