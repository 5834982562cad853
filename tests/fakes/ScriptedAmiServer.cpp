#include "fakes/ScriptedAmiServer.h"

#include <QCoreApplication>
#include <QHostAddress>

#include <memory>

ScriptedAmiServer::ScriptedAmiServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedAmiServer::take);
}

bool ScriptedAmiServer::Listen()
{
    // AsteriskPort is 16-bit signed, so the port must lie below 32768, where the system
    // hands out none of its own.
    static int next = int(QCoreApplication::applicationPid() % 9000);
    for (int i = 0; i < 200; ++i) {
        next = (next + 37) % 9000;
        if (m_server.listen(QHostAddress::LocalHost, quint16(23000 + next)))
            return true;
    }
    return false;
}

void ScriptedAmiServer::CloseClient()
{
    if (m_client)
        m_client->disconnectFromHost();
}

void ScriptedAmiServer::take()
{
    while (QTcpSocket *client = m_server.nextPendingConnection()) {
        ++connections;
        m_client = client;
        auto pending = std::make_shared<QByteArray>();
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QTcpSocket::readyRead, this, [this, client, pending] {
            pending->append(client->readAll());
            qsizetype end;
            while ((end = pending->indexOf("\r\n\r\n")) >= 0) {
                const QByteArray message = pending->first(end + 4);
                pending->remove(0, end + 4);
                received.append(message);
                if (onMessage)
                    onMessage(*client, message);
                emit messageReceived(message);
                if (client->state() != QAbstractSocket::ConnectedState)
                    return;
            }
        });
        if (!greeting.isEmpty())
            client->write(greeting);
        emit clientConnected();
    }
}
