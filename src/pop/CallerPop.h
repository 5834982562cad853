// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pop/ICallSink.h"
#include "pop/SearchUrl.h"

struct Settings;
class IBrowser;
class IMainWindow;

// Turns a caller into the search URL and shows it: in the main window's pane, bringing the
// window up, or in the browser window named by the Target setting.
class CallerPop : public ICallSink
{
public:
    CallerPop(const Settings &settings, IBrowser &browser, IMainWindow &window,
              CodePage codePage = systemCodePage());

    // Shows nothing when the number holds no digit. Cleans its own copies of the texts: the
    // call keeps them as the source cut them.
    void ShowCaller(QString number, QString name);

    // A call that is not to pop (another dial of the same read, a call out) shows nothing.
    void callRecognised(const Call &call) override
    {
        if (call.pops)
            ShowCaller(call.number, call.name);
    }
    // A pop stays on screen whatever became of its call.
    void callEnded(const CallEnd &) override {}

private:
    const Settings &m_settings;
    IBrowser &m_browser;
    IMainWindow &m_window;
    CodePage m_codePage;
};
