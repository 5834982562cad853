// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct Settings;
class IBrowser;
class IMainWindow;
class IMessageBox;
class IMonitor;
class ISocketControl;
class ISettingsStore;
class StartupStatus;

// What the Options dialog works on: the settings, the start-up status, the store, the main
// window, the monitoring switch, the message boxes and the browser, for the start-up page.
struct ConfigContext
{
    Settings &settings;
    const StartupStatus &startup;
    ISettingsStore &store;
    IMainWindow &window;
    IMonitor &monitor;
    IMessageBox &box;
    IBrowser &browser;
    // A spare socket control, to ask the PBX for its certificate over TLS; null: never asked.
    ISocketControl *probe = nullptr;
};
