// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

// Keeps one running program per user and settings folder: the first start holds a lock and
// listens on a socket only its user can reach; a later start hands its request (nothing, or
// a "tel:"/"callto:" address) over that socket, waits for the running one to take it, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // How long a later start waits for the running instance to take its request.
    static constexpr int kAnswerWaitMs = 5000;
    // How long a lock's holder may take to accept a connection before the lock counts as
    // stale: the first start listens a moment after it takes the lock.
    static constexpr int kHolderWaitMs = 1000;

    enum class Claim {
        Ours,      // this process is now the one instance
        Another,   // another holds the lock: hand the request over
        Unguarded, // no lock can be had: run without the guard (problem() says why)
    };

    // `configFolder` names the settings folder the instance is for; `runtimeFolder` is where
    // the lock and the socket live (the user's private runtime folder; "" when there is none).
    // Where they cannot live there, a folder of the user's own in the temporary folder takes
    // them.
    SingleInstance(const QString &configFolder, const QString &runtimeFolder,
                   QObject *parent = nullptr);
    ~SingleInstance() override;

    // A lock left by a crashed run, or one whose holder does not answer on the socket, is
    // taken over.
    Claim claim();
    // Gives the running instance `request` and the activation token this start came with
    // (a Wayland launcher's XDG_ACTIVATION_TOKEN); false, with problem() saying why, when it
    // did not take them within `waitMs`.
    bool handOver(const QString &request, const QString &activationToken = {},
                  int waitMs = kAnswerWaitMs);
    // Why claim() runs unguarded or handOver() failed, as a sentence's end: "the lock ...".
    QString problem() const { return m_problem; }
    // Where the lock and the socket are; "" while unguarded.
    QString folder() const { return m_folder; }

signals:
    // Another start asked for this; "" only to be brought to the front. With its activation
    // token, a Wayland compositor lets the window that answers take the focus.
    void requested(const QString &request, const QString &activationToken);

private:
    // Why the lock and the socket cannot live in `folder`; "" when they can.
    QString unusable(const QString &folder, bool ownFallback) const;
    bool connectToHolder();
    void listen();
    void take(QLocalSocket &socket);

    QString m_key;
    QString m_runtimeFolder;
    QString m_folder;
    QString m_socketName;
    QString m_problem;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalSocket> m_holder;
    QLocalServer m_server;
};
