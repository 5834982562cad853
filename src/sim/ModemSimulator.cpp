// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ModemSimulator.h"

#include "base/ConfigFolder.h"
#include "base/WireText.h"
#include "platform/SerialLine.h"
#include "sim/Console.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

ModemSimulator::ModemSimulator(int port, QObject *parent)
    : QObject(parent), m_linkPath(linkPathFor(port))
{
    m_partial.setSingleShot(true);
    m_partial.setInterval(kPartialLineMs);
    connect(&m_partial, &QTimer::timeout, this, [this] { printLines(true); });
}

ModemSimulator::~ModemSimulator()
{
    removeLink();
    m_notifier.reset();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

QString ModemSimulator::linkPathFor(int port)
{
    return SerialLine::linkPath(ConfigFolder::path(), port);
}

bool ModemSimulator::start(QString *error)
{
    // Never replace a link the user made for a real modem, nor one to a pseudo-terminal in
    // use. A link left by a simulator that was killed leads to a pseudo-terminal that went
    // with it, and is replaced; it is judged before we open ours, which the system is apt to
    // give the same number.
    const QFileInfo existing(m_linkPath);
    if (existing.isSymLink() || existing.exists()) {
        const QString target = existing.symLinkTarget();
        const bool stale = existing.isSymLink() && !QFileInfo::exists(target) &&
                           target.startsWith(QLatin1String("/dev/pts/"));
        if (!stale) {
            *error = QStringLiteral("%1 already exists%2; choose another --port or remove it")
                         .arg(m_linkPath, target.isEmpty()
                                              ? QString()
                                              : QStringLiteral(" (it leads to %1)").arg(target));
            return false;
        }
        QFile::remove(m_linkPath);
    }

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: ") + systemError();
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(::ptsname(m_master));

    // Holding the other end open keeps the port alive while Ringscout has it closed, and raw
    // mode keeps the terminal from echoing the caller-ID lines back before Ringscout opens it.
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
    termios raw{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(m_devicePath, systemError());
        return false;
    }
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);

    if (!QDir().mkpath(QFileInfo(m_linkPath).path()) || !QFile::link(m_devicePath, m_linkPath)) {
        *error = QStringLiteral("cannot link %1 to %2").arg(m_linkPath, m_devicePath);
        return false;
    }
    m_linked = true;

    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ModemSimulator::readFromPort);
    return true;
}

void ModemSimulator::removeLink()
{
    if (!m_linked)
        return;
    m_linked = false;
    // Only our own link: somebody may have put another one in its place meanwhile.
    if (QFileInfo(m_linkPath).symLinkTarget() == m_devicePath)
        QFile::remove(m_linkPath);
}

QString ModemSimulator::Visible(QByteArrayView bytes)
{
    QString text;
    for (const char c : bytes) {
        if (c == '\r')
            text += QStringLiteral("<CR>");
        else if (c == '\n')
            text += QStringLiteral("<LF>");
        else if (c >= 0x20 && c < 0x7f)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("<%1>").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return text;
}

void ModemSimulator::readFromPort()
{
    char buffer[4096];
    const ssize_t count = ::read(m_master, buffer, sizeof buffer);
    if (count < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (count <= 0) {
        Console::complain(QStringLiteral("cannot read %1: %2").arg(m_devicePath, systemError()));
        m_notifier->setEnabled(false);
        return;
    }
    m_received.append(buffer, count);
    printLines(false);
}

// One printed line per line the modem receives; "ATDT 5551234<CR>" ends at its CR.
void ModemSimulator::printLines(bool all)
{
    for (;;) {
        qsizetype end = -1;
        for (qsizetype i = 0; i < m_received.size(); ++i) {
            if (m_received[i] == '\n' || m_received[i] == '\r') {
                end = i;
                if (m_received[i] == '\r' && i + 1 < m_received.size() && m_received[i + 1] == '\n')
                    end = i + 1;
                break;
            }
        }
        if (end < 0)
            break;
        Console::say(QStringLiteral("< ") + Visible(m_received.left(end + 1)));
        m_received.remove(0, end + 1);
    }
    if (m_received.isEmpty())
        m_partial.stop();
    else if (all) {
        Console::say(QStringLiteral("< ") + Visible(m_received));
        m_received.clear();
    } else {
        m_partial.start();
    }
}

bool ModemSimulator::ring(const QString &line, QString *error)
{
    QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        *error = QStringLiteral("type NUMBER NAME, e.g. 5551234567 JOHN SMITH");
        return false;
    }
    const QString number = words.takeFirst();
    const QString name = words.join(QLatin1Char(' '));
    const QDateTime now = QDateTime::currentDateTime();
    // A voice modem with caller ID on (AT+VCID=1), between the first and second ring.
    QString text = QStringLiteral("\r\nRING\r\n\r\nDATE = %1\r\nTIME = %2\r\nNMBR = %3\r\n")
                       .arg(now.toString(QStringLiteral("MMdd")),
                            now.toString(QStringLiteral("HHmm")), number);
    if (!name.isEmpty())
        text += QStringLiteral("NAME = %1\r\n").arg(name);
    text += QStringLiteral("\r\n");
    const QByteArray bytes = WireText::encode(text);

    const ssize_t written = ::write(m_master, bytes.constData(), size_t(bytes.size()));
    if (written != bytes.size()) {
        *error =
            written < 0 && errno != EAGAIN
                ? QStringLiteral("cannot write to %1: %2").arg(m_devicePath, systemError())
                : QStringLiteral("the port's input is full: nothing reads %1").arg(m_devicePath);
        return false;
    }
    Console::say(QStringLiteral("> ") + Visible(bytes));
    return true;
}
