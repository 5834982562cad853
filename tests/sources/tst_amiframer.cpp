#include "sources/AmiFramer.h"
#include "sources/DialScan.h"

#include "fakes/TestSupport.h"

#include <QRandomGenerator>
#include <QTest>

#include <numeric>

namespace {

const QByteArray kGreeting = "Asterisk Call Manager/11.0.0\r\n";
const QByteArray kCapture = TestSupport::Fixture(QStringLiteral("ami/login-ok-call.bin"));

QByteArray feed(AmiFramer &framer, QByteArrayView read)
{
    const AmiFramer::Frames frames = framer.Feed(read);
    return frames.greeting + frames.messages;
}

} // namespace

class tst_AmiFramer : public QObject
{
    Q_OBJECT

private slots:
    // However the capture is cut, the framer hands on the same bytes in whole messages, keeps
    // no more than one message, and the client's scan pops what it pops in one piece.
    void captureInAnySplit()
    {
        QCOMPARE(kCapture.size(), 15168);
        QList<QList<qsizetype>> splits{{}, QList<qsizetype>(kCapture.size() - 1)};
        std::iota(splits[1].begin(), splits[1].end(), 1);
        for (qsizetype cut = 1; cut < kCapture.size(); ++cut)
            splits.append(QList<qsizetype>{cut});
        QRandomGenerator random(0x52494e47);
        for (int round = 0; round < 400; ++round) {
            QList<qsizetype> cuts(random.bounded(1, 120));
            for (qsizetype &cut : cuts)
                cut = random.bounded(1, int(kCapture.size()));
            std::sort(cuts.begin(), cuts.end());
            splits.append(cuts);
        }

        for (QList<qsizetype> cuts : splits) {
            AmiFramer framer;
            QByteArray joined;
            QStringList pops;
            bool whole = true;
            qsizetype keptMost = 0;
            cuts.append(kCapture.size());
            for (qsizetype from = 0; const qsizetype to : cuts) {
                const QByteArray out =
                    feed(framer, QByteArrayView(kCapture).sliced(from, to - from));
                from = to;
                keptMost = qMax(keptMost, framer.TailSize());
                joined += out;
                whole = whole && (out.isEmpty() || out.endsWith("\r\n\r\n") || joined == kGreeting);
                if (const auto caller = DialScan::FirstCaller(out, QStringLiteral("101")))
                    pops.append(caller->number + u'|' + caller->name);
            }
            // The capture's largest message is 922 bytes with its empty line.
            QVERIFY2(joined == kCapture && whole && keptMost <= 922 &&
                         pops == QStringList{QStringLiteral("5551234567|Front Desk")},
                     qPrintable(QStringLiteral("first cut at %1").arg(cuts[0])));
        }
    }

    void overLong_data()
    {
        QTest::addColumn<QByteArrayList>("reads");
        QTest::addColumn<QByteArrayList>("outputs");
        const QByteArray big = "Event: Big\r\nData: " + QByteArray(100, 'x'); // over the 64 kept
        const QByteArray next = "Event: Next\r\n\r\n";
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

    void overLong()
    {
        QFETCH(QByteArrayList, reads);
        QFETCH(QByteArrayList, outputs);
        AmiFramer framer(64);
        QByteArrayList got;
        for (const QByteArray &read : reads) {
            got.append(feed(framer, read));
            QVERIFY(framer.TailSize() <= 64);
        }
        QVERIFY2(framer.PeakTailSize() <= 65, qPrintable(QString::number(framer.PeakTailSize())));
        QCOMPARE(got, outputs);
    }

    void largeReadAndReset()
    {
        // 100 KB in one read: the capture's messages over and over, and a cut one.
        QByteArray read = kCapture.first(15112);
        while (read.size() < 100 * 1024)
            read += kCapture.sliced(178, 15112 - 178);
        const QByteArray cut = "Event: Newchannel\r\nChannel: PJSIP/2";
        AmiFramer framer;
        QCOMPARE(feed(framer, read + cut), read);
        QCOMPARE(framer.TailSize(), cut.size());
        // A new connection: nothing kept, and its greeting complete on its own.
        framer.Reset();
        QCOMPARE(framer.TailSize(), 0);
        QCOMPARE(framer.Feed(kGreeting).greeting, kGreeting);
    }
};

QTEST_APPLESS_MAIN(tst_AmiFramer)
#include "tst_amiframer.moc"
