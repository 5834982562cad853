// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Monitor.h"

#include "Version.h"
#include "base/Failure.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "platform/TimerControl.h"
#include "settings/Settings.h"
#include "settings/StartupStatus.h"
#include "sources/AsteriskClient.h"
#include "sources/ModemMonitor.h"
#include "sources/YacListener.h"

Monitor::Monitor(const Settings &settings, StartupStatus &startup, const CallSources &sources,
                 TimerControl &pollTimer, IMainWindow &window, IMessageBox &box)
    : m_settings(settings), m_startup(startup), m_sources(sources), m_timer(pollTimer),
      m_window(window), m_box(box)
{}

void Monitor::StartMonitor()
{
    m_sources.modem.OpenModem();
    m_sources.asterisk.ConnectAsterisk();
    m_window.showMonitoring(true);
    m_startup.setFailed(false);
    m_sources.yac.CloseYac();
    if (m_settings.yacPort > 0)
        m_sources.yac.ListenYac();
}

void Monitor::StopMonitor()
{
    m_sources.modem.CloseModem();
    m_window.showMonitoring(false);
}

bool Monitor::pollEnabled() const
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
        m_box.critical(QString::fromUtf8(Version::Title), failure.text());
    }
}
