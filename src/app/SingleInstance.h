// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

// Keeps one running program per user and settings folder: the first start holds a lock and
// listens on a socket only its user can reach; a later start hands its request (nothing, or
// a "tel:"/"callto:" address) over that socket and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `configFolder` names the settings folder the instance is for; `runtimeFolder` is where
    // the lock and the socket live (the user's private runtime folder).
    SingleInstance(const QString &configFolder, const QString &runtimeFolder,
                   QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the one instance (a lock left by a crashed run is taken
    // over); false when another one runs.
    bool claim();
    // Gives the running instance `request` and the activation token this start came with
    // (a Wayland launcher's XDG_ACTIVATION_TOKEN); false when it did not take them within
    // `waitMs`.
    bool handOver(const QString &request, const QString &activationToken = {}, int waitMs = 1000);

    // What a start may ask: "" or a "tel:"/"callto:" address of sane length.
    static bool isRequest(const QString &text);

signals:
    // Another start asked for this; "" only to be brought to the front. With its activation
    // token, a Wayland compositor lets the window that answers take the focus.
    void requested(const QString &request, const QString &activationToken);

private:
    void readRequest();

    QString m_socketName;
    QLockFile m_lock;
    QLocalServer m_server;
};
