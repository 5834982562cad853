#include "platform/Failure.h"
#include "platform/TcpSocketControl.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

const QHostAddress kLoopback(QHostAddress::LocalHost);

quint16 listenOnAnyPort(TcpSocketControl &control)
{
    control.SetLocalPort(0);
    control.Listen();
    return quint16(control.LocalPort());
}

// Takes the next client on the control itself, closed as a listener, as the YAC listener does.
bool acceptClient(TcpSocketControl &control, QTcpSocket &client)
{
    QObject context;
    QObject::connect(&control, &ISocketControl::ConnectionRequest, &context, [&](qintptr id) {
        control.Close();
        control.Accept(id);
    });
    client.connectToHost(kLoopback, listenOnAnyPort(control));
    return client.waitForConnected(5000) &&
           QTest::qWaitFor([&] { return control.State() == ISocketControl::sckConnected; }, 5000);
}

} // namespace

class tst_TcpSocketControl : public QObject
{
    Q_OBJECT

private slots:
    void listenerRefusesUnacceptedAndAcceptsOnItself()
    {
        TcpSocketControl control;
        QSignalSpy requests(&control, &ISocketControl::ConnectionRequest);
        QSignalSpy peerClosed(&control, &ISocketControl::PeerClosed);
        QSignalSpy errors(&control, &ISocketControl::Error);
        QTcpSocket ignored;
        QSignalSpy dropped(&ignored, &QTcpSocket::disconnected);
        ignored.connectToHost(kLoopback, listenOnAnyPort(control));
        QVERIFY(control.LocalPort() > 0);
        QVERIFY(dropped.wait(5000));
        QCOMPARE(control.State(), int(ISocketControl::sckListening));
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 control.Accept(requests.first().first().value<qintptr>()));

        control.Close();
        QTcpSocket client;
        QVERIFY(acceptClient(control, client));
        client.write("@CALLJOHN~555\r\n");
        client.disconnectFromHost();
        QVERIFY(peerClosed.wait(5000));
        QCOMPARE(control.State(), int(ISocketControl::sckClosing));
        QCOMPARE(control.GetBytes(), QByteArray("@CALLJOHN~555\r\n"));
        QCOMPARE(errors.count(), 0);
        QVERIFY_THROWS_EXCEPTION(Failure, control.SendData(QByteArray("late")));
        control.Close();
        QVERIFY_THROWS_EXCEPTION(Failure, control.SendData(QByteArray("closed")));
    }

    void closeIsHarmless_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("state");      // before Close; -1 for resolving or connecting
        QTest::addColumn<bool>("inHandler"); // Close runs inside the event the setup raises

        QTest::newRow("closed") << "closed" << 0 << false;
        QTest::newRow("listening") << "listening" << 2 << false;
        QTest::newRow("accepted") << "accepted" << 7 << false;
        QTest::newRow("peer closed") << "peer closed" << 8 << false;
        QTest::newRow("connecting") << "connect" << -1 << false;
        QTest::newRow("connected") << "connect" << 7 << false;
        QTest::newRow("connection refused") << "refused" << 9 << false;
        QTest::newRow("failure not yet reported") << "no host" << 9 << false;
        QTest::newRow("in ConnectionRequest") << "listening" << 0 << true;
        QTest::newRow("in DataArrival") << "accepted" << 0 << true;
        QTest::newRow("in PeerClosed") << "peer closed" << 0 << true;
        QTest::newRow("in Error") << "refused" << 0 << true;
        QTest::newRow("in Error, no host") << "no host" << 0 << true;
    }

    // Close leaves the control closed and reusable, and no event of the old socket follows.
    void closeIsHarmless()
    {
        QFETCH(QString, setup);
        QFETCH(int, state);
        QFETCH(bool, inHandler);

        QTcpServer server;
        QVERIFY(server.listen(kLoopback, 0));
        TcpSocketControl control;
        control.SetRemoteHost(setup == "no host" ? QString() : QStringLiteral("127.0.0.1"));
        control.SetRemotePort(server.serverPort());
        if (setup == "refused")
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
        const auto closeIn = [&](auto event) {
            if (inHandler)
                QObject::connect(&control, event, &context, closeNow);
        };

        QTcpSocket client;
        if (setup == "listening") {
            closeIn(&ISocketControl::ConnectionRequest);
            client.connectToHost(kLoopback, listenOnAnyPort(control));
        } else if (setup == "accepted" || setup == "peer closed") {
            QVERIFY(acceptClient(control, client));
            closeIn(&ISocketControl::DataArrival);
            closeIn(&ISocketControl::PeerClosed);
            if (setup == "accepted")
                client.write("unread");
            else
                client.disconnectFromHost();
        } else if (setup != "closed") {
            closeIn(&ISocketControl::Error);
            control.Connect();
        }

        if (inHandler) {
            QTRY_VERIFY_WITH_TIMEOUT(eventsAtClose >= 0, 5000);
        } else {
            if (state < 0)
                QVERIFY(control.State() == ISocketControl::sckResolvingHost ||
                        control.State() == ISocketControl::sckConnecting);
            else
                QTRY_COMPARE_WITH_TIMEOUT(control.State(), state, 5000);
            closeNow();
        }
        QCOMPARE(control.State(), int(ISocketControl::sckClosed));
        QCOMPARE(control.GetBytes(), QByteArray());
        QObject::disconnect(&control, nullptr, &context, nullptr);
        QTcpSocket next;
        QVERIFY(acceptClient(control, next));
        next.write("ping");
        QByteArray got;
        QTRY_COMPARE_WITH_TIMEOUT((got += control.GetBytes()), QByteArray("ping"), 5000);
        control.Close();
        QCOMPARE(errors.count() + peerClosed.count(), eventsAtClose);
    }
};

QTEST_GUILESS_MAIN(tst_TcpSocketControl)
#include "tst_tcpsocketcontrol.moc"
