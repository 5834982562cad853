#include "app/Startup.h"

#include "Version.h"
#include "app/IMonitor.h"
#include "platform/Failure.h"
#include "platform/IBrowser.h"
#include "platform/IMainWindow.h"
#include "platform/IMessageBox.h"
#include "settings/Globals.h"
#include "settings/LoadSettings.h"

QString MainCaption()
{
    return QStringLiteral("%1 v%2.%3.%4 - %5")
        .arg(QLatin1String(Version::Title))
        .arg(Version::Major)
        .arg(Version::Minor)
        .arg(Version::Revision)
        .arg(QLatin1String(Version::CompanyName));
}

Startup::Startup(Globals &globals, ISettingsStore &store, IBrowser &browser, IMainWindow &window,
                 IMessageBox &box, IMonitor &monitor)
    : m_globals(globals), m_store(store), m_browser(browser), m_window(window), m_box(box),
      m_monitor(monitor)
{}

void Startup::Run()
{
    m_globals.appName = QStringLiteral("Belvane");
    m_globals.sectionName = QStringLiteral("settings");
    m_browser.Navigate(QStringLiteral("about:blank"));
    m_globals.startupFailed = false;
    m_globals.modemBufferTicks = 0;
    m_globals.dialTicks = 0;
    m_globals.dialNumber.clear();
    m_window.SetCaption(MainCaption());

    try {
        LoadSettings(m_globals, m_store, m_window);
        m_monitor.StartMonitor();
        if (!m_globals.startupURL.isEmpty())
            m_browser.Navigate(m_globals.startupURL);
    } catch (const Failure &failure) {
        // With the modem running, start-up goes on as far as it can: the window stays and the
        // start-up page is shown, but the source that failed must not stay down unnoticed.
        if (m_monitor.PollEnabled()) {
            if (!m_globals.startupURL.isEmpty())
                m_browser.Navigate(m_globals.startupURL);
            m_box.Critical(QStringLiteral("Modem Initialization Failure"), failure.Text());
            return;
        }
        m_globals.startupFailed = true;
        m_box.Critical(QStringLiteral("Modem Initialization Failure"), failure.Text());
        m_window.Hide();
        if (m_recovery)
            m_recovery();
        else
            m_window.ShowAndActivate();
    }
}
