// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialer/IDialer.h"
#include "sources/DialStep.h"
#include "sources/ModemBuffer.h"

#include <QTimer>

struct Settings;
class ISerialPort;
class ICallSink;
class TimerControl;

// Opens and initialises the caller-ID modem, polls it once a second (the dial step, then the
// caller-ID read), hands each caller to the call sink, and brings the port back when its device
// goes away and returns. It dials while its port is open. Talks to the window only through
// its signals.
class ModemMonitor : public IDialer
{
    Q_OBJECT

public:
    // Timer intervals in milliseconds; tests shorten them.
    struct Intervals
    {
        int poll = 1000;
        int reopen = 3000; // how often a port whose device went away is tried again
    };

    // `settings` is read at each use. The receive buffer and the dial step outlive a stop and
    // a restart of monitoring.
    ModemMonitor(const Settings &settings, ISerialPort &modem, TimerControl &timer, ICallSink &sink,
                 QObject *parent = nullptr);

    // Closes the port, then with comPort > 0 opens and initialises the modem and runs the
    // poll. Throws Failure, e.g. "Serial port 3: cannot open /dev/ttyACM0: Permission
    // denied"; the port and the poll are then off, so no tick reads a closed port.
    void OpenModem();
    // Stops the poll and closes the port; quiet when it is closed already.
    void CloseModem();

    // True exactly while the port is open and polled.
    bool canDial() const override { return m_canDial; }
    // While a port whose device went away is being tried again.
    QString settling() const override
    {
        return m_reopen.isActive() ? QStringLiteral("opening the modem port") : QString();
    }
    // The number is dialled by the next ticks; one the modem would take as commands is not.
    void dial(const QString &confirmedNumber) override;

    const ModemBuffer &buffer() const { return m_buffer; }
    const DialStep &dialStep() const { return m_dialStep; }

    // The poll interval applies at the next OpenModem.
    void setIntervals(const Intervals &intervals);

    // Handler of the poll timer's Tick.
    void timer_Tick();

signals:
    // The poll stopped without the monitoring button: the port failed to open or its device
    // went away.
    void monitoringStopped();
    // The device came back and the poll runs again.
    void monitoringResumed();
    // A confirmed number was not dialled; `why` is for the user, without the number.
    void dialRefused(const QString &why);

private:
    void openAndInitialise();
    void stopPoll();
    void modem_DeviceLost(const QString &reason);
    void reopen();
    void setCanDial(bool can);
    void placed(const QString &number);

    const Settings &m_settings;
    ISerialPort &m_modem;
    TimerControl &m_timer;
    ICallSink &m_sink;
    QTimer m_reopen;
    int m_pollInterval = Intervals{}.poll;
    ModemBuffer m_buffer;
    DialStep m_dialStep;
    bool m_canDial = false;
};
