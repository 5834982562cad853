// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

struct Settings;
class IBrowser;
class IMainWindow;
class IMessageBox;
class IMonitor;
class ISettingsStore;
class StartupStatus;

// "Ringscout v1.2.17 - Belvane".
QString mainCaption();

// The program's start-up sequence, run once before the main window is first shown.
class Startup
{
public:
    Startup(Settings &settings, StartupStatus &startup, ISettingsStore &store, IBrowser &browser,
            IMainWindow &window, IMessageBox &box, IMonitor &monitor);

    // A failure is reported in a box and the main window hidden: then false, and the caller
    // opens the Options dialog to put it right. Never throws.
    bool run();

private:
    Settings &m_settings;
    StartupStatus &m_startup;
    ISettingsStore &m_store;
    IBrowser &m_browser;
    IMainWindow &m_window;
    IMessageBox &m_box;
    IMonitor &m_monitor;
};
