// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include "app/InstanceRequest.h"
#include "base/LogText.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryFile>
#include <QThread>

#include <sys/un.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcInstance, "ringscout.app", QtWarningMsg)

namespace {

QString folderKey(const QString &configFolder)
{
    const QByteArray path = QDir(configFolder).absolutePath().toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(16));
}

// Outside text for a message: in quotes, with control characters escaped.
QString quoted(const QString &text)
{
    QString out;
    QDebug(&out).nospace() << text;
    return out;
}

// Why nothing can be written in `folder`: the system's word for it ("No space left on
// device", "Read-only file system", "Not a directory").
QString writeError(const QString &folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/ringscout-XXXXXX"));
    const QByteArray bytes(4096, '\n');
    if (!probe.open() || probe.write(bytes) < bytes.size() || !probe.flush())
        return probe.errorString();
    return QStringLiteral("the lock file cannot be made");
}

} // namespace

SingleInstance::SingleInstance(const QString &configFolder, const QString &runtimeFolder,
                               QObject *parent)
    : QObject(parent), m_key(folderKey(configFolder)), m_runtimeFolder(runtimeFolder)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { take(*socket); });
        }
    });
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim()
{
    // Anyone may make a folder in /tmp: the fallback is used only when it is this user's alone.
    const QString fallback =
        QDir::tempPath() + QStringLiteral("/ringscout-") + QString::number(::geteuid());
    QStringList causes;
    for (const QString &folder : {m_runtimeFolder, fallback}) {
        if (const QString why = unusable(folder, folder == fallback); !why.isEmpty()) {
            causes.append(why);
            continue;
        }
        m_folder = folder;
        m_socketName = folder + QStringLiteral("/ringscout-") + m_key;
        m_lock = std::make_unique<QLockFile>(m_socketName + QStringLiteral(".lock"));
        // The first instance may run for months: its lock must never go stale by age.
        m_lock->setStaleLockTime(0);
        if (!m_lock->tryLock(0) && m_lock->error() == QLockFile::LockFailedError) {
            if (connectToHolder())
                return Claim::Another;
            // A holder that takes no connection is gone, though its process ID may now be
            // another program's; the removal fails while a live holder still has the file open.
            qint64 pid = 0;
            QString host, name;
            m_lock->getLockInfo(&pid, &host, &name);
            if (!m_lock->removeStaleLockFile() || !m_lock->tryLock(0)) {
                m_problem = QStringLiteral("the lock file %1 is held by process %2, which does "
                                           "not answer on %3")
                                .arg(m_lock->fileName())
                                .arg(pid)
                                .arg(m_socketName);
                return Claim::Another;
            }
            qCInfo(lcInstance) << "took over the lock of process" << pid
                               << "which does not answer on" << m_socketName;
        }
        if (m_lock->isLocked()) {
            listen();
            if (!causes.isEmpty())
                qCInfo(lcInstance) << "the lock and the socket are in" << folder << "because"
                                   << causes.join(QStringLiteral("; "));
            return Claim::Ours;
        }
        causes.append(
            QStringLiteral("cannot make the lock file in %1: %2").arg(folder, writeError(folder)));
    }
    m_folder.clear();
    m_lock.reset();
    m_problem = causes.join(QStringLiteral("; "));
    qCInfo(lcInstance) << "running without the one-instance guard:" << m_problem;
    return Claim::Unguarded;
}

QString SingleInstance::unusable(const QString &folder, bool ownFallback) const
{
    if (folder.isEmpty())
        return QStringLiteral("there is no runtime folder of this user's");
    const QString socket = folder + QStringLiteral("/ringscout-") + m_key;
    // Longer, a socket's name is cut or refused, and no later start finds the first.
    constexpr qsizetype kMaxSocketName = sizeof(sockaddr_un::sun_path) - 1;
    if (QFile::encodeName(socket).size() > kMaxSocketName)
        return QStringLiteral("the socket name %1 is longer than %2 bytes")
            .arg(socket)
            .arg(kMaxSocketName);
    if (!ownFallback)
        return {};
    QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QFileInfo info(folder);
    if (info.isSymLink() || !info.isDir())
        return QStringLiteral("%1 is not a folder").arg(folder);
    if (info.ownerId() != ::geteuid())
        return QStringLiteral("%1 belongs to another user").arg(folder);
    if (info.permissions() & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                               QFile::ReadUser | QFile::WriteUser | QFile::ExeUser))
        return QStringLiteral("%1 is open to other users").arg(folder);
    return {};
}

bool SingleInstance::connectToHolder()
{
    m_holder = std::make_unique<QLocalSocket>();
    const QDeadlineTimer deadline(kHolderWaitMs);
    for (;;) {
        m_holder->connectToServer(m_socketName);
        if (m_holder->waitForConnected(int(deadline.remainingTime())))
            return true;
        if (deadline.hasExpired()) {
            m_holder.reset();
            return false;
        }
        QThread::msleep(20);
    }
}

void SingleInstance::listen()
{
    // A socket file left by a crashed run would make listen() fail.
    QLocalServer::removeServer(m_socketName);
    if (!m_server.listen(m_socketName))
        qCWarning(lcInstance) << "cannot listen on" << m_socketName << m_server.errorString();
}

bool SingleInstance::handOver(const QString &request, const QString &activationToken, int waitMs)
{
    if (!m_holder)
        return false;
    const QDeadlineTimer deadline(waitMs);
    m_holder->write(InstanceRequest::message(request, activationToken));
    // An older version closes the connection once it has read the request, without a word.
    while (!m_holder->canReadLine() && m_holder->state() == QLocalSocket::ConnectedState &&
           !deadline.hasExpired())
        m_holder->waitForReadyRead(int(deadline.remainingTime()));
    if (m_holder->canReadLine() ? m_holder->readLine(64) == InstanceRequest::kTaken
                                : m_holder->state() != QLocalSocket::ConnectedState)
        return true;
    qint64 pid = 0;
    QString host, name;
    m_lock->getLockInfo(&pid, &host, &name);
    // Read once it goes on, the request may still be taken: the connection holds it.
    m_problem = QStringLiteral("the running Ringscout (process %1) did not answer within %2 "
                               "seconds; it may be stopped or hung")
                    .arg(pid)
                    .arg(waitMs / 1000.0);
    if (!request.isEmpty())
        m_problem += QStringLiteral(", and takes %1 only if it goes on").arg(quoted(request));
    return false;
}

void SingleInstance::take(QLocalSocket &socket)
{
    using State = InstanceRequest::Read::State;
    const InstanceRequest::Read read =
        InstanceRequest::read(socket.peek(InstanceRequest::kMaxLine * 2 + 2));
    if (read.state == State::Incomplete)
        return;
    if (read.state == State::Overlong) {
        qCInfo(lcInstance) << "ignored an overlong request from another start";
        socket.abort();
        return;
    }
    // One request per connection.
    socket.readAll();
    disconnect(&socket, &QLocalSocket::readyRead, this, nullptr);
    if (read.state == State::Malformed) {
        qCInfo(lcInstance) << "ignored a malformed request from another start:"
                           << LogText(read.request);
        socket.disconnectFromServer();
        return;
    }
    if (read.tokenDropped)
        qCInfo(lcInstance) << "ignored a malformed activation token from another start";
    // Said before the request is acted on, which may open a box that waits for the user.
    socket.write(InstanceRequest::kTaken.toByteArray());
    socket.disconnectFromServer();
    qCInfo(lcInstance).nospace() << "another start asks for " << LogText(read.request)
                                 << (read.token.isEmpty() ? "" : ", with an activation token");
    emit requested(read.request, read.token);
}
