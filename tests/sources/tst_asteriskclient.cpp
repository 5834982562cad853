#include "sources/AsteriskClient.h"

#include "app/AsteriskNotices.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/RecordingShowCaller.h"
#include "fakes/ScriptedAmiServer.h"
#include "fakes/TestSupport.h"
#include "platform/TcpSocketControl.h"
#include "platform/TimerControl.h"
#include "settings/Globals.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace {

const QByteArray kLogin = "Action: login\r\nUsername: ringscout\r\nSecret: test123\r\n\r\n";
const QByteArray kEvents = "Action: events\r\nEventMask: call\r\n\r\n";
const QByteArray kPing = "Action: Ping\r\n\r\n";
const QByteArray kOk = TestSupport::Fixture(QStringLiteral("ami/login-ok-call.bin"));
const QByteArray kFailed = TestSupport::Fixture(QStringLiteral("ami/login-failed.bin"));
// Where in login-ok-call.bin Asterisk's answers to Login, Events and Ping start and end.
constexpr qsizetype kLoginReply = 30, kEventsReply = 178, kPingReply = 10773, kPongEnd = 10836;

using Spoil = std::function<void(Settings &)>;

struct Rig
{
    Rig()
    {
        QObject::connect(&wsAst, &ISocketControl::DataArrival, [this](qint64 n) { bytesIn += n; });
        g.AsteriskServer = QStringLiteral("127.0.0.1");
        g.AsteriskManager = QStringLiteral("ringscout");
        g.AsteriskPassword = QStringLiteral("test123");
        g.AsteriskExtension = QStringLiteral("101");
    }
    int count(const QByteArray &message) const { return int(server.received.count(message)); }
    int state() const { return wsAst.State(); }

    // Answers as the capture's Asterisk 22 did. A `silent` one sends the greeting and the
    // login's answer in one read, and nothing after the events.
    void replayCapture(bool silent = false)
    {
        server.greeting = kOk.first(silent ? kEventsReply : kLoginReply);
        server.onMessage = [silent](QTcpSocket &client, const QByteArray &message) {
            if (message == kLogin && !silent)
                client.write(kOk.sliced(kLoginReply, kEventsReply - kLoginReply));
            else if (message == kEvents)
                client.write(kOk.sliced(kEventsReply, kPingReply - kEventsReply));
            else if (message == kPing && !silent)
                client.write(kOk.sliced(kPingReply, kPongEnd - kPingReply));
        };
    }
    // As Asterisk does: the refusal, then it hangs up.
    void refuseLogins()
    {
        server.greeting = kFailed.first(kLoginReply);
        server.onMessage = [](QTcpSocket &client, const QByteArray &) {
            client.write(kFailed.sliced(kLoginReply));
            client.disconnectFromHost();
        };
    }

    ScriptedAmiServer server;
    Settings g;
    TcpSocketControl wsAst;
    TimerControl atimer;
    FakeMainWindow window;
    FakeMessageBox box;
    RecordingShowCaller pop;
    AsteriskClient client{g, wsAst, atimer, pop};
    AsteriskNotices notices{client, window, box};
    qint64 bytesIn = 0;
};

} // namespace

Q_DECLARE_METATYPE(Spoil)

class tst_AsteriskClient : public QObject
{
    Q_OBJECT

    std::unique_ptr<Rig> r;

private slots:
    void init()
    {
        QVERIFY(kOk.size() == 15168 && kFailed.size() == 81);
        r.reset(new Rig);
        QVERIFY(r->server.Listen());
        r->g.AsteriskPort = qint16(r->server.Port());
    }
    void cleanup() { r.reset(); }

    void session()
    {
        r->client.SetIntervals({.fail = 200, .keepAliveReply = 1000});
        r->replayCapture();
        r->client.ConnectAsterisk();
        QVERIFY(r->window.netFailVisible);
        QTRY_COMPARE(r->server.received, (QByteArrayList{kLogin, kEvents}));
        QVERIFY(!r->window.netFailVisible);
        QCOMPARE(r->atimer.Interval(), 45000);
        // Of the capture's two DialBegin events only the dialplan's Dial() has a caller.
        QTRY_COMPARE(r->bytesIn, kPingReply);
        QCOMPARE(r->pop.calls, (QList<QPair<QString, QString>>{{"5551234567", "Front Desk"}}));
        emit r->atimer.Tick();
        QTRY_COMPARE(r->bytesIn, kPongEnd);
        emit r->atimer.Tick();
        const qint64 twoPongs = kPongEnd + (kPongEnd - kPingReply);
        QTRY_COMPARE(r->bytesIn, twoPongs);

        // A caller named like the login's refusal or the greeting is just a caller, even
        // across two reads: no box, no second login.
        const QByteArray dial = "Event: DialBegin\r\nCallerIDNum: 5550001111\r\nCallerIDName: "
                                "Message: Authentication failed\r\nConnectedLineName: Asterisk "
                                "Call Manager/22.0.0\r\nDestChannel: SIP/101\r\n\r\n";
        r->server.Client()->write(dial.first(40));
        QTRY_COMPARE(r->bytesIn, twoPongs + 40);
        r->server.Client()->write(dial.sliced(40));
        QTRY_COMPARE(r->pop.calls.size(), 2);
        QCOMPARE(r->pop.calls[1].second, QStringLiteral("Message: Authentication failed"));
        QVERIFY(r->box.shown.isEmpty());
        QCOMPARE(r->count(kLogin), 1);
        // Incomplete settings leave a working connection alone.
        r->g.AsteriskPassword.clear();
        r->client.ConnectAsterisk();
        QVERIFY(!r->window.netFailVisible);
        QCOMPARE(r->state(), int(ISocketControl::sckConnected));
        r->g.AsteriskPassword = QStringLiteral("test123");

        // The PBX hangs up: the mark at once, and at the next tick a new session.
        r->window.log.clear();
        r->server.Client()->disconnectFromHost();
        QTRY_COMPARE(r->window.log, QStringList{QStringLiteral("netfail shown")});
        QTRY_COMPARE(r->bytesIn, twoPongs + dial.size() + kPingReply);
        QCOMPARE(r->server.received.sliced(4), (QByteArrayList{kLogin, kEvents}));
        QVERIFY(!r->window.netFailVisible);

        // Now the PBX falls silent: no answer to the keep-alive in time, so dropped, marked and
        // tried afresh, with a PBX that greets and accepts the login in one read.
        r->replayCapture(true);
        emit r->atimer.Tick();
        QTRY_COMPARE(r->count(kPing), 3);
        QTRY_VERIFY(r->window.netFailVisible);
        QTRY_COMPARE(r->server.received.sliced(7), (QByteArrayList{kLogin, kEvents}));
    }

    void refusedLogin()
    {
        r->client.SetIntervals({.fail = 40, .refusedFirst = 150, .refusedMax = 300});
        r->refuseLogins();
        QList<QList<int>> seen; // state, mark and timer interval as each box opens
        QList<int> firstClosed; // logins, boxes and timer interval as the first box closes
        r->box.onShow = [&](const FakeMessageBox::Shown &) {
            seen.append({r->state(), r->window.netFailVisible, r->atimer.Interval()});
            if (seen.size() > 1)
                return;
            // It stands open, in a nested event loop as a modal box does, for two more refusals.
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                if (r->count(kLogin) >= 3 && !r->state())
                    loop.quit();
            });
            poll.start(5);
            QTimer::singleShot(5000, &loop, &QEventLoop::quit);
            loop.exec();
            firstClosed = {r->count(kLogin), int(r->box.shown.size()), r->atimer.Interval()};
        };
        r->client.ConnectAsterisk();
        QTRY_VERIFY(!firstClosed.isEmpty());
        QCOMPARE(r->box.shown[0].text, QStringLiteral("Authentication Failed to Asterisk Server"));
        QCOMPARE(seen[0], (QList<int>{ISocketControl::sckClosed, true, 150}));
        // One box for three refusals; the wait doubled, up to its bound.
        QCOMPARE(firstClosed, (QList<int>{3, 1, 300}));
        const auto &at = r->server.connectedAt;
        QVERIFY2(at[1] - at[0] >= 140 && at[2] - at[1] >= 285,
                 qPrintable(QString::number(at[2] - at[0])));

        // An accepted login starts the waits afresh, and so do new settings.
        r->replayCapture();
        QTRY_VERIFY(!r->window.netFailVisible);
        r->refuseLogins();
        for (const bool newSettings : {false, true}) {
            const qsizetype n = seen.size();
            if (newSettings)
                r->client.ConnectAsterisk();
            else
                r->server.Client()->disconnectFromHost();
            QTRY_VERIFY(seen.size() > n);
            QCOMPARE(seen[n][2], 150);
        }
    }

    void incompleteSettings_data()
    {
        QTest::addColumn<Spoil>("spoil");
        QTest::newRow("no password") << Spoil([](Settings &g) { g.AsteriskPassword.clear(); });
        QTest::newRow("no server") << Spoil([](Settings &g) { g.AsteriskServer.clear(); });
        QTest::newRow("no manager") << Spoil([](Settings &g) { g.AsteriskManager.clear(); });
        QTest::newRow("port 0") << Spoil([](Settings &g) { g.AsteriskPort = 0; });
        QTest::newRow("port -1") << Spoil([](Settings &g) { g.AsteriskPort = -1; });
    }

    void incompleteSettings()
    {
        QFETCH(Spoil, spoil);
        // Never connected: the socket stays closed, ticks or not.
        spoil(r->g);
        r->client.ConnectAsterisk();
        emit r->atimer.Tick();
        QCOMPARE(r->state(), int(ISocketControl::sckClosed));
        QCOMPARE(r->window.log, QStringList{QStringLiteral("netfail hidden")});
        QCOMPARE(r->atimer.Interval(), 45000);
    }

    void errorAndTicks()
    {
        // Before ConnectAsterisk the timer runs at its start interval, and a tick does nothing.
        QCOMPARE(r->atimer.Interval(), 2000);
        QVERIFY(r->atimer.Enabled());
        emit r->atimer.Tick();
        QCOMPARE(r->state(), int(ISocketControl::sckClosed));
        QVERIFY(r->window.log.isEmpty());

        // A port nobody listens on: the attempt ends in an Error event.
        const qint16 port = qint16(TestSupport::FreeSmallPort());
        QVERIFY(port > 0);
        r->g.AsteriskPort = port;
        r->client.ConnectAsterisk();
        r->client.ShowNetOk();
        QTRY_VERIFY(r->window.netFailVisible);
        QCOMPARE(r->atimer.Interval(), 3000);
        QCOMPARE(r->state(), int(ISocketControl::sckError));
    }
};

QTEST_GUILESS_MAIN(tst_AsteriskClient)
#include "tst_asteriskclient.moc"
