#include "fakes/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

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

WindowManager::~WindowManager()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
}

bool WindowManager::Start()
{
    // openbox runs the --startup command once it manages the screen.
    QTemporaryDir dir;
    const QString ready = dir.filePath(QStringLiteral("ready"));
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.start(QStringLiteral("openbox"),
                    {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                     QStringLiteral("touch ") + ready});
    if (!m_process.waitForStarted(5000))
        return false;
    return QTest::qWaitFor([&] { return QFile::exists(ready); }, 10000);
}

} // namespace TestSupport
