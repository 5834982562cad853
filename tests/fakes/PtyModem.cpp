#include "fakes/PtyModem.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

PtyModem::PtyModem(bool read)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master >= 0 && (grantpt(m_master) != 0 || unlockpt(m_master) != 0))
        Close();
    connect(&m_poll, &QTimer::timeout, this, [this] {
        char chunk[4096];
        for (ssize_t n; m_master >= 0 && (n = ::read(m_master, chunk, sizeof chunk)) > 0;)
            received.append(chunk, n);
    });
    if (read)
        m_poll.start(5);
}

bool PtyModem::LinkAs(const QString &configDir, int port) const
{
    const QString link = configDir + QStringLiteral("/Belvane/com%1").arg(port);
    QDir().mkpath(configDir + QStringLiteral("/Belvane"));
    QFile::remove(link);
    return m_master >= 0 && QFile::link(QString::fromLocal8Bit(ptsname(m_master)), link);
}

void PtyModem::Write(const QByteArray &bytes)
{
    for (qsizetype done = 0, n = 0; m_master >= 0 && done < bytes.size(); done += n) {
        if ((n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done))) <= 0)
            break;
    }
}

void PtyModem::Close()
{
    m_poll.stop();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
