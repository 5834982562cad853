// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fakes/TestSupport.h"

#include <QDeadlineTimer>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <optional>

// A Manager Interface on 127.0.0.1 for tests, over TLS when given `tls`: it greets each client,
// records every message the client sends and answers through `onMessage`, which may write or hang
// up.
class ScriptedAmiServer : public QTcpServer
{
public:
    bool Listen() { return TestSupport::listenOnSmallPort(*this); } // AsteriskPort is 16-bit
    quint16 port() const { return serverPort(); }
    QTcpSocket *client() const { return m_client; } // the latest, while connected

    QByteArray greeting;
    std::function<void(QTcpSocket &client, const QByteArray &message)> onMessage =
        [](QTcpSocket &, const QByteArray &) {};
    QByteArrayList received;
    QList<qint64> connectedAt; // ms on a steady clock, one per client
    std::optional<QSslConfiguration> tls;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *client = new QSslSocket(this);
        client->setSocketDescriptor(descriptor);
        if (tls) {
            client->setSslConfiguration(*tls);
            client->startServerEncryption(); // the greeting waits for the handshake
        }
        connectedAt.append(QDeadlineTimer::current().deadline());
        m_client = client;
        auto pending = std::make_shared<QByteArray>();
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QTcpSocket::readyRead, this, [this, client, pending] {
            pending->append(client->readAll());
            for (qsizetype end; (end = pending->indexOf("\r\n\r\n")) >= 0;) {
                const QByteArray message = pending->first(end + 4);
                pending->remove(0, end + 4);
                received.append(message);
                onMessage(*client, message);
                if (client->state() != QAbstractSocket::ConnectedState)
                    return;
            }
        });
        client->write(greeting);
    }

private:
    QPointer<QTcpSocket> m_client;
};
