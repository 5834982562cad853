// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CallsDesk.h"

#include "app/QuitCommand.h"
#include "app/TrayIcon.h"
#include "app/frmMain.h"
#include "calls/frmCalls.h"
#include "dialer/DialerOpener.h"
#include "pop/CallerPop.h"
#include "settings/ConfigOpener.h"

#include <QPushButton>
#include <QShortcut>

CallsDesk::CallsDesk(const Parts &parts, const QString &listPath, QObject *parent)
    : QObject(parent), m_parts(parts), m_list(listPath), m_notices(parts.settings)
{
    // Browsers open their history with it; a window shortcut leaves the buttons as they are.
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), &parts.window);
    shortcut->setObjectName(QStringLiteral("callsShortcut"));
    connect(shortcut, &QShortcut::activated, this, &CallsDesk::showCalls);
    connect(&m_notices, &CallNotices::showRequested, this,
            [this](const QString &number, const QString &name) {
                m_parts.pop.ShowCaller(number, name);
            });
    connect(&m_notices, &CallNotices::callBackRequested, &parts.dialer,
            &DialerOpener::dialFromPage);
    m_recount.setSingleShot(true);
    m_recount.setInterval(300);
    connect(&m_notices, &CallNotices::callsChanged, &m_recount, qOverload<>(&QTimer::start));
    connect(&m_recount, &QTimer::timeout, this, [this] {
        if (m_frmCalls && m_frmCalls->isVisible())
            m_frmCalls->reload();
        refreshCounts();
    });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        makeTray();
    QTimer::singleShot(0, this, &CallsDesk::refreshCounts);
}

CallsDesk::~CallsDesk()
{
    delete m_frmCalls.data();
}

void CallsDesk::makeTray()
{
    m_tray = std::make_unique<TrayIcon>();
    TrayIcon &tray = *m_tray;
    frmMain &window = m_parts.window;
    connect(&window, &frmMain::monitoringShown, &tray, &TrayIcon::setMonitoring);
    connect(&window, &frmMain::netFailShown, &tray, &TrayIcon::setLinkDown);
    connect(&tray, &TrayIcon::showRequested, this, [this] { m_parts.bringToFront(); });
    connect(&tray, &TrayIcon::callsRequested, this, &CallsDesk::showCalls);
    connect(&tray, &TrayIcon::messageClicked, this, &CallsDesk::showCalls);
    // As the main window's buttons do, and only while they may.
    connect(&tray, &TrayIcon::dialRequested, this, [this] {
        if (m_parts.window.cmdDialer()->isEnabled())
            m_parts.dialer.cmdDialer_Click();
    });
    connect(&tray, &TrayIcon::settingsRequested, &m_parts.options, &ConfigOpener::open);
    connect(&tray, &TrayIcon::quitRequested, &m_parts.quit, &QuitCommand::cmdQuit_Click);
    connect(&m_notices, &CallNotices::callsChanged, &tray,
            [this] { m_tray->setLastCaller(m_notices.lastCaller()); });
    connect(&tray, &TrayIcon::menuOpening, this,
            [this] { m_tray->setDialEnabled(m_parts.window.cmdDialer()->isEnabled()); });
}

frmCalls *CallsDesk::callsWindow() const
{
    return m_frmCalls;
}

void CallsDesk::trayMessage(const QString &title, const QString &body)
{
    if (m_tray)
        m_tray->showMessage(title, body);
}

void CallsDesk::showCalls()
{
    if (!m_frmCalls) {
        m_frmCalls = new frmCalls(m_list, m_parts.pop, m_parts.dialer);
        m_frmCalls->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_frmCalls, &frmCalls::missedChanged, this, &CallsDesk::refreshCounts);
    } else {
        m_frmCalls->reload();
    }
    m_frmCalls->setWindowState(m_frmCalls->windowState() & ~Qt::WindowMinimized);
    m_frmCalls->show();
    m_frmCalls->raise();
    m_frmCalls->activateWindow();
}

void CallsDesk::refreshCounts()
{
    const int unseen = m_list.unseenMissed();
    if (m_tray)
        m_tray->setMissed(unseen);
    if (m_frmCalls)
        m_frmCalls->setWindowTitle(frmCalls::caption(unseen));
}
