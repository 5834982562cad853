// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/AsteriskClient.h"

#include "base/Failure.h"
#include "base/LogText.h"
#include "base/WireText.h"
#include "platform/ISocketControl.h"
#include "platform/TimerControl.h"
#include "pop/ICallSink.h"
#include "settings/Settings.h"
#include "sources/AmiField.h"
#include "sources/DialScan.h"

#include <QLoggingCategory>
#include <QRandomGenerator>

#include <algorithm>

Q_LOGGING_CATEGORY(lcAmi, "ringscout.ami", QtWarningMsg)

namespace {

// Every message ends with an empty line; the PBX ignores the case of action names.
const QString kEventsCallOnly = QStringLiteral("Action: events\r\nEventMask: call\r\n\r\n");
const QString kKeepAlive = QStringLiteral("Action: Ping\r\n\r\n");

void logDial(const DialScan::Verdict &dial, const QString &extensions)
{
    if (!dial.isDial || !lcAmi().isDebugEnabled())
        return;
    QString line;
    {
        QDebug text(&line);
        text.nospace() << "Dial event " << LogText(dial.event);
        if (dial.caller && !dial.reason)
            text << " pops: number " << LogText(dial.number) << " name "
                 << LogText(dial.caller->name);
        else
            text << " passed over (" << dial.reason << ')';
        if (!dial.caller && !dial.number.isEmpty())
            text << ": number " << LogText(dial.number);
        if (!dial.destination.isEmpty())
            text << " to " << LogText(dial.destination) << ", extensions " << LogText(extensions);
    }
    qCDebug(lcAmi).noquote() << line;
}

// Why ConnectAsterisk leaves the connection alone; null when the settings are complete.
const char *incomplete(const Settings &settings)
{
    return settings.AsteriskServer.isEmpty()     ? "AsteriskServer is empty"
           : settings.AsteriskPort <= 0          ? "AsteriskPort is not above 0"
           : settings.AsteriskManager.isEmpty()  ? "AsteriskManager is empty"
           : settings.AsteriskPassword.isEmpty() ? "AsteriskPassword is empty"
                                                 : nullptr;
}

// Enough for the answers of a few dials in a row; an action whose last answer never comes
// (a PBX that filters the event out) is forgotten with the oldest.
constexpr qsizetype kMaxWatched = 16;
// The channel IDs of the last few calls this desk placed.
constexpr qsizetype kMaxOwnLegs = 32;

using AmiField::same;

} // namespace

AsteriskClient::AsteriskClient(const Settings &settings, ISocketControl &wsAst,
                               TimerControl &atimer, ICallSink &sink, QObject *parent)
    : QObject(parent), m_settings(settings), m_wsAst(wsAst), m_atimer(atimer), m_sink(sink)
{
    m_atimer.SetInterval(m_intervals.start);
    m_atimer.SetEnabled(true);
    m_replyDeadline.setSingleShot(true);
    m_replyDeadline.setInterval(m_intervals.keepAliveReply);
    connect(&m_replyDeadline, &QTimer::timeout, this, &AsteriskClient::keepAliveUnanswered);
    m_loginDeadline.setSingleShot(true);
    connect(&m_loginDeadline, &QTimer::timeout, this, &AsteriskClient::loginOverdue);
    connect(&m_wsAst, &ISocketControl::DataArrival, this, &AsteriskClient::wsAst_DataArrival);
    connect(&m_wsAst, &ISocketControl::Error, this, &AsteriskClient::wsAst_Error);
    connect(&m_wsAst, &ISocketControl::peerClosed, this, &AsteriskClient::wsAst_PeerClosed);
    connect(&m_atimer, &TimerControl::tick, this, &AsteriskClient::atimer_Tick);
}

void AsteriskClient::setIntervals(const Intervals &intervals)
{
    m_intervals = intervals;
    m_replyDeadline.setInterval(m_intervals.keepAliveReply);
    if (m_atStartInterval)
        m_atimer.SetInterval(m_intervals.start);
}

void AsteriskClient::ConnectAsterisk()
{
    resetRefusals();
    m_loginNotSentSaid = false;
    m_said.clear();
    if (const char *reason = incomplete(m_settings)) {
        // Not configured: a connection that is already open goes on working.
        qCDebug(lcAmi) << "not connecting:" << reason;
        ShowNetOk();
        return;
    }
    dropLink();
    ShowNetFail();
    m_wsAst.SetLocalPort(0);
    m_wsAst.SetRemotePort(m_settings.AsteriskPort);
    m_wsAst.SetRemoteHost(m_settings.AsteriskServer);
    m_hostSet = true;
    qCDebug(lcAmi) << "connecting to" << LogText(m_settings.AsteriskServer)
                   << m_settings.AsteriskPort << (m_settings.AsteriskTLS ? "over TLS" : "");
    connectNow();
}

void AsteriskClient::connectNow()
{
    m_login = Login::Waiting;
    m_loginDeadline.start(m_intervals.login);
    m_wsAst.setTls(m_settings.AsteriskTLS, m_settings.AsteriskCertSha256);
    m_wsAst.Connect();
}

void AsteriskClient::ShowNetOk()
{
    emit linkDown(false);
    m_atStartInterval = false;
    m_atimer.SetInterval(m_intervals.ok);
}

void AsteriskClient::ShowNetFail()
{
    emit linkDown(true);
    m_atStartInterval = false;
    m_atimer.SetInterval(m_intervals.fail);
}

void AsteriskClient::wsAst_DataArrival()
{
    if (m_wsAst.State() != ISocketControl::sckConnected)
        return;
    const QByteArray bytes = m_wsAst.GetData();
    if (bytes.isEmpty())
        return;
    m_awaitingReply = false;
    m_replyDeadline.stop();
    // Each step sees whole messages only, however the PBX's writes were cut.
    act(judge(m_framer.feed(bytes)));
}

AsteriskClient::Read AsteriskClient::judge(const AmiFramer::Frames &frames)
{
    Read read;
    // Only the connection's first line is the greeting: a caller named "Asterisk Call
    // Manager" must not make us send the secret again.
    read.greeted = AmiLogin::greets(frames.greeting);
    read.greeting = frames.greeting.trimmed().toByteArray();
    for (const QByteArrayView message : frames.messages) {
        // Asterisk sends nothing else before the login: the first answer is the challenge's.
        if (m_login == Login::Challenged && !read.challengeAnswered &&
            AmiField::value(message, "Response")) {
            read.challengeAnswered = true;
            read.challenge = AmiLogin::challengeOf(message, read.challengeRefused);
            continue;
        }
        const AmiLogin::Answer login = AmiLogin::answerOf(message);
        read.accepted = read.accepted || login == AmiLogin::Answer::Accepted;
        read.refused = read.refused || login == AmiLogin::Answer::Refused;
        routeAnswer(message, read);
        scanEvent(message, read);
    }
    return read;
}

// Answers to our actions, by their ActionID, go to actionAnswered if believed.
void AsteriskClient::routeAnswer(QByteArrayView message, Read &read)
{
    if (m_watched.isEmpty())
        return;
    const auto id = AmiField::value(message, "ActionID");
    if (!id || !believe(*id, message))
        return;
    read.answers.append({id->toByteArray(), message.toByteArray()});
    if (auto end = m_calls.answered(*id, message))
        read.ends.append(*end);
}

// The callers of a read, of which the first pops, and the ends of the calls recognised or
// placed before.
void AsteriskClient::scanEvent(QByteArrayView message, Read &read)
{
    if (!m_calls.idle()) {
        if (auto end = m_calls.event(message))
            read.ends.append(*end);
    }
    if (auto caller = dialCaller(message, !read.callers.isEmpty())) {
        read.callers.append(std::move(*caller));
        m_calls.popped(message);
    }
}

// The caller of this message: a dial to one of the extensions, not of a call this desk
// placed. It pops in a read that popped none yet; the others are only handed on.
std::optional<Call> AsteriskClient::dialCaller(QByteArrayView message, bool popped)
{
    if (!DialScan::mayBeDial(message))
        return std::nullopt;
    DialScan::Verdict dial = DialScan::judge(message, m_settings.AsteriskExtension);
    if (dial.isDial && ownCall(dial)) {
        dial.caller.reset();
        dial.reason = "a call this desk placed";
    }
    if (dial.caller && popped)
        dial.reason = "another dial of this read popped";
    logDial(dial, m_settings.AsteriskExtension);
    if (!dial.caller)
        return std::nullopt;
    Call call = callOf(dial);
    call.pops = !popped;
    return call;
}

void AsteriskClient::act(const Read &read)
{
    if (!greet(read) || !answerChallenge(read))
        return;
    if (read.accepted)
        loginAccepted();
    if (read.refused)
        refused();
    for (const auto &[id, message] : read.answers)
        emit actionAnswered(id, message);
    for (const Call &caller : read.callers)
        m_sink.callRecognised(caller);
    for (const CallEnd &end : read.ends) {
        m_sink.callEnded(end);
        emit callEnded(end);
    }
}

// Sends the login if the read had the greeting; false when it cannot be sent.
bool AsteriskClient::greet(const Read &read)
{
    const QString setting = AmiLogin::unsendable(m_settings);
    if (read.greeted && !setting.isEmpty()) {
        qCDebug(lcAmi) << "not logging in:" << setting
                       << "holds a line break or another control character";
        dropLink();
        ShowNetFail();
        if (!m_loginNotSentSaid) {
            m_loginNotSentSaid = true;
            emit loginNotSent(setting);
        }
        return false;
    }
    if (read.greeted && m_settings.AsteriskTLS) {
        qCDebug(lcAmi) << "connected, greeted with" << LogText(read.greeting)
                       << "- logging in over TLS with the plain secret as"
                       << LogText(m_settings.AsteriskManager);
        m_login = Login::Sent;
        send(AmiLogin::action(m_settings));
    } else if (read.greeted) {
        // Over plain TCP the secret itself never goes on the wire.
        qCDebug(lcAmi) << "connected, greeted with" << LogText(read.greeting)
                       << "- asking for the MD5 challenge";
        m_login = Login::Challenged;
        send(AmiLogin::challengeAction());
    } else if (!read.greeting.isEmpty()) {
        qCDebug(lcAmi) << "connected, but not to a Manager Interface: no login after"
                       << LogText(read.greeting);
    }
    return true;
}

// Logs in with the challenge's key; a refused challenge falls back to the plain login only
// where AsteriskPlainLogin allows it. False when the link is dropped.
bool AsteriskClient::answerChallenge(const Read &read)
{
    if (!read.challengeAnswered)
        return true;
    m_login = Login::Sent;
    if (!read.challenge.isEmpty()) {
        qCDebug(lcAmi) << "logging in with the MD5 challenge as"
                       << LogText(m_settings.AsteriskManager);
        send(AmiLogin::md5Action(m_settings, read.challenge));
        return true;
    }
    if (m_settings.AsteriskPlainLogin && read.challengeRefused.startsWith("the PBX refused")) {
        qCDebug(lcAmi).noquote() << read.challengeRefused
                                 << "- logging in with the plain secret, as AsteriskPlainLogin "
                                    "allows, as"
                                 << LogText(m_settings.AsteriskManager);
        send(AmiLogin::action(m_settings));
        return true;
    }
    const QString reason =
        read.challengeRefused + (read.challengeRefused.startsWith("the PBX refused")
                                     ? QStringLiteral(", and AsteriskPlainLogin=0 forbids sending "
                                                      "the secret in clear")
                                     : QString());
    qCDebug(lcAmi).noquote() << "not logging in:" << reason;
    dropLink();
    ShowNetFail();
    backOff();
    sayOnce(reason);
    return false;
}

void AsteriskClient::loginAccepted()
{
    qCDebug(lcAmi) << "login accepted for" << LogText(m_settings.AsteriskManager)
                   << "- asking for call events";
    m_loggedIn = true;
    m_loginDeadline.stop();
    ShowNetOk();
    resetRefusals();
    send(kEventsCallOnly);
}

void AsteriskClient::wsAst_Error(int number, const QString &description)
{
    qCDebug(lcAmi) << "connection error:" << description;
    m_loginDeadline.stop();
    ShowNetFail();
    if (number == ISocketControl::kUntrustedCertificate)
        sayOnce(description);
}

void AsteriskClient::loginOverdue()
{
    const QString within = QStringLiteral(" within %1 ms").arg(m_intervals.login);
    const bool connected = m_wsAst.State() == ISocketControl::sckConnected;
    const QString reason =
        !connected && m_settings.AsteriskTLS
            ? "the TLS handshake did not end" + within + " (is AsteriskPort the PBX's TLS port?)"
        : !connected                   ? "no connection" + within
        : m_login == Login::Waiting    ? "no greeting from the PBX" + within
        : m_login == Login::Challenged ? "no answer to the MD5 challenge" + within
                                       : "no answer to the login" + within;
    qCDebug(lcAmi).noquote() << "giving up:" << reason;
    dropLink();
    ShowNetFail();
    backOff();
}

void AsteriskClient::sayOnce(const QString &reason)
{
    if (m_said.contains(reason))
        return;
    m_said.append(reason);
    emit linkRefused(reason);
}

// The PBX hung up (a restart, a "manager reload"): show it now, and let the next short tick
// reconnect instead of waiting for a keep-alive up to 45 seconds away.
void AsteriskClient::wsAst_PeerClosed()
{
    qCDebug(lcAmi) << "closed by the PBX";
    dropLink();
    ShowNetFail();
}

void AsteriskClient::atimer_Tick()
{
    // A login under way, or a TLS handshake, is given its own time, then backs off.
    if (m_loginDeadline.isActive() &&
        (m_wsAst.State() == ISocketControl::sckConnected || m_settings.AsteriskTLS))
        return;
    if (m_wsAst.State() == ISocketControl::sckConnected) {
        if (!m_awaitingReply) {
            m_awaitingReply = true;
            m_replyDeadline.start();
            send(kKeepAlive);
            return;
        }
        keepAliveUnanswered();
    }
    // Without a host of our own the socket would try whatever it last held, or nothing; a
    // port of 0 or less is off, as it is for ConnectAsterisk.
    if (!m_hostSet || m_settings.AsteriskServer.isEmpty() || m_settings.AsteriskPort <= 0)
        return;
    qCDebug(lcAmi) << "connecting again to" << LogText(m_wsAst.RemoteHost())
                   << m_wsAst.RemotePort();
    dropLink();
    ShowNetFail();
    connectNow();
}

bool AsteriskClient::loggedIn() const
{
    return m_loggedIn && m_wsAst.State() == ISocketControl::sckConnected;
}

QByteArray AsteriskClient::sendAction(const ActionFields &fields)
{
    if (!loggedIn())
        throw Failure(QStringLiteral("Asterisk"), QStringLiteral("not logged in to the PBX"));
    QString message;
    Watch watch;
    QString action, async, channel;
    for (const auto &[key, value] : fields) {
        const QString name = QString::fromLatin1(key);
        // "PJSIP/101\r\nAction: Command" from a hand-made settings file would be a second
        // action.
        if (AmiField::holdsControl(value))
            throw Failure(QStringLiteral("Asterisk"),
                          QStringLiteral("the %1 holds a line break or another control "
                                         "character")
                              .arg(name));
        message += name + QStringLiteral(": ") + value + QStringLiteral("\r\n");
        for (auto [known, into] :
             {std::pair{"Action", &action}, {"Async", &async}, {"Channel", &channel}})
            if (key.compare(QByteArrayView(known), Qt::CaseInsensitive) == 0)
                *into = value;
    }
    // Each ID is new and unguessable: every OriginateResponse, with its ActionID, goes to every
    // manager session, and a client that could tell our next ID could answer for the PBX.
    watch.id = "ringscout-" + QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    QByteArray id = watch.id;
    message += QStringLiteral("ActionID: ") + QString::fromLatin1(id) + QStringLiteral("\r\n\r\n");
    const bool originate = action.compare(QLatin1String("Originate"), Qt::CaseInsensitive) == 0;
    if (originate && async.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        watch.endEvent = "OriginateResponse";
    if (m_watched.size() == kMaxWatched)
        m_watched.removeFirst();
    if (m_placing.size() == kMaxWatched)
        m_placing.removeFirst();
    try {
        m_wsAst.SendData(message);
    } catch (const Failure &) {
        ShowNetFail();
        throw;
    }
    m_watched.append(watch);
    if (originate) {
        m_placing.append({id, channel});
        m_calls.placing(id);
    }
    return id;
}

void AsteriskClient::forgetAction(const QByteArray &actionId)
{
    m_watched.removeIf([&](const Watch &w) { return w.id == actionId; });
    m_placing.removeIf([&](const auto &placing) { return placing.first == actionId; });
}

// Only the PBX answers an action on this connection with a "Response:" message, once; an
// event that carries our ActionID may come from anyone (a UserEvent of another manager
// client), so of the events only the one the action ends with counts, after its Response.
bool AsteriskClient::believe(QByteArrayView actionId, QByteArrayView message)
{
    const auto watch = std::find_if(m_watched.begin(), m_watched.end(),
                                    [&](const Watch &w) { return w.id == actionId; });
    if (watch == m_watched.end())
        return false;
    const auto event = AmiField::value(message, "Event");
    const auto response = AmiField::value(message, "Response");
    bool last = true;
    if (!watch->queued && !event && response) {
        watch->queued = !watch->endEvent.isEmpty() && same(response, "Success");
        last = !watch->queued;
    } else if (watch->queued && same(event, watch->endEvent)) {
        // "Uniqueid: 1796701183.36": the desk phone's leg, whose ID the call's dials share.
        if (const auto leg = AmiField::value(message, "Uniqueid"); leg && !leg->startsWith('<'))
            rememberLeg(WireText::decode(*leg));
    } else {
        qCDebug(lcAmi) << "not believed as the answer to" << actionId.toByteArray()
                       << "- a message of another kind, or a second answer:"
                       << WireText::decode(message.first(qMin(message.size(), 200)));
        return false;
    }
    if (last)
        forgetAction(actionId.toByteArray());
    return true;
}

// The desk phone's leg of our Originate is a "DialBegin" without a calling channel to a
// channel of the Desk Phone ("PJSIP/101-0000002a", "Local/101@from-internal-00000012;1");
// the call's later dials (a Local channel's other half ringing the phone, the desk phone
// dialling the number) share its Linkedid, and the OriginateResponse gives its Uniqueid.
bool AsteriskClient::ownCall(const DialScan::Verdict &dial)
{
    if (dial.placed) {
        const auto placing = std::find_if(m_placing.begin(), m_placing.end(), [&](const auto &p) {
            return dial.destination.startsWith(p.second + u'-', Qt::CaseInsensitive);
        });
        if (placing != m_placing.end()) {
            // Without a calling channel, the first leg is the desk phone's.
            m_calls.deskRang(placing->first, AmiField::text(dial.legs.value(0)));
            m_placing.erase(placing);
            for (const QByteArrayView leg : dial.legs)
                rememberLeg(AmiField::text(leg));
            return true;
        }
    }
    // Text is made of the legs only when there are calls of ours to know them by.
    return !m_ownLegs.isEmpty() &&
           std::any_of(dial.legs.begin(), dial.legs.end(), [this](QByteArrayView leg) {
               return m_ownLegs.contains(AmiField::text(leg));
           });
}

Call AsteriskClient::callOf(const DialScan::Verdict &dial) const
{
    Call call = *dial.caller;
    call.channel = DialScan::valueText(dial.channel);
    call.destination = dial.destination;
    call.uniqueid = call.id = AmiField::text(dial.uniqueid);
    call.linkedid = AmiField::text(dial.linkedid);
    // "pbx.example:5038", "[2001:db8::5]:5038"
    const QString host = m_wsAst.RemoteHost();
    call.recognisedBy(Call::Source::Asterisk, (host.contains(u':') ? u'[' + host + u']' : host) +
                                                  u':' + QString::number(m_wsAst.RemotePort()));
    return call;
}

void AsteriskClient::rememberLeg(const QString &id)
{
    if (m_ownLegs.contains(id))
        return;
    if (m_ownLegs.size() == kMaxOwnLegs)
        m_ownLegs.removeFirst();
    m_ownLegs.append(id);
}

void AsteriskClient::dropLink()
{
    m_loggedIn = false;
    m_watched.clear();
    m_placing.clear();
    m_wsAst.Close();
    m_framer.reset();
    m_awaitingReply = false;
    m_replyDeadline.stop();
    m_loginDeadline.stop();
}

// Not a byte since the keep-alive: the PBX or the path to it is gone without a word (a
// pulled cable, a crashed host), so treat it like a closed connection; the next tick
// reconnects.
void AsteriskClient::keepAliveUnanswered()
{
    qCDebug(lcAmi) << "no answer to the keep-alive";
    dropLink();
    ShowNetFail();
}

// Asterisk closes the connection itself after a refusal; the same secret will be refused
// again, so each retry waits twice as long.
void AsteriskClient::refused()
{
    dropLink();
    ShowNetFail();
    qCDebug(lcAmi) << "login refused for" << LogText(m_settings.AsteriskManager);
    backOff();
    emit loginRefused();
}

void AsteriskClient::backOff()
{
    m_refusedWait = m_refusedWait == 0 ? m_intervals.refusedFirst
                                       : qMin(m_refusedWait * 2, m_intervals.refusedMax);
    qCDebug(lcAmi) << "next try in" << m_refusedWait << "ms";
    m_atimer.SetInterval(m_refusedWait);
}

void AsteriskClient::resetRefusals()
{
    m_refusedWait = 0;
}

void AsteriskClient::send(const QString &message)
{
    try {
        m_wsAst.SendData(message);
    } catch (const Failure &failure) {
        qCDebug(lcAmi) << "send failed:" << failure.text();
        ShowNetFail();
    }
}
