#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

// A Manager Interface on 127.0.0.1 for tests: it greets each client, records every message
// the client sends and answers through `onMessage`, which may write or hang up.
class ScriptedAmiServer : public QObject
{
public:
    ScriptedAmiServer();
    bool Listen(); // below port 32768, as AsteriskPort is 16-bit signed
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
