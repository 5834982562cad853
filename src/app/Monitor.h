// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/IMonitor.h"

struct Settings;
class AsteriskClient;
class IMainWindow;
class IMessageBox;
class StartupStatus;
class ModemMonitor;
class TimerControl;
class YacListener;

// The three call sources, in the order monitoring starts them.
struct CallSources
{
    ModemMonitor &modem;
    AsteriskClient &asterisk;
    YacListener &yac;
};

// Starts and stops the call sources in their fixed order, and the main window's monitoring
// button that switches between the two.
class Monitor : public IMonitor
{
public:
    // `pollTimer` is the modem's: monitoring counts as on while it runs.
    Monitor(const Settings &settings, StartupStatus &startup, const CallSources &sources,
            TimerControl &pollTimer, IMainWindow &window, IMessageBox &box);

    void StartMonitor() override;
    void StopMonitor() override;
    bool pollEnabled() const override;

    // The monitoring button: decides by the modem poll alone. A source that cannot be
    // started is reported in a box; the program goes on.
    void cmdToggle_Click();

private:
    const Settings &m_settings;
    StartupStatus &m_startup;
    CallSources m_sources;
    TimerControl &m_timer;
    IMainWindow &m_window;
    IMessageBox &m_box;
};
