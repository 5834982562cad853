#include "fakes/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTcpServer>

namespace TestSupport {

QByteArray Fixture(const QString &relativePath)
{
    QFile file(QStringLiteral(RINGSCOUT_FIXTURES_DIR "/") + relativePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ListenOnSmallPort(QTcpServer &server, const QHostAddress &address)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const auto port = quint16(QRandomGenerator::global()->bounded(20000, 32700));
        if (server.listen(address, port))
            return true;
    }
    return false;
}

quint16 FreeSmallPort()
{
    QTcpServer probe;
    return ListenOnSmallPort(probe, QHostAddress::Any) ? probe.serverPort() : 0;
}

} // namespace TestSupport
