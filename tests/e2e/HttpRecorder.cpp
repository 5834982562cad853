#include "e2e/HttpRecorder.h"

#include <QTcpSocket>

HttpRecorder::HttpRecorder()
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                // The request line is all we need; one request per connection.
                if (!socket->canReadLine())
                    return;
                disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
                const QString target = QString::fromLatin1(socket->readLine().split(' ').value(1));
                const QByteArray body = "<html><head><title>Ringscout test page</title></head>"
                                        "<body><h1>" +
                                        target.toHtmlEscaped().toUtf8() + "</h1>" + extraBody +
                                        "</body></html>";
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                              "Connection: close\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\n\r\n" + body);
                socket->disconnectFromHost();
                if (target.startsWith(QLatin1String("/favicon")))
                    return;
                m_requests.append(target);
                emit requested(target);
            });
        }
    });
}
