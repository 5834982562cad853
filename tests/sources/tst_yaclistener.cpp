#include "fakes/RecordingShowCaller.h"
#include "fakes/TestSupport.h"
#include "platform/Failure.h"
#include "platform/TcpSocketControl.h"
#include "settings/Globals.h"
#include "sources/YacListener.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using Call = QPair<QString, QString>; // number, name, as ShowCaller receives them
using Calls = QList<Call>;
using Pieces = QList<QByteArray>;

class tst_YacListener : public QObject
{
    Q_OBJECT

    Settings m_g;
    RecordingShowCaller m_pop;
    std::unique_ptr<TcpSocketControl> m_Winsock1;
    std::unique_ptr<YacListener> m_yac;

    int state() const { return m_Winsock1->State(); }

    // Connects as a YAC server and returns once the listener serves it.
    void connectServer(QTcpSocket &server)
    {
        server.connectToHost(QHostAddress::LocalHost, quint16(m_g.yacPort));
        QVERIFY(server.waitForConnected(5000));
        QTRY_COMPARE_WITH_TIMEOUT(state(), int(ISocketControl::sckConnected), 5000);
    }

    // Sends each piece once the one before was read, closes unless told not to, and returns
    // once the listener listens again.
    void serve(const Pieces &pieces, bool close = true)
    {
        QTcpSocket server;
        connectServer(server);
        QSignalSpy arrived(m_Winsock1.get(), &ISocketControl::DataArrival);
        for (const QByteArray &piece : pieces) {
            server.write(piece);
            QVERIFY(arrived.wait(5000));
        }
        if (close)
            server.disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(state(), int(ISocketControl::sckListening), 5000);
    }

private slots:
    void init()
    {
        // A port the system picks, above 32767 here, where a 16-bit port would not reach.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::Any, 0));
        m_g.yacPort = probe.serverPort();
        probe.close();
        m_pop.calls.clear();
        m_yac.reset();
        m_Winsock1 = std::make_unique<TcpSocketControl>();
        m_yac = std::make_unique<YacListener>(m_g, *m_Winsock1, m_pop);
        // Long, so that a slow machine never ends a message between two of its pieces.
        m_yac->SetQuietGap(3000);
        m_yac->SetConnectionTimeout(10000);
        m_yac->ListenYac();
        QCOMPARE(state(), int(ISocketControl::sckListening));
    }

    void message_data()
    {
        QTest::addColumn<Pieces>("pieces");
        QTest::addColumn<QString>("end"); // "close", or what makes the listener drop the server
        QTest::addColumn<Calls>("calls");
        const auto row = [](const char *name, const Pieces &pieces, const Calls &calls,
                            const char *end = "close") {
            QTest::newRow(name) << pieces << QString(end) << calls;
        };
        const QByteArray longName(32762, 'N'); // puts the ~ past position 32767
        const QByteArray flood = "@CALLA~" + QByteArray(100 * 1024, '2');
        const auto cutNumber = QString::fromLatin1(flood.mid(7, YacListener::kMaxMessageBytes - 7));

        row("plain call", {"@CALLJOHN DOE~5551234567"}, {{"5551234567", "JOHN DOE"}});
        row("empty name", {"@CALL~5551234567"}, {{"5551234567", ""}});
        row("empty number", {"@CALLJOHN DOE~"}, {{"", "JOHN DOE"}});
        row("second ~", {"@CALLANN~12~34"}, {{"12~34", "ANN"}});
        row("CR LF kept", {"@CALLJOHN DOE~555\r\n"}, {{"555\r\n", "JOHN DOE"}});
        row("lower-case tag", {"@call JOHN~555"}, {});
        row("too short", {"@CAL"}, {});
        row("no ~", {"@CALLJOHN DOE 555"}, {});
        row("not a call", {"HELLO~555"}, {});
        row("second @CALL cut", {"@CALLA~1\r\n@CALLB~2\r\n"}, {{"1\r\n", "A"}});
        row("~ past 16-bit positions", {"@CALL" + longName + "~1"}, {{"1", longName}});
        row("two pieces", {"@CALLJOHN DOE~555", "1234567"}, {{"5551234567", "JOHN DOE"}});
        row("three pieces", {"@CAL", "LJOHN DO", "E~555\r\n"}, {{"555\r\n", "JOHN DOE"}});
        row("UTF-8 character across pieces", {"@CALLJOS\xc3", "\xa9~555"}, {{"555", "JOSé"}});
        row("closed at once", {}, {});
        row("quiet gap", {"@CALLJOHN~555", "1234567"}, {{"5551234567", "JOHN"}}, "quiet");
        row("silent", {}, {}, "timeout");
        row("cut by the deadline", {"@CALLX~555", "0003333444"}, {}, "timeout");
        row("64 KiB bound", {flood}, {{cutNumber, "A"}}, "bound");
    }

    // Whatever a connection brings, the listener listens again and the next call pops.
    void message()
    {
        QFETCH(Pieces, pieces);
        QFETCH(QString, end);
        QFETCH(Calls, calls);

        if (end == "quiet")
            m_yac->SetQuietGap(200);
        if (end == "timeout")
            m_yac->SetConnectionTimeout(500);
        serve(pieces, end == "close");
        QCOMPARE(m_pop.calls, calls);
        serve({"@CALLNEXT~5550000000"});
        QCOMPARE(m_pop.calls, calls << Call("5550000000", "NEXT"));
    }

    // Servers that connect together wait their turn, and so does a flood beyond what the
    // system holds at once: every one that got in pops, in the order it came, so the last to
    // arrive is left on screen; none is dropped unseen.
    void serversThatConnectTogether()
    {
        m_yac->SetQuietGap(100);
        std::vector<std::unique_ptr<QTcpSocket>> servers;
        QList<bool> connected;
        Calls expected;
        const auto call = [](int i) { return Call(QString::number(5550000000LL + i), "S"); };
        for (int i = 0; i < 12; ++i) {
            // Blocking calls: nothing runs the listener meanwhile, so all wait in the system.
            auto &server = servers.emplace_back(std::make_unique<QTcpSocket>());
            server->connectToHost(QHostAddress::LocalHost, quint16(m_g.yacPort));
            QVERIFY(server->waitForConnected(5000));
            server->write(("@CALLS~" + call(i).first).toLatin1());
            QVERIFY(server->waitForBytesWritten(5000));
            server->disconnectFromHost();
            expected << call(i);
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_pop.calls, expected, 10000);

        m_pop.calls.clear();
        const int flood = 3 * TcpSocketControl::kMaxWaiting;
        connected.fill(false, flood);
        for (int i = 0; i < flood; ++i) {
            QTcpSocket *server = servers.emplace_back(std::make_unique<QTcpSocket>()).get();
            connect(server, &QTcpSocket::connected, this, [=, &connected] {
                connected[i] = true;
                server->write(("@CALLS~" + call(i).first).toLatin1());
                server->disconnectFromHost();
            });
            server->connectToHost(QHostAddress::LocalHost, quint16(m_g.yacPort));
        }
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(servers.begin(), servers.end(),
                                             [](const auto &s) {
                                                 return s->state() ==
                                                        QAbstractSocket::UnconnectedState;
                                             }),
                                 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_pop.calls.size(), int(connected.count(true)), 10000);
        for (int i = 0; i < flood; ++i)
            QVERIFY2(!connected[i] || m_pop.calls.contains(call(i)), qPrintable(call(i).first));
    }

    void portZeroOrNegativeLeavesTheListenerClosed()
    {
        const auto oldPort = quint16(m_g.yacPort);
        QTcpSocket server;
        connectServer(server);
        for (const qint16 off : {0, -1}) {
            m_g.yacPort = off;
            m_yac->ListenYac();
            QCOMPARE(state(), int(ISocketControl::sckClosed));
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.state(), QAbstractSocket::UnconnectedState, 5000);
        QTcpSocket late;
        late.connectToHost(QHostAddress::LocalHost, oldPort);
        QVERIFY(!late.waitForConnected(5000));
    }

    // Fails while another program holds the port, and works once it is free.
    void portTakenByAnotherProgram()
    {
        m_yac->CloseYac();
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, quint16(m_g.yacPort)));
        try {
            m_yac->ListenYac();
            QFAIL("ListenYac succeeded on a port in use");
        } catch (const Failure &failure) {
            QCOMPARE(failure.Text(),
                     QStringLiteral("YAC listener: port %1 is already in use").arg(m_g.yacPort));
        }
        QCOMPARE(state(), int(ISocketControl::sckClosed));
        other.close();
        m_yac->ListenYac();
        serve({"@CALLNEXT~5550000000"});
        QCOMPARE(m_pop.calls, (Calls{{"5550000000", "NEXT"}}));
    }
};

QTEST_GUILESS_MAIN(tst_YacListener)
#include "tst_yaclistener.moc"
