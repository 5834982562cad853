// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialer/DialStep.h"

#include <QObject>
#include <QTimer>

struct RunState;
struct Settings;
class ISerialPort;
class IShowCaller;
class TimerControl;

// Opens and initialises the caller-ID modem, polls it once a second (the dial step, then the
// caller-ID read), hands each caller to ShowCaller, and brings the port back when its device
// goes away and returns. Talks to the window only through its signals.
class ModemMonitor : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPollIntervalMs = 1000;
    // How often a port whose device went away is tried again.
    static constexpr int kReopenIntervalMs = 3000;

    // `settings` is read at each use; `state` holds the receive buffer and the dialer's state,
    // which outlive a stop and a restart of monitoring.
    ModemMonitor(const Settings &settings, RunState &state, ISerialPort &modem, TimerControl &timer,
                 IShowCaller &pop, QObject *parent = nullptr);

    // Closes the port, then with comPort > 0 opens and initialises the modem and runs the
    // poll. Throws Failure, e.g. "Serial port 3: cannot open /dev/ttyACM0: Permission
    // denied"; the port and the poll are then off, so no tick reads a closed port.
    void OpenModem();
    // Stops the poll and closes the port; quiet when it is closed already.
    void CloseModem();

    // The Phone Dialer's OK: the number is dialled by the next ticks.
    void ConfirmDial(const QString &typed);

    void SetPollInterval(int milliseconds) { m_pollInterval = milliseconds; }
    void SetReopenInterval(int milliseconds) { m_reopen.setInterval(milliseconds); }

    // Handler of the poll timer's Tick.
    void timer_Tick();

signals:
    // "&Dial" is usable exactly while the port is open.
    void dialerEnabled(bool enabled);
    // The poll stopped without the monitoring button: the port failed to open or its device
    // went away.
    void monitoringStopped();
    // The device came back and the poll runs again.
    void monitoringResumed();

private:
    void openAndInitialise();
    void stopPoll();
    void modem_DeviceLost(const QString &reason);
    void reopen();
    DialStep::State dialState();

    const Settings &m_settings;
    RunState &m_state;
    ISerialPort &m_modem;
    TimerControl &m_timer;
    IShowCaller &m_pop;
    QTimer m_reopen;
    int m_pollInterval = kPollIntervalMs;
};
