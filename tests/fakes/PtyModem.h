// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

// The far end of a modem line: a pseudo-terminal whose other end the program opens as its
// serial port, linked as port N in a settings folder the way a user links a real modem.
class PtyModem
{
public:
    PtyModem() : m_master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        if (m_master >= 0 && (grantpt(m_master) != 0 || unlockpt(m_master) != 0))
            Close();
        // Polled: while the program's end is closed the master end reads as an error, which
        // would keep a read notifier firing.
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            char chunk[4096];
            for (ssize_t n; m_master >= 0 && (n = ::read(m_master, chunk, sizeof chunk)) > 0;)
                received.append(chunk, n);
        });
        m_poll.start(5);
    }
    ~PtyModem() { Close(); }

    // Makes `<configDir>/Belvane/com<port>` point here, replacing any link of that name.
    bool linkAs(const QString &configDir, int port) const
    {
        const QString link = configDir + QStringLiteral("/Belvane/com%1").arg(port);
        QDir().mkpath(configDir + QStringLiteral("/Belvane"));
        QFile::remove(link);
        return m_master >= 0 && QFile::link(QString::fromLocal8Bit(ptsname(m_master)), link);
    }
    // The program's end: "/dev/pts/3".
    QString path() const { return QString::fromLocal8Bit(m_master >= 0 ? ptsname(m_master) : ""); }
    // Short writes only: a pseudo-terminal takes a few kilobytes at once.
    bool write(const QByteArray &bytes)
    {
        return m_master >= 0 &&
               ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // The far end goes away, as an unplugged modem does.
    void Close()
    {
        m_poll.stop();
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    // Everything the program wrote, in order.
    QByteArray received;

private:
    int m_master = -1;
    QTimer m_poll;
};
