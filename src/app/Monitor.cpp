#include "app/Monitor.h"

#include "Version.h"
#include "platform/Failure.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "platform/TimerControl.h"
#include "settings/Globals.h"
#include "sources/AsteriskClient.h"
#include "sources/YacListener.h"

Monitor::Monitor(const Settings &settings, RunState &state, TimerControl &pollTimer,
                 YacListener &yac, AsteriskClient &asterisk, IMainWindow &window, IMessageBox &box)
    : m_settings(settings), m_state(state), m_timer(pollTimer), m_yac(yac), m_asterisk(asterisk),
      m_window(window), m_box(box)
{
}

void Monitor::StartMonitor()
{
    // The modem comes first. Ringscout has no modem source yet, so it runs as with no
    // modem configured: the poll stays off and "&Dial" disabled.
    m_timer.SetEnabled(false);
    m_window.SetDialerEnabled(false);

    m_asterisk.ConnectAsterisk();
    m_window.SetToggleCaption(QStringLiteral("Disable &Monitor"));
    m_state.startupFailed = false;
    m_yac.CloseYac();
    if (m_settings.yacPort > 0)
        m_yac.ListenYac();
}

void Monitor::StopMonitor()
{
    m_timer.SetEnabled(false);
    m_window.SetDialerEnabled(false);
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
        m_box.Critical(QString::fromUtf8(Version::Title), failure.Text());
    }
}
