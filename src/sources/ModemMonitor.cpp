// SPDX-License-Identifier: GPL-3.0-or-later
#include "sources/ModemMonitor.h"

#include "base/Failure.h"
#include "base/LogText.h"
#include "platform/ISerialPort.h"
#include "platform/TimerControl.h"
#include "pop/ICallSink.h"
#include "settings/Settings.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcModem, "ringscout.modem", QtWarningMsg)

} // namespace

ModemMonitor::ModemMonitor(const Settings &settings, ISerialPort &modem, TimerControl &timer,
                           ICallSink &sink, QObject *parent)
    : IDialer(parent), m_settings(settings), m_modem(modem), m_timer(timer), m_sink(sink)
{
    m_reopen.setInterval(Intervals{}.reopen);
    connect(&m_timer, &TimerControl::tick, this, &ModemMonitor::timer_Tick);
    connect(&m_modem, &ISerialPort::deviceLost, this, &ModemMonitor::modem_DeviceLost);
    connect(&m_reopen, &QTimer::timeout, this, &ModemMonitor::reopen);
}

void ModemMonitor::setIntervals(const Intervals &intervals)
{
    m_pollInterval = intervals.poll;
    m_reopen.setInterval(intervals.reopen);
}

void ModemMonitor::OpenModem()
{
    m_reopen.stop();
    if (m_modem.PortOpen())
        m_modem.SetPortOpen(false);
    if (m_settings.comPort <= 0) {
        qCDebug(lcModem) << "off: comPort is" << m_settings.comPort;
        stopPoll();
        return;
    }
    try {
        openAndInitialise();
        qCDebug(lcModem) << "serial port" << m_settings.comPort << "open and initialised";
    } catch (const Failure &) {
        stopPoll();
        emit monitoringStopped();
        throw;
    }
}

void ModemMonitor::CloseModem()
{
    m_reopen.stop();
    m_timer.SetEnabled(false);
    m_modem.SetPortOpen(false);
    setCanDial(false);
}

void ModemMonitor::openAndInitialise()
{
    m_modem.SetCommPort(m_settings.comPort);
    m_modem.SetSettings(m_settings.modemSettings);
    m_modem.SetPortOpen(true);
    try {
        // The modem's answer is not awaited: it lies in the buffer like any other text.
        m_modem.Output(m_settings.initString + QLatin1Char('\r'));
    } catch (const Failure &) {
        m_modem.SetPortOpen(false);
        throw;
    }
    m_timer.SetInterval(m_pollInterval);
    m_timer.SetEnabled(true);
    setCanDial(true);
}

void ModemMonitor::stopPoll()
{
    m_timer.SetEnabled(false);
    setCanDial(false);
}

void ModemMonitor::setCanDial(bool can)
{
    if (can == m_canDial)
        return;
    m_canDial = can;
    emit availabilityChanged(can);
}

void ModemMonitor::dial(const QString &confirmedNumber)
{
    if (const QString why = DialStep::refusal(confirmedNumber); !why.isEmpty()) {
        qCDebug(lcModem) << "dial refused:" << LogText(confirmedNumber);
        emit dialRefused(why);
        return;
    }
    m_dialStep.confirm(confirmedNumber);
}

void ModemMonitor::timer_Tick()
{
    // Settings reloaded without a modem while the poll ran: idle until monitoring restarts.
    if (m_settings.comPort <= 0 || !m_modem.PortOpen())
        return;
    try {
        // Within one tick the dialer writes before the parser reads.
        for (const QString &command : m_dialStep.tick()) {
            m_modem.Output(command);
            if (command.startsWith(QLatin1StringView("ATDT ")))
                placed(command.sliced(5).chopped(1));
        }
        m_buffer.append(m_modem.inputBytes());
        ModemBuffer::Step step = m_buffer.readStep(m_settings.cidKey, m_settings.cidnameKey);
        if (step.dropped)
            qCDebug(lcModem).nospace()
                << "text dropped (" << step.dropped << "): " << LogText(step.droppedText);
        if (step.caller) {
            qCDebug(lcModem) << "report taken: number" << LogText(step.caller->number) << "name"
                             << LogText(step.caller->name);
            step.caller->recognisedBy(Call::Source::Modem,
                                      QStringLiteral("Serial port %1").arg(m_settings.comPort));
            m_sink.callRecognised(*step.caller);
        }
    } catch (const Failure &failure) {
        qCDebug(lcModem) << "poll tick:" << failure.what();
    }
}

// The modem cannot tell what became of the call: the handset has the line.
void ModemMonitor::placed(const QString &number)
{
    Call call = Call::of(number, {});
    call.direction = Call::Direction::Out;
    call.pops = false;
    call.recognisedBy(Call::Source::Modem,
                      QStringLiteral("Serial port %1").arg(m_settings.comPort));
    emit callPlaced(call);
}

// Qt reports a vanished device again and again until the port is closed, so it is closed at
// once; the same port is then tried every few seconds.
void ModemMonitor::modem_DeviceLost(const QString &reason)
{
    if (!m_modem.PortOpen())
        return;
    qCDebug(lcModem) << "device gone:" << reason;
    m_modem.SetPortOpen(false);
    // Unlike a stop by the user: a half report of the vanished device would be completed by
    // the first bytes of the next one.
    m_buffer.clear();
    stopPoll();
    emit monitoringStopped();
    m_reopen.start();
}

void ModemMonitor::reopen()
{
    if (m_settings.comPort <= 0) {
        m_reopen.stop();
        return;
    }
    try {
        openAndInitialise();
    } catch (const Failure &failure) {
        qCDebug(lcModem) << "still gone:" << failure.what();
        return;
    }
    m_reopen.stop();
    emit monitoringResumed();
}
