#pragma once

#include <QStringList>
#include <QTcpServer>

// A small web server on 127.0.0.1 that answers every GET with a little page and records the
// request targets ("/search?phone=..."), so tests can see what the browser asked for. The
// browser's own favicon look-ups are left out.
class HttpRecorder : public QTcpServer
{
    Q_OBJECT

public:
    HttpRecorder();

    bool Start() { return listen(QHostAddress::LocalHost, 0); }
    QString Url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
    const QStringList &Requests() const { return m_requests; }

    // Added to every page's body, e.g. a link for the test to click.
    QByteArray extraBody;

signals:
    void requested(const QString &target);

private:
    QStringList m_requests;
};
