// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainProgram.h"

#include "Version.h"
#include "app/AsteriskNotices.h"
#include "app/CallsDesk.h"
#include "app/Monitor.h"
#include "app/QuitCommand.h"
#include "app/Startup.h"
#include "app/frmMain.h"
#include "calls/CallRecorder.h"
#include "calls/CallStore.h"
#include "dialer/DialerChoice.h"
#include "dialer/DialerOpener.h"
#include "dialer/frmDialer.h"
#include "platform/IBrowser.h"
#include "platform/IMessageBox.h"
#include "pop/CallerPop.h"
#include "settings/ConfigOpener.h"
#include "sources/AsteriskClient.h"
#include "sources/ModemMonitor.h"
#include "sources/PbxDialer.h"
#include "sources/YacListener.h"

#include <QPushButton>

MainProgram::MainProgram(const Adapters &adapters, QObject *parent)
    : QObject(parent), m_frmMain(std::make_unique<frmMain>(adapters.browserPane))
{
    frmMain &window = *m_frmMain;
    m_pop = std::make_unique<CallerPop>(m_settings, adapters.browser, window);
    m_calls.add(*m_pop);
    // The pop first: the list never delays it.
    m_recorder = std::make_unique<CallRecorder>(m_settings, CallStore::defaultPath());
    m_calls.add(*m_recorder);
    m_yac = std::make_unique<YacListener>(m_settings, adapters.Winsock1, m_calls);
    m_asterisk = std::make_unique<AsteriskClient>(m_settings, adapters.wsAst, m_atimer, m_calls);
    m_pbx = std::make_unique<PbxDialer>(m_settings, *m_asterisk);
    new AsteriskNotices(*m_asterisk, *m_pbx, window, adapters.box, this);
    m_modem = std::make_unique<ModemMonitor>(m_settings, adapters.modem, m_timer, m_calls);
    // The desk phone is the better line: the PBX dials whenever it can.
    m_dialerChoice = std::make_unique<DialerChoice>(*m_pbx, *m_modem);
    m_monitor = std::make_unique<Monitor>(m_settings, m_startupStatus,
                                          CallSources{*m_modem, *m_asterisk, *m_yac}, m_timer,
                                          window, adapters.box);
    m_startup = std::make_unique<Startup>(m_settings, m_startupStatus, adapters.store,
                                          adapters.browser, window, adapters.box, *m_monitor);
    m_quit = std::make_unique<QuitCommand>(window, adapters.store);
    m_options = std::make_unique<ConfigOpener>(
        ConfigContext{m_settings, m_startupStatus, adapters.store, window, *m_monitor, adapters.box,
                      adapters.browser, adapters.probe});

    wireWindow(adapters);
    wireDialer(adapters);
    wireCalls(adapters);
}

// The main window's buttons and what they show.
void MainProgram::wireWindow(const Adapters &adapters)
{
    frmMain &window = *m_frmMain;
    connect(m_options.get(), &ConfigOpener::endProgram, this, &MainProgram::quitRequested);
    connect(window.cmdSettings(), &QPushButton::clicked, m_options.get(), &ConfigOpener::open);

    connect(m_quit.get(), &QuitCommand::quitRequested, this, &MainProgram::quitRequested);
    connect(window.cmdToggle(), &QPushButton::clicked, this,
            [this] { m_monitor->cmdToggle_Click(); });

    // "&Dial" only while there is something to dial with, also before the first start.
    window.setDialerEnabled(m_dialerChoice->canDial());
    connect(m_dialerChoice.get(), &IDialer::availabilityChanged, &window,
            &frmMain::setDialerEnabled);
    connect(m_modem.get(), &ModemMonitor::monitoringStopped, &window,
            [&window] { window.showMonitoring(false); });
    connect(m_modem.get(), &ModemMonitor::monitoringResumed, &window,
            [&window] { window.showMonitoring(true); });
    // As the PBX's refusals show; queued, as the dialer's OK is still under way.
    connect(
        m_modem.get(), &ModemMonitor::dialRefused, this,
        [&box = adapters.box](const QString &why) {
            box.message(QString::fromUtf8(Version::Title), why);
        },
        Qt::QueuedConnection);
}

// The Phone Dialer, from "&Dial", a page's tel: link and another start of the program.
void MainProgram::wireDialer(const Adapters &adapters)
{
    m_dialer = std::make_unique<DialerOpener>(*m_frmMain, *m_dialerChoice, adapters.box);
    connect(m_frmMain->cmdDialer(), &QPushButton::clicked, m_dialer.get(),
            &DialerOpener::cmdDialer_Click);
    connect(&adapters.browser, &IBrowser::dialRequested, m_dialer.get(),
            &DialerOpener::dialFromPage);
    connect(this, &MainProgram::dialRequested, m_dialer.get(), &DialerOpener::dialFromPage);
}

// The call list's window, tray and notifications, and the calls placed reaching the list.
void MainProgram::wireCalls(const Adapters &adapters)
{
    connect(m_dialerChoice.get(), &IDialer::callPlaced, this,
            [this](const Call &call) { m_calls.callRecognised(call); });
    connect(m_dialerChoice.get(), &IDialer::placedCallEnded, this,
            [this](const CallEnd &end) { m_calls.callEnded(end); });
    m_desk =
        std::make_unique<CallsDesk>(CallsDesk::Parts{m_settings, *m_frmMain, *m_pop, *m_dialer,
                                                     *m_options, *m_quit, [this] { answer({}); }},
                                    m_recorder->path());
    m_calls.add(m_desk->sink());
    // Counted and shown again once the store has written the call.
    connect(m_recorder.get(), &CallRecorder::callListChanged, m_desk.get(),
            &CallsDesk::listChanged);
    connect(&adapters.browser, &IBrowser::leaveRefused, &m_desk->sink(), &CallNotices::popKept);
    connect(
        m_recorder.get(), &CallRecorder::listMovedAside, this,
        [&box = adapters.box](const QString &text) {
            box.message(QString::fromUtf8(Version::Title), text);
        },
        Qt::QueuedConnection);
}

MainProgram::~MainProgram() = default;

frmDialer *MainProgram::dialer() const
{
    return m_dialer->dialer();
}

void MainProgram::start()
{
    // A failed start-up is put right in the Options dialog, or the program ends there.
    const bool started = m_startup->run();
    m_recorder->start(); // the settings are read now
    if (started)
        m_frmMain->show();
    else
        m_options->open();
}

void MainProgram::answer(const QString &number)
{
    if (!number.isEmpty()) {
        emit dialRequested(number);
        return;
    }
    frmDialer *phoneDialer = dialer();
    if (phoneDialer && phoneDialer->isVisible()) {
        phoneDialer->raise();
        phoneDialer->activateWindow();
    } else if (m_frmMain->isVisible()) {
        m_frmMain->restoreNormal();
        m_frmMain->showAndActivate();
    } else {
        m_options->open(); // the main window is away only while the Options dialog is up
    }
}
