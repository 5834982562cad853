#include "fakes/RecordingShowCaller.h"
#include "platform/Failure.h"
#include "platform/TcpSocketControl.h"
#include "settings/Globals.h"
#include "sources/YacListener.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using Call = QPair<QString, QString>; // number, name, as ShowCaller receives them

namespace {

const QHostAddress kLoopback(QHostAddress::LocalHost);

// yacPort is 16-bit signed, so the tests need a free port below 32768, where the system
// hands out none of its own.
qint16 freeYacPort()
{
    for (int i = 0; i < 200; ++i) {
        const qint64 port =
            20000 + (QCoreApplication::applicationPid() * 31 + qint64(i) * 97) % 12000;
        QTcpServer probe;
        if (probe.listen(QHostAddress::Any, quint16(port)))
            return qint16(port);
    }
    return 0;
}

} // namespace

class tst_YacListener : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void messageOverAConnection_data();
    void messageOverAConnection();
    void messageEndsAfterAQuietGap();
    void silentClientIsDroppedInTime();
    void oversizedMessageIsCutAtTheLimit();
    void secondClientIsRefusedWhileOneIsServed();
    void portZeroOrNegativeLeavesTheListenerClosed_data();
    void portZeroOrNegativeLeavesTheListenerClosed();
    void portInUseFailsWithThePort();
    void listensAgainOnceAPortTakenMeanwhileIsFree();

private:
    quint16 port() const { return quint16(m_g.yacPort); }
    int state() const { return m_Winsock1->State(); }
    void connectServer(QTcpSocket &server);
    void sendPieces(QTcpSocket &server, const QList<QByteArray> &pieces);
    void serve(const QList<QByteArray> &pieces);
    void checkNextCallPops();

    Globals m_g;
    RecordingShowCaller m_pop;
    std::unique_ptr<TcpSocketControl> m_Winsock1;
    std::unique_ptr<YacListener> m_yac;
};

void tst_YacListener::init()
{
    m_g = Globals();
    m_g.yacPort = freeYacPort();
    QVERIFY(m_g.yacPort > 0);
    m_pop.calls.clear();
    m_Winsock1 = std::make_unique<TcpSocketControl>();
    m_yac = std::make_unique<YacListener>(m_g, *m_Winsock1, m_pop);
    // Pieces of one message follow each other within milliseconds here; a long gap keeps
    // a slow test machine from ending a message early.
    m_yac->SetQuietGap(3000);
    m_yac->SetConnectionTimeout(10000);
    m_yac->ListenYac();
    QCOMPARE(state(), int(ISocketControl::sckListening));
}

void tst_YacListener::cleanup()
{
    m_yac.reset();
    m_Winsock1.reset();
}

void tst_YacListener::connectServer(QTcpSocket &server)
{
    QSignalSpy requests(m_Winsock1.get(), &ISocketControl::ConnectionRequest);
    server.connectToHost(kLoopback, port());
    QVERIFY(server.waitForConnected(5000));
    QTRY_COMPARE_WITH_TIMEOUT(requests.count(), 1, 5000);
}

// Sends each piece once the listener has read the one before, so each is a read of its own.
void tst_YacListener::sendPieces(QTcpSocket &server, const QList<QByteArray> &pieces)
{
    QSignalSpy arrived(m_Winsock1.get(), &ISocketControl::DataArrival);
    for (const QByteArray &piece : pieces) {
        const qsizetype before = arrived.count();
        server.write(piece);
        QTRY_VERIFY_WITH_TIMEOUT(arrived.count() > before, 5000);
    }
}

// Plays a YAC server: connects, sends the pieces, closes; returns once the listener has
// dealt with the close.
void tst_YacListener::serve(const QList<QByteArray> &pieces)
{
    QTcpSocket server;
    QSignalSpy peerClosed(m_Winsock1.get(), &ISocketControl::PeerClosed);
    connectServer(server);
    if (QTest::currentTestFailed())
        return;
    sendPieces(server, pieces);
    if (QTest::currentTestFailed())
        return;
    server.disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(peerClosed.count(), 1, 5000);
}

void tst_YacListener::checkNextCallPops()
{
    QCOMPARE(state(), int(ISocketControl::sckListening));
    const qsizetype before = m_pop.calls.size();
    serve({"@CALLNEXT~5550000000"});
    QCOMPARE(m_pop.calls.size(), before + 1);
    QCOMPARE(m_pop.calls.last(), Call("5550000000", "NEXT"));
    QCOMPARE(state(), int(ISocketControl::sckListening));
}

void tst_YacListener::messageOverAConnection_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QList<Call>>("calls");

    using Pieces = QList<QByteArray>;
    using Calls = QList<Call>;
    QTest::newRow("plain call") << Pieces{"@CALLJOHN DOE~5551234567"}
                                << Calls{{"5551234567", "JOHN DOE"}};
    QTest::newRow("empty name") << Pieces{"@CALL~5551234567"} << Calls{{"5551234567", ""}};
    QTest::newRow("empty number") << Pieces{"@CALLJOHN DOE~"} << Calls{{"", "JOHN DOE"}};
    QTest::newRow("second ~") << Pieces{"@CALLANN~12~34"} << Calls{{"12~34", "ANN"}};
    QTest::newRow("CR LF kept") << Pieces{"@CALLJOHN DOE~5551234567\r\n"}
                                << Calls{{"5551234567\r\n", "JOHN DOE"}};
    QTest::newRow("lower-case tag") << Pieces{"@call JOHN~5551234567"} << Calls{};
    QTest::newRow("too short") << Pieces{"@CAL"} << Calls{};
    QTest::newRow("no ~") << Pieces{"@CALLJOHN DOE 5551234567"} << Calls{};
    QTest::newRow("not a call") << Pieces{"HELLO\r\n"} << Calls{};
    QTest::newRow("second @CALL cut")
        << Pieces{"@CALLA~1\r\n@CALLB~2\r\n"} << Calls{{"1\r\n", "A"}};
    QTest::newRow("nothing sent") << Pieces{} << Calls{};
    QTest::newRow("two pieces") << Pieces{"@CALLJOHN DOE~555", "1234567"}
                                << Calls{{"5551234567", "JOHN DOE"}};
    QTest::newRow("three pieces") << Pieces{"@CAL", "LJOHN DO", "E~5551234567\r\n"}
                                  << Calls{{"5551234567\r\n", "JOHN DOE"}};
    QTest::newRow("UTF-8 character across pieces")
        << Pieces{"@CALLJOS\xc3", "\xa9~555"} << Calls{{"555", "JOSé"}};
}

void tst_YacListener::messageOverAConnection()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QList<Call>, calls);

    serve(pieces);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(m_pop.calls, calls);
    checkNextCallPops();
}

void tst_YacListener::messageEndsAfterAQuietGap()
{
    m_yac->SetQuietGap(100);
    QTcpSocket server;
    QSignalSpy dropped(&server, &QTcpSocket::disconnected);
    connectServer(server);
    sendPieces(server, {"@CALLJOHN DOE~555", "1234567"});
    QVERIFY(dropped.wait(5000));
    QCOMPARE(m_pop.calls, QList<Call>{Call("5551234567", "JOHN DOE")});
    checkNextCallPops();
}

void tst_YacListener::silentClientIsDroppedInTime()
{
    m_yac->SetConnectionTimeout(200);
    QTcpSocket silent;
    QSignalSpy dropped(&silent, &QTcpSocket::disconnected);
    connectServer(silent);
    QCOMPARE(state(), int(ISocketControl::sckConnected));
    QVERIFY(dropped.wait(5000));
    QVERIFY(m_pop.calls.isEmpty());
    checkNextCallPops();
}

void tst_YacListener::oversizedMessageIsCutAtTheLimit()
{
    QTcpSocket server;
    QSignalSpy dropped(&server, &QTcpSocket::disconnected);
    connectServer(server);
    const QByteArray flood = "@CALLA~1" + QByteArray(qsizetype(100) * 1024, '2');
    server.write(flood);
    QVERIFY(dropped.wait(5000));
    QCOMPARE(m_pop.calls.size(), 1);
    QCOMPARE(m_pop.calls.first().second, QStringLiteral("A"));
    QCOMPARE(m_pop.calls.first().first,
             QString::fromLatin1(flood.left(YacListener::kMaxMessageBytes).mid(7)));
    checkNextCallPops();
}

void tst_YacListener::secondClientIsRefusedWhileOneIsServed()
{
    QTcpSocket first;
    connectServer(first);
    sendPieces(first, {"@CALLFIRST~555"});

    QTcpSocket second;
    second.connectToHost(kLoopback, port());
    QVERIFY(!second.waitForConnected(5000));
    QCOMPARE(second.error(), QAbstractSocket::ConnectionRefusedError);

    QSignalSpy peerClosed(m_Winsock1.get(), &ISocketControl::PeerClosed);
    first.disconnectFromHost();
    QVERIFY(peerClosed.wait(5000));
    QCOMPARE(m_pop.calls, QList<Call>{Call("555", "FIRST")});
    checkNextCallPops();
}

void tst_YacListener::portZeroOrNegativeLeavesTheListenerClosed_data()
{
    QTest::addColumn<int>("yacPort");
    QTest::addColumn<bool>("serving");

    QTest::newRow("0 while listening") << 0 << false;
    QTest::newRow("-1 while serving") << -1 << true;
}

// What StartMonitor does with a yacPort that turns the listener off.
void tst_YacListener::portZeroOrNegativeLeavesTheListenerClosed()
{
    QFETCH(int, yacPort);
    QFETCH(bool, serving);

    const quint16 oldPort = port();
    QTcpSocket server;
    QSignalSpy dropped(&server, &QTcpSocket::disconnected);
    if (serving) {
        connectServer(server);
        sendPieces(server, {"@CALLHALF~55"});
    }
    m_g.yacPort = qint16(yacPort);
    m_yac->CloseYac();
    m_yac->ListenYac();
    QCOMPARE(state(), int(ISocketControl::sckClosed));
    if (serving)
        QVERIFY(dropped.wait(5000));

    QTcpSocket late;
    late.connectToHost(kLoopback, oldPort);
    QVERIFY(!late.waitForConnected(5000));
    QVERIFY(m_pop.calls.isEmpty());
}

void tst_YacListener::portInUseFailsWithThePort()
{
    m_yac->CloseYac();
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::Any, port()));
    try {
        m_yac->ListenYac();
        QFAIL("ListenYac succeeded on a port in use");
    } catch (const Failure &failure) {
        QCOMPARE(failure.Text(),
                 QStringLiteral("YAC listener: port %1 is already in use").arg(port()));
    }
    QCOMPARE(state(), int(ISocketControl::sckClosed));
}

// After a message the listener cannot listen again while another program holds the port;
// it keeps trying, so calls pop again once the port is free.
void tst_YacListener::listensAgainOnceAPortTakenMeanwhileIsFree()
{
    m_yac->SetRelistenRetryInterval(50);
    QTcpSocket server;
    connectServer(server);
    sendPieces(server, {"@CALLJOHN~555"});

    auto other = std::make_unique<QTcpServer>();
    QVERIFY(other->listen(QHostAddress::Any, port()));
    QSignalSpy peerClosed(m_Winsock1.get(), &ISocketControl::PeerClosed);
    server.disconnectFromHost();
    QVERIFY(peerClosed.wait(5000));
    QCOMPARE(m_pop.calls, QList<Call>{Call("555", "JOHN")});
    QCOMPARE(state(), int(ISocketControl::sckClosed));

    other.reset();
    QTRY_COMPARE_WITH_TIMEOUT(state(), int(ISocketControl::sckListening), 5000);
    checkNextCallPops();
}

QTEST_GUILESS_MAIN(tst_YacListener)
#include "tst_yaclistener.moc"
