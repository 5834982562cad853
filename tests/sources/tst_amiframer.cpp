#include "sources/AmiFramer.h"

#include <QTest>

namespace {

const QByteArray kGreeting = "Asterisk Call Manager/11.0.0\r\n";

} // namespace

class tst_AmiFramer : public QObject
{
    Q_OBJECT

private slots:
    void framing_data()
    {
        QTest::addColumn<QByteArrayList>("reads");
        QTest::addColumn<QByteArrayList>("outputs");
        // Kept: at most 64 bytes.
        const QByteArray big = "Event: Big\r\nData: " + QByteArray(100, 'x');
        const QByteArray next = "Event: Next\r\n\r\n";
        QTest::newRow("end across two reads")
            << QByteArrayList{kGreeting, "Event: A\r\n\r", "\n" + next}
            << QByteArrayList{kGreeting, "", "Event: A\r\n\r\n" + next};
        QTest::newRow("resync in a later read")
            << QByteArrayList{kGreeting, big, "y\r", "\n\r\n" + next}
            << QByteArrayList{kGreeting, "", "", next};
        QTest::newRow("resync in the same read")
            << QByteArrayList{kGreeting, big, "z\r\n\r\n" + next}
            << QByteArrayList{kGreeting, "", next};
        QTest::newRow("empty line straddling the drop")
            << QByteArrayList{kGreeting, big + "\r\n\r", "\n" + next}
            << QByteArrayList{kGreeting, "", next};
        QTest::newRow("over-long also when completed in one read")
            << QByteArrayList{kGreeting, big + "\r\n\r\n" + next}
            << QByteArrayList{kGreeting, next};
        // An end is the first empty line after a message's start, never one overlapping it.
        QTest::newRow("blank lines") << QByteArrayList{kGreeting, "\r\n\r\n\r\n", "\r\n" + next}
                                     << QByteArrayList{kGreeting, "\r\n\r\n", "\r\n\r\n" + next};
        QTest::newRow("greeting") << QByteArrayList{QByteArray(100, 'g'), "\r\n" + next, next}
                                  << QByteArrayList{"", "", next};
    }

    void framing()
    {
        QFETCH(QByteArrayList, reads);
        AmiFramer framer(64);
        QByteArrayList got;
        for (const QByteArray &read : reads) {
            const AmiFramer::Frames frames = framer.Feed(read);
            got.append(frames.greeting + frames.messages);
        }
        QVERIFY2(framer.PeakTailSize() <= 65, qPrintable(QString::number(framer.PeakTailSize())));
        QTEST(got, "outputs");
        // A new connection: nothing kept, and its greeting complete on its own.
        framer.Reset();
        QCOMPARE(framer.Feed(kGreeting).greeting, kGreeting);
    }
};

QTEST_APPLESS_MAIN(tst_AmiFramer)
#include "tst_amiframer.moc"
