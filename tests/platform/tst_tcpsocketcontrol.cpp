#include "platform/Failure.h"
#include "platform/TcpSocketControl.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

const QHostAddress kLoopback(QHostAddress::LocalHost);

// Takes every connection request on the control itself, the way the YAC listener does.
void acceptOnItself(TcpSocketControl &control, QObject *context)
{
    QObject::connect(&control, &ISocketControl::ConnectionRequest, context,
                     [&control](qintptr requestId) {
                         control.Close();
                         control.Accept(requestId);
                     });
}

quint16 listenOnAnyPort(TcpSocketControl &control)
{
    control.SetLocalPort(0);
    control.Listen();
    return quint16(control.LocalPort());
}

// A loopback port that nothing listens on (for as long as no one else takes it).
quint16 closedPort()
{
    QTcpServer probe;
    if (!probe.listen(kLoopback, 0))
        return 0;
    return probe.serverPort();
}

// Listens, lets one client connect and accepts it on the control itself.
bool acceptClient(TcpSocketControl &control, QTcpSocket &client)
{
    QObject context;
    acceptOnItself(control, &context);
    client.connectToHost(kLoopback, listenOnAnyPort(control));
    return QTest::qWaitFor([&] { return control.State() == ISocketControl::sckConnected; }, 5000) &&
           (client.state() == QAbstractSocket::ConnectedState || client.waitForConnected(5000));
}

} // namespace

class tst_TcpSocketControl : public QObject
{
    Q_OBJECT

private slots:
    void listenOnPortZeroReadsBackThePort();
    void listenOnAPortInUseFailsWithThePort();
    void closedListenerAcceptsOnTheSameControl();
    void unacceptedRequestIsRefused();
    void peerCloseKeepsReceivedDataReadable();
    void clientConnectsSendsAndReceives();
    void connectFailureIsAnErrorEvent_data();
    void connectFailureIsAnErrorEvent();
    void closeIsHarmlessInEveryState_data();
    void closeIsHarmlessInEveryState();
    void closeInsideItsOwnEventHandlers_data();
    void closeInsideItsOwnEventHandlers();

private:
    void checkReusable(TcpSocketControl &control);
};

// After Close the control takes a new client and its data. Meanwhile the events of the
// old socket, had they come through, would have reached the caller's spies.
void tst_TcpSocketControl::checkReusable(TcpSocketControl &control)
{
    QSignalSpy arrived(&control, &ISocketControl::DataArrival);
    QTcpSocket client;
    QVERIFY(acceptClient(control, client));
    client.write("ping");
    QByteArray got;
    QTRY_COMPARE_WITH_TIMEOUT((got += control.GetBytes()), QByteArray("ping"), 5000);
    QVERIFY(arrived.count() > 0);
    control.Close();
}

void tst_TcpSocketControl::listenOnPortZeroReadsBackThePort()
{
    TcpSocketControl control;
    QCOMPARE(control.State(), int(ISocketControl::sckClosed));
    const quint16 port = listenOnAnyPort(control);
    QVERIFY(port > 0);
    QCOMPARE(control.State(), int(ISocketControl::sckListening));

    QSignalSpy requests(&control, &ISocketControl::ConnectionRequest);
    QTcpSocket client;
    client.connectToHost(kLoopback, port);
    QVERIFY(requests.wait(5000));

    control.Close();
    QCOMPARE(control.State(), int(ISocketControl::sckClosed));
    QTcpSocket late;
    late.connectToHost(kLoopback, port);
    QVERIFY(!late.waitForConnected(5000));
    QCOMPARE(late.error(), QAbstractSocket::ConnectionRefusedError);
}

void tst_TcpSocketControl::listenOnAPortInUseFailsWithThePort()
{
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::Any, 0));
    TcpSocketControl control;
    control.SetLocalPort(other.serverPort());
    try {
        control.Listen();
        QFAIL("Listen succeeded on a port in use");
    } catch (const Failure &failure) {
        QCOMPARE(failure.Description(),
                 QStringLiteral("port %1 is already in use").arg(other.serverPort()));
    }
    QCOMPARE(control.State(), int(ISocketControl::sckClosed));
}

void tst_TcpSocketControl::closedListenerAcceptsOnTheSameControl()
{
    TcpSocketControl control;
    QTcpSocket client;
    QVERIFY(acceptClient(control, client));

    QSignalSpy arrived(&control, &ISocketControl::DataArrival);
    client.write("@CALLJOHN~555");
    QVERIFY(arrived.wait(5000));
    QVERIFY(arrived.first().first().toLongLong() > 0);
    QByteArray got;
    QTRY_COMPARE_WITH_TIMEOUT((got += control.GetBytes()), QByteArray("@CALLJOHN~555"), 5000);
    QCOMPARE(control.GetBytes(), QByteArray());
}

void tst_TcpSocketControl::unacceptedRequestIsRefused()
{
    TcpSocketControl control;
    QSignalSpy requests(&control, &ISocketControl::ConnectionRequest);
    QTcpSocket ignored;
    QSignalSpy dropped(&ignored, &QTcpSocket::disconnected);
    ignored.connectToHost(kLoopback, listenOnAnyPort(control));
    QVERIFY(dropped.wait(5000));
    QCOMPARE(requests.count(), 1);
    QCOMPARE(control.State(), int(ISocketControl::sckListening));
    QVERIFY_THROWS_EXCEPTION(Failure, control.Accept(requests.first().first().value<qintptr>()));

    QObject context;
    acceptOnItself(control, &context);
    QTcpSocket next;
    next.connectToHost(kLoopback, quint16(control.LocalPort()));
    QTRY_COMPARE_WITH_TIMEOUT(control.State(), int(ISocketControl::sckConnected), 5000);
    QCOMPARE(requests.count(), 2);
    QVERIFY(requests.at(0).first().value<qintptr>() != requests.at(1).first().value<qintptr>());
}

void tst_TcpSocketControl::peerCloseKeepsReceivedDataReadable()
{
    TcpSocketControl control;
    QTcpSocket client;
    QVERIFY(acceptClient(control, client));
    QSignalSpy peerClosed(&control, &ISocketControl::PeerClosed);
    QSignalSpy errors(&control, &ISocketControl::Error);
    client.write("@CALLJOHN~555\r\n");
    client.disconnectFromHost();
    QVERIFY(peerClosed.wait(5000));
    QCOMPARE(control.State(), int(ISocketControl::sckClosing));
    QCOMPARE(control.GetBytes(), QByteArray("@CALLJOHN~555\r\n"));
    QCOMPARE(errors.count(), 0);
    QVERIFY_THROWS_EXCEPTION(Failure, control.SendData(QByteArray("late")));
}

void tst_TcpSocketControl::clientConnectsSendsAndReceives()
{
    QTcpServer server;
    QVERIFY(server.listen(kLoopback, 0));
    TcpSocketControl control;
    QVERIFY_THROWS_EXCEPTION(Failure, control.SendData(QByteArray("early")));

    control.SetLocalPort(0);
    control.SetRemoteHost(QStringLiteral("127.0.0.1"));
    control.SetRemotePort(server.serverPort());
    control.Connect();
    QVERIFY(control.State() == ISocketControl::sckResolvingHost ||
            control.State() == ISocketControl::sckConnecting);
    QTRY_COMPARE_WITH_TIMEOUT(control.State(), int(ISocketControl::sckConnected), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), 5000);
    QTcpSocket *peer = server.nextPendingConnection();

    const QByteArray sent("Action: Ping\r\n\r\n\0\x01\x7f\x80\xff\xc3\xa9 end", 27);
    control.SendData(sent);
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT((received += peer->readAll()), sent, 5000);

    QSignalSpy arrived(&control, &ISocketControl::DataArrival);
    peer->write("Response: Success\r\n\r\n");
    QVERIFY(arrived.wait(5000));
    QByteArray got;
    QTRY_COMPARE_WITH_TIMEOUT((got += control.GetBytes()), QByteArray("Response: Success\r\n\r\n"),
                              5000);

    QSignalSpy peerClosed(&control, &ISocketControl::PeerClosed);
    QSignalSpy errors(&control, &ISocketControl::Error);
    peer->disconnectFromHost();
    QVERIFY(peerClosed.wait(5000));
    QCOMPARE(control.State(), int(ISocketControl::sckClosing));
    QCOMPARE(errors.count(), 0);
    QCOMPARE(control.RemoteHost(), QStringLiteral("127.0.0.1"));
    QCOMPARE(control.RemotePort(), int(server.serverPort()));
}

void tst_TcpSocketControl::connectFailureIsAnErrorEvent_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("stateAfter");

    const int refused = QAbstractSocket::ConnectionRefusedError;
    const int operation = QAbstractSocket::OperationError;
    QTest::newRow("nothing listens")
        << "127.0.0.1" << int(closedPort()) << false << refused << int(ISocketControl::sckError);
    QTest::newRow("no host") << "" << 5038 << false << operation << int(ISocketControl::sckError);
    QTest::newRow("port 0") << "127.0.0.1" << 0 << false << operation
                            << int(ISocketControl::sckError);
    QTest::newRow("control not closed")
        << "127.0.0.1" << 5038 << true << operation << int(ISocketControl::sckListening);
}

void tst_TcpSocketControl::connectFailureIsAnErrorEvent()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(bool, listening);
    QFETCH(int, number);
    QFETCH(int, stateAfter);

    TcpSocketControl control;
    if (listening)
        listenOnAnyPort(control);
    QSignalSpy errors(&control, &ISocketControl::Error);
    control.SetRemoteHost(host);
    control.SetRemotePort(port);
    control.Connect();
    QCOMPARE(errors.count(), 0); // raised from the event loop, never inside Connect
    QVERIFY(errors.wait(5000));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().at(0).toInt(), number);
    QVERIFY(!errors.first().at(1).toString().isEmpty());
    QCOMPARE(control.State(), stateAfter);
    control.Close();
    QCOMPARE(control.State(), int(ISocketControl::sckClosed));
}

void tst_TcpSocketControl::closeIsHarmlessInEveryState_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("code");

    QTest::newRow("closed") << "closed" << int(ISocketControl::sckClosed);
    QTest::newRow("listening") << "listening" << int(ISocketControl::sckListening);
    QTest::newRow("accepted") << "accepted" << int(ISocketControl::sckConnected);
    QTest::newRow("peer closed") << "peer closed" << int(ISocketControl::sckClosing);
    QTest::newRow("connecting") << "connecting" << -1;
    QTest::newRow("connected") << "connected" << int(ISocketControl::sckConnected);
    QTest::newRow("failed") << "failed" << int(ISocketControl::sckError);
    QTest::newRow("failure not yet reported") << "no host" << int(ISocketControl::sckError);
}

void tst_TcpSocketControl::closeIsHarmlessInEveryState()
{
    QFETCH(QString, state);
    QFETCH(int, code);

    TcpSocketControl control;
    QTcpSocket client;
    QTcpServer server;
    QVERIFY(server.listen(kLoopback, 0));
    control.SetRemoteHost(QStringLiteral("127.0.0.1"));
    control.SetRemotePort(server.serverPort());

    if (state == "listening") {
        listenOnAnyPort(control);
    } else if (state == "accepted" || state == "peer closed") {
        QVERIFY(acceptClient(control, client));
        if (state == "peer closed") {
            QSignalSpy peerClosed(&control, &ISocketControl::PeerClosed);
            client.write("unread");
            client.disconnectFromHost();
            QVERIFY(peerClosed.wait(5000));
        }
    } else if (state == "connecting" || state == "connected") {
        control.Connect();
        if (state == "connected")
            QTRY_COMPARE_WITH_TIMEOUT(control.State(), int(ISocketControl::sckConnected), 5000);
    } else if (state == "failed") {
        control.SetRemotePort(closedPort());
        QSignalSpy errors(&control, &ISocketControl::Error);
        control.Connect();
        QVERIFY(errors.wait(5000));
    } else if (state == "no host") {
        control.SetRemoteHost(QString());
        control.Connect();
    }
    if (code >= 0)
        QCOMPARE(control.State(), code);
    else
        QVERIFY(control.State() == ISocketControl::sckResolvingHost ||
                control.State() == ISocketControl::sckConnecting);

    QSignalSpy errors(&control, &ISocketControl::Error);
    QSignalSpy peerClosed(&control, &ISocketControl::PeerClosed);
    control.Close();
    QCOMPARE(control.State(), int(ISocketControl::sckClosed));
    control.Close();
    QCOMPARE(control.State(), int(ISocketControl::sckClosed));
    QCOMPARE(control.GetBytes(), QByteArray());
    checkReusable(control);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(peerClosed.count(), 0);
}

void tst_TcpSocketControl::closeInsideItsOwnEventHandlers_data()
{
    QTest::addColumn<QString>("event");

    QTest::newRow("ConnectionRequest") << "ConnectionRequest";
    QTest::newRow("DataArrival") << "DataArrival";
    QTest::newRow("PeerClosed") << "PeerClosed";
    QTest::newRow("Error") << "Error";
}

void tst_TcpSocketControl::closeInsideItsOwnEventHandlers()
{
    QFETCH(QString, event);

    TcpSocketControl control;
    QSignalSpy errors(&control, &ISocketControl::Error);
    QSignalSpy peerClosed(&control, &ISocketControl::PeerClosed);
    int closedIn = 0;
    QObject context;
    const auto closeNow = [&] {
        control.Close();
        control.Close();
        ++closedIn;
    };
    QTcpSocket client;
    if (event == "ConnectionRequest") {
        connect(&control, &ISocketControl::ConnectionRequest, &context, closeNow);
        QSignalSpy dropped(&client, &QTcpSocket::disconnected);
        client.connectToHost(kLoopback, listenOnAnyPort(control));
        QVERIFY(dropped.wait(5000)); // closed without Accept: the client is refused
    } else if (event == "Error") {
        connect(&control, &ISocketControl::Error, &context, closeNow);
        control.SetRemoteHost(QStringLiteral("127.0.0.1"));
        control.SetRemotePort(closedPort());
        control.Connect();
    } else {
        QVERIFY(acceptClient(control, client));
        if (event == "DataArrival") {
            connect(&control, &ISocketControl::DataArrival, &context, closeNow);
            client.write("@CALLJOHN~555");
        } else {
            connect(&control, &ISocketControl::PeerClosed, &context, closeNow);
            client.disconnectFromHost();
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(closedIn, 1, 5000);
    QCOMPARE(control.State(), int(ISocketControl::sckClosed));
    QObject::disconnect(&control, nullptr, &context, nullptr);
    checkReusable(control);
    QCOMPARE(closedIn, 1);
    QCOMPARE(errors.count(), event == "Error" ? 1 : 0);
    QCOMPARE(peerClosed.count(), event == "PeerClosed" ? 1 : 0);
}

QTEST_GUILESS_MAIN(tst_TcpSocketControl)
#include "tst_tcpsocketcontrol.moc"
