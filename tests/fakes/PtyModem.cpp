#include "fakes/PtyModem.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

PtyModem::PtyModem()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master >= 0 && (grantpt(m_master) != 0 || unlockpt(m_master) != 0)) {
        ::close(m_master);
        m_master = -1;
    }
    if (m_master >= 0)
        m_device = QString::fromLocal8Bit(ptsname(m_master));
    m_poll.setInterval(5);
    connect(&m_poll, &QTimer::timeout, this, &PtyModem::drain);
    m_poll.start();
}

PtyModem::~PtyModem()
{
    Close();
}

bool PtyModem::LinkAs(const QString &configDir, int port) const
{
    const QString dir = configDir + QStringLiteral("/Belvane");
    const QString link = dir + QStringLiteral("/com%1").arg(port);
    QDir().mkpath(dir);
    QFile::remove(link);
    return IsOpen() && QFile::link(m_device, link);
}

void PtyModem::Write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
}

void PtyModem::Close()
{
    m_poll.stop();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void PtyModem::drain()
{
    char chunk[4096];
    ssize_t n = 0;
    while (m_master >= 0 && (n = ::read(m_master, chunk, sizeof chunk)) > 0)
        m_received.append(chunk, n);
}
