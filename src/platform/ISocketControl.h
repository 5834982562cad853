// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/WireText.h"

#include <QObject>
#include <QString>

// One TCP socket control: it listens, takes a waiting client on itself, or connects to a
// server. Events arrive on the GUI thread. Listen, Accept and SendData throw Failure; no
// other call throws (Connect reports its failures as an Error event).
class ISocketControl : public QObject
{
    Q_OBJECT

public:
    // The control's numeric state codes.
    enum StateCode {
        sckClosed = 0,
        sckOpen = 1,
        sckListening = 2,
        sckConnectionPending = 3,
        sckResolvingHost = 4,
        sckHostResolved = 5,
        sckConnecting = 6,
        sckConnected = 7,
        sckClosing = 8, // the peer has closed the connection
        sckError = 9,
    };

    // The Error number of a TLS peer whose certificate neither verifies nor is the trusted
    // one; the description says why and gives the certificate's SHA-256 fingerprint.
    static constexpr int kUntrustedCertificate = 10900;

    using QObject::QObject;

    virtual StateCode State() const = 0;
    // Harmless in any state; leaves the control closed, ready for Listen, Accept or Connect.
    // Clients still waiting for their turn on a listener are reset.
    virtual void Close() = 0;
    // Closes the connection only: a control that also listens goes on listening, and the next
    // client that waits raises its ConnectionRequest.
    virtual void closeConnection() = 0;

    // The port Listen binds; after Listen on port 0 it reads back the port the system chose.
    virtual int LocalPort() const = 0;
    virtual void SetLocalPort(int port) = 0;
    // The address Listen binds ("192.0.2.7", "::1"); "" for every interface, IPv4 and IPv6.
    virtual void setLocalAddress(const QString &address) = 0;
    // Listens on the local address and port without blocking. Throws Failure.
    virtual void Listen() = 0;
    // Takes the client of a ConnectionRequest on this control, closed or still listening (it
    // then goes on listening: clients that connect meanwhile wait, in order, and each raises
    // its ConnectionRequest once the connection before it is closed). Valid only while the
    // ConnectionRequest event is being handled; a request not accepted then is refused.
    // Throws Failure.
    virtual void Accept(qintptr requestId) = 0;

    virtual QString RemoteHost() const = 0;
    virtual void SetRemoteHost(const QString &host) = 0;
    virtual int RemotePort() const = 0;
    virtual void SetRemotePort(int port) = 0;
    // The address of the connection's peer ("192.0.2.7"), accepted or connected; "" without
    // a connection.
    virtual QString peerAddress() const = 0;
    // Starts a connection attempt without blocking: success shows as State() sckConnected
    // and incoming data, failure as an Error event.
    virtual void Connect() = 0;
    // Whether the next Connect speaks TLS (1.2 or later): the peer's certificate must then
    // verify against the system's authorities and RemoteHost (an address matches its IP SAN),
    // or have the SHA-256 fingerprint `trustedSha256` (hex, colons allowed, any case). The
    // connection shows as sckConnected, and takes SendData, only once the handshake is done.
    virtual void setTls(bool on, const QString &trustedSha256) = 0;

    // All bytes received and not yet read.
    virtual QByteArray GetData() = 0;
    // Sends the bytes unchanged and in order. Throws Failure when not connected.
    virtual void SendData(const QByteArray &bytes) = 0;
    void SendData(const QString &text) { SendData(WireText::encode(text)); }

signals:
    void ConnectionRequest(qintptr requestId);
    void DataArrival(qint64 bytesTotal);
    void Error(int number, const QString &description);
    // The peer closed the connection (State() is then sckClosing). Not raised by Close().
    void peerClosed();
};
