#include "app/MainProgram.h"

#include "app/AsteriskNotices.h"
#include "app/Monitor.h"
#include "app/Startup.h"
#include "app/frmMain.h"
#include "platform/Failure.h"
#include "platform/ISettingsStore.h"
#include "pop/CallerPop.h"
#include "sources/AsteriskClient.h"
#include "sources/YacListener.h"

#include <QLoggingCategory>
#include <QPushButton>

Q_LOGGING_CATEGORY(lcApp, "ringscout.app", QtWarningMsg)

MainProgram::MainProgram(ISettingsStore &store, IBrowser &browser, QWidget *browserPane,
                         IMessageBox &box, ISocketControl &winsock1, ISocketControl &wsAst,
                         QObject *parent)
    : QObject(parent), m_store(store), m_box(box),
      m_frmMain(std::make_unique<frmMain>(browserPane))
{
    frmMain &window = *m_frmMain;
    m_pop = std::make_unique<CallerPop>(m_globals, browser, window);
    m_yac = std::make_unique<YacListener>(m_globals, winsock1, *m_pop);
    m_asterisk = std::make_unique<AsteriskClient>(m_globals, wsAst, m_atimer, *m_pop);
    new AsteriskNotices(*m_asterisk, window, box, this);
    m_monitor = std::make_unique<Monitor>(m_globals, m_timer, *m_yac, *m_asterisk, window, box);
    m_startup = std::make_unique<Startup>(m_globals, store, browser, window, box, *m_monitor);

    connect(window.cmdQuit(), &QPushButton::clicked, this, &MainProgram::cmdQuit_Click);
    // Closing the main window ends the program, named browser windows or not, but without
    // saving its geometry: only Quit does that.
    connect(&window, &frmMain::closed, this, &MainProgram::quitRequested);
    connect(window.cmdToggle(), &QPushButton::clicked, this,
            [this] { m_monitor->cmdToggle_Click(); });
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
