// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayIcon.h"

#include "Version.h"

#include <QPainter>

TrayIcon::TrayIcon(QObject *parent) : QObject(parent)
{
    m_icon.setObjectName(QStringLiteral("trayIcon"));
    connect(m_menu.addAction(QStringLiteral("&Show %1").arg(QLatin1String(Version::Title))),
            &QAction::triggered, this, &TrayIcon::showRequested);
    connect(m_menu.addAction(QStringLiteral("&Calls…")), &QAction::triggered, this,
            &TrayIcon::callsRequested);
    m_dial = m_menu.addAction(QStringLiteral("&Dial…"));
    connect(m_dial, &QAction::triggered, this, &TrayIcon::dialRequested);
    connect(m_menu.addAction(QStringLiteral("S&ettings…")), &QAction::triggered, this,
            &TrayIcon::settingsRequested);
    m_menu.addSeparator();
    connect(m_menu.addAction(QStringLiteral("&Quit")), &QAction::triggered, this,
            &TrayIcon::quitRequested);
    m_icon.setContextMenu(&m_menu);
    connect(&m_menu, &QMenu::aboutToShow, this, &TrayIcon::menuOpening);
    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit showRequested();
            });
    connect(&m_icon, &QSystemTrayIcon::messageClicked, this, &TrayIcon::messageClicked);
    refresh();
    m_icon.show();
}

void TrayIcon::setMonitoring(bool on)
{
    m_monitoring = on;
    refresh();
}

void TrayIcon::setLinkDown(bool down)
{
    m_linkDown = down;
    refresh();
}

void TrayIcon::setLastCaller(const QString &caller)
{
    m_lastCaller = caller;
    refresh();
}

void TrayIcon::setMissed(int unseen)
{
    m_missed = unseen;
    refresh();
}

void TrayIcon::setDialEnabled(bool enabled)
{
    m_dial->setEnabled(enabled);
}

void TrayIcon::showMessage(const QString &title, const QString &body)
{
    m_icon.showMessage(title, body, QSystemTrayIcon::Information);
}

QString TrayIcon::toolTip(State state, const QString &lastCaller, int missed)
{
    QString tip = QLatin1String(Version::Title) +
                  (state == State::LinkDown ? QStringLiteral(": the link to the PBX is down")
                   : state == State::On     ? QStringLiteral(": monitoring")
                                            : QStringLiteral(": not monitoring"));
    if (!lastCaller.isEmpty())
        tip += QStringLiteral("\nLast call: ") + lastCaller.left(80);
    if (missed > 0)
        tip += missed == 1 ? QStringLiteral("\n1 missed call")
                           : QStringLiteral("\n%1 missed calls").arg(missed);
    return tip;
}

void TrayIcon::refresh()
{
    const State state = m_linkDown ? State::LinkDown : m_monitoring ? State::On : State::Off;
    m_icon.setIcon(picture(state));
    m_icon.setToolTip(toolTip(state, m_lastCaller, m_missed));
}

// A handset-coloured disc: green monitoring, grey not, red with a bar when the PBX is away.
QIcon TrayIcon::picture(State state)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = state == State::On    ? QColor(0x2e, 0x9d, 0x4a)
                          : state == State::Off ? QColor(0x8a, 0x8a, 0x8a)
                                                : QColor(0xd0, 0x30, 0x30);
    painter.setPen(QPen(Qt::white, 4));
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(4, 4, 56, 56));
    QFont font = painter.font();
    font.setPixelSize(34);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(4, 4, 56, 56), Qt::AlignCenter, QStringLiteral("R"));
    if (state == State::LinkDown) {
        painter.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(14, 50), QPointF(50, 14));
    }
    return QIcon(pixmap);
}
