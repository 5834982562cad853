#include "app/MainProgram.h"

#include "app/Monitor.h"
#include "app/Startup.h"
#include "app/frmMain.h"
#include "dialer/frmDialer.h"
#include "platform/Failure.h"
#include "platform/ISettingsStore.h"
#include "pop/CallerPop.h"
#include "sources/AsteriskClient.h"
#include "sources/ModemMonitor.h"
#include "sources/YacListener.h"

#include <QLoggingCategory>
#include <QPushButton>

Q_LOGGING_CATEGORY(lcApp, "ringscout.app", QtWarningMsg)

MainProgram::MainProgram(ISettingsStore &store, IBrowser &browser, QWidget *browserPane,
                         IMessageBox &box, ISocketControl &winsock1, ISocketControl &wsAst,
                         ISerialPort &modem, QObject *parent)
    : QObject(parent), m_store(store), m_box(box), m_frmMain(std::make_unique<frmMain>(browserPane))
{
    frmMain &window = *m_frmMain;
    m_pop = std::make_unique<CallerPop>(m_globals, browser, window);
    m_yac = std::make_unique<YacListener>(m_globals, winsock1, *m_pop);
    m_asterisk = std::make_unique<AsteriskClient>(m_globals, wsAst, m_atimer, window, box, *m_pop);
    m_modem = std::make_unique<ModemMonitor>(m_globals, m_globals, modem, m_timer, *m_pop);
    m_monitor =
        std::make_unique<Monitor>(m_globals, m_timer, *m_yac, *m_asterisk, window, box, *m_modem);
    m_startup = std::make_unique<Startup>(m_globals, store, browser, window, box, *m_monitor);

    connect(window.cmdQuit(), &QPushButton::clicked, this, &MainProgram::cmdQuit_Click);
    // Closing the main window ends the program, named browser windows or not, but without
    // saving its geometry: only Quit does that.
    connect(&window, &frmMain::closed, this, &MainProgram::quitRequested);
    connect(window.cmdToggle(), &QPushButton::clicked, this,
            [this] { m_monitor->cmdToggle_Click(); });

    // "&Dial" only while a modem port is open, also before the first start.
    window.SetDialerEnabled(false);
    connect(m_modem.get(), &ModemMonitor::dialerEnabled, &window, &frmMain::SetDialerEnabled);
    connect(m_modem.get(), &ModemMonitor::monitoringStopped, &window,
            [&window] { window.SetToggleCaption(QStringLiteral("&Enable Monitor")); });
    connect(m_modem.get(), &ModemMonitor::monitoringResumed, &window,
            [&window] { window.SetToggleCaption(QStringLiteral("Disable &Monitor")); });
    connect(window.cmdDialer(), &QPushButton::clicked, this, &MainProgram::cmdDialer_Click);
}

void MainProgram::cmdDialer_Click()
{
    if (!m_frmDialer) {
        m_frmDialer = std::make_unique<frmDialer>();
        connect(m_frmDialer.get(), &frmDialer::numberConfirmed, this,
                [this](const QString &number) {
                    m_modem->ConfirmDial(number);
                    m_frmMain->ShowAndActivate();
                });
        connect(m_frmDialer.get(), &frmDialer::dismissed, this,
                [this] { m_frmMain->ShowAndActivate(); });
    }
    m_frmMain->Hide();
    m_frmDialer->ShowAndFocus();
}

MainProgram::~MainProgram() = default;

void MainProgram::Start()
{
    m_startup->Run();
    if (!m_globals.startupFailed)
        m_frmMain->show();
}

void MainProgram::cmdQuit_Click()
{
    const QList<int> geometry = m_frmMain->NormalGeometryTwips();
    const char *keys[] = {"startx", "starty", "startw", "starth"};
    try {
        for (int i = 0; i < 4; ++i)
            m_store.WriteSetting(m_globals.appName, m_globals.sectionName,
                                 QString::fromLatin1(keys[i]), QString::number(geometry[i]));
    } catch (const Failure &failure) {
        // Quit ends the program whatever happens; a position not saved is no reason to stay.
        qCWarning(lcApp) << failure.what();
    }
    emit quitRequested();
}
