#include "platform/TcpSocketControl.h"

#include "platform/Failure.h"

#include <utility>

namespace {

QString source()
{
    return QStringLiteral("TCP socket");
}

} // namespace

TcpSocketControl::TcpSocketControl(QObject *parent) : ISocketControl(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpSocketControl::takeIncoming);
}

int TcpSocketControl::State() const
{
    if (m_server.isListening())
        return sckListening;
    if (m_failed)
        return sckError;
    if (!m_socket)
        return sckClosed;
    if (m_peerClosed)
        return sckClosing;
    switch (m_socket->state()) {
    case QAbstractSocket::HostLookupState:
        return sckResolvingHost;
    case QAbstractSocket::ConnectingState:
        return sckConnecting;
    case QAbstractSocket::ConnectedState:
        return sckConnected;
    case QAbstractSocket::ClosingState:
        return sckClosing;
    default:
        return sckClosed;
    }
}

void TcpSocketControl::Close()
{
    ++m_generation;
    m_server.close();
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
    m_peerClosed = false;
    m_failed = false;
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
    if (m_localPort < 0 || m_localPort > 65535)
        throw Failure(source(), QStringLiteral("port %1 is not a valid TCP port").arg(port));
    if (!m_server.listen(QHostAddress::Any, quint16(m_localPort))) {
        throw Failure(
            source(),
            m_server.serverError() == QAbstractSocket::AddressInUseError
                ? QStringLiteral("port %1 is already in use").arg(port)
                : QStringLiteral("cannot listen on port %1: %2").arg(port, m_server.errorString()));
    }
}

void TcpSocketControl::takeIncoming()
{
    while (m_server.isListening() && m_server.hasPendingConnections()) {
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
    if (State() != sckClosed)
        throw Failure(source(), QStringLiteral(
                                    "cannot accept connection request %1: the socket is not closed")
                                    .arg(requestId));
    QTcpSocket *client = std::exchange(m_pending, nullptr);
    client->setParent(this);
    attach(client);
}

void TcpSocketControl::attach(QTcpSocket *socket)
{
    m_socket = socket;
    connect(socket, &QTcpSocket::readyRead, this,
            [this, socket] { emit DataArrival(socket->bytesAvailable()); });
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        m_peerClosed = true;
        emit PeerClosed();
    });
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket](QAbstractSocket::SocketError error) {
                // A remote close comes as disconnected, i.e. PeerClosed, not as an error.
                if (error == QAbstractSocket::RemoteHostClosedError)
                    return;
                m_failed = true;
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
    auto *socket = new QTcpSocket(this);
    attach(socket);
    socket->connectToHost(m_remoteHost, quint16(m_remotePort));
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

QByteArray TcpSocketControl::GetBytes()
{
    return m_socket ? m_socket->readAll() : QByteArray();
}

void TcpSocketControl::SendData(const QByteArray &bytes)
{
    if (State() != sckConnected)
        throw Failure(source(), QStringLiteral("cannot send: not connected"));
    m_socket->write(bytes);
}
