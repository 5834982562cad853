#pragma once

#include "app/IMonitor.h"

struct RunState;
struct Settings;
class AsteriskClient;
class IMainWindow;
class IMessageBox;
class TimerControl;
class YacListener;

// Starts and stops the call sources in their fixed order, and the main window's monitoring
// button that switches between the two.
class Monitor : public IMonitor
{
public:
    Monitor(const Settings &settings, RunState &state, TimerControl &pollTimer, YacListener &yac,
            AsteriskClient &asterisk, IMainWindow &window, IMessageBox &box);

    void StartMonitor() override;
    void StopMonitor() override;
    bool PollEnabled() const override;

    // The monitoring button: decides by the modem poll alone. A source that cannot be
    // started is reported in a box; the program goes on.
    void cmdToggle_Click();

private:
    const Settings &m_settings;
    RunState &m_state;
    TimerControl &m_timer;
    YacListener &m_yac;
    AsteriskClient &m_asterisk;
    IMainWindow &m_window;
    IMessageBox &m_box;
};
