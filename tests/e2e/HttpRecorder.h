#pragma once

#include <QObject>
#include <QStringList>
#include <QTcpServer>

// A small web server on 127.0.0.1 that answers every GET with a little page and records
// the request targets ("/search?phone=..."), so tests can see what the browser asked for.
class HttpRecorder : public QObject
{
    Q_OBJECT

public:
    explicit HttpRecorder(QObject *parent = nullptr);

    bool Start();
    quint16 Port() const { return m_server.serverPort(); }
    QString Url(const QString &path) const;
    const QStringList &Requests() const { return m_requests; }
    // Requests other than the browser's own favicon look-ups.
    QStringList PageRequests() const;

    // Added to every page's body, e.g. a link for the test to click.
    QByteArray extraBody;

signals:
    void requested(const QString &target);

private:
    void serve(QTcpSocket *socket);

    QTcpServer m_server;
    QStringList m_requests;
};
