// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Startup.h"

#include "Version.h"
#include "base/Failure.h"
#include "platform/IBrowser.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "settings/IMonitor.h"
#include "settings/LoadSettings.h"
#include "settings/Settings.h"
#include "settings/StartupStatus.h"

QString mainCaption()
{
    return QStringLiteral("%1 v%2 - %3")
        .arg(QLatin1String(Version::Title), QLatin1String(Version::Text),
             QLatin1String(Version::CompanyName));
}

Startup::Startup(Settings &settings, StartupStatus &startup, ISettingsStore &store,
                 IBrowser &browser, IMainWindow &window, IMessageBox &box, IMonitor &monitor)
    : m_settings(settings), m_startup(startup), m_store(store), m_browser(browser),
      m_window(window), m_box(box), m_monitor(monitor)
{}

bool Startup::run()
{
    m_browser.navigate(QStringLiteral("about:blank"));
    m_startup.setFailed(false);
    m_window.setCaption(mainCaption());

    try {
        LoadSettings(m_settings, m_store, m_window);
        m_monitor.StartMonitor();
        if (!m_settings.startupURL.isEmpty())
            m_browser.navigate(m_settings.startupURL);
    } catch (const Failure &failure) {
        // With the modem running, start-up goes on as far as it can: the window stays and the
        // start-up page is shown, but the source that failed must not stay down unnoticed.
        if (m_monitor.pollEnabled()) {
            if (!m_settings.startupURL.isEmpty())
                m_browser.navigate(m_settings.startupURL);
            m_box.critical(QStringLiteral("Modem Initialization Failure"), failure.text());
            return true;
        }
        m_startup.setFailed(true);
        m_box.critical(QStringLiteral("Modem Initialization Failure"), failure.text());
        m_window.hideWindow();
        return false;
    }
    return true;
}
