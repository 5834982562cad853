// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ISocketControl.h"

#include <QSslError>
#include <QTcpServer>
#include <QTcpSocket>

class QSslCertificate;
class QSslSocket;

// The socket control on Qt: a QTcpServer while listening, one QTcpSocket while connected,
// either accepted from the server or opened by Connect (a QSslSocket with TLS on).
class TcpSocketControl : public ISocketControl
{
    Q_OBJECT

public:
    explicit TcpSocketControl(QObject *parent = nullptr);

    // Clients that wait on a listener while a connection is served, in order; past this the
    // control takes no more from the system, whose own queue then holds them.
    static constexpr int kMaxWaiting = 32;
    // Qt's own read chunk, and the least room worth a call to the system; at most kMaxHeld
    // bytes are held for one DataArrival: a few turns of the event loop a megabyte when the
    // peer sends faster than we read.
    static constexpr qint64 kReadChunk = qint64(16) * 1024;
    static constexpr qint64 kMaxHeld = 16 * kReadChunk;

    StateCode State() const override;
    void Close() override;
    void closeConnection() override;

    int LocalPort() const override;
    void SetLocalPort(int port) override;
    void setLocalAddress(const QString &address) override { m_localAddress = address; }
    // Throws Failure naming the port and the reason, e.g. "port 10629 is already in use".
    void Listen() override;
    // Throws Failure when the control holds a connection or no such request is waiting.
    void Accept(qintptr requestId) override;

    QString RemoteHost() const override { return m_remoteHost; }
    void SetRemoteHost(const QString &host) override { m_remoteHost = host; }
    int RemotePort() const override { return m_remotePort; }
    void SetRemotePort(int port) override { m_remotePort = port; }
    QString peerAddress() const override;
    // Never throws: a control that is not closed, or a missing host or port, also shows as
    // an Error event, raised from the event loop like every other. The local port is
    // whichever the system picks.
    void Connect() override;
    void setTls(bool on, const QString &trustedSha256) override;
    // "AB:CD:…": the SHA-256 fingerprint as the user compares it with the PBX's.
    static QString fingerprintOf(const QSslCertificate &certificate);

    QByteArray GetData() override;
    using ISocketControl::SendData;
    void SendData(const QByteArray &bytes) override;

private:
    void announce();
    void attach(QTcpSocket *socket);
    void failLater(const QString &description, bool enterErrorState);
    void takeBuffered();
    void takeDirect();
    void connectSecure();
    void judgeCertificate(QSslSocket &socket, const QList<QSslError> &errors);

    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
    // The client of the ConnectionRequest being handled, until it is accepted.
    QTcpSocket *m_pending = nullptr;
    qintptr m_pendingId = 0;
    qintptr m_lastRequestId = 0;
    bool m_peerClosed = false;
    bool m_failed = false;
    // Counts Close calls, so that an Error queued before a Close is dropped.
    quint64 m_generation = 0;
    int m_localPort = 0;
    QString m_localAddress;
    bool m_tls = false;
    QString m_trustedSha256;
    // The connection is the TLS one of connectSecure, and why its certificate was refused.
    bool m_secure = false;
    QString m_untrusted;
    QString m_remoteHost;
    int m_remotePort = 0;
    QByteArray m_readBuffer;
    // The bytes at the start of m_readBuffer that GetData has still to hand on.
    qsizetype m_held = 0;
};
