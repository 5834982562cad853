#include "e2e/HttpRecorder.h"

#include <QTcpSocket>

HttpRecorder::HttpRecorder(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

bool HttpRecorder::Start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString HttpRecorder::Url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(Port()).arg(path);
}

QStringList HttpRecorder::PageRequests() const
{
    QStringList pages;
    for (const QString &target : m_requests) {
        if (!target.startsWith(QLatin1String("/favicon")))
            pages.append(target);
    }
    return pages;
}

void HttpRecorder::serve(QTcpSocket *socket)
{
    // The request line is all we need; one request per connection.
    if (!socket->canReadLine())
        return;
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    const QByteArray requestLine = socket->readLine().trimmed();
    socket->readAll();
    const QList<QByteArray> parts = requestLine.split(' ');
    const QString target = parts.size() >= 2 ? QString::fromLatin1(parts[1]) : QString();
    m_requests.append(target);
    const QByteArray body = "<html><head><title>Ringscout test page</title></head><body><h1>" +
                            target.toHtmlEscaped().toUtf8() + "</h1>" + extraBody +
                            "</body></html>";
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
    emit requested(target);
}
