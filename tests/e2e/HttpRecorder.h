// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

// A small web server on 127.0.0.1 that answers every GET with a page that is one number to
// call, as a CRM shows it, and records the request targets ("/search?phone=..."), so tests can
// see what the browser asked for, its own favicon look-ups too.
class HttpRecorder : public QTcpServer
{
public:
    bool start() { return listen(QHostAddress::LocalHost, 0); }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
    const QStringList &requests() const { return m_requests; }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            // The request line is all we need; one request per connection.
            if (!socket->canReadLine())
                return;
            disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
            const QString target = QString::fromLatin1(socket->readLine().split(' ').value(1));
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n"
                          "<html><body><a href='tel:+1-555-0100' style='position:fixed;inset:0'>"
                          "call</a></body></html>");
            socket->disconnectFromHost();
            m_requests.append(target);
        });
    }

private:
    QStringList m_requests;
};
