#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

// A Manager Interface server on 127.0.0.1 for tests: it greets each client, records every
// message the client sends ("Action: Ping\r\n\r\n") and answers through a handler.
class ScriptedAmiServer : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(QTcpSocket &client, const QByteArray &message)>;

    explicit ScriptedAmiServer(QObject *parent = nullptr);

    // Listens on 127.0.0.1 on a free port below 32768.
    bool Listen();
    quint16 Port() const { return m_server.serverPort(); }

    // The latest client while it is connected.
    QTcpSocket *Client() const { return m_client; }
    // Closes the latest client's connection from this side.
    void CloseClient();

    // Written to each client as soon as it connects.
    QByteArray greeting;
    // Called for each whole message a client sends; may write, or close the client.
    Handler onMessage;

    int connections = 0;
    // Every message received, in order, from all clients.
    QList<QByteArray> received;

signals:
    void clientConnected();
    void messageReceived(const QByteArray &message);

private:
    void take();

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
};
