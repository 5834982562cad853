// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Failure.h"
#include "calls/CallRecorder.h"
#include "fakes/RecordingCallSink.h"
#include "fakes/TestSupport.h"
#include "platform/TcpSocketControl.h"
#include "settings/Settings.h"
#include "sources/YacListener.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using Shown = QPair<QString, QString>; // number, name, as the server sent them
using Calls = QList<Shown>;
using Pieces = QList<QByteArray>;

namespace {

// Records each call, with the server's address, and that the listener had let its server go
// and waited for the next one before the pop began.
struct PopAfterRelease : RecordingCallSink
{
    ISocketControl *socket = nullptr;
    void callRecognised(const Call &call) override
    {
        QCOMPARE(socket->State(), ISocketControl::sckListening);
        QVERIFY(call.source == Call::Source::Yac && call.origin == "127.0.0.1");
        RecordingCallSink::callRecognised(call);
    }
};

} // namespace

// The YAC listener over loopback, and the socket control beneath it where the listener does
// not take it: a request nobody accepts, and Close in every state of a connection.
class tst_YacListener : public QObject
{
    Q_OBJECT

    Settings m_settings;
    PopAfterRelease m_pop;
    std::unique_ptr<TcpSocketControl> m_Winsock1;
    std::unique_ptr<YacListener> m_yac;
    bool m_stealNext = false; // another handler takes the next connection request first

    int state() const { return m_Winsock1->State(); }

    // Sends each piece once the one before was read, closes unless told not to, and returns
    // once the listener listens again.
    void serve(const Pieces &pieces, bool close = true)
    {
        QTcpSocket server;
        server.connectToHost(QHostAddress::LocalHost, quint16(m_settings.yacPort));
        QVERIFY(server.waitForConnected(5000));
        QTRY_COMPARE_WITH_TIMEOUT(state(), int(ISocketControl::sckConnected), 5000);
        QSignalSpy arrived(m_Winsock1.get(), &ISocketControl::DataArrival);
        for (const QByteArray &piece : pieces) {
            server.write(piece);
            QVERIFY(arrived.wait(5000));
        }
        if (close)
            server.disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(state(), int(ISocketControl::sckListening), 5000);
    }

    // Whatever came before, the listener listens and the next call pops.
    void nextCallPops()
    {
        const Calls before = m_pop.shown();
        serve({"@CALLNEXT~5550000000"});
        QCOMPARE(m_pop.shown(), before + Calls{Shown("5550000000", "NEXT")});
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(".")); // a dropped message is no fault to report
        // A port the system picks, above 32767 here, where a 16-bit port would not reach.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::Any, 0));
        m_settings.yacPort = probe.serverPort();
        m_settings.yacAllow = m_settings.yacBind = QString();
        probe.close();
        m_pop.calls.clear();
        m_yac.reset();
        m_Winsock1 = std::make_unique<TcpSocketControl>();
        m_pop.socket = m_Winsock1.get();
        connect(m_Winsock1.get(), &ISocketControl::ConnectionRequest, this, [this](qintptr id) {
            if (std::exchange(m_stealNext, false)) {
                m_Winsock1->Accept(id);
                m_Winsock1->closeConnection();
            }
        });
        m_yac = std::make_unique<YacListener>(m_settings, *m_Winsock1, m_pop);
        // Long, so that a slow machine never ends a message between two of its pieces.
        m_yac->setIntervals({.connectionTimeout = 10000, .quietGap = 3000});
        m_yac->ListenYac();
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

        row("empty name and number", {"@CALL~"}, {{"", ""}});
        row("second @CALL cut", {"@CALLA~1\r\n@CALLB~2\r\n"}, {{"1\r\n", "A"}});
        row("~ past 16-bit positions", {"@CALL" + longName + "~1"}, {{"1", longName}});
        row("UTF-8 character across pieces", {"@CALLJOS\xc3", "\xa9~555"}, {{"555", "JOSé"}});
        row("quiet gap", {"@CALLJOHN~555", "1234567"}, {{"5551234567", "JOHN"}}, "quiet");
        row("silent", {}, {}, "timeout");
        row("cut by the deadline", {"@CALLX~555", "0003333444"}, {}, "timeout");
        row("64 KiB bound", {flood}, {{cutNumber, "A"}}, "bound");
    }

    void message()
    {
        QFETCH(Pieces, pieces);
        QFETCH(QString, end);
        m_yac->setIntervals({.connectionTimeout = end == "timeout" ? 500 : 10000,
                             .quietGap = end == "quiet" ? 200 : 3000});
        serve(pieces, end == "close");
        QTEST(m_pop.shown(), "calls");
        nextCallPops();
    }

    // yacAllow and yacBind: three senders from 127.0.0.1, or 127.0.0.2 ("elsewhere"); the
    // refused are closed unread and make one --verbose line; a typing error is no "anyone".
    void allowList_data()
    {
        for (const char *column : {"allow", "bind", "from", "failure"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("pops");
        const auto row = [](const char *name, const char *allow, const char *bind, const char *from,
                            int pops, const char *failure = "") {
            QTest::newRow(name) << QString(allow) << QString(bind) << QString(from)
                                << QString(failure) << pops;
        };
        row("allowed", "127.0.0.1", "", "127.0.0.1", 3);
        row("networks", " ::1/128 , 127.0.0.0/30,", "", "127.0.0.1", 3);
        row("refused", "192.0.2.0/24,127.0.0.1", "", "127.0.0.2", 0);
        row("bound", "", "127.0.0.2", "127.0.0.1", 3);
        row("bad entry", "127.0.0.1, 192.0.2.300", "", "", 0,
            "YAC listener: yacAllow: \"192.0.2.300\" is neither an address nor a network such "
            "as 192.0.2.0/24");
        row("bad bind", "", "pbx.example", "", 0,
            "YAC listener: cannot listen on \"pbx.example\": not an IP address");
    }

    void allowList()
    {
        QFETCH(QString, bind);
        QFETCH(QString, from);
        QFETCH(int, pops);
        QFETCH(QString, allow);
        m_settings.yacAllow = allow;
        m_settings.yacBind = bind;
        const QString failure = TestSupport::failureOf([this] { m_yac->ListenYac(); });
        QTEST(failure, "failure");
        QCOMPARE(state(), failure.isEmpty() ? int(ISocketControl::sckListening) : 0);
        const TestSupport::LogLines lines(QStringLiteral("ringscout.yac=true"));
        for (int i = 0; i < 3 && failure.isEmpty(); ++i) {
            QTcpSocket sender;
            QVERIFY(sender.bind(QHostAddress(from)));
            sender.connectToHost(QHostAddress(bind.isEmpty() ? "127.0.0.1" : bind),
                                 quint16(m_settings.yacPort));
            QVERIFY(sender.waitForConnected(5000));
            sender.write("@CALLX~555000111" + QByteArray::number(i));
            sender.disconnectFromHost();
            QTRY_COMPARE(m_pop.calls.size() + m_yac->refusedCount(), quint64(i + 1));
        }
        QCOMPARE(QList({int(m_pop.calls.size()), int(lines.filter("outside yacAllow").size())}),
                 QList({pops, int(pops == 0 && failure.isEmpty())}));
        QTcpSocket other; // bound to one address, the listener is not on the others
        other.connectToHost(QHostAddress::LocalHost, quint16(m_settings.yacPort));
        QCOMPARE(other.waitForConnected(5000), failure.isEmpty() && bind.isEmpty());
    }

    // Servers that connect together wait their turn: each pops, in the order it came, so the
    // last to arrive is left on screen; none is dropped unseen, and each is in the call list
    // (three servers' bursts of ten).
    void serversThatConnectTogether()
    {
        m_yac->setIntervals({.connectionTimeout = 10000, .quietGap = 100});
        QTemporaryDir home;
        m_settings.CallList = true;
        CallRecorder recorder(m_settings, home.filePath("calls.sqlite"));
        QSignalSpy written(&recorder, &CallRecorder::callRecorded);
        // Nothing runs the listener meanwhile, so all wait in the system.
        QTcpSocket servers[30];
        Calls expected;
        for (int i = 0; i < 30; ++i) {
            expected << Shown(QString::number(5550000000LL + i), "S");
            servers[i].connectToHost(QHostAddress::LocalHost, quint16(m_settings.yacPort));
            QVERIFY(servers[i].waitForConnected(5000));
            servers[i].write("@CALLS~" + expected[i].first.toLatin1());
            servers[i].disconnectFromHost();
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_pop.shown(), expected, 10000);
        for (const Call &call : m_pop.calls)
            recorder.callRecognised(call);
        QTRY_COMPARE(written.size(), 30);
    }

    // Another handler takes the connection request first, so the listener's Accept fails.
    void failedAcceptLeavesTheListenerWorking()
    {
        m_stealNext = true;
        QTcpSocket stolen;
        stolen.connectToHost(QHostAddress::LocalHost, quint16(m_settings.yacPort));
        QTRY_VERIFY_WITH_TIMEOUT(!m_stealNext && !stolen.state(), 5000);
        nextCallPops();
    }

    void unacceptedRequestIsDropped()
    {
        TcpSocketControl control;
        QSignalSpy requests(&control, &ISocketControl::ConnectionRequest);
        control.Listen();
        QTcpSocket ignored;
        ignored.connectToHost(QHostAddress::LocalHost, quint16(control.LocalPort()));
        QVERIFY(QSignalSpy(&ignored, &QTcpSocket::disconnected).wait(5000));
        QCOMPARE(control.State(), int(ISocketControl::sckListening));
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 control.Accept(requests.first().first().value<qintptr>()));
    }

    void closeIsHarmless_data()
    {
        QTest::addColumn<QString>("peer"); // what the other end does
        QTest::newRow("in DataArrival") << "write";
        QTest::newRow("in Error, failure not yet reported") << "no host";
    }

    // Close, even twice inside the control's own event, leaves the control closed, raising no
    // event of the old socket, and ready for the next connection.
    void closeIsHarmless()
    {
        QFETCH(QString, peer);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection,
                         [&] { server.nextPendingConnection()->write("ping"); });
        TcpSocketControl control;
        control.SetRemoteHost(peer == "no host" ? QString() : QStringLiteral("127.0.0.1"));
        control.SetRemotePort(server.serverPort());
        QSignalSpy errors(&control, &ISocketControl::Error);
        QSignalSpy peerClosed(&control, &ISocketControl::peerClosed);
        qsizetype eventsAtClose = -1;
        const auto closeNow = [&] {
            control.Close();
            control.Close();
            eventsAtClose = errors.count() + peerClosed.count();
        };
        QObject context;
        QObject::connect(&control, &ISocketControl::DataArrival, &context, closeNow);
        QObject::connect(&control, &ISocketControl::Error, &context, closeNow);
        control.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(eventsAtClose >= 0, 5000);
        QCOMPARE(control.State(), int(ISocketControl::sckClosed));
        QCOMPARE(control.GetData(), QByteArray());
        QVERIFY_THROWS_EXCEPTION(Failure, control.SendData(QByteArray("closed")));

        QObject::disconnect(&control, nullptr, &context, nullptr);
        control.SetRemoteHost(QStringLiteral("127.0.0.1"));
        control.Connect();
        QByteArray got;
        QTRY_COMPARE_WITH_TIMEOUT((got += control.GetData()), QByteArray("ping"), 5000);
        control.Close();
        QCOMPARE(errors.count() + peerClosed.count(), eventsAtClose);
    }
};

QTEST_GUILESS_MAIN(tst_YacListener)
#include "tst_yaclistener.moc"
