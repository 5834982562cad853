#include "sources/AsteriskClient.h"

#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/RecordingShowCaller.h"
#include "fakes/ScriptedAmiServer.h"
#include "fakes/TestSupport.h"
#include "platform/TcpSocketControl.h"
#include "platform/TimerControl.h"
#include "settings/Globals.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

const QByteArray kLogin = "Action: login\r\nUsername: ringscout\r\nSecret: test123\r\n\r\n";
const QByteArray kEvents = "Action: events\r\nEventMask: call\r\n\r\n";
const QByteArray kPing = "Action: Ping\r\n\r\n";

// Offsets into login-ok-call.bin of what Asterisk sent after each action (see its README).
constexpr qsizetype kLoginReply = 30;
constexpr qsizetype kEventsReply = 178;
constexpr qsizetype kPingReply = 10773;
constexpr qsizetype kPingReplyEnd = 10836;

// What a modal message box does while it waits for a click: a nested event loop, here
// until `done` holds or five seconds have passed.
bool runModalUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

} // namespace

class tst_AsteriskClient : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsTheTimer();
    void loginEventsAndKeepAlive();
    void greetingAndAcceptanceInOneRead();
    void callerNamedLikeTheLoginAnswer();
    void refusedLogin();
    void acceptedLoginResetsTheWait();
    void peerCloseReconnects();
    void keepAliveWithoutAnswer_data();
    void keepAliveWithoutAnswer();
    void incompleteSettings_data();
    void incompleteSettings();
    void tickWithoutHost_data();
    void tickWithoutHost();
    void socketError();

private:
    // The server answers as the Asterisk 22 of the capture did; `answerPing` off makes it
    // fall silent after the login.
    void replayCapture(bool answerPing = true);
    void refuseLogins();
    void configure();
    int count(const QByteArray &message) const { return int(m_server->received.count(message)); }

    QByteArray m_ok;
    QByteArray m_failed;
    std::unique_ptr<ScriptedAmiServer> m_server;
    std::unique_ptr<Globals> m_g;
    std::unique_ptr<TcpSocketControl> m_wsAst;
    std::unique_ptr<TimerControl> m_atimer;
    std::unique_ptr<FakeMainWindow> m_window;
    std::unique_ptr<FakeMessageBox> m_box;
    std::unique_ptr<RecordingShowCaller> m_pop;
    std::unique_ptr<AsteriskClient> m_client;
};

void tst_AsteriskClient::initTestCase()
{
    m_ok = TestSupport::Fixture(QStringLiteral("ami/login-ok-call.bin"));
    m_failed = TestSupport::Fixture(QStringLiteral("ami/login-failed.bin"));
    QCOMPARE(m_ok.size(), 15168);
    QCOMPARE(m_failed.size(), 81);
}

void tst_AsteriskClient::init()
{
    m_server = std::make_unique<ScriptedAmiServer>();
    QVERIFY(m_server->Listen());
    m_g = std::make_unique<Globals>();
    m_wsAst = std::make_unique<TcpSocketControl>();
    m_atimer = std::make_unique<TimerControl>();
    m_window = std::make_unique<FakeMainWindow>();
    m_box = std::make_unique<FakeMessageBox>();
    m_pop = std::make_unique<RecordingShowCaller>();
    m_client =
        std::make_unique<AsteriskClient>(*m_g, *m_wsAst, *m_atimer, *m_window, *m_box, *m_pop);
}

void tst_AsteriskClient::cleanup()
{
    m_client.reset();
    m_wsAst.reset();
    m_server.reset();
}

void tst_AsteriskClient::configure()
{
    m_g->AsteriskServer = QStringLiteral("127.0.0.1");
    m_g->AsteriskPort = qint16(m_server->Port());
    m_g->AsteriskManager = QStringLiteral("ringscout");
    m_g->AsteriskPassword = QStringLiteral("test123");
    m_g->AsteriskExtension = QStringLiteral("101");
}

void tst_AsteriskClient::replayCapture(bool answerPing)
{
    m_server->greeting = m_ok.left(kLoginReply);
    m_server->onMessage = [this, answerPing](QTcpSocket &client, const QByteArray &message) {
        if (message.startsWith("Action: login"))
            client.write(m_ok.mid(kLoginReply, kEventsReply - kLoginReply));
        else if (message.startsWith("Action: events"))
            client.write(m_ok.mid(kEventsReply, kPingReply - kEventsReply));
        else if (message.startsWith("Action: Ping") && answerPing)
            client.write(m_ok.mid(kPingReply, kPingReplyEnd - kPingReply));
    };
}

// As Asterisk does: the refusal, then it hangs up.
void tst_AsteriskClient::refuseLogins()
{
    m_server->greeting = m_failed.left(kLoginReply);
    m_server->onMessage = [this](QTcpSocket &client, const QByteArray &message) {
        if (!message.startsWith("Action: login"))
            return;
        client.write(m_failed.mid(kLoginReply));
        client.disconnectFromHost();
    };
}

void tst_AsteriskClient::startsTheTimer()
{
    QCOMPARE(m_atimer->Interval(), 2000);
    QVERIFY(m_atimer->Enabled());
    QVERIFY(m_window->log.isEmpty());
}

void tst_AsteriskClient::loginEventsAndKeepAlive()
{
    configure();
    replayCapture();
    QSignalSpy arrivals(m_wsAst.get(), &ISocketControl::DataArrival);

    m_client->ConnectAsterisk();
    QVERIFY(m_window->netFailVisible);
    QCOMPARE(m_atimer->Interval(), 3000);
    QCOMPARE(m_wsAst->RemoteHost(), QStringLiteral("127.0.0.1"));
    QCOMPARE(m_wsAst->RemotePort(), int(m_server->Port()));

    QTRY_COMPARE(m_server->received.size(), 2);
    QCOMPARE(m_server->received.at(0), kLogin);
    QCOMPARE(m_server->received.at(1), kEvents);
    QVERIFY(!m_window->netFailVisible);
    QCOMPARE(m_atimer->Interval(), 45000);

    // The capture holds two DialBegin events; the originated call's has no caller.
    QTRY_COMPARE(m_pop->calls.size(), 1);
    QCOMPARE(m_pop->calls.at(0).first, QStringLiteral("5551234567"));
    QCOMPARE(m_pop->calls.at(0).second, QStringLiteral("Front Desk"));

    const qsizetype before = arrivals.size();
    emit m_atimer->Tick();
    QTRY_COMPARE(m_server->received.size(), 3);
    QCOMPARE(m_server->received.at(2), kPing);
    QTRY_VERIFY(arrivals.size() > before);
    emit m_atimer->Tick();
    QTRY_COMPARE(count(kPing), 2);
    QCOMPARE(m_server->connections, 1);
    QCOMPARE(m_pop->calls.size(), 1);
}

void tst_AsteriskClient::greetingAndAcceptanceInOneRead()
{
    configure();
    m_server->greeting = m_ok.left(kEventsReply);
    m_client->ConnectAsterisk();
    QTRY_COMPARE(m_server->received, (QByteArrayList{kLogin, kEvents}));
    QVERIFY(!m_window->netFailVisible);
}

void tst_AsteriskClient::callerNamedLikeTheLoginAnswer()
{
    configure();
    replayCapture();
    m_client->ConnectAsterisk();
    QTRY_COMPARE(m_pop->calls.size(), 1);
    m_server->Client()->write("Event: DialBegin\r\nChannel: PJSIP/200-00000002\r\n"
                              "CallerIDNum: 5550001111\r\nCallerIDName: Authentication failed\r\n"
                              "DestChannel: PJSIP/101-00000003\r\n\r\n");
    QTRY_COMPARE(m_pop->calls.size(), 2);
    QCOMPARE(m_pop->calls.at(1).second, QStringLiteral("Authentication failed"));
    QVERIFY(m_box->shown.isEmpty());
    QCOMPARE(m_wsAst->State(), int(ISocketControl::sckConnected));
    QVERIFY(!m_window->netFailVisible);
}

void tst_AsteriskClient::refusedLogin()
{
    AsteriskClient::Intervals intervals;
    intervals.fail = 40;
    intervals.refusedFirst = 150;
    intervals.refusedMax = 300;
    m_client->SetIntervals(intervals);
    configure();
    refuseLogins();
    QList<qint64> connectedAt;
    QElapsedTimer clock;
    clock.start();
    connect(m_server.get(), &ScriptedAmiServer::clientConnected, this,
            [&] { connectedAt.append(clock.elapsed()); });

    // The fake box stands open until two more refusals have come and gone.
    struct Seen
    {
        int state;
        bool mark;
        int interval;
    };
    QList<Seen> seen;
    bool refusedWhileOpen = false;
    m_box->onShow = [&](const FakeMessageBox::Shown &) {
        seen.append({m_wsAst->State(), m_window->netFailVisible, m_atimer->Interval()});
        if (seen.size() == 1) {
            refusedWhileOpen =
                runModalUntil([&] { return count(kLogin) >= 3 && m_wsAst->State() == 0; });
        }
    };

    m_client->ConnectAsterisk();
    QTRY_COMPARE(m_box->shown.size(), 1);
    QVERIFY(refusedWhileOpen);
    QCOMPARE(count(kLogin), 3);
    QCOMPARE(m_box->shown.at(0).title, QStringLiteral("Ringscout"));
    QCOMPARE(m_box->shown.at(0).text, QStringLiteral("Authentication Failed to Asterisk Server"));
    // Closed, marked, and waiting before the box opened; the wait doubles up to its bound.
    QCOMPARE(seen.at(0).state, int(ISocketControl::sckClosed));
    QVERIFY(seen.at(0).mark);
    QCOMPARE(seen.at(0).interval, 150);
    QCOMPARE(m_atimer->Interval(), 300);
    QCOMPARE(connectedAt.size(), 3);
    QVERIFY2(connectedAt[1] - connectedAt[0] >= 140,
             qPrintable(QString::number(connectedAt[1] - connectedAt[0])));
    QVERIFY2(connectedAt[2] - connectedAt[1] >= 285,
             qPrintable(QString::number(connectedAt[2] - connectedAt[1])));

    // New settings, a new start: the first wait again, and a box once the first is closed.
    m_client->ConnectAsterisk();
    QCOMPARE(m_atimer->Interval(), 40);
    QTRY_COMPARE(m_box->shown.size(), 2);
    QCOMPARE(seen.at(1).interval, 150);
}

void tst_AsteriskClient::acceptedLoginResetsTheWait()
{
    AsteriskClient::Intervals intervals;
    intervals.fail = 40;
    intervals.refusedFirst = 100;
    intervals.refusedMax = 100000;
    m_client->SetIntervals(intervals);
    configure();
    refuseLogins();
    m_client->ConnectAsterisk();
    QTRY_COMPARE(m_box->shown.size(), 2);
    QCOMPARE(m_atimer->Interval(), 200);

    // The secret is fixed on the PBX: the next attempt logs in.
    replayCapture();
    QTRY_VERIFY(!m_window->netFailVisible);
    QCOMPARE(m_atimer->Interval(), 45000);

    refuseLogins();
    m_server->CloseClient();
    QTRY_COMPARE(m_box->shown.size(), 3);
    QCOMPARE(m_atimer->Interval(), 100);
}

void tst_AsteriskClient::peerCloseReconnects()
{
    AsteriskClient::Intervals intervals;
    intervals.fail = 50;
    m_client->SetIntervals(intervals);
    configure();
    replayCapture();
    m_client->ConnectAsterisk();
    QTRY_VERIFY(!m_window->netFailVisible);
    QCOMPARE(m_atimer->Interval(), 45000);

    m_window->log.clear();
    m_server->CloseClient();
    QTRY_VERIFY(!m_window->log.isEmpty());
    QCOMPARE(m_window->log.first(), QStringLiteral("netfail shown"));
    QTRY_COMPARE(m_server->connections, 2);
    QTRY_COMPARE(count(kEvents), 2);
    QVERIFY(!m_window->netFailVisible);
    QCOMPARE(m_atimer->Interval(), 45000);
}

void tst_AsteriskClient::keepAliveWithoutAnswer_data()
{
    QTest::addColumn<bool>("answers");
    QTest::newRow("answered") << true;
    QTest::newRow("silent") << false;
}

void tst_AsteriskClient::keepAliveWithoutAnswer()
{
    QFETCH(bool, answers);
    configure();
    replayCapture(answers);
    QSignalSpy arrivals(m_wsAst.get(), &ISocketControl::DataArrival);
    m_client->ConnectAsterisk();
    QTRY_COMPARE(m_pop->calls.size(), 1);
    QTRY_COMPARE(m_server->received.size(), 2);

    const qsizetype before = arrivals.size();
    emit m_atimer->Tick();
    QTRY_COMPARE(count(kPing), 1);
    if (answers)
        QTRY_VERIFY(arrivals.size() > before);
    emit m_atimer->Tick();
    if (answers) {
        QTRY_COMPARE(count(kPing), 2);
        QVERIFY(!m_window->netFailVisible);
        QCOMPARE(m_server->connections, 1);
    } else {
        // Nothing came back: dropped, marked and tried afresh at once.
        QVERIFY(m_window->netFailVisible);
        QCOMPARE(m_atimer->Interval(), 3000);
        QTRY_COMPARE(m_server->connections, 2);
        QTRY_COMPARE(count(kLogin), 2);
    }
}

void tst_AsteriskClient::incompleteSettings_data()
{
    QTest::addColumn<QString>("field");
    QTest::newRow("no password") << "AsteriskPassword";
    QTest::newRow("no server") << "AsteriskServer";
    QTest::newRow("no manager") << "AsteriskManager";
    QTest::newRow("port 0") << "0";
    QTest::newRow("port -1") << "-1";
}

void tst_AsteriskClient::incompleteSettings()
{
    QFETCH(QString, field);
    auto spoil = [&] {
        configure();
        if (field == QLatin1String("AsteriskPassword"))
            m_g->AsteriskPassword.clear();
        else if (field == QLatin1String("AsteriskServer"))
            m_g->AsteriskServer.clear();
        else if (field == QLatin1String("AsteriskManager"))
            m_g->AsteriskManager.clear();
        else
            m_g->AsteriskPort = qint16(field.toInt());
    };

    // Never connected: the socket stays closed.
    spoil();
    m_client->ConnectAsterisk();
    QCOMPARE(m_wsAst->State(), int(ISocketControl::sckClosed));
    QCOMPARE(m_window->log, QStringList{QStringLiteral("netfail hidden")});
    QCOMPARE(m_atimer->Interval(), 45000);

    // Logged in: the connection goes on working.
    configure();
    replayCapture();
    m_client->ConnectAsterisk();
    QTRY_COMPARE(m_server->received.size(), 2);
    spoil();
    m_client->ConnectAsterisk();
    QVERIFY(!m_window->netFailVisible);
    QCOMPARE(m_atimer->Interval(), 45000);
    QCOMPARE(m_wsAst->State(), int(ISocketControl::sckConnected));
    emit m_atimer->Tick();
    QTRY_COMPARE(count(kPing), 1);
    QCOMPARE(m_server->connections, 1);
}

void tst_AsteriskClient::tickWithoutHost_data()
{
    QTest::addColumn<bool>("incompleteConnect");
    QTest::newRow("no ConnectAsterisk yet") << false;
    QTest::newRow("only incomplete ConnectAsterisk") << true;
}

void tst_AsteriskClient::tickWithoutHost()
{
    QFETCH(bool, incompleteConnect);
    configure();
    if (incompleteConnect) {
        m_g->AsteriskPassword.clear();
        m_client->ConnectAsterisk();
    }
    const QStringList before = m_window->log;
    emit m_atimer->Tick();
    QCOMPARE(m_wsAst->State(), int(ISocketControl::sckClosed));
    QCOMPARE(m_window->log, before);
}

void tst_AsteriskClient::socketError()
{
    // A port nobody listens on: the attempt ends in an Error event.
    quint16 port = 0;
    {
        ScriptedAmiServer probe;
        QVERIFY(probe.Listen());
        port = probe.Port();
    }
    configure();
    m_g->AsteriskPort = qint16(port);
    m_client->ConnectAsterisk();
    m_client->ShowNetOk();
    QTRY_VERIFY(m_window->netFailVisible);
    QCOMPARE(m_atimer->Interval(), 3000);
    const int failed = m_wsAst->State();
    QCOMPARE(failed, int(ISocketControl::sckError));

    // A tick with the port cleared does nothing; with it set, it tries again.
    m_g->AsteriskPort = 0;
    emit m_atimer->Tick();
    QCOMPARE(m_wsAst->State(), failed);
    m_g->AsteriskPort = qint16(port);
    emit m_atimer->Tick();
    QVERIFY(m_wsAst->State() != failed);
}

QTEST_GUILESS_MAIN(tst_AsteriskClient)
#include "tst_asteriskclient.moc"
