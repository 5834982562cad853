#include "sources/AmiFramer.h"
#include "sources/DialScan.h"

#include "fakes/TestSupport.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

namespace {

const QByteArray kGreeting = "Asterisk Call Manager/11.0.0\r\n";

struct Outcome
{
    QByteArray joined;
    QList<qsizetype> ends; // stream offsets where each non-empty output ended
    QStringList pops;      // "number|name" for each output that pops
};

// Feeds `stream` cut before each offset in `cuts` (ascending) and scans each output as the
// client does.
Outcome feed(AmiFramer &framer, const QByteArray &stream, const QList<qsizetype> &cuts)
{
    Outcome outcome;
    qsizetype from = 0;
    auto read = [&](qsizetype to) {
        const QByteArray out = framer.Feed(QByteArrayView(stream).sliced(from, to - from));
        from = to;
        if (out.isEmpty())
            return;
        outcome.joined += out;
        outcome.ends.append(outcome.joined.size());
        if (const auto caller = DialScan::FirstCaller(out, QStringLiteral("101")))
            outcome.pops.append(caller->number + QLatin1Char('|') + caller->name);
    };
    for (const qsizetype cut : cuts)
        read(cut);
    read(stream.size());
    return outcome;
}

// Where the greeting and each message of a stream end.
QSet<qsizetype> messageEnds(const QByteArray &stream)
{
    QSet<qsizetype> ends{stream.indexOf("\r\n") + 2};
    for (qsizetype at = *ends.begin(); (at = stream.indexOf("\r\n\r\n", at)) >= 0;) {
        at += 4;
        ends.insert(at);
    }
    return ends;
}

QString describe(const QList<qsizetype> &cuts)
{
    QStringList parts;
    for (const qsizetype cut : cuts.first(qMin<qsizetype>(cuts.size(), 20)))
        parts.append(QString::number(cut));
    if (cuts.size() > 20)
        parts.append(QStringLiteral("... (%1 cuts)").arg(cuts.size()));
    return parts.join(QLatin1Char(','));
}

} // namespace

class tst_AmiFramer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void captureCut_data();
    void captureCut();
    void captureEverySplit();
    void captureRandomCuts();
    void reads_data();
    void reads();
    void largeRead();
    void resetForgetsTheTail();

private:
    // Passes when cutting the capture at `cuts` gives what one read gives.
    bool sameAsOneRead(const QList<qsizetype> &cuts, qsizetype maxTailSeen = -1);

    QByteArray m_capture;
    QSet<qsizetype> m_ends;
    QStringList m_wholePops;
};

void tst_AmiFramer::initTestCase()
{
    m_capture = TestSupport::Fixture(QStringLiteral("ami/login-ok-call.bin"));
    QCOMPARE(m_capture.size(), 15168);
    m_ends = messageEnds(m_capture);
    AmiFramer framer;
    const Outcome whole = feed(framer, m_capture, {});
    QCOMPARE(whole.joined, m_capture);
    m_wholePops = whole.pops;
    QCOMPARE(m_wholePops, QStringList{QStringLiteral("5551234567|Front Desk")});
}

bool tst_AmiFramer::sameAsOneRead(const QList<qsizetype> &cuts, qsizetype maxTailSeen)
{
    AmiFramer framer;
    const Outcome outcome = feed(framer, m_capture, cuts);
    const QString where = QStringLiteral("cut at ") + describe(cuts);
    const bool boundaries = std::all_of(outcome.ends.cbegin(), outcome.ends.cend(),
                                        [&](qsizetype end) { return m_ends.contains(end); });
    [&] {
        QVERIFY2(outcome.joined == m_capture, qPrintable(where));
        QVERIFY2(boundaries, qPrintable(where + QStringLiteral(": output ends inside a message")));
        QVERIFY2(outcome.pops == m_wholePops, qPrintable(where));
        QVERIFY2(maxTailSeen < 0 || framer.PeakTailSize() <= maxTailSeen, qPrintable(where));
    }();
    return !QTest::currentTestFailed();
}

void tst_AmiFramer::captureCut_data()
{
    QTest::addColumn<QList<qsizetype>>("cuts");

    // The reads Asterisk 22 actually made on loopback, all on message boundaries.
    QTest::newRow("as received") << QList<qsizetype>{
        30, 178, 211, 272, 616, 3110, 3456, 9678, 10222, 10773, 10836, 12836, 13387, 13638, 15112};
    QList<qsizetype> bytes;
    for (qsizetype i = 1; i < 15168; ++i)
        bytes.append(i);
    QTest::newRow("byte by byte") << bytes;
    QTest::newRow("inside the greeting's CR LF") << QList<qsizetype>{29};
    QTest::newRow("inside the DialBegin's empty line") << QList<qsizetype>{6938, 6939, 6940};
}

void tst_AmiFramer::captureCut()
{
    QFETCH(QList<qsizetype>, cuts);
    // The largest message in the capture is 922 bytes with its empty line; no more is kept.
    sameAsOneRead(cuts, 922);
}

void tst_AmiFramer::captureEverySplit()
{
    for (qsizetype cut = 1; cut < m_capture.size(); ++cut) {
        if (!sameAsOneRead({cut}))
            return;
    }
}

void tst_AmiFramer::captureRandomCuts()
{
    QRandomGenerator random(0x52494e47);
    for (int round = 0; round < 400; ++round) {
        QList<qsizetype> cuts;
        const int count = random.bounded(1, 120);
        for (int i = 0; i < count; ++i)
            cuts.append(random.bounded(1, int(m_capture.size())));
        std::sort(cuts.begin(), cuts.end());
        if (!sameAsOneRead(cuts))
            return;
    }
}

void tst_AmiFramer::reads_data()
{
    QTest::addColumn<qsizetype>("maxTail");
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QByteArrayList>("outputs");
    QTest::addColumn<qint64>("dropped");

    const QByteArray ok = "Response: Success\r\nMessage: Authentication accepted\r\n\r\n";
    const QByteArray next = "Event: Next\r\n\r\n";
    const QByteArray big = "Event: Big\r\nData: " + QByteArray(100, 'x');
    const qsizetype max = AmiFramer::DefaultMaxTail;

    QTest::newRow("greeting alone")
        << max << QByteArrayList{kGreeting} << QByteArrayList{kGreeting} << qint64(0);
    QTest::newRow("greeting cut inside its CR LF")
        << max << QByteArrayList{kGreeting.chopped(1), "\n"} << QByteArrayList{"", kGreeting}
        << qint64(0);
    QTest::newRow("greeting and a reply in one read")
        << max << QByteArrayList{kGreeting + ok} << QByteArrayList{kGreeting + ok} << qint64(0);
    QTest::newRow("greeting and half a reply")
        << max << QByteArrayList{kGreeting + ok.left(20), ok.mid(20)}
        << QByteArrayList{kGreeting, ok} << qint64(0);
    QTest::newRow("empty line cut 1+3")
        << max << QByteArrayList{kGreeting, ok.chopped(3), ok.right(3)}
        << QByteArrayList{kGreeting, "", ok} << qint64(0);
    QTest::newRow("empty line cut 2+2")
        << max << QByteArrayList{kGreeting, ok.chopped(2), ok.right(2)}
        << QByteArrayList{kGreeting, "", ok} << qint64(0);
    QTest::newRow("empty line cut 3+1")
        << max << QByteArrayList{kGreeting, ok.chopped(1), ok.right(1)}
        << QByteArrayList{kGreeting, "", ok} << qint64(0);
    QTest::newRow("a reply and the start of the next")
        << max << QByteArrayList{kGreeting + ok + "Event: Ne", "xt\r\n\r\n"}
        << QByteArrayList{kGreeting + ok, next} << qint64(0);
    QTest::newRow("over-long, resync in a later read")
        << qsizetype(64) << QByteArrayList{kGreeting, big, "yyyy\r\n\r", "\n" + next}
        << QByteArrayList{kGreeting, "", "", next} << qint64(big.size() + 8);
    QTest::newRow("over-long, resync in the same read")
        << qsizetype(64) << QByteArrayList{kGreeting, big, "z\r\n\r\n" + next + ok}
        << QByteArrayList{kGreeting, "", next + ok} << qint64(big.size() + 5);
    QTest::newRow("over-long, empty line straddling the drop")
        << qsizetype(64) << QByteArrayList{kGreeting, big + "\r\n\r", "\n" + next}
        << QByteArrayList{kGreeting, "", next} << qint64(big.size() + 4);
    QTest::newRow("a long message that one read completes")
        << qsizetype(64) << QByteArrayList{kGreeting, big + "\r\n\r\n"}
        << QByteArrayList{kGreeting, big + "\r\n\r\n"} << qint64(0);
    QTest::newRow("over-long greeting")
        << qsizetype(16) << QByteArrayList{kGreeting.chopped(2), "\r\n" + ok + next}
        << QByteArrayList{"", next} << qint64(kGreeting.size() + ok.size());
}

void tst_AmiFramer::reads()
{
    QFETCH(qsizetype, maxTail);
    QFETCH(QByteArrayList, reads);
    QFETCH(QByteArrayList, outputs);
    QFETCH(qint64, dropped);

    AmiFramer framer(maxTail);
    QByteArrayList got;
    for (const QByteArray &read : reads) {
        got.append(framer.Feed(read));
        QVERIFY(framer.TailSize() <= maxTail);
    }
    QCOMPARE(got, outputs);
    QCOMPARE(framer.DroppedBytes(), dropped);
}

void tst_AmiFramer::largeRead()
{
    // 100 KB in one read: the events of the capture, over and over, after a login.
    const qsizetype eventsStart = m_capture.indexOf("Event: ");
    const QByteArray events = m_capture.mid(eventsStart, 15112 - eventsStart);
    QByteArray read = m_capture.left(178);
    while (read.size() < 100 * 1024)
        read += events;
    QByteArray tail = "Event: Newchannel\r\nChannel: PJSIP/2";

    AmiFramer framer;
    QCOMPARE(framer.Feed(read + tail), read);
    QCOMPARE(framer.TailSize(), tail.size());
    // The client's scan still pops at most once for the read.
    QVERIFY(DialScan::FirstCaller(read, QString()).has_value());
}

void tst_AmiFramer::resetForgetsTheTail()
{
    AmiFramer framer;
    QCOMPARE(framer.Feed(kGreeting + "Response: Succ"), kGreeting);
    framer.Reset();
    QCOMPARE(framer.TailSize(), 0);
    // A new connection opens with its own greeting.
    QCOMPARE(framer.Feed(kGreeting.left(10)), QByteArray());
    QCOMPARE(framer.Feed(kGreeting.mid(10) + "Event: X\r\n\r\n"), kGreeting + "Event: X\r\n\r\n");
}

QTEST_APPLESS_MAIN(tst_AmiFramer)
#include "tst_amiframer.moc"
