// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/TcpSocketControl.h"

#include "base/Failure.h"

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>

#include <sys/socket.h>

#include <utility>

namespace {

QString source()
{
    return QStringLiteral("TCP socket");
}

// A client that hangs up while it waits its turn forgets its address: it is noted on arrival.
constexpr char kPeer[] = "ringscoutPeer";

QString addressOf(const QTcpSocket &socket)
{
    // The listener takes IPv4 and IPv6 alike, so an IPv4 peer shows as "::ffff:192.0.2.7".
    bool isIpv4 = false;
    const quint32 ipv4 = socket.peerAddress().toIPv4Address(&isIpv4);
    return isIpv4 ? QHostAddress(ipv4).toString() : socket.peerAddress().toString();
}

} // namespace

TcpSocketControl::TcpSocketControl(QObject *parent) : ISocketControl(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpSocketControl::announce);
    m_server.setMaxPendingConnections(kMaxWaiting);
}

ISocketControl::StateCode TcpSocketControl::State() const
{
    if (!m_socket) {
        if (m_server.isListening())
            return sckListening;
        return m_failed ? sckError : sckClosed;
    }
    if (m_failed)
        return sckError;
    if (m_peerClosed)
        return sckClosing;
    switch (m_socket->state()) {
    case QAbstractSocket::HostLookupState:
        return sckResolvingHost;
    case QAbstractSocket::ConnectingState:
        return sckConnecting;
    case QAbstractSocket::ConnectedState:
        // Nothing goes out over TLS before the peer's certificate is verified.
        return m_secure && !static_cast<QSslSocket *>(m_socket)->isEncrypted() ? sckConnecting
                                                                               : sckConnected;
    case QAbstractSocket::ClosingState:
        return sckClosing;
    default:
        return sckClosed;
    }
}

void TcpSocketControl::Close()
{
    m_server.close();
    closeConnection();
}

void TcpSocketControl::closeConnection()
{
    ++m_generation;
    if (m_socket) {
        // Unhooked first, so that tearing the socket down raises no event of ours; the
        // flush hands what SendData queued to the system instead of dropping it.
        m_socket->disconnect(this);
        if (m_socket->state() == QAbstractSocket::ConnectedState)
            m_socket->flush();
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    m_held = 0;
    m_peerClosed = false;
    m_failed = false;
    m_secure = false;
    if (m_server.hasPendingConnections()) {
        QMetaObject::invokeMethod(
            this,
            [this, generation = m_generation] {
                if (generation == m_generation)
                    announce();
            },
            Qt::QueuedConnection);
    }
}

int TcpSocketControl::LocalPort() const
{
    return m_server.isListening() ? int(m_server.serverPort()) : m_localPort;
}

void TcpSocketControl::SetLocalPort(int port)
{
    m_localPort = port;
}

void TcpSocketControl::Listen()
{
    const QString port = QString::number(m_localPort);
    if (State() != sckClosed)
        throw Failure(
            source(),
            QStringLiteral("cannot listen on port %1: the socket is not closed").arg(port));
    // The system's queue holds those that connect while the control's own is full.
    m_server.setListenBacklogSize(kMaxWaiting);
    if (m_localPort < 0 || m_localPort > 65535)
        throw Failure(source(), QStringLiteral("port %1 is not a valid TCP port").arg(port));
    QHostAddress address(QHostAddress::Any);
    if (!m_localAddress.isEmpty() && !address.setAddress(m_localAddress))
        throw Failure(
            source(),
            QStringLiteral("cannot listen on \"%1\": not an IP address").arg(m_localAddress));
    if (!m_server.listen(address, quint16(m_localPort))) {
        throw Failure(
            source(),
            m_server.serverError() == QAbstractSocket::AddressInUseError
                ? QStringLiteral("port %1 is already in use").arg(port)
                : QStringLiteral("cannot listen on port %1: %2").arg(port, m_server.errorString()));
    }
}

// One ConnectionRequest at a time, oldest client first, while no connection is served; the
// others wait in the server's queue, which stops taking from the system when it is full.
void TcpSocketControl::announce()
{
    for (QTcpSocket *client : m_server.findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly)) {
        if (!client->property(kPeer).isValid())
            client->setProperty(kPeer, addressOf(*client));
    }
    while (!m_socket && m_server.isListening() && m_server.hasPendingConnections()) {
        QTcpSocket *client = m_server.nextPendingConnection();
        m_pending = client;
        m_pendingId = ++m_lastRequestId;
        emit ConnectionRequest(m_pendingId);
        if (m_pending == client) {
            client->abort();
            client->deleteLater();
        }
        m_pending = nullptr;
    }
}

void TcpSocketControl::Accept(qintptr requestId)
{
    if (!m_pending || requestId != m_pendingId)
        throw Failure(source(),
                      QStringLiteral("no connection request %1 is waiting").arg(requestId));
    if (m_socket)
        throw Failure(source(),
                      QStringLiteral("cannot accept connection request %1: a connection is open")
                          .arg(requestId));
    QTcpSocket *client = std::exchange(m_pending, nullptr);
    client->setParent(this);
    m_failed = false;
    attach(client);
    // A client that waited may have sent, or even hung up, before it was taken.
    if (client->bytesAvailable() > 0 || client->state() != QAbstractSocket::ConnectedState) {
        QMetaObject::invokeMethod(
            this,
            [this, client, generation = m_generation] {
                if (generation != m_generation || m_socket != client)
                    return;
                if (client->bytesAvailable() > 0)
                    emit DataArrival(client->bytesAvailable());
                if (generation == m_generation && m_socket == client &&
                    client->state() != QAbstractSocket::ConnectedState && !m_peerClosed) {
                    m_peerClosed = true;
                    emit peerClosed();
                }
            },
            Qt::QueuedConnection);
    }
}

void TcpSocketControl::attach(QTcpSocket *socket)
{
    m_socket = socket;
    // Qt keeps its own read chunk between reads only up to this size; past it every read from
    // the system takes a fresh allocation. A burst then arrives as several reads.
    socket->setReadBufferSize(kReadChunk);
    m_held = 0;
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        // Taken at once only when the last read was: what nobody takes stays in Qt's buffer,
        // whose bound then stops the reading from the system.
        if (m_held == 0) {
            takeBuffered();
            if (m_held > 0 && !m_secure)
                takeDirect();
        }
        emit DataArrival(m_held + socket->bytesAvailable());
    });
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        m_peerClosed = true;
        emit peerClosed();
    });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket](QAbstractSocket::SocketError error) {
                // A remote close comes as disconnected, i.e. PeerClosed, not as an error.
                if (error == QAbstractSocket::RemoteHostClosedError)
                    return;
                m_failed = true;
                if (error == QAbstractSocket::SslHandshakeFailedError && !m_untrusted.isEmpty())
                    emit Error(kUntrustedCertificate, m_untrusted);
                else
                    emit Error(int(error), socket->errorString());
            });
}

void TcpSocketControl::Connect()
{
    if (State() != sckClosed) {
        failLater(QStringLiteral("cannot connect: the socket is not closed"), false);
        return;
    }
    if (m_remoteHost.isEmpty() || m_remotePort <= 0 || m_remotePort > 65535) {
        failLater(QStringLiteral("cannot connect to host \"%1\" port %2")
                      .arg(m_remoteHost)
                      .arg(m_remotePort),
                  true);
        return;
    }
    if (m_tls) {
        connectSecure();
        return;
    }
    auto *socket = new QTcpSocket(this);
    attach(socket);
    socket->connectToHost(m_remoteHost, quint16(m_remotePort));
}

void TcpSocketControl::setTls(bool on, const QString &trustedSha256)
{
    m_tls = on;
    m_trustedSha256 = trustedSha256;
    m_trustedSha256.remove(u':').remove(u' ');
    m_trustedSha256 = m_trustedSha256.toLower();
}

QString TcpSocketControl::fingerprintOf(const QSslCertificate &certificate)
{
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

void TcpSocketControl::connectSecure()
{
    auto *socket = new QSslSocket(this);
    QSslConfiguration config = socket->sslConfiguration();
    config.setProtocol(QSsl::TlsV1_2OrLater);
    socket->setSslConfiguration(config);
    attach(socket);
    m_secure = true;
    m_untrusted.clear();
    connect(socket, &QSslSocket::sslErrors, this,
            [this, socket](const QList<QSslError> &errors) { judgeCertificate(*socket, errors); });
    socket->connectToHostEncrypted(m_remoteHost, quint16(m_remotePort));
}

// Qt has matched the host (an address against the IP SANs) and the authorities; a certificate
// the user trusted by its fingerprint needs neither.
void TcpSocketControl::judgeCertificate(QSslSocket &socket, const QList<QSslError> &errors)
{
    const QSslCertificate certificate = socket.peerCertificate();
    QStringList reasons;
    for (const QSslError &error : errors)
        reasons.append(error.errorString());
    const QString fingerprint = fingerprintOf(certificate);
    if (!m_trustedSha256.isEmpty() &&
        QString(fingerprint).remove(u':').toLower() == m_trustedSha256) {
        socket.ignoreSslErrors();
        return;
    }
    m_untrusted = QStringLiteral("the certificate of %1 is not trusted (%2); its SHA-256 "
                                 "fingerprint is %3")
                      .arg(m_remoteHost, reasons.join(QStringLiteral("; ")), fingerprint);
}

void TcpSocketControl::failLater(const QString &description, bool enterErrorState)
{
    if (enterErrorState)
        m_failed = true;
    QMetaObject::invokeMethod(
        this,
        [this, description, generation = m_generation] {
            if (generation == m_generation)
                emit Error(int(QAbstractSocket::OperationError), description);
        },
        Qt::QueuedConnection);
}

// Read into one buffer that is kept: once the caller has let go of the last read's bytes, the
// next read reuses its memory instead of a fresh allocation (and fresh pages) for each.
QString TcpSocketControl::peerAddress() const
{
    if (!m_socket)
        return {};
    const QVariant noted = m_socket->property(kPeer);
    return noted.isValid() ? noted.toString() : addressOf(*m_socket);
}

QByteArray TcpSocketControl::GetData()
{
    if (!m_socket)
        return {};
    takeBuffered();
    m_readBuffer.resize(std::exchange(m_held, 0));
    return m_readBuffer;
}

// Appends what Qt's buffer holds to the bytes held for GetData.
void TcpSocketControl::takeBuffered()
{
    for (qint64 available; (available = m_socket->bytesAvailable()) > 0;) {
        m_readBuffer.resize(m_held + qsizetype(available));
        const qint64 n = m_socket->read(m_readBuffer.data() + m_held, available);
        if (n <= 0)
            break;
        m_held += qsizetype(n);
    }
}

// Then what more has come, straight from the system into the same buffer: one copy instead of
// two, and fewer turns of the event loop for a fast peer, bounded so that one cannot hold the
// loop. Each call to the system asks for all the room left: a fast peer's megabyte costs four
// of them, not sixty-four. An error or the end of the stream is left where it is, for Qt's own
// read to find and report as it always does.
void TcpSocketControl::takeDirect()
{
    const qintptr fd = m_socket->socketDescriptor();
    if (fd < 0 || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    while (m_held + kReadChunk <= kMaxHeld) {
        const qsizetype room = qsizetype(kMaxHeld) - m_held;
        m_readBuffer.resize(m_held + room);
        const ssize_t n = ::recv(int(fd), m_readBuffer.data() + m_held, size_t(room), MSG_DONTWAIT);
        if (n > 0)
            m_held += n;
        if (n < room) // drained, or an end or error left for Qt
            break;
    }
    m_readBuffer.resize(m_held);
}

void TcpSocketControl::SendData(const QByteArray &bytes)
{
    if (State() != sckConnected)
        throw Failure(source(), QStringLiteral("cannot send: not connected"));
    m_socket->write(bytes);
}
