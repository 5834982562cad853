#include "platform/Failure.h"
#include "platform/TcpSocketControl.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// The socket control over loopback, where its clients (the YAC listener and the Asterisk
// client) do not go: a request nobody accepts, and Close in every state of a connection.
class tst_TcpSocketControl : public QObject
{
    Q_OBJECT

private slots:
    void unacceptedRequestIsDropped()
    {
        TcpSocketControl control;
        QSignalSpy requests(&control, &ISocketControl::ConnectionRequest);
        control.SetLocalPort(0);
        control.Listen();
        QTcpSocket ignored;
        QSignalSpy dropped(&ignored, &QTcpSocket::disconnected);
        ignored.connectToHost(QHostAddress::LocalHost, quint16(control.LocalPort()));
        QVERIFY(dropped.wait(5000));
        QCOMPARE(control.State(), int(ISocketControl::sckListening));
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 control.Accept(requests.first().first().value<qintptr>()));
    }

    void closeIsHarmless_data()
    {
        QTest::addColumn<QString>("peer"); // what the other end does
        QTest::addColumn<int>("state");    // when Close comes; -1 inside the event that follows
        const std::tuple<const char *, const char *, int> rows[] = {
            {"connecting", "", ISocketControl::sckConnecting},
            {"connected", "", ISocketControl::sckConnected},
            {"peer closed", "close", ISocketControl::sckClosing},
            {"refused", "refuse", ISocketControl::sckError},
            {"failure not yet reported", "no host", ISocketControl::sckError},
            {"in DataArrival", "write", -1},
            {"in PeerClosed", "close", -1},
            {"in Error", "refuse", -1},
            {"in Error, no host", "no host", -1}};
        for (const auto &[tag, peer, state] : rows)
            QTest::newRow(tag) << QString(peer) << state;
    }

    // Close, even twice, leaves the control closed, raising no event of the old socket, and
    // ready for the next connection.
    void closeIsHarmless()
    {
        QFETCH(QString, peer);
        QFETCH(int, state);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            QTcpSocket *client = server.nextPendingConnection();
            if (peer == "close")
                client->disconnectFromHost();
            else
                client->write(peer == "write" ? "unread" : "ping");
        });
        TcpSocketControl control;
        control.SetRemoteHost(peer == "no host" ? QString() : QStringLiteral("127.0.0.1"));
        control.SetRemotePort(server.serverPort());
        if (peer == "refuse")
            server.close();
        QSignalSpy errors(&control, &ISocketControl::Error);
        QSignalSpy peerClosed(&control, &ISocketControl::PeerClosed);
        qsizetype eventsAtClose = -1;
        const auto closeNow = [&] {
            control.Close();
            control.Close();
            eventsAtClose = errors.count() + peerClosed.count();
        };
        QObject context;
        if (state < 0) {
            QObject::connect(&control, &ISocketControl::DataArrival, &context, closeNow);
            QObject::connect(&control, &ISocketControl::PeerClosed, &context, closeNow);
            QObject::connect(&control, &ISocketControl::Error, &context, closeNow);
        }
        control.Connect();
        if (state == ISocketControl::sckConnecting)
            QVERIFY(control.State() == ISocketControl::sckResolvingHost ||
                    control.State() == ISocketControl::sckConnecting);
        else if (state >= 0)
            QTRY_COMPARE_WITH_TIMEOUT(control.State(), state, 5000);
        if (state >= 0)
            closeNow();
        QTRY_VERIFY_WITH_TIMEOUT(eventsAtClose >= 0, 5000);
        QCOMPARE(control.State(), int(ISocketControl::sckClosed));
        QCOMPARE(control.GetBytes(), QByteArray());
        QVERIFY_THROWS_EXCEPTION(Failure, control.SendData(QByteArray("closed")));

        QObject::disconnect(&control, nullptr, &context, nullptr);
        peer.clear();
        QVERIFY(server.isListening() || server.listen(QHostAddress::LocalHost));
        control.SetRemoteHost(QStringLiteral("127.0.0.1"));
        control.SetRemotePort(server.serverPort());
        control.Connect();
        QByteArray got;
        QTRY_COMPARE_WITH_TIMEOUT((got += control.GetBytes()), QByteArray("ping"), 5000);
        control.Close();
        QCOMPARE(errors.count() + peerClosed.count(), eventsAtClose);
    }
};

QTEST_GUILESS_MAIN(tst_TcpSocketControl)
#include "tst_tcpsocketcontrol.moc"
