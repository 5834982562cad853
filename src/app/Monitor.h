#pragma once

#include "app/IMonitor.h"

struct Globals;
class AsteriskClient;
class IMainWindow;
class IMessageBox;
class ModemMonitor;
class TimerControl;
class YacListener;

// Starts and stops the call sources in their fixed order, and the main window's monitoring
// button that switches between the two.
class Monitor : public IMonitor
{
public:
    Monitor(Globals &globals, TimerControl &pollTimer, YacListener &yac, AsteriskClient &asterisk,
            IMainWindow &window, IMessageBox &box, ModemMonitor &modem);

    void StartMonitor() override;
    void StopMonitor() override;
    bool PollEnabled() const override;

    // The monitoring button: decides by the modem poll alone. A source that cannot be
    // started is reported in a box; the program goes on.
    void cmdToggle_Click();

private:
    Globals &m_globals;
    TimerControl &m_timer;
    YacListener &m_yac;
    AsteriskClient &m_asterisk;
    IMainWindow &m_window;
    IMessageBox &m_box;
    ModemMonitor &m_modem;
};
