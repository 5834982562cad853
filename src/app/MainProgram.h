#pragma once

#include "platform/TimerControl.h"
#include "settings/Globals.h"

#include <QObject>

#include <memory>

class AsteriskClient;
class CallerPop;
class IBrowser;
class IMessageBox;
class ISerialPort;
class ISettingsStore;
class ISocketControl;
class ModemMonitor;
class Monitor;
class Startup;
class YacListener;
class frmDialer;
class frmMain;

// The running program: the main window with its controls, the call sources wired to them,
// and the handlers of the main window's buttons.
class MainProgram : public QObject
{
    Q_OBJECT

public:
    MainProgram(ISettingsStore &store, IBrowser &browser, QWidget *browserPane, IMessageBox &box,
                ISocketControl &winsock1, ISocketControl &wsAst, ISerialPort &modem,
                QObject *parent = nullptr);
    ~MainProgram() override;

    // Runs the start-up sequence and shows the main window unless start-up failed.
    void Start();

    frmMain &MainWindow() { return *m_frmMain; }
    Globals &State() { return m_globals; }
    CallerPop &Pop() { return *m_pop; }
    YacListener &Yac() { return *m_yac; }
    AsteriskClient &Asterisk() { return *m_asterisk; }
    Monitor &Monitoring() { return *m_monitor; }
    ModemMonitor &Modem() { return *m_modem; }
    // The Phone Dialer, made on first use; null until then.
    frmDialer *Dialer() const { return m_frmDialer.get(); }

    // Hides the main window and shows the Phone Dialer with the focus in its number field.
    void cmdDialer_Click();

    // Saves the normal outer geometry in twips under "startx", "starty", "startw" and
    // "starth", then asks the program to end.
    void cmdQuit_Click();

signals:
    // Quit, or the main window closed from its title bar.
    void quitRequested();

private:
    Globals m_globals;
    ISettingsStore &m_store;
    IMessageBox &m_box;
    std::unique_ptr<frmMain> m_frmMain;
    TimerControl m_timer;
    TimerControl m_atimer;
    std::unique_ptr<CallerPop> m_pop;
    std::unique_ptr<YacListener> m_yac;
    std::unique_ptr<AsteriskClient> m_asterisk;
    std::unique_ptr<ModemMonitor> m_modem;
    std::unique_ptr<frmDialer> m_frmDialer;
    std::unique_ptr<Monitor> m_monitor;
    std::unique_ptr<Startup> m_startup;
};
