#pragma once

#include <QString>

#include <functional>

struct Globals;
class IBrowser;
class IMainWindow;
class IMessageBox;
class IMonitor;
class ISettingsStore;

// "Ringscout v1.2.17 - Belvane".
QString MainCaption();

// The program's start-up sequence, run once before the main window is first shown.
class Startup
{
public:
    Startup(Globals &globals, ISettingsStore &store, IBrowser &browser, IMainWindow &window,
            IMessageBox &box, IMonitor &monitor);

    // What follows a reported start-up failure, once the box is closed and the main window
    // hidden: the program opens the Options dialog.
    void SetRecovery(std::function<void()> recovery) { m_recovery = std::move(recovery); }

    void Run();

private:
    Globals &m_globals;
    ISettingsStore &m_store;
    IBrowser &m_browser;
    IMainWindow &m_window;
    IMessageBox &m_box;
    IMonitor &m_monitor;
    std::function<void()> m_recovery;
};
