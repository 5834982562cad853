// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AmiFramer.h"

#include <QTest>

// The Manager Interface's stream cut into the greeting and whole messages, however the
// PBX's writes were cut.
class tst_AmiFramer : public QObject
{
    Q_OBJECT

private slots:
    void framing_data()
    {
        QTest::addColumn<QByteArrayList>("reads");
        QTest::addColumn<QList<QByteArrayList>>("frames"); // handed on by each read, in order
        const QByteArray kGreeting = "Asterisk Call Manager/11.0.0\r\n";
        // Kept: at most 64 bytes, so a message of 65 is the longest handed on.
        const QByteArray big = "Event: Big\r\nData: " + QByteArray(100, 'x');
        const QByteArray next = "Event: Next\r\n\r\n";
        QTest::newRow("resync in a later read")
            << QByteArrayList{kGreeting, big, "y\r", "\n\r\n" + next}
            << QList<QByteArrayList>{{kGreeting}, {}, {}, {next}};
        // Over-long, 66 bytes whose end starts in the 63rd: the cut at the bound splits the end.
        const QByteArray over = "Event: Big\r\nData: " + QByteArray(44, 'x') + "\r\n\r\n";
        QTest::newRow("end across the cut, in one read")
            << QByteArrayList{kGreeting + over + next} << QList<QByteArrayList>{{kGreeting, next}};
        QTest::newRow("end across the cut and two reads")
            << QByteArrayList{kGreeting, over.first(65), over.sliced(65) + next}
            << QList<QByteArrayList>{{kGreeting}, {}, {next}};
        QTest::newRow("65 bytes") << QByteArrayList{kGreeting, over.sliced(1), next}
                                  << QList<QByteArrayList>{{kGreeting}, {over.sliced(1)}, {next}};
        // An end is the first empty line after a message's start, never one overlapping it.
        QTest::newRow("blank lines")
            << QByteArrayList{kGreeting, "\r\n\r\n\r\n", "\r\n" + next}
            << QList<QByteArrayList>{{kGreeting}, {"\r\n\r\n"}, {"\r\n\r\n", next}};
        // Line feeds a byte or two from an empty line's are no end: "\r\nx\n", "x\n\r\n".
        const QByteArray nearEnds =
            "Event: Lf\r\nData: a\r\nx\nb x\n\r\nc" + QByteArray(30, 'd') + "\r\n\r\n";
        QTest::newRow("near ends") << QByteArrayList{kGreeting, nearEnds + next}
                                   << QList<QByteArrayList>{{kGreeting}, {nearEnds, next}};
        QTest::newRow("greeting and messages across reads")
            << QByteArrayList{"Asterisk Call", " Manager/11.0.0\r\nEvent: A\r",
                              "\n\r\n" + next + "Event: C", "\r\n\r\n"}
            << QList<QByteArrayList>{
                   {}, {kGreeting}, {"Event: A\r\n\r\n", next}, {"Event: C\r\n\r\n"}};
        QTest::newRow("over-long greeting")
            << QByteArrayList{QByteArray(100, 'g'), "\r\n" + next, next}
            << QList<QByteArrayList>{{}, {}, {next}};
    }

    void framing()
    {
        QFETCH(QByteArrayList, reads);
        AmiFramer framer(64);
        QList<QByteArrayList> got;
        for (const QByteArray &read : reads) {
            const AmiFramer::Frames &frames = framer.feed(read);
            got.append(frames.greeting.isEmpty() ? QByteArrayList()
                                                 : QByteArrayList{frames.greeting.toByteArray()});
            for (const QByteArrayView message : frames.messages)
                got.last().append(message.toByteArray());
        }
        QVERIFY2(framer.peakTailSize() <= 65, qPrintable(QString::number(framer.peakTailSize())));
        QTEST(got, "frames");
    }
};

QTEST_APPLESS_MAIN(tst_AmiFramer)
#include "tst_amiframer.moc"
