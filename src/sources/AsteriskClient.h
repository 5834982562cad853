// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Call.h"
#include "sources/AmiFramer.h"
#include "sources/AmiLogin.h"
#include "sources/CallTracker.h"
#include "sources/DialScan.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <utility>

struct Settings;
class ISocketControl;
class TimerControl;
class ICallSink;

// Keeps one logged-in connection to an Asterisk PBX's Manager Interface, hands the caller of
// each dial to a configured extension on (the first of a read pops), says how each call it popped
// or placed ended, and says when the link goes down or comes up.
class AsteriskClient : public QObject
{
    Q_OBJECT

public:
    // Timer intervals and waits in milliseconds; tests shorten them.
    struct Intervals
    {
        int start = 2000;        // from the window's creation until the first use
        int ok = 45000;          // logged in, or no connection configured
        int fail = 3000;         // down, or connected but not yet logged in
        int refusedFirst = 3000; // wait after a refused login, doubled after each refusal
        int refusedMax = 300000;
        // From each connection attempt until the login is accepted: a PBX that never greets,
        // a TLS handshake that never ends, a challenge or login never answered.
        int login = 10000;
        int keepAliveReply = 10000; // a keep-alive unanswered this long means a dead link
        // A dial's outcome is overdue this long after its Originate: the desk phone rings 30 s.
        int originateAnswer = 40000;
        // A failure the PBX reports just before the link drops is blamed on the PBX going away.
        int linkLostGrace = 3000;
    };

    AsteriskClient(const Settings &settings, ISocketControl &wsAst, TimerControl &atimer,
                   ICallSink &sink, QObject *parent = nullptr);

    // The start interval applies at once while the timer still runs at it; the others at
    // their next use.
    void setIntervals(const Intervals &intervals);
    const Intervals &intervals() const { return m_intervals; }

    // Opens, or opens afresh, the connection from the current settings.
    void ConnectAsterisk();
    void ShowNetOk();
    void ShowNetFail();

    // Connected, and the login accepted.
    bool loggedIn() const;

    // An action's fields in order, one line each: {"Action", "Originate"}, {"Channel", ...}.
    using ActionFields = QList<std::pair<QByteArrayView, QString>>;
    // Sends the action with a fresh random ActionID after its fields and gives that ID. Its
    // answers come back through actionAnswered until forgetAction or the link drops: only the
    // PBX's "Response:" to it, once, and for an Async Originate that was queued the
    // "Event: OriginateResponse" after it, once; other messages that carry the ID (any client
    // may send a UserEvent with it) are not believed. Throws Failure, and sends nothing,
    // while not logged in or when a value holds a control character (AmiField::holdsControl),
    // which would end the value's line and start one of the sender's choosing.
    QByteArray sendAction(const ActionFields &fields);
    void forgetAction(const QByteArray &actionId);

    // Handlers of wsAst's DataArrival, Error and PeerClosed, and of atimer's Tick.
    void wsAst_DataArrival();
    void wsAst_Error(int number, const QString &description);
    void wsAst_PeerClosed();
    void atimer_Tick();

signals:
    // True from the first attempt until a login is accepted, and whenever the link drops;
    // false once logged in or when no connection is configured. Also emitted by every
    // ConnectAsterisk and at each change of loggedIn(), so settings and login can be read
    // afresh then.
    void linkDown(bool down);
    // A believed answer to an action sent with sendAction, whole.
    void actionAnswered(const QByteArray &actionId, const QByteArray &message);
    // The PBX refused the login; the client tries again later with the same settings.
    void loginRefused();
    // The login was not sent: the setting named ("Asterisk Manager", "Password") holds a
    // control character. Once after each ConnectAsterisk, however often the tick retries.
    void loginNotSent(const QString &setting);
    // The link cannot be used as set up ("the PBX's certificate is not trusted: ..."), for a
    // box; once a cause after each ConnectAsterisk, however often the tick retries.
    void linkRefused(const QString &reason);
    // How a call this client recognised or placed ended, once a call. `end.id` is the call's
    // Call::id: the calling channel's Uniqueid; for a call placed with an Originate, its
    // ActionID.
    void callEnded(const CallEnd &end);

private:
    // What one read comes to. Judged while the framer's views are valid and acted on after:
    // acting may drop the link, and the views with it, so this holds copies only.
    struct Read
    {
        bool greeted = false;
        QByteArray greeting; // the connection's first line, when this read had it
        bool accepted = false;
        bool refused = false;
        bool challengeAnswered = false;
        QByteArray challenge; // the MD5 challenge, when it was answered with one
        QString challengeRefused;
        QList<std::pair<QByteArray, QByteArray>> answers; // ActionID, whole message
        QList<Call> callers;                              // of which one a read pops: the first
        QList<CallEnd> ends;
    };
    Read judge(const AmiFramer::Frames &frames);
    void routeAnswer(QByteArrayView message, Read &read);
    void scanEvent(QByteArrayView message, Read &read);
    std::optional<Call> dialCaller(QByteArrayView message, bool popped);
    void act(const Read &read);
    bool greet(const Read &read);
    bool answerChallenge(const Read &read);
    void loginAccepted();
    void connectNow();
    void loginOverdue();
    void backOff();
    void sayOnce(const QString &reason);

    // Closes the connection and forgets everything that belonged to it.
    void dropLink();
    void keepAliveUnanswered();
    void refused();
    void resetRefusals();
    void send(const QString &message);
    bool believe(QByteArrayView actionId, QByteArrayView message);
    bool ownCall(const DialScan::Verdict &dial);
    // The call of a dial that pops, as the sink gets it.
    Call callOf(const DialScan::Verdict &dial) const;
    void rememberLeg(const QString &id);

    const Settings &m_settings;
    ISocketControl &m_wsAst;
    TimerControl &m_atimer;
    ICallSink &m_sink;

    Intervals m_intervals;
    AmiFramer m_framer;
    QTimer m_replyDeadline;
    QTimer m_loginDeadline;
    // How far the login of this connection has come.
    enum class Login { Waiting, Challenged, Sent };
    Login m_login = Login::Waiting;
    QStringList m_said; // the linkRefused reasons given since ConnectAsterisk
    bool m_atStartInterval = true;
    // Whether ConnectAsterisk has ever set the host and port that a tick reconnects to.
    bool m_hostSet = false;
    // A keep-alive went out and nothing at all has come back since.
    bool m_awaitingReply = false;
    int m_refusedWait = 0;
    bool m_loggedIn = false;
    bool m_loginNotSentSaid = false;
    struct Watch
    {
        QByteArray id;
        // What ends the action once its Response said Success: "OriginateResponse" for an
        // Async Originate; empty when the Response ends it.
        QByteArray endEvent;
        bool queued = false;
    };
    // The actions whose answers go to actionAnswered; usually none, so most reads never look.
    QList<Watch> m_watched;
    // Our Originates whose desk phone leg the PBX has not yet rung: ActionID and Desk Phone.
    QList<std::pair<QByteArray, QString>> m_placing;
    // Uniqueid and Linkedid values of the calls this desk placed, newest last.
    QStringList m_ownLegs;
    CallTracker m_calls;
};
