#include "app/Monitor.h"

#include "platform/Failure.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "platform/TimerControl.h"
#include "settings/Globals.h"
#include "sources/AsteriskClient.h"
#include "sources/ModemMonitor.h"
#include "sources/YacListener.h"

Monitor::Monitor(Globals &globals, TimerControl &pollTimer, YacListener &yac,
                 AsteriskClient &asterisk, IMainWindow &window, IMessageBox &box,
                 ModemMonitor &modem)
    : m_globals(globals), m_timer(pollTimer), m_yac(yac), m_asterisk(asterisk), m_window(window),
      m_box(box), m_modem(modem)
{}

void Monitor::StartMonitor()
{
    m_modem.OpenModem();
    m_asterisk.ConnectAsterisk();
    m_window.SetToggleCaption(QStringLiteral("Disable &Monitor"));
    m_globals.startupFailed = false;
    m_yac.CloseYac();
    if (m_globals.yacPort > 0)
        m_yac.ListenYac();
}

void Monitor::StopMonitor()
{
    m_modem.CloseModem();
    m_window.SetToggleCaption(QStringLiteral("&Enable Monitor"));
}

bool Monitor::PollEnabled() const
{
    return m_timer.Enabled();
}

void Monitor::cmdToggle_Click()
{
    try {
        if (!m_timer.Enabled())
            StartMonitor();
        else
            StopMonitor();
    } catch (const Failure &failure) {
        m_box.Critical(QStringLiteral("Ringscout"), failure.Text());
    }
}
