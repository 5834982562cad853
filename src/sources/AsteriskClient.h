// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sources/AmiFramer.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <utility>

struct Settings;
class ISocketControl;
class TimerControl;
class IShowCaller;

// Keeps one logged-in connection to an Asterisk PBX's Manager Interface, pops the caller of
// each dial to a configured extension, and says when the link goes down or comes up.
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
        int keepAliveReply = 10000; // a keep-alive unanswered this long means a dead link
    };

    AsteriskClient(const Settings &settings, ISocketControl &wsAst, TimerControl &atimer,
                   IShowCaller &pop, QObject *parent = nullptr);

    // The start interval applies at once while the timer still runs at it; the others at
    // their next use.
    void setIntervals(const Intervals &intervals);

    // Opens, or opens afresh, the connection from the current settings.
    void ConnectAsterisk();
    void ShowNetOk();
    void ShowNetFail();

    // Connected, and the login accepted.
    bool loggedIn() const;

    // An action's fields in order, one line each: {"Action", "Originate"}, {"Channel", ...}.
    using ActionFields = QList<std::pair<QByteArrayView, QString>>;
    // Sends the action with an ActionID of ours after its fields and gives that ID; each
    // message that carries it comes back through actionAnswered until forgetAction or the
    // link drops. Throws Failure, and sends nothing, while not logged in or when a value
    // holds a line break or another control character, which would end the value's line
    // and start one of the sender's choosing.
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
    // A message that carries the ActionID of an action sent with sendAction, whole.
    void actionAnswered(const QByteArray &actionId, const QByteArray &message);
    // The PBX refused the login; the client tries again later with the same settings.
    void loginRefused();

private:
    // Closes the connection and forgets everything that belonged to it.
    void dropLink();
    void keepAliveUnanswered();
    void refused();
    void resetRefusals();
    void send(const QString &message);

    const Settings &m_settings;
    ISocketControl &m_wsAst;
    TimerControl &m_atimer;
    IShowCaller &m_pop;

    Intervals m_intervals;
    AmiFramer m_framer;
    QTimer m_replyDeadline;
    bool m_atStartInterval = true;
    // Whether ConnectAsterisk has ever set the host and port that a tick reconnects to.
    bool m_hostSet = false;
    // A keep-alive went out and nothing at all has come back since.
    bool m_awaitingReply = false;
    int m_refusedWait = 0;
    bool m_loggedIn = false;
    // "ringscout-1f2e3d4c-": ours among the actions of every desk on the same PBX.
    QByteArray m_actionPrefix;
    quint64 m_actionsSent = 0;
    // The IDs whose answers go to actionAnswered; usually none, so most reads never look.
    QList<QByteArray> m_watched;
};
