// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TimerControl.h"
#include "pop/CallSinks.h"
#include "settings/Settings.h"
#include "settings/StartupStatus.h"

#include <QObject>

#include <memory>

class AsteriskClient;
class CallsDesk;
class CallerPop;
class CallRecorder;
class ConfigOpener;
class IBrowser;
class IMessageBox;
class ISerialPort;
class ISettingsStore;
class ISocketControl;
class ModemMonitor;
class Monitor;
class QuitCommand;
class QWidget;
class Startup;
class YacListener;
class DialerOpener;
class DialerChoice;
class PbxDialer;
class frmDialer;
class frmMain;

// The platform the program runs on, built by main() or by a test.
struct Adapters
{
    ISettingsStore &store;
    IBrowser &browser;
    QWidget *browserPane; // the browser's pane, which the main window takes over
    IMessageBox &box;
    ISocketControl &Winsock1;
    ISocketControl &wsAst;
    ISerialPort &modem;
    ISocketControl *probe = nullptr; // for the Options dialog's look at the PBX's certificate
};

// The running program: builds the main window, the settings record and the call sources,
// and wires them together.
class MainProgram : public QObject
{
    Q_OBJECT

public:
    explicit MainProgram(const Adapters &adapters, QObject *parent = nullptr);
    ~MainProgram() override;

    // Runs the start-up sequence, then shows the main window.
    void start();

    frmMain &mainWindow() { return *m_frmMain; }
    Settings &record() { return m_settings; }
    Monitor &monitoring() { return *m_monitor; }
    ConfigOpener &options() { return *m_options; }
    ModemMonitor &modem() { return *m_modem; }
    // The call list: its file (path()) and its signals of calls recorded and rows changed.
    CallRecorder &callList() { return *m_recorder; }
    // The Phone Dialer, made on first use; null until then.
    frmDialer *dialer() const;

    // Another start of the program asked for this: `number` "" brings the window the user
    // works in to the front, a number opens the Phone Dialer with it as a tel: link does.
    void answer(const QString &number);
    // The Calls window, the tray and the notifications.
    CallsDesk &calls() { return *m_desk; }

signals:
    void dialRequested(const QString &number);
    // Quit, or the main window closed from its title bar.
    void quitRequested();

private:
    void wireWindow(const Adapters &adapters);
    void wireDialer(const Adapters &adapters);
    void wireCalls(const Adapters &adapters);

    Settings m_settings;
    StartupStatus m_startupStatus;
    std::unique_ptr<frmMain> m_frmMain;
    TimerControl m_timer;
    TimerControl m_atimer;
    std::unique_ptr<CallerPop> m_pop;
    std::unique_ptr<CallRecorder> m_recorder;
    // Where the sources and the dialers hand their calls: the pop, then the call list.
    CallSinks m_calls;
    std::unique_ptr<YacListener> m_yac;
    std::unique_ptr<AsteriskClient> m_asterisk;
    std::unique_ptr<ModemMonitor> m_modem;
    std::unique_ptr<PbxDialer> m_pbx;
    std::unique_ptr<DialerChoice> m_dialerChoice;
    std::unique_ptr<DialerOpener> m_dialer;
    std::unique_ptr<Monitor> m_monitor;
    std::unique_ptr<Startup> m_startup;
    std::unique_ptr<QuitCommand> m_quit;
    std::unique_ptr<ConfigOpener> m_options;
    std::unique_ptr<CallsDesk> m_desk;
};
