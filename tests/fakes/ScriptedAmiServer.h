#pragma once

#include "fakes/TestSupport.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <memory>

// A Manager Interface on 127.0.0.1 for tests: it greets each client, records every message
// the client sends and answers through `onMessage`, which may write or hang up.
class ScriptedAmiServer : public QObject
{
public:
    ScriptedAmiServer()
    {
        m_clock.start();
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *client = m_server.nextPendingConnection()) {
                connectedAt.append(m_clock.elapsed());
                m_client = client;
                auto pending = std::make_shared<QByteArray>();
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
                connect(client, &QTcpSocket::readyRead, this, [this, client, pending] {
                    pending->append(client->readAll());
                    for (qsizetype end; (end = pending->indexOf("\r\n\r\n")) >= 0;) {
                        const QByteArray message = pending->first(end + 4);
                        pending->remove(0, end + 4);
                        received.append(message);
                        if (onMessage)
                            onMessage(*client, message);
                        if (client->state() != QAbstractSocket::ConnectedState)
                            return;
                    }
                });
                client->write(greeting);
            }
        });
    }
    bool Listen() { return TestSupport::ListenOnSmallPort(m_server); } // AsteriskPort is 16-bit
    quint16 Port() const { return m_server.serverPort(); }
    QTcpSocket *Client() const { return m_client; } // the latest, while connected

    QByteArray greeting;
    std::function<void(QTcpSocket &client, const QByteArray &message)> onMessage;
    QByteArrayList received;
    QList<qint64> connectedAt; // ms since the server was made, one per client

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QElapsedTimer m_clock;
};
