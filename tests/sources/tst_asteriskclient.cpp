// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AsteriskClient.h"

#include "app/AsteriskNotices.h"
#include "base/Failure.h"
#include "base/TelLink.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/RecordingCallSink.h"
#include "fakes/ScriptedAmiServer.h"
#include "fakes/TestSupport.h"
#include "platform/TcpSocketControl.h"
#include "platform/TimerControl.h"
#include "settings/Settings.h"
#include "sources/AmiField.h"
#include "sources/PbxDialer.h"

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslKey>
#include <QTemporaryDir>
#include <QTest>

namespace {

using State = ISocketControl::StateCode;
const QByteArray kPlain = "Action: login\r\nUsername: ringscout\r\nSecret: test123\r\n\r\n";
const QByteArray kChallenge = "Action: Challenge\r\nAuthType: MD5\r\n\r\n";
// md5("445174750test123"): the challenge of login-md5.bin and the secret.
const QByteArray kLogin = "Action: Login\r\nAuthType: MD5\r\nUsername: ringscout\r\nKey: "
                          "bdbbfac53f80bbdc669e113c54378708\r\n\r\n";
const QByteArray kMd5 = TestSupport::fixture(QStringLiteral("ami/login-md5.bin"));
const QByteArray kChallengeReply = kMd5.sliced(30, 43);
const QByteArray kEvents = "Action: events\r\nEventMask: call\r\n\r\n";
const QByteArray kPing = "Action: Ping\r\n\r\n";
const QByteArray kOk = TestSupport::fixture(QStringLiteral("ami/login-ok-call.bin"));
const QByteArray kFailed = TestSupport::fixture(QStringLiteral("ami/login-failed.bin"));
// Where in login-ok-call.bin Asterisk's answers to Login, Events and Ping start and end.
constexpr qsizetype kLoginReply = 30, kEventsReply = 178, kPingReply = 10773, kPongEnd = 10836;

// The real socket, with a state and sends that fail on demand.
struct FlakySocket : TcpSocketControl
{
    using TcpSocketControl::SendData;
    std::optional<StateCode> state;
    bool failSends = false;
    StateCode State() const override { return state.value_or(TcpSocketControl::State()); }
    void SendData(const QByteArray &bytes) override
    {
        if (failSends)
            throw Failure(QStringLiteral("TCP socket"), QStringLiteral("cannot send"));
        TcpSocketControl::SendData(bytes);
    }
};

struct Rig
{
    Rig()
    {
        QObject::connect(&wsAst, &ISocketControl::DataArrival, [this](qint64 n) { bytesIn += n; });
        g.AsteriskServer = QStringLiteral("127.0.0.1");
        g.AsteriskManager = QStringLiteral("ringscout");
        g.AsteriskPassword = QStringLiteral("test123");
        g.AsteriskExtension = QStringLiteral("101");
        g.AsteriskPort = qint16(server.Listen() ? server.port() : 0);
    }
    int count(const QByteArray &message) const { return int(server.received.count(message)); }
    State state() const { return wsAst.State(); }
    // Answers as the captures' Asterisk 22 did; a `silent` one sends the challenge and the
    // login's answer in one read, and nothing after the events.
    void replayCapture(bool silent = false)
    {
        server.greeting = kOk.first(kLoginReply);
        server.onMessage = [silent](QTcpSocket &client, const QByteArray &message) {
            if (message == kChallenge)
                client.write(kChallengeReply +
                             (silent ? kOk.sliced(kLoginReply, kEventsReply - kLoginReply) : ""));
            else if ((message == kLogin || message == kPlain) && !silent)
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
        server.onMessage = [](QTcpSocket &client, const QByteArray &message) {
            if (message == kChallenge)
                return void(client.write(kChallengeReply));
            client.write(kFailed.sliced(kLoginReply));
            client.disconnectFromHost();
        };
    }
    void write(const QByteArray &bytes)
    {
        const qint64 before = bytesIn;
        server.client()->write(bytes);
        QTRY_COMPARE(bytesIn, before + bytes.size());
    }

    ScriptedAmiServer server;
    Settings g;
    FlakySocket wsAst;
    TimerControl atimer;
    FakeMainWindow window;
    FakeMessageBox box;
    RecordingCallSink pop;
    AsteriskClient client{g, wsAst, atimer, pop};
    PbxDialer pbx{g, client};
    AsteriskNotices notices{client, pbx, window, box};
    qint64 bytesIn = -kChallengeReply.size(); // counted as in login-ok-call.bin
    // As the program wires it: the calls placed reach the sink too.
    QMetaObject::Connection placed = QObject::connect(
        &pbx, &IDialer::callPlaced, [this](const Call &call) { pop.callRecognised(call); });
};

using TestSupport::LogLines;
using TestSupport::openssl;

// The PBX's answers to an Originate; "$ID" becomes its ActionID.
QByteArray answer(const QByteArray &fields, const QByteArray &event = {})
{
    return (event.isEmpty() ? "" : "Event: " + event + "\r\nPrivilege: call,all\r\n") +
           "ActionID: $ID\r\n" + fields + "\r\n\r\n";
}
QByteArray ended(const char *response, const char *reason, const char *event = "OriginateResponse")
{
    return answer(
        "Response: " + QByteArray(response) + "\r\nChannel: PJSIP/101\r\nReason: " + reason, event);
}
const QString kDesk = QStringLiteral("PJSIP/101"), kContext = QStringLiteral("from-internal");
const QByteArray kQueued = answer("Response: Success\r\nMessage: Originate successfully queued");
enum Then { Nothing, HangUp, DialAgain };
} // namespace

using Spoil = std::function<void(Settings &)>;
Q_DECLARE_METATYPE(Spoil)

class tst_AsteriskClient : public QObject
{
    Q_OBJECT

    std::unique_ptr<Rig> m_r;
    QTemporaryDir m_certs; // a test authority, and certificates of the PBX's key

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ringscout.dial=true"));
        // The authority; the PBX's key, self-signed; certificates of that key from the authority.
        QString script = QStringLiteral(
            "req -x509 -nodes -days 2 -subj /CN=CA -keyout ca.key -out ca.pem EC\n"
            "req -x509 -nodes -days 2 -subj /CN=localhost -keyout pbx.key -out self.pem EC "
            "-addext subjectAltName=IP:127.0.0.1\n"
            "req -new -key pbx.key -subj /CN=PBX -out good.csr "
            "-addext subjectAltName=IP:127.0.0.1,DNS:localhost\n"
            "x509 -req -in good.csr SIGN -days 2 -out good.pem\n"
            "req -new -key pbx.key -subj /CN=PBX -out expired.csr -addext "
            "subjectAltName=IP:127.0.0.1\n"
            "x509 -req -in expired.csr SIGN -days -1 -out expired.pem\n"
            "req -new -key pbx.key -subj /CN=PBX -out wronghost.csr -addext "
            "subjectAltName=DNS:pbx.example\n"
            "x509 -req -in wronghost.csr SIGN -days 2 -out wronghost.pem");
        script.replace("EC", "-newkey ec -pkeyopt ec_paramgen_curve:P-256")
            .replace("SIGN", "-copy_extensions copy -CA ca.pem -CAkey ca.key");
        const QString dir = m_certs.path();
        for (const QString &command : script.split(u'\n'))
            QVERIFY2(!openssl(dir, command).isEmpty(), qPrintable(command));
        // The authority stands for the system's: each socket starts from this configuration.
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.addCaCertificates(dir + "/ca.pem");
        QSslConfiguration::setDefaultConfiguration(config);
    }
    void init()
    {
        m_r.reset(new Rig);
        QVERIFY(kOk.size() == 15168 && kFailed.size() == 81 && m_r->g.AsteriskPort > 0);
    }
    void cleanup() { m_r.reset(); }

    void session()
    {
        m_r->client.setIntervals({.fail = 200, .keepAliveReply = 1000});
        m_r->replayCapture();
        m_r->client.ConnectAsterisk();
        QTRY_COMPARE(m_r->server.received, (QByteArrayList{kChallenge, kLogin, kEvents}));
        QTRY_COMPARE(m_r->bytesIn, kPingReply);
        QCOMPARE(m_r->pop.calls.size(), 1);
        const Call &call = m_r->pop.calls[0];
        QCOMPARE(
            QStringList({call.number, call.name, call.channel, call.destination, call.id,
                         call.uniqueid, call.linkedid, call.origin}),
            QStringList({"5551234567", "Front Desk", "Local/100@test-00000000;2",
                         "Local/101@inner-00000001;1", "1796581957.1", "1796581957.1",
                         "1796581957.0", "127.0.0.1:" + QString::number(m_r->g.AsteriskPort)}));
        QVERIFY(call.source == Call::Source::Asterisk);
        for (const qint64 pongs : {1, 2}) { // an answered keep-alive keeps the link
            emit m_r->atimer.tick();
            QCOMPARE(m_r->state(), State::sckConnected);
            QTRY_COMPARE(m_r->bytesIn, kPingReply + pongs * (kPongEnd - kPingReply));
        }

        // A caller named like the login's refusal or the greeting is just a caller, even
        // across two reads: no box, no second login.
        const QByteArray dial = "Event: DialBegin\r\nCallerIDNum: 5550001111\r\nCallerIDName: "
                                "Message: Authentication failed\r\nConnectedLineName: Asterisk "
                                "Call Manager/22.0.0\r\nDestChannel: SIP/101\r\n\r\n";
        m_r->write(dial.first(40));
        m_r->write(dial.sliced(40));
        QCOMPARE(m_r->pop.calls.last().name, QStringLiteral("Message: Authentication failed"));
        QCOMPARE(m_r->state(), State::sckConnected);
        QCOMPARE(m_r->count(kLogin), 1);
        // A burst of many reads from the system comes whole and in order.
        m_r->write(QByteArray("Event: Newstate\r\nChannel: SIP/200-0\r\n\r\n").repeated(3000) +
                   dial);
        QCOMPARE(m_r->pop.calls.size(), 3);
        // Data while the socket is not connected is left unread.
        m_r->wsAst.state = State::sckClosing;
        m_r->write(dial);
        m_r->wsAst.state.reset();
        QCOMPARE(m_r->pop.calls.size(), 3);

        // A keep-alive that cannot be sent shows the mark at once; the next tick reconnects.
        m_r->wsAst.failSends = true;
        emit m_r->atimer.tick();
        QVERIFY(m_r->window.netFailVisible);
        m_r->wsAst.failSends = false;
        QTRY_COMPARE(m_r->count(kEvents), 2);
        // The PBX hangs up: the mark at once, and at the next tick a new session.
        m_r->window.log.clear();
        m_r->server.client()->disconnectFromHost();
        QTRY_COMPARE(m_r->window.log, QStringList{QStringLiteral("netfail shown")});
        QTRY_COMPARE(m_r->count(kEvents), 3);
        QVERIFY(!m_r->window.netFailVisible);
        // The PBX falls silent: no answer to the keep-alive in time, so dropped, marked and
        // tried afresh, with a PBX that greets and accepts the login in one read.
        m_r->replayCapture(true);
        emit m_r->atimer.tick();
        QTRY_VERIFY(m_r->window.netFailVisible);
        QTRY_COMPARE(m_r->count(kEvents), 4);
    }

    // What a confirmed number sends to the PBX, and what the user is told of the answer: only
    // the PBX's Response, then our OriginateResponse, count, never a UserEvent with our ID.
    void originate_data()
    {
        for (const char *column : {"typed", "channel", "context", "box"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<int>("then");
        QTest::addColumn<QByteArray>("exten"); // "": nothing sent
        const auto row = [](const QByteArray &name, const QString &typed, const QString &box,
                            const QByteArray &answers, int then = Nothing, QByteArray exten = {},
                            const QString &channel = kDesk, const QString &context = kContext) {
            if (exten.isEmpty() && !answers.isEmpty())
                exten = typed.toUtf8(); // as typed, unless the row says what is sent
            QTest::newRow(name.constData())
                << typed << channel << context << box << answers << then << exten;
        };
        const auto error = [](const QByteArray &message) {
            return answer("Response: Error\r\nMessage: " + message);
        };
        row("placed", "+1 (555) 010-0100", "",
            answer("Response: Error\r\nMessage: Line suspended", "UserEvent") + kQueued +
                ended("Failure", "5").replace("$ID", "rs-0") + ended("Success", "4") +
                ended("Failure", "8"),
            Nothing, "+15550100100");
        row("busy", "555.0100", "the desk phone PJSIP/101 is busy.",
            kQueued + ended("Success", "4", "UserEvent") + ended("Failure", "5"), Nothing,
            "5550100");
        row("denied, then not asked", "*72#", "after its next login.", error("Permission denied"),
            DialAgain);
        row("no such extension", "5550100",
            "in the Dial Context \"from-internal\" (the PBX's own words: \"Extension does not "
            "exist.\")",
            error("Extension does not exist."));
        row("no technology", "5550100", "e.g. \"PJSIP/101\".", error("Invalid channel"), Nothing,
            {}, "101");
        row("desk not reached", "5550100", "connected to the PBX.",
            kQueued + ended("Failure", "0"));
        row("PBX stopped", "5550100", "Dial again once the PBX is back.",
            kQueued + ended("Failure", "0"), HangUp);
        row("no outcome", "5550100", "did not say within 2 seconds", kQueued);
        row("link lost", "5550100", "the link to the PBX was lost before", kQueued, HangUp);
        row("tel: with CR LF", "tel:555%0D%0AAction: Command%0D%0ACommand: core stop now",
            "dashes, dots and brackets do not count).", {});
        row("+ inside", "555+0100", "brackets do not count).", {});
        const QString control = QStringLiteral(" in the Options dialog holds a line break");
        for (const char16_t c : {u'\n', u'\x7f', u'\x85', u'\u2028'})
            row("Desk Phone with U+" + QByteArray::number(c, 16), "5550101",
                "Desk Phone (AsteriskChannel)" + control, {}, Nothing, {},
                kDesk + QChar(c) + "Action: X");
        row("Dial Context with U+2029", "5550101", "Dial Context (AsteriskContext)" + control, {},
            Nothing, {}, kDesk, kContext + QChar(0x2029));
        row("no Desk Phone", "5550102", "no Desk Phone is set", {}, Nothing, {}, "");
    }

    void originate()
    {
        QFETCH(QString, typed);
        QFETCH(QString, box);
        QFETCH(QByteArray, answers);
        QFETCH(int, then);
        QFETCH(QByteArray, exten);
        QFETCH(QString, channel);
        m_r->client.setIntervals({.originateAnswer = 1500, .linkLostGrace = 1000});
        m_r->g.AsteriskChannel = channel;
        QFETCH(QString, context);
        m_r->g.AsteriskContext = context;
        m_r->replayCapture();
        m_r->client.ConnectAsterisk();
        QTRY_COMPARE(m_r->bytesIn, kPingReply); // the events' answer, read whole
        QCOMPARE(m_r->pbx.canDial(), !m_r->g.AsteriskChannel.isEmpty()); // as "&Dial" shows
        QByteArray id;
        const qint64 before = m_r->bytesIn;
        m_r->server.onMessage = [&](QTcpSocket &client, const QByteArray &message) {
            if (message == kPing)
                return;
            id = AmiField::value(message, "ActionID").value_or("").toByteArray();
            client.write(answers.replace("$ID", id));
        };
        QSignalSpy failed(&m_r->pbx, &PbxDialer::callFailed);
        // --verbose: each Originate sent, and each box.
        if (!exten.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Originate sent: \"ringscout-"));
        if (!box.isEmpty())
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^box: \"The "));
        m_r->pbx.dial(typed.startsWith("tel:") ? *TelLink::dialNumber(QUrl(typed)) : typed);
        emit m_r->atimer.tick(); // its keep-alive comes after anything the dial sent
        QTRY_COMPARE(m_r->count(kPing), 1);
        QTRY_COMPARE(m_r->bytesIn, before + answers.size());
        if (then == HangUp)
            m_r->server.client()->disconnectFromHost();
        if (then == DialAgain) {
            QTRY_COMPARE(m_r->box.shown.size(), 1);
            m_r->pbx.dial(typed);
        }
        QTRY_COMPARE(m_r->box.shown.size(), int(!box.isEmpty()) + (then == DialAgain));
        QVERIFY(box.isEmpty() ? !failed.wait(1700) : m_r->box.shown.last().text.contains(box));
        const QByteArray sent =
            "Action: Originate\r\nChannel: " + channel.toUtf8() +
            "\r\nContext: from-internal\r\nExten: " + exten +
            "\r\nPriority: 1\r\nTimeout: 30000\r\nAsync: true\r\nActionID: " + id + "\r\n\r\n";
        QCOMPARE(m_r->server.received.mid(3),
                 (exten.isEmpty() ? QByteArrayList() : QByteArrayList{sent}) << kPing);
        if (m_r->server.client())
            m_r->server.client()->disconnectFromHost();
        QTRY_VERIFY(!m_r->pbx.canDial());
        QCoreApplication::processEvents(); // a box for a call still open would come now
        for (const FakeMessageBox::Shown &shown : m_r->box.shown)
            QCOMPARE(shown.title, QStringLiteral("Ringscout"));
    }

    // A click-to-dial of this desk never pops, whatever the extension filter: the desk phone's
    // leg and the far end's share the Originate's Linkedid (a real Asterisk 22 session, with
    // the outcome last, or without the desk phone's leg); an incoming call still pops.
    // What became of each call popped or placed, from real captures written after the login:
    // once a call, and only for calls this desk recognised or placed, told by the ID the call
    // was handed on with. A click-to-dial pops only the call after it, however the PBX's events
    // come (1: its outcome last; 2: without the desk phone's leg). Every dial to the desk
    // reaches the sink; the first of a read pops.
    void calls_data()
    {
        for (const char *column : {"capture", "extensions", "id"})
            QTest::addColumn<QString>(column);
        QTest::addColumn<int>("shape");
        QTest::addColumn<int>("outcome"); // -1: none
        QTest::addColumn<int>("calls");   // handed to the sink, the placed one first
        using O = CallOutcome;
        const auto row = [](const char *name, const char *capture, const char *extensions,
                            const char *id, int shape, std::optional<CallOutcome> outcome,
                            int calls = 1) {
            QTest::newRow(name) << QString(capture) << QString(extensions) << QString(id) << shape
                                << (outcome ? int(*outcome) : -1) << calls;
        };
        row("answered", "answered", "101", "1796701136.1", 0, O::AnsweredHere);
        row("missed", "noanswer", "101", "1796701144.5", 0, O::NotAnswered);
        row("given up", "callercancel", "101", "1796701151.9", 0, O::CallerGaveUp);
        row("busy", "busy", "101", "1796701162.17", 0, O::Busy);
        row("congestion", "congestion", "101", "1796701181.33", 0, O::Busy);
        row("elsewhere", "answered-elsewhere", "101", "1796701165.21", 0, O::AnsweredElsewhere);
        row("not popped", "answered", "102", "", 0, std::nullopt, 0);
        row("placed", "originate", "", "$ID", 0, O::AnsweredHere, 2);
        row("placed, outcome last", "originate", "555,101", "$ID", 1, O::AnsweredHere, 2);
        row("placed, no desk leg", "originate", "", "$ID", 2, O::AnsweredHere, 2);
        row("no desk phone", "originate-nodesk", "", "$ID", 0, O::Failed, 2);
        QByteArray burst;
        for (const char *n : {"1", "2", "3"})
            burst += "Event: DialBegin\r\nChannel: PJSIP/200-" + QByteArray(n) +
                     "\r\nCallerIDNum: 555000" + n + "\r\nUniqueid: 7." + n +
                     "\r\nDestChannel: PJSIP/101-" + n + "\r\n\r\n";
        burst += "Event: DialEnd\r\nUniqueid: 7.2\r\nDialStatus: NOANSWER\r\n\r\n";
        row("burst, second missed", burst.constData(), "101", "7.2", 0, O::NotAnswered, 3);
        row("Asterisk 1.8 to 11",
            "Event: Dial\r\nSubEvent: Begin\r\nChannel: SIP/200-1\r\nDestination: SIP/101-2\r\n"
            "CallerIDNum: 5551234567\r\nUniqueID: 1.1\r\nDestUniqueID: 1.2\r\n\r\nEvent: Dial\r\n"
            "SubEvent: End\r\nChannel: SIP/200-1\r\nUniqueID: 1.1\r\nDialStatus: BUSY\r\n\r\n",
            "101", "1.1", 0, O::Busy);
    }

    void calls()
    {
        QFETCH(QString, capture);
        QFETCH(QString, extensions);
        QFETCH(QString, id);
        QFETCH(int, shape);
        QFETCH(int, outcome);
        QFETCH(int, calls);
        m_r->g.AsteriskExtension = extensions;
        m_r->g.AsteriskChannel = QStringLiteral("Local/101@inner");
        m_r->replayCapture();
        m_r->client.ConnectAsterisk();
        QTRY_COMPARE(m_r->bytesIn, kPingReply);
        m_r->pop.calls.clear();
        QSignalSpy ends(&m_r->client, &AsteriskClient::callEnded);
        QByteArray stream = capture.toLatin1();
        if (!capture.startsWith("Event")) {
            stream = TestSupport::fixture("ami/outcome-" + capture + ".bin");
            stream.remove(0, stream.indexOf("\r\n\r\n") + 4); // the greeting and the login
        }
        if (capture.startsWith("originate")) {
            m_r->pbx.dial(QStringLiteral("5550100"));
            QTRY_COMPARE(m_r->server.received.size(), 4);
            const auto action = AmiField::value(m_r->server.received[3], "ActionID");
            id.replace("$ID", action->toByteArray());
            stream = stream.sliced(stream.indexOf("Response: Success\r\nActionID"));
            stream.replace("ringscout-cw-1", *action).replace("ringscout-cw-2", *action);
            if (shape > 0) { // the outcome last, or the desk's leg left out
                const qsizetype from =
                    stream.indexOf(shape == 1 ? "Event: OriginateResponse" : "Event: Dial");
                const qsizetype to = stream.indexOf("\r\n\r\n", from) + 4;
                const QByteArray cut = stream.sliced(from, to - from);
                stream.remove(from, cut.size()).append(shape == 1 ? cut : QByteArray());
            }
            stream += "Event: DialBegin\r\nChannel: PJSIP/200-1\r\nCallerIDNum: 5551234567\r\n"
                      "CallerIDName: Front Desk\r\nLinkedid: 9.1\r\nDestChannel: "
                      "PJSIP/101-2\r\nDestLinkedid: 9.1\r\n\r\n";
        }
        m_r->write(stream);
        const auto end = ends.value(0).value(0).value<CallEnd>();
        QCOMPARE(std::pair(ends.size() ? int(end.outcome) : -1, end.id), std::pair(outcome, id));
        QCOMPARE(ends.size(), int(outcome >= 0));
        QList<bool> pops(calls, false), popped;
        if (calls > 0)
            pops[capture.startsWith("originate") ? 1 : 0] = true;
        for (const Call &call : std::as_const(m_r->pop.calls))
            popped << call.pops;
        QCOMPARE(popped, pops);
        if (capture.startsWith("originate")) // the placed call, by the ID of its end
            QCOMPARE(m_r->pop.calls[0].id, id);
    }

    // One box, standing open as a modal box does, for three refusals; the wait doubles up to
    // its bound.
    void refusedLogin()
    {
        m_r->client.setIntervals({.fail = 40, .refusedFirst = 100, .refusedMax = 350});
        m_r->refuseLogins();
        QList<int> waits; // the timer's interval after each refusal
        QObject::connect(&m_r->client, &AsteriskClient::loginRefused,
                         [&] { waits.append(m_r->atimer.Interval()); });
        QList<int> seen;   // state, mark and timer interval as the first box opens
        QList<int> closed; // logins and boxes as it closes, and the wait after each refusal
        m_r->box.onShow = [&](const FakeMessageBox::Shown &) {
            if (!seen.isEmpty())
                return;
            seen = {m_r->state(), m_r->window.netFailVisible, m_r->atimer.Interval()};
            QTRY_VERIFY(m_r->count(kLogin) >= 3 && !m_r->state());
            closed = QList<int>{m_r->count(kLogin), int(m_r->box.shown.size())} + waits;
        };
        m_r->client.ConnectAsterisk();
        QTRY_VERIFY(!closed.isEmpty());
        QCOMPARE(closed, (QList<int>{3, 1, 100, 200, 350}));
        QCOMPARE(m_r->box.shown[0].text,
                 QStringLiteral("Authentication Failed to Asterisk Server"));
        QCOMPARE(seen, (QList<int>{State::sckClosed, true, 100}));
        const auto &at = m_r->server.connectedAt;
        QVERIFY2(at[1] - at[0] >= 95 && at[2] - at[1] >= 190, qPrintable(QString::number(at[2])));
    }

    // The MD5 login, as Asterisk 22 answered it, and each way it goes wrong: a clear reason
    // under --verbose, the mark, the back-off. The secret is never logged, and sent only
    // where the user allows the plain login after a refused challenge.
    void md5Login_data()
    {
        QTest::addColumn<QByteArrayList>("challenge"); // the answer to Challenge, read by read
        QTest::addColumn<QByteArray>("answer");        // to the login
        QTest::addColumn<bool>("plainLogin");
        QTest::addColumn<QByteArray>("login"); // "": none sent
        QTest::addColumn<QString>("why");
        const QByteArray wrong = TestSupport::fixture(QStringLiteral("ami/login-md5-wrongkey.bin"));
        const QByteArray accepted = kMd5.sliced(73, 55);
        const QByteArray refusal = "Response: Error\r\nMessage: Invalid/unknown command\r\n\r\n";
        const auto row = [](const char *name, const QByteArrayList &challenge,
                            const QByteArray &answer, bool plainLogin, const QByteArray &login,
                            const char *why) {
            QTest::newRow(name) << challenge << answer << plainLogin << login << QString(why);
        };
        row("split challenge", {kChallengeReply.first(19), kChallengeReply.sliced(19)}, accepted,
            false, kLogin, "logging in with the MD5 challenge");
        row("wrong key", {wrong.sliced(30, 42)}, wrong.sliced(72), true,
            QByteArray(kLogin).replace("bdbbfac53f80bbdc669e113c54378708",
                                       "e18f06d2ddd840454293542fc9cd0f0f"),
            "login refused");
        row("10,000 digits",
            {"Response: Success\r\nChallenge: " + QByteArray(10000, '7') + "\r\n\r\n"}, accepted,
            true, {}, "not a number of at most 20 digits");
        row("login unanswered", {kChallengeReply}, {}, false, kLogin,
            "no answer to the login within");
        row("refused, plain allowed", {refusal}, accepted, true, kPlain,
            "as AsteriskPlainLogin allows");
        row("refused, plain not", {refusal}, accepted, false, {}, "AsteriskPlainLogin=0 forbids");
    }

    void md5Login()
    {
        QFETCH(QByteArrayList, challenge);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, login);
        QFETCH(QString, why);
        QFETCH(bool, plainLogin);
        m_r->g.AsteriskPlainLogin = plainLogin;
        m_r->client.setIntervals({.refusedFirst = 5000, .login = 300});
        m_r->server.greeting = kMd5.first(30);
        m_r->server.onMessage = [&](QTcpSocket &client, const QByteArray &message) {
            if (message == kChallenge) { // as two reads, where Asterisk sent it so
                client.write(challenge[0]);
                if (challenge.size() > 1)
                    QTimer::singleShot(50, &client, [&] { client.write(challenge[1]); });
            } else if (message == login) {
                client.write(answer);
                if (answer.contains("failed"))
                    client.disconnectFromHost();
            }
        };
        const LogLines lines(QStringLiteral("ringscout.*=true"),
                             QStringLiteral("ringscout.dial=true"));
        QSignalSpy said(&m_r->client, &AsteriskClient::linkRefused);
        m_r->client.ConnectAsterisk();
        QTRY_VERIFY(lines.join('\n').contains(why));
        const bool in = answer.contains("accepted") && !login.isEmpty();
        QTRY_COMPARE(m_r->client.loggedIn(), in);
        QTRY_COMPARE(m_r->atimer.Interval(), in ? 45000 : 5000);
        QCOMPARE(m_r->window.netFailVisible, !in);
        QCOMPARE(m_r->server.received.mid(0, 2),
                 QByteArrayList({kChallenge, login}).mid(0, 1 + !login.isEmpty()));
        QCOMPARE(said.size(), int(login.isEmpty()));
        QVERIFY(!lines.join('\n').contains("test123"));
        QCOMPARE(m_r->server.received.join().contains("test123"), login == kPlain);
    }

    // TLS: the PBX's certificate verified against an authority and the host (an address by
    // its IP SAN) or trusted by its fingerprint, else refused with a reason and one box, however
    // often the tick tries again, and nothing sent; a side that speaks no TLS times out.
    void tls_data()
    {
        for (const char *column : {"served", "host", "trusted", "why"})
            QTest::addColumn<QString>(column); // served: a certificate, "" plain TCP
        QTest::addColumn<int>("client");       // 0 plain, 1 TLS, 2 TLS to a silent PBX
        const auto row = [](const char *name, const char *served, const char *trusted,
                            const char *why, int client = 1, const char *host = "127.0.0.1") {
            QTest::newRow(name) << QString(served) << QString(host) << QString(trusted)
                                << QString(why) << client;
        };
        const char *in = "over TLS with the plain";
        row("IP SAN", "good", "", in);
        row("host name", "good", "", in, 1, "localhost");
        row("trusted", "self", "self", in);
        row("self-signed", "self", "", "self-signed");
        row("changed", "self", "good", "self-signed");
        row("expired", "expired", "", "has expired");
        row("wrong host", "wronghost", "", "did not match");
        row("plain port", "", "", "connection error: ");
        row("TLS port", "self", "", "no greeting from the PBX", 0);
        row("silent", "", "", "the TLS handshake did not end", 2);
    }

    void tls()
    {
        QFETCH(QString, served);
        QFETCH(QString, trusted);
        QFETCH(QString, why);
        QFETCH(int, client);
        const QString dir = m_certs.path() + u'/';
        // "sha256 Fingerprint=AB:CD:…", as the user reads it off the PBX.
        const auto fingerprint = [&dir](const QString &name) {
            return name.isEmpty()
                       ? QString()
                       : openssl(dir, "x509 -noout -fingerprint -sha256 -in " + name + ".pem")
                             .trimmed()
                             .section('=', 1);
        };
        const QString offered = fingerprint(served);
        m_r->replayCapture();
        if (!served.isEmpty()) {
            QFile key(dir + "pbx.key");
            QVERIFY(key.open(QIODevice::ReadOnly));
            m_r->server.tls = QSslConfiguration::defaultConfiguration();
            m_r->server.tls->setLocalCertificate(
                QSslCertificate::fromPath(dir + served + ".pem").value(0));
            m_r->server.tls->setPrivateKey(QSslKey(&key, QSsl::Ec));
        }
        if (client == 2)
            m_r->server.greeting.clear();
        QFETCH(QString, host);
        m_r->g.AsteriskServer = host;
        m_r->g.AsteriskTLS = client > 0;
        m_r->g.AsteriskCertSha256 = fingerprint(trusted).toLower();
        m_r->client.setIntervals({.fail = 100, .refusedFirst = 100, .login = 600});
        QSignalSpy said(&m_r->client, &AsteriskClient::linkRefused);
        const LogLines lines(QStringLiteral("ringscout.*=true"),
                             QStringLiteral("ringscout.dial=true"));
        m_r->client.ConnectAsterisk();
        const bool in = why.startsWith("over TLS");
        QTRY_VERIFY(lines.filter(why).size() >= (in ? 1 : 2)); // tried twice when refused
        QTRY_COMPARE(m_r->client.loggedIn(), in);
        QCOMPARE(m_r->server.received, in ? (QByteArrayList{kPlain, kEvents}) : QByteArrayList());
        QCOMPARE(said.size(), int(!in && client == 1 && !served.isEmpty()));
        QVERIFY(said.isEmpty() || said[0][0].toString().contains(offered));
    }

    // A secret that holds a line break is never sent: its rest would be an action of its own.
    void lineBreakInSecret()
    {
        m_r->g.AsteriskPassword = QStringLiteral("test123\r\nAction: Command");
        m_r->replayCapture();
        m_r->client.ConnectAsterisk();
        QTRY_VERIFY(m_r->window.netFailVisible && m_r->state() == State::sckClosed);
        for (const int tick : {1, 2}) { // said once, however often the tick tries again
            emit m_r->atimer.tick();
            QTRY_COMPARE(m_r->server.connectedAt.size(), 1 + tick);
        }
        QTRY_COMPARE(m_r->box.shown.size(), 1);
        QVERIFY(
            m_r->box.shown[0].text.startsWith("Ringscout does not log in to the PBX: Password"));
        QCOMPARE(m_r->server.received, QByteArrayList{});
    }

    // Incomplete settings leave a working connection alone (and so never connect); once that
    // drops, no tick reconnects to it while the server or the port is missing.
    void incompleteSettings_data()
    {
        QTest::addColumn<Spoil>("spoil");
        QTest::newRow("no server") << Spoil([](Settings &g) { g.AsteriskServer.clear(); });
        QTest::newRow("port 0") << Spoil([](Settings &g) { g.AsteriskPort = 0; });
    }

    void incompleteSettings()
    {
        QFETCH(Spoil, spoil);
        m_r->replayCapture();
        m_r->client.ConnectAsterisk();
        QTRY_COMPARE(m_r->count(kEvents), 1);
        spoil(m_r->g);
        m_r->client.ConnectAsterisk();
        QVERIFY(!m_r->window.netFailVisible);
        QCOMPARE(m_r->state(), State::sckConnected);
        m_r->server.client()->disconnectFromHost();
        QTRY_COMPARE(m_r->state(), State::sckClosed);
        emit m_r->atimer.tick();
        QCOMPARE(m_r->state(), State::sckClosed);
    }
};

QTEST_GUILESS_MAIN(tst_AsteriskClient)
#include "tst_asteriskclient.moc"
