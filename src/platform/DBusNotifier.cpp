// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DBusNotifier.h"

#include "Version.h"
#include "base/LogText.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcNotify, "ringscout.notify", QtWarningMsg)

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

DBusNotifier::DBusNotifier(QObject *parent) : INotifier(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_connected = bus.isConnected() &&
                  bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                              SLOT(onActionInvoked(uint, QString))) &&
                  bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                              SLOT(onClosed(uint, uint)));
}

void DBusNotifier::notify(const QString &key, const QString &title, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!m_connected || !bus.interface() || !bus.interface()->isServiceRegistered(kService)) {
        if (m_fallback)
            m_fallback(key, title, body);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    // The notice this one replaces: one per call.
    const uint replaces = m_keys.key(key, 0);
    call << QString::fromUtf8(Version::Title) << replaces << QString::fromUtf8(Version::DesktopId)
         << title << body.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br/>"))
         << QStringList{QStringLiteral("show"), QStringLiteral("Show"), QStringLiteral("callback"),
                        QStringLiteral("Call back")}
         << QVariantMap{{QStringLiteral("desktop-entry"), QString::fromUtf8(Version::DesktopId)},
                        {QStringLiteral("category"), QStringLiteral("im.received")}}
         << qint32(-1);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, key, title, body] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError()) {
            qCInfo(lcNotify) << "the notification service refused:"
                             << LogText(reply.error().message());
            if (m_fallback)
                m_fallback(key, title, body);
            return;
        }
        m_keys.remove(m_keys.key(key, 0));
        m_keys.insert(reply.value(), key);
    });
}

void DBusNotifier::onActionInvoked(uint id, const QString &action)
{
    // The service tells every program of every notice: only ours count.
    const auto key = m_keys.constFind(id);
    if (key != m_keys.cend())
        emit actionInvoked(*key, action);
}

void DBusNotifier::onClosed(uint id, uint)
{
    m_keys.remove(id);
}
