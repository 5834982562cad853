// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/INotifier.h"

#include <QHash>

#include <functional>

// Notifications through the desktop's notification service (org.freedesktop.Notifications on
// the session bus), with a fallback (the tray's message) where there is no such service or
// it refuses one. Caller texts are escaped: the service reads markup in a body.
class DBusNotifier : public INotifier
{
    Q_OBJECT

public:
    using Fallback =
        std::function<void(const QString &key, const QString &title, const QString &body)>;

    explicit DBusNotifier(QObject *parent = nullptr);

    void setFallback(Fallback fallback) { m_fallback = std::move(fallback); }
    void notify(const QString &key, const QString &title, const QString &body) override;

private slots:
    void onActionInvoked(uint id, const QString &action);
    void onClosed(uint id, uint reason);

private:
    Fallback m_fallback;
    bool m_connected = false;
    QHash<uint, QString> m_keys; // the service's notice id -> our key, while it is open
};
