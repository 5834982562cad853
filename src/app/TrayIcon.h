// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

// The notification area's icon: its picture says whether monitoring is on and whether the
// link to the PBX is down, its tooltip names the last caller and counts the unseen missed
// calls, and its menu reaches the program without its window.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    enum class State { On, Off, LinkDown };

    explicit TrayIcon(QObject *parent = nullptr);

    void setMonitoring(bool on);
    void setLinkDown(bool down);
    void setLastCaller(const QString &caller);
    void setMissed(int unseen);
    void setDialEnabled(bool enabled);
    // A message where the desktop has no notification service.
    void showMessage(const QString &title, const QString &body);

    // "Ringscout: monitoring\nLast call: John Doe 555-0100\n3 missed calls".
    static QString toolTip(State state, const QString &lastCaller, int missed);

signals:
    void showRequested();
    void callsRequested();
    void dialRequested();
    void settingsRequested();
    void quitRequested();
    // The fallback message was clicked.
    void messageClicked();
    void menuOpening();

private:
    void refresh();
    static QIcon picture(State state);

    QSystemTrayIcon m_icon;
    QMenu m_menu;
    QAction *m_dial;
    bool m_monitoring = false;
    bool m_linkDown = false;
    QString m_lastCaller;
    int m_missed = 0;
};
