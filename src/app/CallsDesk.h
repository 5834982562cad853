// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calls/CallList.h"
#include "calls/CallNotices.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

struct Settings;
class CallerPop;
class ConfigOpener;
class DialerOpener;
class INotifier;
class QuitCommand;
class TrayIcon;
class frmCalls;
class frmMain;

// What the desk sees of its calls besides the pop: the Calls window (Ctrl+H in the main
// window, "--calls", the tray's menu), the notification-area icon and the notifications, and
// the unseen missed count they all show.
class CallsDesk : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        const Settings &settings;
        frmMain &window;
        CallerPop &pop;
        DialerOpener &dialer;
        ConfigOpener &options;
        QuitCommand &quit;
        std::function<void()> bringToFront; // "Show Ringscout"
    };

    // `listPath`: the store's file.
    CallsDesk(const Parts &parts, const QString &listPath, QObject *parent = nullptr);
    ~CallsDesk() override;

    // Where the sources hand their calls, after the pop.
    CallNotices &sink() { return m_notices; }
    void setNotifier(INotifier *notifier) { m_notices.setNotifier(notifier); }
    // The tray's message, for a desktop without a notification service.
    void trayMessage(const QString &title, const QString &body);
    // The store wrote to the list: the window and the counts follow, a moment later.
    void listChanged() { m_recount.start(); }
    // Opens the Calls window, or brings it to the front.
    void showCalls();
    frmCalls *callsWindow() const;

private:
    void makeTray();
    void refreshCounts();

    Parts m_parts;
    CallList m_list;
    CallNotices m_notices;
    std::unique_ptr<TrayIcon> m_tray;
    QPointer<frmCalls> m_frmCalls;
    // Bursts of writes are counted once.
    QTimer m_recount;
};
