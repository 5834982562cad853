// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SerialLine.h"

#include "Version.h"

#include <QDir>
#include <QFileInfo>

namespace SerialLine {

QString linkPath(const QString &configDir, int port)
{
    return QDir(configDir).filePath(
        QStringLiteral("%1/com%2").arg(QLatin1String(Version::SettingsApplication)).arg(port));
}

QString devicePath(const QString &configDir, int port)
{
#ifdef Q_OS_WIN
    Q_UNUSED(configDir)
    return QStringLiteral("COM%1").arg(port);
#else
    // A link lets a user give any device a number: ln -s /dev/ttyACM0 ~/.config/Belvane/com3.
    const QFileInfo link(linkPath(configDir, port));
    if (link.isSymLink())
        return link.symLinkTarget();
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

} // namespace SerialLine
