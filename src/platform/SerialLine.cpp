// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialLine.h"

#include "Version.h"
#include "base/Failure.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace SerialLine {

Settings Parse(const QString &text)
{
    const auto fail = [&text](const QString &why) {
        return Failure(QStringLiteral("Serial port"),
                       QStringLiteral("the line settings \"%1\" are not valid: %2").arg(text, why));
    };
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4)
        throw fail(QStringLiteral("expected speed, parity, data bits and stop bits, as in "
                                  "\"115200,N,8,1\""));
    Settings settings;
    bool ok = false;
    settings.speed = fields[0].trimmed().toInt(&ok);
    if (!ok || settings.speed <= 0)
        throw fail(QStringLiteral("the speed must be a positive whole number"));

    const QString parity = fields[1].trimmed();
    if (parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity[0]))
        throw fail(QStringLiteral("the parity must be N, E, O, M or S"));
    settings.parity = parity[0].toLatin1();

    settings.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || settings.dataBits < 5 || settings.dataBits > 8)
        throw fail(QStringLiteral("the data bits must be 5, 6, 7 or 8"));

    const QString stop = fields[3].trimmed();
    if (stop == QLatin1String("1"))
        settings.stopBits = StopBits::One;
    else if (stop == QLatin1String("1.5"))
        settings.stopBits = StopBits::OneAndHalf;
    else if (stop == QLatin1String("2"))
        settings.stopBits = StopBits::Two;
    else
        throw fail(QStringLiteral("the stop bits must be 1, 1.5 or 2"));
    return settings;
}

QString LinkPath(const QString &configDir, int port)
{
    return QDir(configDir).filePath(
        QStringLiteral("%1/com%2").arg(QLatin1String(Version::SettingsApplication)).arg(port));
}

QString DevicePath(const QString &configDir, int port)
{
#ifdef Q_OS_WIN
    Q_UNUSED(configDir)
    return QStringLiteral("COM%1").arg(port);
#else
    // A link lets a user give any device a number: ln -s /dev/ttyACM0 ~/.config/Belvane/com3.
    const QFileInfo link(LinkPath(configDir, port));
    if (link.isSymLink())
        return link.symLinkTarget();
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

} // namespace SerialLine
