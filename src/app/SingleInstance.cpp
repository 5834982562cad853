// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include "base/LogText.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QThread>

#include <algorithm>

Q_LOGGING_CATEGORY(lcInstance, "ringscout.app", QtWarningMsg)

namespace {

// "tel:+1-555-0100" with room for parameters; anything longer is no phone address.
constexpr qsizetype kMaxRequest = 256;

// An xdg-activation token is opaque printable text ("kwin-4", a UUID); nothing else is passed.
bool isToken(const QString &text)
{
    return text.size() <= kMaxRequest &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c > u' ' && c < u'\x7f'; });
}

QString folderKey(const QString &configFolder)
{
    const QByteArray path = QDir(configFolder).absolutePath().toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString &configFolder, const QString &runtimeFolder,
                               QObject *parent)
    : QObject(parent),
      m_socketName(runtimeFolder + QStringLiteral("/ringscout-") + folderKey(configFolder)),
      m_lock(m_socketName + QStringLiteral(".lock"))
{
    // The first instance may run for months: its lock must never go stale by age, only when
    // its process is gone.
    m_lock.setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::readRequest);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    if (!m_lock.tryLock(0))
        return false;
    // A socket file left by a crashed run would make listen() fail.
    QLocalServer::removeServer(m_socketName);
    if (!m_server.listen(m_socketName))
        qCWarning(lcInstance) << "cannot listen on" << m_socketName << m_server.errorString();
    return true;
}

bool SingleInstance::handOver(const QString &request, const QString &activationToken, int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    QLocalSocket socket;
    // The first instance takes its lock a moment before it listens.
    for (;;) {
        socket.connectToServer(m_socketName);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    // The token on a line of its own after the request: a running instance of an older
    // version reads the request alone.
    socket.write(request.toUtf8() + '\n' +
                 (isToken(activationToken) ? activationToken.toLatin1() + '\n' : QByteArray()));
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState ||
           socket.waitForDisconnected(int(deadline.remainingTime()));
}

bool SingleInstance::isRequest(const QString &text)
{
    if (text.isEmpty())
        return true;
    if (text.size() > kMaxRequest)
        return false;
    const QString scheme = text.section(QLatin1Char(':'), 0, 0).toLower();
    return text.contains(QLatin1Char(':')) &&
           (scheme == QLatin1String("tel") || scheme == QLatin1String("callto"));
}

void SingleInstance::readRequest()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest * 4) {
                    qCInfo(lcInstance) << "ignored an overlong request from another start";
                    socket->abort();
                }
                return;
            }
            const QString line = QString::fromUtf8(socket->readLine(kMaxRequest * 4)).chopped(1);
            // Written with the request in one piece, so here with it when there is one.
            QString token = socket->canReadLine()
                                ? QString::fromLatin1(socket->readLine(kMaxRequest * 4)).chopped(1)
                                : QString();
            socket->disconnectFromServer();
            if (!isToken(token)) {
                qCInfo(lcInstance) << "ignored a malformed activation token from another start";
                token.clear();
            }
            if (!isRequest(line)) {
                qCInfo(lcInstance)
                    << "ignored a malformed request from another start:" << LogText(line);
                return;
            }
            qCInfo(lcInstance).nospace() << "another start asks for " << LogText(line)
                                         << (token.isEmpty() ? "" : ", with an activation token");
            emit requested(line, token);
        });
    }
}
