// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sources/AmiFramer.h"

#include <QObject>
#include <QString>
#include <QTimer>

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
    void SetIntervals(const Intervals &intervals);

    // Opens, or opens afresh, the connection from the current settings.
    void ConnectAsterisk();
    void ShowNetOk();
    void ShowNetFail();

    // Handlers of wsAst's DataArrival, Error and PeerClosed, and of atimer's Tick.
    void wsAst_DataArrival();
    void wsAst_Error(int number, const QString &description);
    void wsAst_PeerClosed();
    void atimer_Tick();

signals:
    // True from the first attempt until a login is accepted, and whenever the link drops;
    // false once logged in or when no connection is configured.
    void linkDown(bool down);
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
};
