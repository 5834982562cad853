#include "fakes/ScriptedAmiServer.h"

#include "fakes/TestSupport.h"

#include <memory>

ScriptedAmiServer::ScriptedAmiServer()
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

bool ScriptedAmiServer::Listen()
{
    return TestSupport::ListenOnSmallPort(m_server);
}
